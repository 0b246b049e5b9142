#include "scenes/scenes.h"

void TunnelFadeScene() {}
