#include "scenes/scenes.h"

void KoneFadeScene() {}
