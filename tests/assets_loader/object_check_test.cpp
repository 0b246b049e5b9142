#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "assets/object_check.h"
#include "data_folder.h"

namespace {

std::vector<std::uint8_t> WithCounts(std::vector<std::uint8_t> image, std::int32_t n, std::int32_t L,
                                     std::int32_t M) {
  std::memcpy(&image[0], &n, 4);
  std::memcpy(&image[4], &L, 4);
  std::memcpy(&image[8], &M, 4);
  return image;
}

std::string Fault(const std::vector<std::uint8_t>& image, std::size_t size) {
  std::string fault;
  return CheckObjectImage(image.data(), size, &fault) ? "accepted" : fault;
}

std::string Fault(const std::vector<std::uint8_t>& image) { return Fault(image, image.size()); }

TEST(ObjectCheckTest, CountsOutsideTheFormatAreRefused) {
  const auto image = SmallObjectImage();
  EXPECT_EQ(Fault(image, 11), "Object file is truncated: counts end at byte 12 of 11");
  EXPECT_EQ(Fault(WithCounts(image, -1, 1, 0)),
            "Object file has a negative count: -1 vertices, 1 faces, 0 texture pairs");
  EXPECT_EQ(Fault(WithCounts(image, 3, -2, 3)),
            "Object file has a negative count: 3 vertices, -2 faces, 3 texture pairs");
  EXPECT_EQ(Fault(WithCounts(image, 60001, 0, 0)), "Object file has too many vertices: 60001 (at most 60000)");
  EXPECT_EQ(Fault(WithCounts(image, 3, 1, 2)),
            "Object file has 2 texture pairs for 3 vertices (must be 0 or equal)");
  // Counts near the top of int32 must not wrap the block arithmetic into "fits".
  EXPECT_EQ(Fault(WithCounts(image, 3, 0x7FFFFFFF, 0)).rfind("Object file is truncated: faces end at byte", 0), 0u);
}

TEST(ObjectCheckTest, WellFormedImagesPassAndEveryBlockMustEndInsideTheFile) {
  EXPECT_EQ(Fault(std::vector<std::uint8_t>(12, 0)), "accepted") << "no vertices, no faces";
  // Without stored pairs the face records begin over the last index; 0 there is vertex 0.
  EXPECT_EQ(Fault(WithCounts(std::vector<std::uint8_t>(52 + 12 + 36, 0), 3, 1, 0)), "accepted");
  const auto image = SmallObjectImage();  // blocks end at 48, 54, 76, 88, 124
  const struct {
    std::size_t size;
    const char* fault;
  } cases[] = {{47, "Object file is truncated: positions end at byte 48 of 47"},
               {53, "Object file is truncated: faces end at byte 54 of 53"},
               {75, "Object file is truncated: texture coordinates end at byte 76 of 75"},
               {87, "Object file is truncated: face records end at byte 88 of 87"},
               {123, "Object file is truncated: normals end at byte 124 of 123"}};
  for (const auto& c : cases) EXPECT_EQ(Fault(image, c.size), c.fault);
  EXPECT_EQ(Fault(image), "accepted");
  EXPECT_EQ(Fault(image, 200), "accepted") << "trailing bytes are harmless";
}

TEST(ObjectCheckTest, FaceIndicesAreReadAsTheDrawerReadsThem) {
  auto image = SmallObjectImage();
  image[50] = 3;  // face 0, second index: one past the vertices
  EXPECT_EQ(Fault(image), "Object file has a face index past its vertices: face 0 refers to vertex 3 of 3");
  // The third index lies under the first texture pair: a u whose low half is 0x4000 breaks it.
  image = SmallObjectImage();
  const float u = 2.0f + 0x4000 * 2.0f / (1 << 23);  // bits 0x40004000
  std::memcpy(&image[52], &u, 4);
  EXPECT_EQ(Fault(image), "Object file has a face index past its vertices: face 0 refers to vertex 16384 of 3");
}

}  // namespace
