// Building the demo's objects out of pieces: subdivided flat panels (hard edges), triangles,
// and surfaces of revolution whose profile points are either smooth or creased. Every piece
// gets its own vertices, so a panel keeps its flat normal and a crease stays sharp, and each
// vertex carries texture coordinates. Normals are given explicitly and point outward.
#pragma once

#include <vector>

#include "tools/art/vec.h"
#include "tools/obj/object_mesh.h"

namespace art {

struct Uv {
  float u = 0, v = 0;
};

struct MeshBuilder {
  ObjectMesh mesh;

  int AddVertex(Vec3 p, Vec3 n, Uv uv);
  void AddFace(int a, int b, int c);
  // A flat panel from corner, spanned by edgeU and edgeV, cut into nu x nv cells; texture
  // coordinates run linearly from uv0 at the corner by uvU along edgeU and uvV along edgeV.
  // The normal is edgeU x edgeV (so corner, +U, +V should run anticlockwise seen from outside).
  void AddPanel(Vec3 corner, Vec3 edgeU, Vec3 edgeV, int nu, int nv, Uv uv0, Uv uvU, Uv uvV);
  void AddTriangle(Vec3 a, Vec3 b, Vec3 c, Uv ta, Uv tb, Uv tc);
  // An axis-aligned box without its bottom (it stands on something), texture in world units
  // divided by texelScale: sides by perimeter and height, top by x and z; panels cut into
  // cells of about `cell` units.
  void AddBox(Vec3 low, Vec3 high, float texelScale, float cell);
};

struct ProfilePoint {
  float radius, y;
  bool crease;  // a hard edge around the surface at this point
};

// A surface of revolution about the y axis, profile from bottom to top; u goes once round
// (times uTurns), v follows the profile's length divided by vScale, counted from its top.
void AddLathe(MeshBuilder& builder, const std::vector<ProfilePoint>& profile, int segments, float uTurns,
              float vScale);

}  // namespace art
