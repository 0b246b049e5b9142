#include "scenes/scenes.h"

void KonePairScene() {}
