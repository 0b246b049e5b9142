// Textures from bitmap resources (BMP decoding), from memory and from the back buffer.
#include <cstring>
#include <random>

#include "platform/d3d/span_kernels.h"
#include "platform/d3d/texture.h"
#include "platform/win32/resources.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// An uncompressed BMP: 24-bit from colour(x, y) = 0xRRGGBB, or 8-bit with index(x, y) into a
// palette of paletteSize entries (entry i = colour(i, 0)). Top row first unless bottomUp.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, bool bottomUp,
                                  std::uint32_t (*colour)(int, int), int paletteSize = 0) {
  std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  std::size_t paletteBytes = bits == 8 ? 4 * paletteSize : 0;
  std::size_t offset = 14 + 40 + paletteBytes;
  std::vector<std::uint8_t> b(offset + stride * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(bottomUp ? height : -height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(b, 46, static_cast<std::uint32_t>(paletteSize));
  for (int i = 0; i < paletteSize; ++i) {
    std::uint32_t c = colour(i, 0);
    b[54 + 4 * i] = c & 0xFF;
    b[55 + 4 * i] = (c >> 8) & 0xFF;
    b[56 + 4 * i] = (c >> 16) & 0xFF;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.data() + offset + stride * (bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>((x + 2 * y) % paletteSize);
      } else {
        std::uint32_t c = colour(x, y);
        row[3 * x] = c & 0xFF;
        row[3 * x + 1] = (c >> 8) & 0xFF;
        row[3 * x + 2] = (c >> 16) & 0xFF;
      }
    }
  }
  return b;
}

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

TEST_F(BitmapTexture, TwentyFourBitBottomUpAndTopDownKeepTheirSizeAndCorners) {
  for (bool bottomUp : {true, false}) {
    DWORD w, h;
    ASSERT_EQ(Load(MakeBmp(6, 5, 24, bottomUp, Corners), w, h), S_OK);
    EXPECT_TRUE(w == 6 && h == 5);
    EXPECT_EQ(std::vector<std::uint16_t>({Texel(0, 0), Texel(5, 0), Texel(0, 4), Texel(5, 4)}),
              std::vector<std::uint16_t>({Rgb565(255, 0, 0), Rgb565(0, 255, 0), Rgb565(0, 0, 255), 0xFFFF}))
        << "corners, bottom-up " << bottomUp;
  }
}

TEST_F(BitmapTexture, EightBitWithPaletteAndPaddedRows) {
  DWORD w, h;
  ASSERT_EQ(Load(MakeBmp(7, 3, 8, true, PaletteColour, 5), w, h), S_OK);
  EXPECT_TRUE(w == 7 && h == 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      const std::uint32_t c = PaletteColour((x + 2 * y) % 5, 0);
      ASSERT_EQ(Texel(x, y), Rgb565(c >> 16, (c >> 8) & 0xFF, c & 0xFF)) << x << "," << y;
    }
}

TEST_F(BitmapTexture, MalformedOrMissingBitmapsAreRefused) {
  DWORD w, h;
  std::vector<std::uint8_t> good = MakeBmp(6, 5, 24, true, Corners);
  std::vector<std::uint8_t> truncated(good.begin(), good.end() - 7);
  EXPECT_EQ(Load(truncated, w, h), D3DXERR_INVALIDPARAMETER);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(Load(std::vector<std::uint8_t>(good.begin(), good.begin() + 20), w, h), D3DXERR_INVALIDPARAMETER);
  std::vector<std::uint8_t> compressed = good;
  compressed[30] = 1;  // RLE
  EXPECT_EQ(Load(compressed, w, h), D3DXERR_INVALIDPARAMETER);
  std::vector<std::uint8_t> badIndex = MakeBmp(7, 3, 8, true, PaletteColour, 5);
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
