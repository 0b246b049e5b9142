#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene_test.h"
#include "render/object.h"

namespace {

using Kind = d3drec::Call::Kind;

struct Vertex {
  Vector3 position, normal;
  float u = 0.0f, v = 0.0f;
};

// Lays an object image out byte by byte: with an odd face count the texture pairs begin two
// bytes before the end of the face list, over its last index.
std::vector<std::uint8_t> MakeImage(const std::vector<Vertex>& vertices, const std::vector<std::uint16_t>& indices,
                                    bool storeTexCoords) {
  const std::int32_t n = static_cast<std::int32_t>(vertices.size());
  const std::int32_t faces = static_cast<std::int32_t>(indices.size() / 3);
  const std::int32_t pairs = storeTexCoords ? n : 0;
  const std::size_t texStart = (12 + 12 * n + 6 * faces) / 4 * 4;
  const std::size_t normalStart = texStart + 8 * pairs + 12 * faces;
  std::vector<std::uint8_t> image(normalStart + 12 * n, 0xEE);  // records left as filler
  auto put = [&](std::size_t at, const void* data, std::size_t size) { if (size) std::memcpy(&image[at], data, size); };
  put(0, &n, 4);
  put(4, &faces, 4);
  put(8, &pairs, 4);
  for (int i = 0; i < n; ++i) put(12 + 12 * i, &vertices[i].position, 12);
  put(12 + 12 * n, indices.data(), 2 * indices.size());
  for (int i = 0; i < pairs; ++i) {
    put(texStart + 8 * i, &vertices[i].u, 4);
    put(texStart + 8 * i + 4, &vertices[i].v, 4);
  }
  for (int i = 0; i < n; ++i) put(normalStart + 12 * i, &vertices[i].normal, 12);
  return image;
}

class ObjectTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    LightCount = 0;
  }

  // Draws image with the given arguments and returns the one recorded draw (or none).
  std::vector<d3drec::Call> Draw(const std::vector<std::uint8_t>& image, Vector3 at = {0, 0, 0}, float scale = 1.0f,
                                 float yaw = 0.0f, float viewYaw = 0.0f, float viewPitch = 0.0f) {
    d3drec::ClearCalls();
    DrawObject(image.data(), at.x, at.y, at.z, scale, yaw, viewYaw, viewPitch);
    return CallsOf(Kind::DrawIndexedPrimitive);
  }

  D3DLVERTEX DrawOne(const Vertex& vertex, Vector3 at = {0, 0, 0}) {
    const auto draws = Draw(MakeImage({vertex}, {0, 0, 0}, false), at);
    EXPECT_EQ(draws.size(), 1u);
    return draws.empty() || draws[0].lVertices.empty() ? D3DLVERTEX{} : draws[0].lVertices[0];
  }
};

const Vertex Origin{{0, 0, 0}, {0, 0, 1}};

TEST_F(ObjectTest, ScaleThenYawThenPositionThenViewYawThenPitch) {
  ScaleBias = {0.0f, 1.0f, 0.0f};
  ViewOffset = {1.0f, 1.0f, 1.0f};
  const Vertex v{{1.0f, 1.0f, 0.0f}, {0, 0, 1}};
  const auto draws = Draw(MakeImage({v}, {0, 0, 0}, false), {10, 20, 30}, 2.0f, 256.0f, 256.0f, 256.0f);
  ASSERT_EQ(draws.size(), 1u);
  // Scaled (2, 3, 0); yaw a quarter turn: (0, 3, 2); placed with the camera offset: (11, 24, 33);
  // view yaw: (-33, 24, 11); view pitch: (-33, -11, 24).
  const D3DLVERTEX& out = draws[0].lVertices[0];
  EXPECT_NEAR(out.x, -33.0f, 1e-3f);
  EXPECT_NEAR(out.y, -11.0f, 1e-3f);
  EXPECT_NEAR(out.z, 24.0f, 1e-3f);
  EXPECT_EQ(out.dwReserved, 0u);

  // Lighting sees the placed position, not the camera offset.
  LightCount = 1;
  Lights[0] = {{5, 0, -10}, 100.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0};
  ViewOffset = {-5.0f, 0.0f, 0.0f};
  const D3DLVERTEX lit = DrawOne(Origin, {5, 0, 0});
  EXPECT_EQ(lit.color, 0x646464u);
  EXPECT_FLOAT_EQ(lit.x, 0.0f);
}

TEST_F(ObjectTest, AmbientAndLightsPerChannelWithOverflowIntoSpecular) {
  AmbientColour = {10.9f, 300.0f, 0.0f};
  D3DLVERTEX out = DrawOne(Origin);
  EXPECT_EQ(out.color, 0x0AFF00u);
  EXPECT_EQ(out.specular, 0x002D00u);

  AmbientColour = {700.0f, 255.0f, 255.5f};  // specular caps at 255; 255.5 keeps 0.5 extra
  out = DrawOne(Origin);
  EXPECT_EQ(out.color, 0xFFFFFFu);
  EXPECT_EQ(out.specular, 0xFF0000u);

  LightCount = 1;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  // d runs from the light to the vertex: a light at z = -10 with the normal +z gives cosine 1.
  Lights[0] = {{0, 0, -10}, 100.0f, 2.0f, 1.0f, 0.5f, -1.0f, 0};
  EXPECT_EQ(DrawOne(Origin).color, 0x502800u);  // 100 - 10 * 2 = 80: red 80, green 40, blue clamped

  NormalScale = -1.0f;  // turned round, the light would darken, but it may not
  AmbientColour = {20.0f, 20.0f, 20.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x141414u);

  Lights[0].allowNegative = 1;  // -120: pulls a channel down, never below zero
  AmbientColour = {200.0f, 200.0f, 0.0f};
  Lights[0].red = 1.0f;
  Lights[0].green = 0.5f;
  Lights[0].blue = 1.0f;
  EXPECT_EQ(DrawOne(Origin).color, 0x508C00u);
}

TEST_F(ObjectTest, ChannelsClampAtZeroAfterEveryLight) {
  LightCount = 2;
  // First light: cosine 0 (beside the normal), 50 lost to distance; second adds 30 at cosine 1.
  Lights[0] = {{-10, 0, 0}, 10.0f, 5.0f, 1.0f, 1.0f, 1.0f, 1};
  Lights[1] = {{0, 0, -1}, 30.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0};
  EXPECT_EQ(DrawOne(Origin).color, 0x1E0000u);  // 30, not -20

  LightCount = 1;  // the second light is not used any more
  EXPECT_EQ(DrawOne(Origin).color, 0x000000u);
  LightCount = 0;  // a negative ambient with no light to clamp it stays out of the other bytes
  AmbientColour = {-5.0f, 0.0f, 7.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x000007u);

  // A light on the vertex adds nothing; a count beyond the table uses the ten lights there are.
  for (LightRecord& light : Lights) light = {{0, 0, -1}, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0};
  Lights[0].position = {0, 0, 0};
  LightCount = 50;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x090909u);
}

TEST_F(ObjectTest, CullingBoxKeepsItsBoundsAndTestsTheTurnedCentre) {
  CullingOff = 0;
  const auto image = MakeImage({Origin}, {0, 0, 0}, false);
  const struct {
    Vector3 at;
    bool drawn;
  } cases[] = {{{0, 0, 400}, true},
               {{0, 0, std::nextafter(400.0f, 500.0f)}, false},
               {{0, 0, 0}, true},
               {{0, 0, -0.001f}, false},
               {{400, 0, 10}, true},
               {{-400, 0, 10}, true},
               {{400.5f, 0, 10}, false},
               {{-401, 0, 10}, false},
               {{0, 1e6f, 10}, true}};  // y is not tested
  for (const auto& c : cases) {
    EXPECT_EQ(Draw(image, c.at).size(), c.drawn ? 1u : 0u) << c.at.x << " " << c.at.y << " " << c.at.z;
  }
  // The view yaw turns the centre first: (0, 0, -100) a half turn round lies at z = +100.
  EXPECT_EQ(Draw(image, {0, 0, -100}, 1.0f, 0.0f, 512.0f).size(), 1u);
  EXPECT_EQ(Draw(image, {0, 0, 100}, 1.0f, 0.0f, 512.0f).size(), 0u);
  CullingOff = 1;
  EXPECT_EQ(Draw(image, {0, 0, 1000}).size(), 1u);
}

TEST_F(ObjectTest, TextureCoordinatesStoredOrFromTurnedNormals) {
  const std::vector<Vertex> vertices = {{{0, 0, 0}, {0.6f, 0.0f, 0.8f}, 0.25f, 0.75f},
                                        {{1, 0, 0}, {0.0f, 1.0f, 0.0f}, 1.5f, -2.0f}};
  const auto stored = MakeImage(vertices, {0, 1, 1, 1, 0, 0}, true);
  UVScale = 2.0f;
  auto draws = Draw(stored);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].lVertices[0].tu, 0.5f);
  EXPECT_EQ(draws[0].lVertices[0].tv, 1.5f);
  EXPECT_EQ(draws[0].lVertices[1].tu, 3.0f);
  EXPECT_EQ(draws[0].lVertices[1].tv, -4.0f);

  // From the normals: scaled by NormalScale and turned by the object's yaw only.
  ForceEnvMap = 1;
  NormalScale = -1.0f;
  draws = Draw(stored, {0, 0, 0}, 1.0f, 256.0f, 300.0f, 100.0f);
  ASSERT_EQ(draws.size(), 1u);
  // (-0.6, 0, -0.8) a quarter turn about y: x' = x cos - z sin = 0.8.
  EXPECT_NEAR(draws[0].lVertices[0].tu, 0.8f, 1e-5f);
  EXPECT_NEAR(draws[0].lVertices[0].tv, 0.0f, 1e-5f);
  EXPECT_NEAR(draws[0].lVertices[1].tv, -1.0f, 1e-6f);

  ForceEnvMap = 0;
  NormalScale = 1.0f;
  draws = Draw(MakeImage(vertices, {0, 1, 1, 1, 0, 0}, false));  // no stored pairs
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].lVertices[0].tu, 0.6f);
  EXPECT_EQ(draws[0].lVertices[1].tv, 1.0f);
}

TEST_F(ObjectTest, OddFaceCountShiftsTheLaterBlocksAndSharesTheLastIndex) {
  // u of vertex 0 has the bit pattern 0x3F800001: its low half, 1, is the last face index.
  float u0;
  const std::uint32_t bits = 0x3F800001;
  std::memcpy(&u0, &bits, 4);
  const std::vector<Vertex> vertices = {{{0, 0, 0}, {1, 0, 0}, u0, 0.5f},
                                        {{1, 0, 0}, {0, 1, 0}, 0.125f, 0.25f},
                                        {{0, 1, 0}, {0, 0, 1}, 0.375f, 0.625f}};
  const auto image = MakeImage(vertices, {0, 1, 2, 2, 1, 0, 1, 2, 0}, true);
  const auto draws = Draw(image);
  ASSERT_EQ(draws.size(), 1u);
  const d3drec::Call& draw = draws[0];
  ASSERT_EQ(draw.lVertices.size(), 3u);
  EXPECT_EQ(draw.lVertices[0].tu, u0);
  EXPECT_EQ(draw.lVertices[2].tu, 0.375f);
  EXPECT_EQ(draw.lVertices[2].tv, 0.625f);
  ForceEnvMap = 1;  // normals come from after the face records
  const auto fromNormals = Draw(image);
  EXPECT_EQ(fromNormals[0].lVertices[0].tu, 1.0f);
  EXPECT_EQ(fromNormals[0].lVertices[1].tv, 1.0f);
  EXPECT_EQ(fromNormals[0].lVertices[2].tu, 0.0f);
  const std::vector<WORD> expected = {0, 1, 2, 2, 1, 0, 1, 2, 1};
  EXPECT_EQ(draw.indices, expected);
}

TEST_F(ObjectTest, EmptyObjectStillDrawsAndAnOversizedOneIsRefused) {
  auto draws = Draw(MakeImage({}, {}, false));
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_TRUE(draws[0].lVertices.empty());
  EXPECT_TRUE(draws[0].indices.empty());

  std::vector<std::uint8_t> oversized(12, 0);
  const std::int32_t n = ObjectVertexCapacity + 1;
  std::memcpy(oversized.data(), &n, 4);
  EXPECT_TRUE(Draw(oversized).empty());
}

}  // namespace
