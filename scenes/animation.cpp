#include "scenes/scenes.h"

void AnimationScene() {}
