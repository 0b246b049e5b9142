// Projection of lit, untransformed vertices: the projection transform (world and view are
// identity), clipping against the near plane (z >= 0) and the far plane (z <= w) in clip space
// before the divide, then the viewport: x = (1 + x/w) * width/2, y = (1 - y/w) * height/2,
// depth z/w in 0..1.
#pragma once

#include "platform/d3d/d3d7.h"
#include "platform/d3d/rasterizer.h"

// Triangles with an index at or past vertexCount are skipped.
void ClipTrianglesToScreen(const D3DLVERTEX* vertices, DWORD vertexCount, const WORD* indices,
                           DWORD indexCount, const D3DMATRIX& projection, float width, float height,
                           TriangleBatch& batch);
