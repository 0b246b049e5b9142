#include "scenes/scenes.h"

void KonePairSceneB() {}
