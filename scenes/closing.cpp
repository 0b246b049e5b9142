#include "scenes/scenes.h"

void ClosingScene() {}
