// The picture-making tools under the bitmaps: colour-key separation, tiling blur and noise,
// the font's stamping and wrapping, and the palette quantiser.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/art/canvas.h"
#include "tools/art/font.h"
#include "tools/art/noise.h"
#include "tools/art/quantize.h"

namespace art {
namespace {

TEST(ColourKey, SurvivalFollowsThe16BitValueAgainstTheLimit) {
  // 0x0202 is red 0, green 16 (6 bits), blue 2 (5 bits): keyed; one step more blue is kept.
  EXPECT_FALSE(SurvivesKey(0, 64, 16, 0x0202));
  EXPECT_TRUE(SurvivesKey(0, 64, 24, 0x0202));
  EXPECT_TRUE(SurvivesKey(8, 0, 0, 0x0202));   // any red above the lowest 5-bit step
  EXPECT_FALSE(SurvivesKey(7, 60, 255, 0x0202));
  EXPECT_FALSE(SurvivesKey(0, 32, 8, 0x0101));
  EXPECT_TRUE(SurvivesKey(0, 36, 0, 0x0101));
}

TEST(ColourKey, SeparationLeavesOnlyBlackOrKeptColours) {
  Canvas c(4, 1);
  c.At(0, 0) = {0, 0, 0};
  c.At(1, 0) = {0.01f, 0.01f, 0.02f};  // dim: becomes black
  c.At(2, 0) = {0.0f, 0.2f, 0.3f};     // keyed but bright: raised to the dimmest kept red
  c.At(3, 0) = {0.5f, 0.4f, 0.1f};     // already kept: untouched
  SeparateFromKey(c, 0.05f);
  std::vector<std::uint8_t> rgb = ToRgb8(c);
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t* p = &rgb[3 * i];
    EXPECT_TRUE((p[0] | p[1] | p[2]) == 0 || SurvivesKey(p[0], p[1], p[2], 0x0202)) << i;
  }
  EXPECT_EQ(rgb[3] | rgb[4] | rgb[5], 0);
  EXPECT_GT(rgb[7], 0);
  EXPECT_EQ(rgb[9], 128);
}

TEST(Tiling, WrappedBlurSpreadsAcrossTheEdgeAndKeepsTheLight) {
  Canvas c(16, 8);
  c.At(0, 3).x = 1;
  Canvas b = Blur(c, 1.5f, true);
  EXPECT_NEAR(b.At(15, 3).x, b.At(1, 3).x, 1e-6f);
  EXPECT_NEAR(b.At(0, 2).x, b.At(0, 4).x, 1e-6f);
  float sum = 0;
  for (const Vec3& p : b.pixels) sum += p.x;
  EXPECT_NEAR(sum, 1.0f, 1e-4f);
  // Without wrapping nothing reaches the far side.
  EXPECT_EQ(Blur(c, 1.5f, false).At(15, 3).x, 0.0f);
}

TEST(Tiling, PeriodicNoiseRepeatsAtEveryOctave) {
  for (float x : {0.3f, 2.7f, 5.1f}) {
    for (float y : {0.9f, 3.3f}) {
      EXPECT_NEAR(Noise2(x, y, 4, 9), Noise2(x + 4, y, 4, 9), 1e-5f);
      EXPECT_NEAR(Noise2(x, y, 4, 9), Noise2(x, y + 8, 4, 9), 1e-5f);
      EXPECT_NEAR(Fractal2(x, y, 4, 4, 9), Fractal2(x + 4, y - 4, 4, 4, 9), 1e-5f);
    }
  }
  EXPECT_NE(Noise2(0.3f, 0.9f, 4, 9), Noise2(0.3f, 0.9f, 4, 10));  // seeds differ
  EXPECT_NE(Noise2(0.3f, 0.9f, 0, 9), Noise2(4.3f, 0.9f, 0, 9));   // no period: no repeat
}

TEST(Font, StampsGlyphsAndWrapsAcrossTheEdge) {
  EXPECT_TRUE(GlyphInk('L', 0, 6));
  EXPECT_FALSE(GlyphInk('L', 4, 0));
  EXPECT_EQ(GlyphInk('k', 0, 0), GlyphInk('K', 0, 0));  // lower case drawn as capitals
  for (int y = 0; y < GlyphHeight; ++y)
    for (int x = 0; x < GlyphWidth; ++x) EXPECT_FALSE(GlyphInk('~', x, y));
  Mask mask(20, 10);
  int end = StampText(mask, "LL", 14, 1, 1, true);
  EXPECT_EQ(end, 14 + 2 * CellWidth);
  EXPECT_EQ(mask.At(14, 7), 1.0f);      // first L, foot of its stem
  EXPECT_EQ(mask.At(0, 7), 1.0f);       // second L starts at x 20, wrapped to 0
  Mask clipped(20, 10);
  StampText(clipped, "LL", 14, 1, 1, false);
  EXPECT_EQ(clipped.At(0, 7), 0.0f);
  Mask big(40, 20);
  StampText(big, "I", 0, 0, 2, false);
  EXPECT_EQ(big.At(4, 13), 1.0f);       // the I's stem, doubled
  EXPECT_EQ(big.At(4, 14), 0.0f);
  EXPECT_EQ(TextWidth("ABC", 2), 36);
}

TEST(Quantize, ManyColoursMapToNearPaletteEntriesAndBlackToEntryZero) {
  RgbImage im{64, 64, {}};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      bool black = (x + y) % 7 == 0;
      im.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(x * 4));
      im.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(y * 4));
      im.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(128 + (x ^ y)));
    }
  }
  IndexedImage q = Quantize(im);
  EXPECT_EQ(q.palette[0], (std::array<std::uint8_t, 3>{0, 0, 0}));
  int worst = 0;
  for (size_t i = 0; i < q.indices.size(); ++i) {
    const std::uint8_t* p = &im.rgb[3 * i];
    bool black = (p[0] | p[1] | p[2]) == 0;
    ASSERT_EQ(q.indices[i] == 0, black) << i;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(p[c] - q.palette[q.indices[i]][c]));
  }
  EXPECT_LT(worst, 40);  // 4096 colours into 255 entries
  EXPECT_EQ(Quantize(im).indices, q.indices);
}

}  // namespace
}  // namespace art
