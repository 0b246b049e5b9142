// Objects drawn by the software device through the start-up projection: where their pixels land
// and how far they reach.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "headless_device.h"
#include "platform/d3d/texture.h"
#include "render/object.h"
#include "render/quad.h"
#include "shell/graphics.h"
#include "tools/obj/obu_file.h"

namespace {

ObjectMesh Sphere(float radius, int rings, int segments) {
  constexpr float Pi = 3.14159265f;
  ObjectMesh mesh;
  for (int r = 0; r <= rings; ++r) {
    for (int s = 0; s <= segments; ++s) {
      const float theta = Pi * r / rings, phi = 2.0f * Pi * s / segments;
      const Vector3 n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
      mesh.positions.push_back({n.x * radius, n.y * radius, n.z * radius});
      mesh.normals.push_back(n);
      mesh.texCoords.push_back({0.5f, 0.5f});
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

using CaptureTest = ToolkitTest;

TEST_F(CaptureTest, ObjectsLandWhereTheStartUpProjectionPutsThem) {
  d3drec::SetRasterizing(true);
  DWORD flags = 0, width = 8, height = 8;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* white = nullptr;
  ASSERT_GE(D3DXCreateTexture(Device, &flags, &width, &height, &format, nullptr, &white, nullptr), 0);
  std::vector<std::uint16_t> texels(8 * 8, 0xFFFF);
  ASSERT_GE(D3DXLoadTextureFromMemory(Device, white, 0, texels.data(), nullptr, D3DX_SF_R5G6B5, 0, nullptr,
                                      D3DX_FT_POINT), 0);
  std::vector<std::uint8_t> sphere;
  std::string error;
  ASSERT_TRUE(EncodeObu(Sphere(20.0f, 16, 24), &sphere, &error)) << error;

  Context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  Device->BeginScene();
  Device->SetTexture(0, white);
  BlendOff();
  DepthTestOn();
  AmbientColour = {120.0f, 120.0f, 120.0f};
  LightCount = 0;
  ViewOffset = {0.0f, 0.0f, 150.0f};
  DrawObject(sphere.data(), -40.0f, 0.0f, 0.0f, 1.0f, 90.0f, 0.0f, 0.0f);
  DrawObject(sphere.data(), 50.0f, 0.0f, 0.0f, 1.0f, 40.0f, 0.0f, 0.0f);
  Device->EndScene();
  const std::uint16_t* frame = BackBuffer->texture()->pixels();
  const auto at = [&](int x, int y) { return frame[y * 640 + x]; };

  // Centres through the widened start-up projection, x = (1 + x * 1.8585827 / z) * 320; a radius
  // of 20 at depth 150 reaches about 80 pixels across but only 64 down: the start-up projection
  // is widened by the same amount on both axes, so it is not square.
  for (float x : {-40.0f, 50.0f}) {
    const int centre = static_cast<int>((1.0f + x * 1.8585827f / 150.0f) * 320.0f);
    EXPECT_NE(at(centre, 240), 0) << x;
    EXPECT_NE(at(centre - 70, 240), 0) << x;
    EXPECT_NE(at(centre + 70, 240), 0) << x;
    EXPECT_NE(at(centre, 240 - 55), 0) << x;
    EXPECT_EQ(at(centre - 90, 240), 0) << x;
    EXPECT_EQ(at(centre + 90, 240), 0) << x;
    EXPECT_EQ(at(centre, 240 - 75), 0) << x;
    EXPECT_EQ(at(centre, 240 + 75), 0) << x;
  }
  white->Release();
}

}  // namespace
