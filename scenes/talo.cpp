#include "scenes/scenes.h"

void TaloScene() {}
