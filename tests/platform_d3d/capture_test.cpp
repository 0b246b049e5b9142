// A picture of a test scene for the eye: a textured background, turned additive quads, a keyed
// quad and a lit, textured sphere in front of them. Written to korvo_device_scene.png in the test
// run's temporary folder.
#include <cmath>

#include "platform/capture/png_writer.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

using Capture = DeviceTest;

TEST_F(Capture, TestSceneIsWrittenAndTheSphereHidesWhatIsBehindIt) {
  std::vector<std::uint16_t> checker(64 * 64), rings(64 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      checker[y * 64 + x] = ((x / 8 + y / 8) & 1) ? Rgb565(240, 160, 40) : Rgb565(30, 40, 120);
      float r = std::hypot(x - 31.5f, y - 31.5f);
      rings[y * 64 + x] = (static_cast<int>(r) % 8 < 2) ? Rgb565(200, 220, 255) : 0;
    }
  }
  IDirectDrawSurface7* background = MakeTexture(64, 64, checker);
  IDirectDrawSurface7* glow = MakeTexture(64, 64, rings);
  DDCOLORKEY key{0, 0x02020202};
  glow->SetColorKey(DDCKEY_SRCBLT, &key);

  device->SetTexture(0, background);
  DrawRect(0, 0, 639, 479, 0x909090, 0, 0, 0, 4, 3);
  device->SetTexture(0, glow);
  Additive(true);
  for (int k = 0; k < 6; ++k) {
    float a = 0.35f * k, size = 0.6f + 0.25f * k, c = std::cos(a), s = std::sin(a);
    const float corners[4][2] = {{-240, -240}, {239, -240}, {-240, 239}, {239, 239}};
    D3DTLVERTEX v[4];
    for (int i = 0; i < 4; ++i) {
      float x = corners[i][0] * size, y = corners[i][1] * size;
      v[i] = {x * c + y * s + 320, y * c - x * s + 240, 0.99999f, 1, 0x402010u * (k + 1) / 2, 0,
              static_cast<float>(i & 1), static_cast<float>(i >> 1)};
    }
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0);
  }
  Additive(false);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawRect(420, 300, 620, 460, 0xFFFFFF);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);

  // The shell's widened projection; a sphere of radius 60 at depth 250, lit from the upper left.
  D3DMATRIX m;
  device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
  m._11 += 1.3955555f;
  m._22 += 1.3955555f;
  device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  device->SetTexture(0, background);
  std::vector<D3DLVERTEX> vertices;
  std::vector<WORD> indices;
  const int rings_ = 24, segments = 36;
  for (int r = 0; r <= rings_; ++r) {
    for (int s = 0; s <= segments; ++s) {
      float a = 3.14159f * r / rings_, b = 6.28318f * s / segments;
      float nx = std::sin(a) * std::cos(b), ny = std::cos(a), nz = -std::sin(a) * std::sin(b);
      float light = std::max(0.0f, -0.5f * nx + 0.6f * ny - 0.62f * nz) * 380 + 30;
      DWORD diffuse = static_cast<DWORD>(std::min(light, 255.0f)) * 0x010101u;
      DWORD specular = static_cast<DWORD>(std::clamp(light - 255, 0.0f, 255.0f)) * 0x010101u;
      vertices.push_back({60 * nx - 40, 60 * ny + 10, 250 + 60 * nz, 0, diffuse, specular, 2.0f * s / segments,
                          1.0f * r / rings_});
    }
  }
  for (int r = 0; r < rings_; ++r) {
    for (int s = 0; s < segments; ++s) {
      WORD a = static_cast<WORD>(r * (segments + 1) + s), b = static_cast<WORD>(a + segments + 1);
      indices.insert(indices.end(), {a, b, static_cast<WORD>(a + 1), static_cast<WORD>(a + 1), b,
                                     static_cast<WORD>(b + 1)});
    }
  }
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, vertices.data(),
                                         static_cast<DWORD>(vertices.size()), indices.data(),
                                         static_cast<DWORD>(indices.size()), 0),
            D3D_OK);
  // Centre of the sphere: x = 320 + 320 * 1.8586 * -40 / 190, y = 240 - 240 * 2.0129 * 10 / 190.
  EXPECT_LT(Depth(195, 215), 0xFFFF);
  EXPECT_EQ(Depth(600, 40), 0xFFFF);
  std::string fault;
  EXPECT_TRUE(platform::WritePng(testing::TempDir() + "korvo_device_scene.png", frame(), 640, 480, &fault)) << fault;
}

}  // namespace
