// Draws lit objects (stored and normal-derived texture coordinates) and a few quads with the software device, writes the frame to
// /tmp/korvo-toolkit-capture.png for a look, and checks that the objects land where the
// start-up projection puts them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "headless_device.h"
#include "platform/capture/png_writer.h"
#include "platform/d3d/texture.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "shell/graphics.h"
#include "tools/obj/obu_file.h"

namespace {

constexpr float Pi = 3.14159265f;

ObjectMesh Sphere(float radius, int rings, int segments) {
  ObjectMesh mesh;
  for (int r = 0; r <= rings; ++r) {
    const float theta = Pi * r / rings;
    for (int s = 0; s <= segments; ++s) {
      const float phi = 2.0f * Pi * s / segments;
      const Vector3 n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
      mesh.positions.push_back({n.x * radius, n.y * radius, n.z * radius});
      mesh.normals.push_back(n);
      mesh.texCoords.push_back({2.0f * s / segments, 1.0f * r / rings});
    }
  }
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const int a = r * (segments + 1) + s, b = a + segments + 1;
      mesh.faces.push_back({a, a + 1, b});
      mesh.faces.push_back({a + 1, b + 1, b});
    }
  }
  return mesh;
}

// A 64 x 64 texture with four differently coloured quarters crossed by a grid.
IDirectDrawSurface7* CheckerTexture() {
  DWORD flags = 0, width = 64, height = 64;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* texture = nullptr;
  EXPECT_GE(D3DXCreateTexture(Device, &flags, &width, &height, &format, nullptr, &texture, nullptr), 0);
  std::vector<std::uint16_t> pixels(64 * 64);
  const std::uint16_t quarters[4] = {0xF800, 0x07E0, 0x001F, 0xFFE0};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool grid = x % 8 == 0 || y % 8 == 0;
      pixels[y * 64 + x] = grid ? 0xFFFF : quarters[(y / 32) * 2 + x / 32];
    }
  }
  EXPECT_GE(D3DXLoadTextureFromMemory(Device, texture, 0, pixels.data(), nullptr, D3DX_SF_R5G6B5, 0, nullptr,
                                      D3DX_FT_POINT),
            0);
  return texture;
}

class CaptureTest : public ToolkitTest {
 protected:
  std::vector<std::uint16_t> Frame() {
    const std::uint16_t* pixels = BackBuffer->texture()->pixels();
    return {pixels, pixels + 640 * 480};
  }

  void Background(IDirectDrawSurface7* texture) {
    Context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    Device->BeginScene();
    Device->SetTexture(0, texture);
    BlendOff();
    DrawQuad(1.0f, 0.0f, 70, 0.0f, 0.0f);
    AdditiveBlendOn();
    QuadTexOrigin = {0.25f, 0.0f};
    DrawQuad(0.35f, 100.0f, 255, -190.0f, -130.0f);
    QuadStretch = {2.0f, 0.5f};
    DrawQuad(0.2f, -60.0f, 300, 180.0f, 170.0f);
    BlendOff();
  }
};

TEST_F(CaptureTest, LitObjectsOverQuads) {
  d3drec::SetRasterizing(true);
  IDirectDrawSurface7* checker = CheckerTexture();
  std::vector<std::uint8_t> sphere;
  std::string error;
  ASSERT_TRUE(EncodeObu(Sphere(20.0f, 16, 24), &sphere, &error)) << error;

  Background(checker);
  Device->EndScene();
  const std::vector<std::uint16_t> quadsOnly = Frame();

  QuadStretch = {1.0f, 1.0f};
  QuadTexOrigin = {0.0f, 0.0f};
  Background(checker);
  DepthTestOn();
  NormalScale = -1.0f;  // outward normals face away from d, which runs from light to vertex
  AmbientColour = {25.0f, 25.0f, 35.0f};
  LightCount = 2;
  // Lights orbit the origin, where the objects are lit; the camera offset moves them into view.
  LightParams = {-60.0f, 400.0f, 0.0f, 1500.0f, 1.0f, 0.9f, 0.7f, 120.0f, 0};
  PlaceLight(0);
  LightParams.angleY = -400.0f;
  LightParams.red = 0.2f;
  LightParams.green = 0.4f;
  LightParams.blue = 1.0f;
  PlaceLight(1);
  ViewOffset = {0.0f, 0.0f, 150.0f};
  CullingOff = 0;
  DrawObject(sphere.data(), -40.0f, 0.0f, 0.0f, 1.0f, 90.0f, 0.0f, 0.0f);
  ForceEnvMap = 1;  // the second one textured from its normals
  ScaleBias = {0.0f, -0.4f, 0.0f};
  DrawObject(sphere.data(), 50.0f, 0.0f, 0.0f, 1.0f, 40.0f, 0.0f, 0.0f);
  ForceEnvMap = 0;
  ScaleBias = {0.0f, 0.0f, 0.0f};
  DrawObject(sphere.data(), 0.0f, 0.0f, -200.0f, 1.0f, 0.0f, 0.0f, 0.0f);  // behind the camera: culled
  Device->EndScene();
  const std::vector<std::uint16_t> frame = Frame();
  EXPECT_TRUE(platform::WritePng("/tmp/korvo-toolkit-capture.png", frame.data(), 640, 480));

  // Centres through the widened start-up projection: x = (1 + x * 1.8585827 / z) * 320.
  const int sphereX = static_cast<int>((1.0f - 40.0f * 1.8585827f / 150.0f) * 320.0f);
  const int rightX = static_cast<int>((1.0f + 50.0f * 1.8585827f / 150.0f) * 320.0f);
  EXPECT_NE(frame[240 * 640 + sphereX], quadsOnly[240 * 640 + sphereX]);
  EXPECT_NE(frame[240 * 640 + rightX], quadsOnly[240 * 640 + rightX]);
  // Beyond the sphere's silhouette (radius 20 at depth 150 is about 79 pixels) nothing changed.
  EXPECT_EQ(frame[240 * 640 + sphereX - 90], quadsOnly[240 * 640 + sphereX - 90]);
  EXPECT_EQ(frame[20 * 640 + 320], quadsOnly[20 * 640 + 320]);
  checker->Release();
}

}  // namespace
