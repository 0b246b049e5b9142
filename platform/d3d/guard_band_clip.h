// Screen-space clipping of triangles that reach far outside the screen, so that the rasterizer's
// fixed-point edge arithmetic never overflows. Screen quads up to several times the screen stay
// inside the band and are only trimmed to the screen row by row.
#pragma once

#include "platform/d3d/rasterizer.h"

constexpr float kGuardBand = 8192.0f;  // pixels either side of the origin
constexpr int kGuardClipMaxVertices = 7;

// True when the corner is finite and inside the band.
bool InsideGuardBand(const ScreenVertex& v);
// The part of the triangle inside the band, as a convex polygon in the same winding; returns its
// corner count (0 for a triangle with a corner that is not a finite number). Every corner returned
// lies inside the band, however far out the triangle reached.
int ClipToGuardBand(const ScreenVertex* const v[3], ScreenVertex out[kGuardClipMaxVertices]);
