#include "scenes/scenes.h"

void ContrastTunnelScene() {}
