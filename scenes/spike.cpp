#include "scenes/scenes.h"

void KelmuSpikeScene() {}

void MinaSpikeScene() {}
