// Colour table entries, the conversion's index arithmetic, and the post-process maps and walks.
#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "assets/colour_table.h"
#include "assets/post_process_maps.h"
#include "codec_test_support.h"

namespace {

int Red(std::uint16_t p) { return p >> 11; }
int Green(std::uint16_t p) { return (p >> 5) & 63; }
int Blue(std::uint16_t p) { return p & 31; }

TEST(ColourTable, BlackWhiteAndTheDampedEnds) {
  EXPECT_EQ(ColourTableEntry(16, 32, 32), 0x0000);
  EXPECT_EQ(ColourTableEntry(235, 32, 32), 0xFFFF);
  // Strong red chroma: full at luma 248, almost grey at 249, gone below luma 16 too.
  const std::uint16_t full = ColourTableEntry(248, 63, 32);
  const std::uint16_t damped = ColourTableEntry(249, 63, 32);
  EXPECT_EQ(Red(full), 31);
  EXPECT_LT(Green(full), 50);
  EXPECT_EQ(Green(damped), 63);
  EXPECT_EQ(Red(damped), 31);
  EXPECT_EQ(ColourTableEntry(0, 63, 0), 0x0000);  // chroma / 16 cannot lift l = -18.6
  // Luma 15: chroma divided by 1 only.
  EXPECT_GT(Red(ColourTableEntry(15, 63, 32)), 20);
  // Cb drives blue only through 2.018 and green through -0.391.
  const std::uint16_t blue = ColourTableEntry(128, 32, 63);
  EXPECT_EQ(Blue(blue), 31);
  EXPECT_EQ(Red(blue), (static_cast<int>((128 - 16) * 1.164f) >> 3));
}

TEST_F(DecoderTest, ConversionMatchesPlainTableReadsOnRandomPixels) {
  OnBothVectorPaths([] {
    std::mt19937 random(3);
    std::vector<std::uint8_t> picture(DecodedPictureBytes);
    for (auto& b : picture) b = static_cast<std::uint8_t>(random());  // chroma of 64 and more too
    picture[0] = picture[1] = picture[2] = 255;  // the table's last entry
    for (const auto& [width, height] : {std::pair{256, 256}, {37, 5}, {16, 3}, {15, 2}}) {
      const int pitch = 2 * width + 6;  // rows of the destination wider than the picture's
      std::vector<std::uint16_t> out(pitch / 2 * height, 0x1234), expected = out;
      for (int r = 0; r < height; ++r) {
        for (int x = 0; x < width; ++x) {
          const std::uint8_t* pixel = &picture[4 * (r * width + x)];
          expected[r * pitch / 2 + x] = ColourTable[((pixel[0] * 64) | pixel[1]) * 64 | pixel[2]];
        }
      }
      ConvertPicture(picture.data(), out.data(), pitch, width, height);
      ASSERT_EQ(out, expected) << width << " x " << height;
    }
    // Every (Y, Cr6, Cb6): a row of the 4096 chroma pairs per luma value.
    std::vector<std::uint16_t> row(4096);
    for (int y = 0; y < 256; ++y) {
      for (int c = 0; c < 4096; ++c) {
        picture[4 * c] = static_cast<std::uint8_t>(y);
        picture[4 * c + 1] = static_cast<std::uint8_t>(c >> 6);
        picture[4 * c + 2] = static_cast<std::uint8_t>(c & 63);
      }
      ConvertPicture(picture.data(), row.data(), 8192, 4096, 1);
      ASSERT_TRUE(std::equal(row.begin(), row.end(), ColourTable + 4096 * y)) << "luma " << y;
    }
    const std::vector<std::uint16_t> before = row;
    ConvertPicture(picture.data(), row.data(), 8, 2, 0);
    ConvertPicture(picture.data(), row.data(), 8, 2, -1);
    EXPECT_EQ(row, before) << "no rows: nothing written";
  });
}

class PostProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FrameWidth = 256;
    for (int p = 0; p < 65536; ++p) {
      DecodedPicture[4 * p] = static_cast<std::uint8_t>(p);
      DecodedPicture[4 * p + 1] = static_cast<std::uint8_t>(p % 64);
      DecodedPicture[4 * p + 2] = static_cast<std::uint8_t>(63 - p % 64);
      DecodedPicture[4 * p + 3] = 0x5A;
    }
  }
  static std::uint8_t Luma(int x, int y) { return DecodedPicture[4 * (y * FrameWidth + x)]; }
};

TEST_F(PostProcessTest, LumaMaps) {
  AdjustLuma(1.0f, 1.0f, DecodedPicture, 0, 0, 0, 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(LumaMap[i], i);
  AdjustLuma(0.5f, 0.0f, DecodedPicture, 0, 0, 0, 0);
  EXPECT_EQ(LumaMap[0], 64);
  EXPECT_EQ(LumaMap[255], 64);
  AdjustLuma(1.0f, -1.4f, DecodedPicture, 0, 0, 0, 0);
  EXPECT_EQ(LumaMap[0], 255);
  EXPECT_EQ(LumaMap[255], 0);
  EXPECT_EQ(LumaMap[128], 128);
  EXPECT_EQ(LumaMap[100], 167);  // 128 + 28 x 1.4 = 167.2
  AdjustLuma(0.8f, 1.2f, DecodedPicture, 0, 0, 0, 0);
  EXPECT_EQ(LumaMap[200], 171);  // (72 x 1.2 + 128) x 0.8 = 171.52
  EXPECT_EQ(LumaMap[250], 204);  // clamped at 255 before the gain
}

TEST_F(PostProcessTest, ChromaMapsAndOutOfRangeBytes) {
  AdjustChroma(1.5f, 0.0f, DecodedPicture + 1, 0, 0, 0, 0);
  EXPECT_EQ(ChromaMap[32], 32);
  EXPECT_EQ(ChromaMap[40], 44);
  EXPECT_EQ(ChromaMap[63], 63);
  EXPECT_EQ(ChromaMap[0], 0);
  EXPECT_EQ(ChromaMap[10], 0);  // -33 clamps to -32
  AdjustChroma(1.0f, 4.5f, DecodedPicture + 1, 0, 0, 0, 0);
  EXPECT_EQ(ChromaMap[20], 24);  // -12 + 4.5 + 32 = 24.5, truncated
  // A byte of 64 or more maps as 63 does.
  DecodedPicture[1] = 200;
  DecodedPicture[4 + 1] = 64;
  AdjustChroma(1.5f, -10.0f, DecodedPicture + 1, 0, 0, 2, 1);
  EXPECT_EQ(DecodedPicture[1], ChromaMap[63]);
  EXPECT_EQ(DecodedPicture[5], ChromaMap[63]);
  EXPECT_EQ(DecodedPicture[2], 63) << "the Cb byte beside it is untouched";
}

TEST_F(PostProcessTest, CallbacksWalkTheirRectangles) {
  InvertLumaEffect();  // 255 x 255: row 255 and column 255 keep their values
  EXPECT_EQ(Luma(254, 254), LumaMap[static_cast<std::uint8_t>(254 * 256 + 254)]);
  EXPECT_EQ(Luma(255, 10), static_cast<std::uint8_t>(10 * 256 + 255));
  EXPECT_EQ(Luma(10, 255), static_cast<std::uint8_t>(255 * 256 + 10));
  EXPECT_EQ(DecodedPicture[3], 0x5A);
  SetUp();
  BoostContrastEffect();  // 256 x 256: the corner pixel too
  EXPECT_EQ(Luma(255, 255), LumaMap[255]);
  PulsingContrastEffect(0.0f);  // flat where the sine is zero
  for (int p = 0; p < 65536; p += 997) ASSERT_EQ(DecodedPicture[4 * p], 76) << "pixel " << p;
}

}  // namespace
