// The rules by which scenes step fades and frame timers. The scene variables themselves are
// declared with the rest of the shared state in core/shared.h; scene-private state stays in the
// scene's own file.
#pragma once

#include "core/shared.h"

// level + amount, set to 1.0 if above it.
void RaiseFade(float& level, float amount);
// level - amount, set to 0.0 if below it.
void LowerFade(float& level, float amount);

// timer + step; once the result is at least limit it becomes restart (never below 0, so a
// stream too short for its loop shows frame 0 instead of running the timer negative).
void AdvanceFrameStep(float& timer, float step, int limit, int restart);
