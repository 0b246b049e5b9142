// A small depth-buffered triangle rasterizer for looking at the objects: an orthographic view
// from a given turn and tilt, the mesh fitted into the picture, each pixel shaded by a callback
// from the interpolated normal and texture coordinates.
#pragma once

#include <functional>

#include "tools/art/canvas.h"
#include "tools/obj/object_mesh.h"

namespace art {

// normal: the mesh's normal turned with the view (z towards the viewer); u, v: the stored
// coordinates (0 when the mesh has none).
using SurfaceShader = std::function<Vec3(Vec3 normal, float u, float v)>;

void DrawOrthographic(Canvas& target, const ObjectMesh& mesh, float yaw, float pitch, const SurfaceShader& shade);

}  // namespace art
