// The five objects: well-formed files the loader accepts, within the vertex array, and shaped
// for the scenes that place them (towers that fit their 80-unit spacing, a domed tower the
// camera fits inside, a tube around the spike column, spikes textured from their normals).
#include <gtest/gtest.h>

#include <cmath>

#include "assets/object_check.h"
#include "tools/art/objects.h"
#include "tools/obj/obu_file.h"

namespace art {
namespace {

struct Bounds {
  float minY = 1e9f, maxY = -1e9f, maxRadius = 0;
};

Bounds BoundsOf(const ObjectMesh& mesh) {
  Bounds b;
  for (const Vector3& p : mesh.positions) {
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
    b.maxRadius = std::max(b.maxRadius, std::sqrt(p.x * p.x + p.z * p.z));
  }
  return b;
}

TEST(Objects, AreWellFormedFilesTheLoaderAccepts) {
  for (const std::string& name : ObjectNames()) {
    std::vector<std::uint8_t> bytes, again;
    std::string fault;
    ASSERT_TRUE(MakeObjectFile(name, &bytes, &fault)) << fault;
    EXPECT_TRUE(CheckObjectImage(bytes.data(), bytes.size(), &fault)) << name << ": " << fault;
    ASSERT_TRUE(MakeObjectFile(name, &again, &fault));
    EXPECT_EQ(bytes, again) << name << " differs between two builds";
    ObjectMesh mesh = DecodeObu(bytes);
    EXPECT_GT(mesh.faces.size(), 100u) << name;
    for (const Vector3& n : mesh.normals)
      ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), NormalLength(name), 1e-3f) << name;
    // The houses and the tube store texture coordinates; the spikes are textured from normals.
    EXPECT_EQ(mesh.texCoords.empty(), name == "piikki") << name;
  }
}

TEST(Objects, TowersFitSideBySideAndTheCameraFitsInsideTheDomedOne) {
  for (const char* name : {"talo1", "talo2", "talo3"}) {
    Bounds b = BoundsOf(MakeObjectMesh(name));
    EXPECT_FLOAT_EQ(b.minY, 0.0f) << name << " stands on its origin";
    EXPECT_GT(b.maxY, 90.0f) << name;
    EXPECT_LT(b.maxRadius, 40.0f) << name << " would reach into its neighbour 80 units away";
  }
  // The spinning talo scene puts the camera 40 units above talo3's base, up to 20 off its axis.
  float wallRadius = 1e9f;
  for (const Vector3& p : MakeObjectMesh("talo3").positions)
    if (p.y > 20 && p.y < 60) wallRadius = std::min(wallRadius, std::sqrt(p.x * p.x + p.z * p.z));
  EXPECT_GT(wallRadius, 20.0f);
}

TEST(Objects, TheTubeSurroundsTheSpikeColumnWhoseSpikesRadiateWithOutwardNormals) {
  ObjectMesh mesh = MakeObjectMesh("cyl");
  Bounds b = BoundsOf(mesh);
  // Drawn scaled (0.9, 1.9, 0.9) around spikes from y -400 to 500, 40 off the axis, 12 wide.
  EXPECT_LT(b.minY * 1.9f, -400.0f - 60.0f);
  EXPECT_GT(b.maxY * 1.9f, 500.0f + 60.0f);
  EXPECT_GT(b.maxRadius * 0.9f, 40.0f + 12.0f + 20.0f);
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vector3& p = mesh.positions[i];
    const Vector3& n = mesh.normals[i];
    ASSERT_LT(p.x * n.x + p.z * n.z, 0.0f) << "vertex " << i << " faces away from the axis";
  }
  // Coordinates go once round, so the scenes' scales of 4 and 8 wrap without a seam.
  float lowU = 1e9f, highU = -1e9f;
  for (const MeshTexCoord& t : mesh.texCoords) {
    lowU = std::min(lowU, t.u);
    highU = std::max(highU, t.u);
  }
  EXPECT_FLOAT_EQ(highU - lowU, 1.0f);
  const ObjectMesh spikes = MakeObjectMesh("piikki");
  EXPECT_NEAR(BoundsOf(spikes).maxRadius, 62.0f, 1.0f);
  int outward = 0, counted = 0;
  for (size_t i = 0; i < spikes.positions.size(); ++i) {
    const Vector3& p = spikes.positions[i];
    const Vector3& n = spikes.normals[i];
    if (p.x * p.x + p.y * p.y + p.z * p.z < 1) continue;  // the shared centre
    ++counted;
    if (p.x * n.x + p.y * n.y + p.z * n.z > 0) ++outward;
  }
  // Every spike's waist ring has inner-cone normals pointing back towards the centre.
  EXPECT_GT(outward, counted / 2);
}

}  // namespace
}  // namespace art
