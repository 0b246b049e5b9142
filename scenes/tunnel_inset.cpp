#include "scenes/scenes.h"

void TunnelInsetScene() {}
