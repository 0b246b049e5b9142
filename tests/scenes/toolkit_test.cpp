// The drawing toolkit through the call recorder: quad corners, grey and texture origin; lights
// placed on their sphere; objects transformed, lit, culled and textured as their files say.
#include <cmath>
#include <cstring>
#include <vector>

#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_test.h"
#include "shell/graphics.h"

namespace {

using Kind = d3drec::Call::Kind;

void ExpectNear(float x, float y, float z, Vector3 expected, const char* rule, float tolerance = 1e-3f) {
  EXPECT_NEAR(x, expected.x, tolerance) << rule;
  EXPECT_NEAR(y, expected.y, tolerance) << rule;
  EXPECT_NEAR(z, expected.z, tolerance) << rule;
}

class QuadTest : public ToolkitTest {
 protected:
  // The four recorded vertices of one quad.
  std::vector<D3DTLVERTEX> Draw(float size, float angle, int brightness, float dx = 0.0f, float dy = 0.0f) {
    d3drec::ClearCalls();
    DrawQuad(size, angle, brightness, dx, dy);
    const auto draws = CallsOf(Kind::DrawPrimitive);
    EXPECT_EQ(draws.size(), 1u);
    return draws.empty() ? std::vector<D3DTLVERTEX>(4) : draws[0].tlVertices;
  }
  void ExpectCorner(float size, float angle, int corner, float x, float y, const char* rule) {
    const D3DTLVERTEX v = Draw(size, angle, 255)[corner];
    ExpectNear(v.sx, v.sy, 0, {x, y, 0}, rule);
  }
};

TEST_F(QuadTest, CornersScaleStretchAndTurnAnticlockwiseAboutTheCentre) {
  ExpectCorner(1.0f, 0.0f, 1, 639.0f, 0.0f, "size 1 covers the screen less a pixel");
  ExpectCorner(-1.0f, 0.0f, 0, 640.0f, 480.0f, "a negative size mirrors through the centre");
  ExpectCorner(1.0f, 256.0f, 3, 559.0f, -79.0f, "a quarter turn is anticlockwise as seen");
  ExpectNear(WorkVector.x, WorkVector.y, 0, {239.0f, -319.0f, 0}, "WorkVector keeps corner 3's turned offsets");
  for (const D3DTLVERTEX& corner : Draw(0.0f, 100.0f, 255, 12.5f, -7.0f))
    ExpectNear(corner.sx, corner.sy, 0, {332.5f, 233.0f, 0}, "the shift moves the centre");
  QuadStretch = {2.0f, 1.0f};
  ExpectCorner(1.0f, 0.0f, 3, 958.0f, 479.0f, "stretch scales about the centre");
  QuadStretch = {1.0f, 0.5f};
  const D3DTLVERTEX v = Draw(0.5f, 0.0f, 255, 10.0f, 20.0f)[0];
  ExpectNear(v.sx, v.sy, 0, {170.0f, 200.0f, 0}, "stretch before the shift");
}

TEST_F(QuadTest, GreyFromTheLowEightBitsOneTextureFromTheOriginAndDepthOff) {
  const struct {
    int brightness;
    D3DCOLOR colour;
  } cases[] = {{128, 0x808080}, {255, 0xFFFFFF}, {256, 0x000000}, {300, 0x2C2C2C}, {-1, 0xFFFFFF}};
  for (const auto& c : cases) {
    for (const D3DTLVERTEX& corner : Draw(1.0f, 0.0f, c.brightness)) EXPECT_EQ(corner.color, c.colour) << c.brightness;
  }
  QuadTexOrigin = {0.5f, -0.25f};
  const auto v = Draw(0.3f, 77.0f, 255);
  const float expected[4][2] = {{0.5f, -0.25f}, {1.5f, -0.25f}, {0.5f, 0.75f}, {1.5f, 0.75f}};
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(v[k].tu == expected[k][0] && v[k].tv == expected[k][1]) << "corner " << k;
  DepthTestOn();
  EXPECT_EQ(Draw(1.0f, 0.0f, 255).size(), 4u);
  EXPECT_EQ(CallsOf(Kind::DrawPrimitive)[0].states.zEnable, D3DZB_FALSE);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ZENABLE), static_cast<DWORD>(D3DZB_FALSE)) << "left off after the quad";
  CopyBackBufferToTexture();
  const auto copies = CallsOf(Kind::LoadTextureFromSurface);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_TRUE(copies[0].texture == RenderTextures[2] && copies[0].source == BackBuffer);
}

using LightTest = ToolkitTest;

TEST_F(LightTest, LightsSitOnTheirSphereTurnedXThenYThenZAndTouchNothingElse) {
  for (int i = 0; i < MaxLights; ++i) Lights[i].intensity = static_cast<float>(100 + i);
  LightCount = 3;
  LightParams = {0.0f, 0.0f, 0.0f, 200.0f, 0.25f, 0.5f, 0.75f, 50.0f, 1};
  PlaceLight(0);
  const LightRecord& l = Lights[0];
  ExpectNear(l.position.x, l.position.y, l.position.z, {0, 0, 50}, "unturned: on +z");
  EXPECT_TRUE(l.falloff == 4.0f && l.green == 0.5f && l.allowNegative == 1);
  for (int i : {1, 2, 3, 9}) EXPECT_EQ(Lights[i].intensity, static_cast<float>(100 + i));
  EXPECT_EQ(LightCount, 3);
  const struct {
    float x, y, z;
    Vector3 at;
    const char* rule;
  } turns[] = {{0, 256, 0, {-50, 0, 0}, "a quarter about y"},
               {256, 0, 0, {0, -50, 0}, "a quarter about x"},
               {256, 0, 256, {-50, 0, 0}, "x first, then z"}};
  for (const auto& t : turns) {
    LightParams = {t.x, t.y, t.z, 0.0f, 0.0f, 0.0f, 0.0f, 50.0f, 0};
    PlaceLight(1);
    ExpectNear(Lights[1].position.x, Lights[1].position.y, Lights[1].position.z, t.at, t.rule);
  }
}

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
  const std::int32_t counts[3] = {n, faces, pairs};
  put(0, counts, 12);
  put(12 + 12 * n, indices.data(), 2 * indices.size());
  for (int i = 0; i < n; ++i) {
    put(12 + 12 * i, &vertices[i].position, 12);
    put(normalStart + 12 * i, &vertices[i].normal, 12);
    if (i < pairs) put(texStart + 8 * i, &vertices[i].u, 8);
  }
  return image;
}

class ObjectTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    LightCount = 0;
  }
  // Draws image and returns the recorded draws (one, or none when culled or refused).
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
  const auto draws = Draw(MakeImage({{{1.0f, 1.0f, 0.0f}, {0, 0, 1}}}, {0, 0, 0}, false), {10, 20, 30}, 2.0f, 256.0f,
                          256.0f, 256.0f);
  ASSERT_EQ(draws.size(), 1u);
  // Scaled (2, 3, 0); yaw a quarter turn: (0, 3, 2); placed with the camera offset: (11, 24, 33);
  // view yaw: (-33, 24, 11); view pitch: (-33, -11, 24).
  const D3DLVERTEX& out = draws[0].lVertices[0];
  ExpectNear(out.x, out.y, out.z, {-33, -11, 24}, "transform order");
  LightCount = 1;
  Lights[0] = {{5, 0, -10}, 100.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0};
  ViewOffset = {-5.0f, 0.0f, 0.0f};
  EXPECT_EQ(DrawOne(Origin, {5, 0, 0}).color, 0x646464u) << "lighting sees the placed position, not the offset";
}

TEST_F(ObjectTest, LightingPerChannelClampsAfterEveryLightAndOverflowsIntoSpecular) {
  const auto light = [](Vector3 at, float intensity, float falloff, float r, float g, float b, std::uint8_t negative) {
    return LightRecord{at, intensity, falloff, r, g, b, negative};
  };
  AmbientColour = {10.9f, 300.0f, 0.0f};
  D3DLVERTEX out = DrawOne(Origin);
  EXPECT_TRUE(out.color == 0x0AFF00u && out.specular == 0x002D00u) << "ambient truncates, overflow to specular";
  AmbientColour = {700.0f, 255.0f, 255.5f};
  out = DrawOne(Origin);
  EXPECT_TRUE(out.color == 0xFFFFFFu && out.specular == 0xFF0000u) << "specular caps at 255, fractions stay";
  LightCount = 1;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  Lights[0] = light({0, 0, -10}, 100.0f, 2.0f, 1.0f, 0.5f, -1.0f, 0);
  EXPECT_EQ(DrawOne(Origin).color, 0x502800u) << "100 - 10 x 2 per channel, blue clamped";
  NormalScale = -1.0f;
  AmbientColour = {20.0f, 20.0f, 20.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x141414u) << "a light behind may not darken";
  Lights[0] = light({0, 0, -10}, 100.0f, 2.0f, 1.0f, 0.5f, 1.0f, 1);
  AmbientColour = {200.0f, 200.0f, 0.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x508C00u) << "a negative light pulls down, never below zero";
  NormalScale = 1.0f;
  LightCount = 2;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  Lights[0] = light({-10, 0, 0}, 10.0f, 5.0f, 1.0f, 1.0f, 1.0f, 1);
  Lights[1] = light({0, 0, -1}, 30.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0);
  EXPECT_EQ(DrawOne(Origin).color, 0x1E0000u) << "clamped at zero after each light: 30, not -20";
  LightCount = 0;
  AmbientColour = {-5.0f, 0.0f, 7.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x000007u) << "a negative ambient stays out of the other bytes";
  for (LightRecord& l : Lights) l = light({0, 0, -1}, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0);
  Lights[0].position = {0, 0, 0};
  LightCount = 50;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  EXPECT_EQ(DrawOne(Origin).color, 0x090909u) << "a light on the vertex adds nothing; at most ten lights";
}

TEST_F(ObjectTest, CullingBoxKeepsItsBoundsAndTestsTheTurnedCentre) {
  CullingOff = 0;
  const auto image = MakeImage({Origin}, {0, 0, 0}, false);
  const struct {
    Vector3 at;
    bool drawn;
  } cases[] = {{{0, 0, 400}, true},      {{0, 0, std::nextafter(400.0f, 500.0f)}, false},
               {{0, 0, 0}, true},        {{0, 0, -0.001f}, false},
               {{-400, 0, 10}, true},    {{400.5f, 0, 10}, false},
               {{-401, 0, 10}, false},   {{0, 1e6f, 10}, true}};  // y is not tested
  for (const auto& c : cases) {
    EXPECT_EQ(Draw(image, c.at).size(), c.drawn ? 1u : 0u) << c.at.x << " " << c.at.y << " " << c.at.z;
  }
  EXPECT_EQ(Draw(image, {0, 0, -100}, 1.0f, 0.0f, 512.0f).size(), 1u) << "the view yaw turns the centre first";
  EXPECT_EQ(Draw(image, {0, 0, 100}, 1.0f, 0.0f, 512.0f).size(), 0u);
  CullingOff = 1;
  EXPECT_EQ(Draw(image, {0, 0, 1000}).size(), 1u);
}

TEST_F(ObjectTest, TextureCoordinatesStoredOrFromTurnedNormals) {
  const std::vector<Vertex> vertices = {{{0, 0, 0}, {0.6f, 0.0f, 0.8f}, 0.25f, 0.75f},
                                        {{1, 0, 0}, {0.0f, 1.0f, 0.0f}, 1.5f, -2.0f}};
  const auto stored = MakeImage(vertices, {0, 1, 1, 1, 0, 0}, true);
  UVScale = 2.0f;
  auto v = Draw(stored).at(0).lVertices;
  EXPECT_TRUE(v[0].tu == 0.5f && v[0].tv == 1.5f && v[1].tu == 3.0f && v[1].tv == -4.0f) << "stored, scaled";
  ForceEnvMap = 1;
  NormalScale = -1.0f;
  v = Draw(stored, {0, 0, 0}, 1.0f, 256.0f, 300.0f, 100.0f).at(0).lVertices;
  // (-0.6, 0, -0.8) a quarter turn about y, by the object's yaw only: x' = x cos - z sin = 0.8.
  ExpectNear(v[0].tu, v[0].tv, v[1].tv, {0.8f, 0.0f, -1.0f}, "forced: scaled normals, turned by the yaw", 1e-5f);
  ForceEnvMap = 0;
  NormalScale = 1.0f;
  v = Draw(MakeImage(vertices, {0, 1, 1, 1, 0, 0}, false)).at(0).lVertices;
  EXPECT_TRUE(v[0].tu == 0.6f && v[1].tv == 1.0f) << "no stored pairs: from the normals";
}

TEST_F(ObjectTest, OddFaceCountsShiftTheLaterBlocksEmptyObjectsDrawOversizedOnesAreRefused) {
  // u of vertex 0 has the bit pattern 0x3F800001: its low half, 1, is the last face index.
  float u0;
  const std::uint32_t bits = 0x3F800001;
  std::memcpy(&u0, &bits, 4);
  const std::vector<Vertex> vertices = {{{0, 0, 0}, {1, 0, 0}, u0, 0.5f},
                                        {{1, 0, 0}, {0, 1, 0}, 0.125f, 0.25f},
                                        {{0, 1, 0}, {0, 0, 1}, 0.375f, 0.625f}};
  const auto image = MakeImage(vertices, {0, 1, 2, 2, 1, 0, 1, 2, 0}, true);
  const d3drec::Call draw = Draw(image).at(0);
  ASSERT_EQ(draw.lVertices.size(), 3u);
  EXPECT_TRUE(draw.lVertices[0].tu == u0 && draw.lVertices[2].tu == 0.375f && draw.lVertices[2].tv == 0.625f);
  EXPECT_EQ(draw.indices, (std::vector<WORD>{0, 1, 2, 2, 1, 0, 1, 2, 1}));
  ForceEnvMap = 1;  // normals come from after the face records
  const auto n = Draw(image).at(0).lVertices;
  EXPECT_TRUE(n[0].tu == 1.0f && n[1].tv == 1.0f && n[2].tu == 0.0f) << "normals after the shifted records";
  const auto draws = Draw(MakeImage({}, {}, false));
  ASSERT_EQ(draws.size(), 1u) << "an empty object still draws";
  EXPECT_TRUE(draws[0].lVertices.empty() && draws[0].indices.empty());
  std::vector<std::uint8_t> oversized(12, 0);
  const std::int32_t tooMany = ObjectVertexCapacity + 1;
  std::memcpy(oversized.data(), &tooMany, 4);
  EXPECT_TRUE(Draw(oversized).empty());
}

}  // namespace
