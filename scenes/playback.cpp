#include "scenes/scenes.h"

void KelmuPlaybackScene() {}

void KonePlaybackScene() {}
