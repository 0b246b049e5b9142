#include "scenes/scenes.h"

void TaloTrioFadeIn() {}

void TaloTrioScene() {}

void TaloTrioFadeOut() {}
