// A photograph-like test picture made from code: a sky gradient, a textured ground, two shaded
// balls and a few hard-edged shapes, with fine noise over all of it. Frame k moves the balls, so
// a run of frames is an animation. Used by the benchmarks, the tests and as a quick encoder demo.
#pragma once

#include "tools/anim/animation_encoder.h"

namespace anim {

// Sides of 1 to LargestSampleSide pixels.
constexpr int LargestSampleSide = 8192;
RgbPicture SamplePicture(int width, int height, int frame);

}  // namespace anim
