#include "scenes/scenes.h"

void KoneTunnelScene() {}
