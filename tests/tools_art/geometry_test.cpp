// The geometry tools under the objects and the rendered pictures: panels, boxes and lathes of
// the mesh builder, the orthographic rasterizer, and the sphere tracer.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/art/mesh_builder.h"
#include "tools/art/raster.h"
#include "tools/art/sdf.h"

namespace art {
namespace {

Vec3 At(const Vector3& v) { return {v.x, v.y, v.z}; }

TEST(MeshBuilder, PanelsAreSubdividedWithLinearCoordinates) {
  MeshBuilder b;
  b.AddPanel({0, 0, 0}, {4, 0, 0}, {0, 2, 0}, 4, 2, {0.5f, 0.25f}, {1, 0}, {0, -0.5f});
  EXPECT_EQ(b.mesh.positions.size(), 15u);
  EXPECT_EQ(b.mesh.faces.size(), 16u);
  EXPECT_NEAR(b.mesh.normals[0].z, 1.0f, 1e-6f);  // edgeU x edgeV
  const MeshTexCoord& last = b.mesh.texCoords.back();  // the far corner (4, 2)
  EXPECT_FLOAT_EQ(last.u, 1.5f);
  EXPECT_FLOAT_EQ(last.v, -0.25f);
  for (const MeshFace& f : b.mesh.faces) {
    Vec3 n = Cross(At(b.mesh.positions[f.b]) - At(b.mesh.positions[f.a]), At(b.mesh.positions[f.c]) - At(b.mesh.positions[f.a]));
    EXPECT_GT(n.z, 0) << "faces wind the same way as the normal";
  }
}

TEST(MeshBuilder, BoxPanelsFaceOutward) {
  MeshBuilder b;
  b.AddBox({-1, 0, -2}, {3, 5, 2}, 64, 1);
  Vec3 centre{1, 2.5f, 0};
  for (size_t i = 0; i < b.mesh.positions.size(); ++i) {
    Vec3 out = At(b.mesh.positions[i]) - centre;
    ASSERT_GT(Dot(out, At(b.mesh.normals[i])), 0) << "vertex " << i;
  }
}

TEST(MeshBuilder, LatheCreasesStaySharpAndSmoothPointsBlend) {
  // A cylinder wall with a creased rim, then a smooth bend into a cone, closing at a pole.
  MeshBuilder b;
  AddLathe(b, {{2, 0, true}, {2, 2, true}, {1, 3, false}, {0, 4, true}}, 8, 1, 1);
  size_t ring = 9;
  // Segment 0 (the wall): both rings horizontal normals.
  EXPECT_NEAR(b.mesh.normals[0].y, 0, 1e-6f);
  EXPECT_NEAR(b.mesh.normals[ring].y, 0, 1e-6f);
  // Segment 1 starts at the crease with its own slope, not the wall's.
  EXPECT_NEAR(b.mesh.normals[2 * ring].y, std::sqrt(0.5f), 1e-5f);
  // At the smooth point the two segments agree.
  const Vector3& endOfSlope = b.mesh.normals[3 * ring];
  const Vector3& startOfCone = b.mesh.normals[4 * ring];
  EXPECT_NEAR(endOfSlope.x, startOfCone.x, 1e-6f);
  EXPECT_NEAR(endOfSlope.y, startOfCone.y, 1e-6f);
  // No triangle uses two vertices of the pole ring.
  for (const MeshFace& f : b.mesh.faces) {
    int pole = (f.a >= 5 * static_cast<int>(ring)) + (f.b >= 5 * static_cast<int>(ring)) + (f.c >= 5 * static_cast<int>(ring));
    EXPECT_LE(pole, 1);
  }
  EXPECT_EQ(b.mesh.faces.size(), 8u * 2 + 8u * 2 + 8u);
  EXPECT_FLOAT_EQ(b.mesh.texCoords[8].u, 1.0f);  // the seam column repeats u = 0 as u = 1
}

TEST(Raster, FitsTheMeshAndKeepsTheNearerSurface) {
  MeshBuilder b;
  b.AddPanel({-1, -1, 0}, {2, 0, 0}, {0, 2, 0}, 1, 1, {0, 0}, {1, 0}, {0, 1});    // far square
  b.AddPanel({-0.5f, -0.5f, -1}, {1, 0, 0}, {0, 1, 0}, 1, 1, {0, 0}, {0, 0}, {0, 0});  // nearer, smaller
  Canvas target(50, 50);
  DrawOrthographic(target, b.mesh, 0, 0, [](Vec3, float u, float) { return u > 0 ? Vec3{1, 0, 0} : Vec3{0, 1, 0}; });
  EXPECT_EQ(target.At(25, 25).y, 1.0f);  // the near square covers the middle
  EXPECT_EQ(target.At(5, 5).x, 1.0f);    // the far square shows round it
  EXPECT_EQ(target.At(0, 0).x, 0.0f);    // fitted with a margin
}

TEST(Tracer, FindsASphereAndItsNormal) {
  auto sphere = [](Vec3 p) { return SdfSample{SdSphere(p - Vec3{0, 0, 5}, 1), 3}; };
  Hit hit = Trace(sphere, {0, 0, 0}, {0, 0, 1}, 20);
  ASSERT_TRUE(hit.found);
  EXPECT_NEAR(hit.t, 4.0f, 1e-4f);
  EXPECT_NEAR(hit.normal.z, -1.0f, 1e-3f);
  EXPECT_EQ(hit.material, 3);
  EXPECT_FALSE(Trace(sphere, {0, 0, 0}, {0, 1, 0}, 20).found);
  EXPECT_LE(SmoothMin(0.3f, 0.5f, 0.4f), 0.3f);
  EXPECT_NEAR(SdBox({3, 0, 0}, {1, 1, 1}), 2.0f, 1e-6f);
  Camera camera({0, 0, -4}, {0, 0, 0}, 90, 2);
  Vec3 corner = camera.Ray(1, 0);  // right and up, twice as wide as high
  EXPECT_NEAR(corner.x / corner.z, 2.0f, 1e-5f);
  EXPECT_NEAR(corner.y / corner.z, 1.0f, 1e-5f);
}

}  // namespace
}  // namespace art
