// Textures from bitmap resources (BMP decoding), from memory and from the back buffer.
#include <cstring>
#include <random>

#include "platform/d3d/span_kernels.h"
#include "platform/d3d/texture.h"
#include "platform/win32/resources.h"
#include "tests/platform_d3d/device_fixture.h"
#include "tests/support/bmp.h"

namespace {

// Distinct corners of a 6 x 5 picture; grey elsewhere.
std::uint32_t Corners(int x, int y) {
  if (x == 0 && y == 0) return 0xFF0000;
  if (x == 5 && y == 0) return 0x00FF00;
  if (x == 0 && y == 4) return 0x0000FF;
  if (x == 5 && y == 4) return 0xFFFFFF;
  return 0x808080;
}

std::uint32_t PaletteColour(int i, int) { return static_cast<std::uint32_t>(i) * 0x203040u; }

class BitmapTexture : public DeviceTest {
 public:
  void TearDown() override {
    platform::UnregisterBitmapResource(kId);
    DeviceTest::TearDown();
  }
  HRESULT Load(const std::vector<std::uint8_t>& bmp, DWORD& width, DWORD& height) {
    bytes = bmp;
    platform::RegisterBitmapResource(kId, bytes.data(), bytes.size());
    D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
    width = height = 0;
    texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFile(device, nullptr, &width, &height, &format, nullptr,
                                               &texture, nullptr, MAKEINTRESOURCEA(kId), D3DX_FT_LINEAR);
    if (texture) textures.push_back(texture);
    return result;
  }
  std::uint16_t Texel(int x, int y) { return texture->texture()->pixels()[y * texture->texture()->width() + x]; }

  static constexpr int kId = 4321;
  std::vector<std::uint8_t> bytes;
  IDirectDrawSurface7* texture = nullptr;
};

TEST_F(BitmapTexture, TwentyFourBitEitherWayUpAndEightBitWithPaletteAndPaddedRows) {
  for (bool bottomUp : {true, false}) {
    DWORD w, h;
    ASSERT_EQ(Load(testsupport::MakeBmp(6, 5, 24, bottomUp, Corners), w, h), S_OK);
    EXPECT_TRUE(w == 6 && h == 5);
    EXPECT_EQ(std::vector<std::uint16_t>({Texel(0, 0), Texel(5, 0), Texel(0, 4), Texel(5, 4)}),
              std::vector<std::uint16_t>({Rgb565(255, 0, 0), Rgb565(0, 255, 0), Rgb565(0, 0, 255), 0xFFFF}))
        << "corners, bottom-up " << bottomUp;
  }
  DWORD w, h;  // 8 bits with a palette, rows padded to 4 bytes
  ASSERT_EQ(Load(testsupport::MakeBmp(7, 3, 8, true, PaletteColour, 5), w, h), S_OK);
  EXPECT_TRUE(w == 7 && h == 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      const std::uint32_t c = PaletteColour((x + 2 * y) % 5, 0);
      ASSERT_EQ(Texel(x, y), Rgb565(c >> 16, (c >> 8) & 0xFF, c & 0xFF)) << x << "," << y;
    }
}

TEST_F(BitmapTexture, MalformedOrMissingBitmapsAreRefused) {
  DWORD w, h;
  std::vector<std::uint8_t> good = testsupport::MakeBmp(6, 5, 24, true, Corners);
  std::vector<std::uint8_t> truncated(good.begin(), good.end() - 7);
  EXPECT_EQ(Load(truncated, w, h), D3DXERR_INVALIDPARAMETER);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(Load(std::vector<std::uint8_t>(good.begin(), good.begin() + 20), w, h), D3DXERR_INVALIDPARAMETER);
  std::vector<std::uint8_t> compressed = good;
  compressed[30] = 1;  // RLE
  EXPECT_EQ(Load(compressed, w, h), D3DXERR_INVALIDPARAMETER);
  std::vector<std::uint8_t> badIndex = testsupport::MakeBmp(7, 3, 8, true, PaletteColour, 5);
  badIndex[badIndex.size() - 4] = 9;  // past the 5 palette entries
  EXPECT_EQ(Load(badIndex, w, h), D3DXERR_INVALIDPARAMETER);
  platform::UnregisterBitmapResource(kId);
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* none = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFile(device, nullptr, &w, &h, &format, nullptr, &none, nullptr,
                                      MAKEINTRESOURCEA(kId), D3DX_FT_LINEAR),
            D3DXERR_TEXTURENOTFOUND);
}

using TextureLoads = DeviceTest;

TEST_F(TextureLoads, CreateReportsWhatWasMadeAndMemoryLoadsCopyRows) {
  DWORD w = 128, h = 2048;
  D3DX_SURFACEFORMAT format = D3DX_SF_UNKNOWN;
  IDirectDrawSurface7* texture = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &texture, nullptr), S_OK);
  textures.push_back(texture);
  EXPECT_TRUE(w == 128 && h == 1024 && format == D3DX_SF_R5G6B5) << "clamped to 1024, always R5G6B5";
  std::vector<std::uint16_t> rows(128 * 1024);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint16_t>(i * 7);
  const auto load = [&](IDirectDrawSurface7* to, void* from) {
    return D3DXLoadTextureFromMemory(device, to, 0, from, nullptr, D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT);
  };
  ASSERT_EQ(load(texture, rows.data()), S_OK);
  EXPECT_EQ(std::memcmp(texture->texture()->pixels(), rows.data(), rows.size() * 2), 0);
  EXPECT_TRUE(load(texture, nullptr) < 0 && load(nullptr, rows.data()) < 0) << "no source or no texture";
}

// Widening and block maxima of the wide loops against the plain ones, on widths that leave a
// part-vector tail and rows partly rewritten.
TEST(TextureKernels, WideWideningAndBlockMaximaMatchThePlainLoops) {
  if (!SelectSpanKernels(true)) GTEST_SKIP() << "no wide loops on this processor";
  std::mt19937 random(3);
  for (const auto& [width, height] : {std::pair{36, 4}, std::pair{64, 8}, std::pair{8, 28}, std::pair{45, 3}}) {
    Texture plain(width, height), wide(width, height);
    for (int i = 0; i < width * height; ++i) plain.pixels()[i] = wide.pixels()[i] = static_cast<std::uint16_t>(random());
    SelectSpanKernels(false);
    plain.Widen(height / 3, height);
    SelectSpanKernels(true);
    wide.Widen(height / 3, height);
    EXPECT_TRUE(std::equal(plain.widened(), plain.widened() + width * height, wide.widened())) << width;
    if (!plain.powerOfTwo()) continue;
    SelectSpanKernels(false);
    const std::vector<std::uint32_t> plainMaxima = plain.blockMaxima();
    SelectSpanKernels(true);
    EXPECT_EQ(wide.blockMaxima(), plainMaxima) << width << " x " << height;
  }
}

}  // namespace
