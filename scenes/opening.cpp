#include "scenes/scenes.h"

void OpeningScene() {}
