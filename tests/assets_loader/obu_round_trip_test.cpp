#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/loader.h"
#include "assets/object_check.h"
#include "data_folder.h"
#include "render/object_format.h"
#include "tools/obj/obu_file.h"
#include "tools/obj/wavefront.h"

namespace {

class RoundTripTest : public DataFolderTest {
 protected:
  // Writes mesh as data/talo1.obu, has the loader read and check it, and decodes what it read.
  ObjectMesh ThroughTheLoader(const ObjectMesh& mesh);
};

// A square pyramid: four side faces and two base faces, outward under the OBJ convention.
ObjectMesh Pyramid(bool withTexCoords, bool dropOneFace) {
  ObjectMesh mesh;
  mesh.positions = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {0, 2, 0}};
  mesh.faces = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}, {0, 2, 1}, {0, 3, 2}};
  if (dropOneFace) mesh.faces.pop_back();
  if (withTexCoords) mesh.texCoords = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}, {0.9f, 1.0f}};
  ComputeSmoothNormals(mesh, NormalSharing::PerVertex);
  return mesh;
}

ObjectMesh RoundTripTest::ThroughTheLoader(const ObjectMesh& mesh) {
  std::string error;
  EXPECT_TRUE(WriteObu((folder / "data" / "talo1.obu").string(), mesh, &error)) << error;
  std::uint8_t* image = nullptr;
  std::size_t size = 0;
  EXPECT_TRUE(LoadWholeFile("data\\talo1.obu", &image, &size, nullptr));
  if (image == nullptr) return {};
  EXPECT_TRUE(CheckObjectImage(image, size, &error)) << error;
  EXPECT_EQ(static_cast<std::int64_t>(size), LocateObjectBlocks(image).end);
  const ObjectMesh back = DecodeObu(std::vector<std::uint8_t>(image, image + size));
  std::free(image);
  return back;
}

void ExpectSameVertices(const ObjectMesh& a, const ObjectMesh& b) {
  ASSERT_EQ(a.positions.size(), b.positions.size());
  for (std::size_t i = 0; i < a.positions.size(); ++i) {
    EXPECT_EQ(std::memcmp(&a.positions[i], &b.positions[i], 12), 0) << i;
    EXPECT_EQ(std::memcmp(&a.normals[i], &b.normals[i], 12), 0) << i;
  }
  ASSERT_EQ(a.texCoords.size(), b.texCoords.size());
  for (std::size_t i = 0; i < a.texCoords.size(); ++i) EXPECT_EQ(std::memcmp(&a.texCoords[i], &b.texCoords[i], 8), 0);
}

// Faces as sets of turned triangles: order and starting corner may change, winding may not.
std::vector<std::array<int, 3>> CanonicalFaces(const std::vector<MeshFace>& faces) {
  std::vector<std::array<int, 3>> out;
  for (const MeshFace& f : faces) {
    std::array<int, 3> t = {f.a, f.b, f.c};
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    if (t[0] != t[1] || t[1] != t[2]) out.push_back(t);  // degenerate padding draws nothing
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(RoundTripTest, EvenAndOddFaceCountsWithAndWithoutStoredCoordinates) {
  for (bool withTexCoords : {false, true}) {
    for (bool odd : {false, true}) {
      const ObjectMesh mesh = Pyramid(withTexCoords, odd);
      const ObjectMesh back = ThroughTheLoader(mesh);
      SCOPED_TRACE(std::string(withTexCoords ? "stored pairs" : "no pairs") + (odd ? ", odd" : ", even"));
      ExpectSameVertices(mesh, back);
      EXPECT_EQ(CanonicalFaces(back.faces), CanonicalFaces(mesh.faces));
    }
  }
}

TEST_F(RoundTripTest, WriterRefusesMeshesOutsideTheFormat) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  ObjectMesh mesh = Pyramid(true, false);
  mesh.faces.push_back({0, 1, 5});
  EXPECT_FALSE(EncodeObu(mesh, &bytes, &error));
  EXPECT_EQ(error, "face 6 refers to vertex 5 of 5");

  mesh = Pyramid(false, false);
  mesh.positions.resize(60001);
  mesh.normals.resize(60001);
  EXPECT_FALSE(EncodeObu(mesh, &bytes, &error));
  EXPECT_EQ(error, "60001 vertices, at most 60000");
}

TEST(WavefrontTest, CornersBecomeVerticesPolygonsBecomeFansGivenNormalsAreKeptAndBadLinesNamed) {
  const char* text =
      "# a quad with a seam\n"
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5 0.5\n"
      "o quad\ns 1\n"
      "f 1/1 2/2 3/3 4/4\n"
      "f -4/5 -2/3 -1/4\n";
  ObjectMesh mesh;
  std::string error;
  ASSERT_TRUE(ParseWavefront(text, &mesh, &error)) << error;
  ASSERT_EQ(mesh.faces.size(), 3u);
  ASSERT_EQ(mesh.positions.size(), 5u) << "position 1 appears with two coordinates";
  EXPECT_TRUE(mesh.faces[0].a == 0 && mesh.faces[1].b == 2 && mesh.faces[1].c == 3) << "a fan from the first corner";
  EXPECT_TRUE(mesh.texCoords[4].u == 0.5f && mesh.faces[2].b == 2) << "-2/3 is the corner 3/3 again";
  // No normals in the file: computed, the seam's two copies of position 1 agree.
  EXPECT_EQ(mesh.normals[0].z, 1.0f);
  EXPECT_EQ(std::memcmp(&mesh.normals[0], &mesh.normals[4], 12), 0);
  mesh = {};  // given normals are kept
  ASSERT_TRUE(ParseWavefront("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 -1\nf 1//1 2//1 3//1\n", &mesh, &error));
  EXPECT_TRUE(mesh.texCoords.empty());
  EXPECT_EQ(mesh.normals[2].z, -1.0f);

  EXPECT_FALSE(ParseWavefront("v 0 0 0\nv 1 0 0\nf 1 2 3\n", &mesh, &error));
  EXPECT_EQ(error, "line 3: bad face corner \"3\"");
  EXPECT_FALSE(ParseWavefront("v 0 0 0\nf 1 1\n", &mesh, &error));
  EXPECT_EQ(error, "line 2: a face needs three corners");
}

}  // namespace
