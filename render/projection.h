// The perspective projection the scenes with an animated field of view hand to the device.
#pragma once

#include "platform/d3d/d3d7.h"

// Left-handed perspective for row vectors with the 480/640 screen ratio built in: fieldOfView is
// vertical, in radians. Keeps no state. FieldOfView 0 or near == far divide by zero.
D3DMATRIX BuildProjection(float near, float far, float fieldOfView);
