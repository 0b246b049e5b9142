// The bitmap resources: sizes and depths, exact black where colour keying must see through,
// seamless tiling, and the BMP writer and reader on a small asymmetric picture.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tools/art/bitmaps.h"
#include "tools/art/bmp.h"
#include "tools/art/contact_sheet.h"
#include "tools/art/quantize.h"
#include "tests/support/files.h"

namespace art {
namespace {

// Sizes and depths as the table says; keyed pictures exactly black or above the key; tiling ones
// with no seam: the step across the wrap (column 255 to 0, row 255 to 0) against the same step
// inside the picture at the same phase of its 32-pixel grid (31 to 32, 63 to 64, ...).
TEST(Bitmaps, TableSizesExactBlackUnderTheKeyAndSeamlessTiling) {
  for (const BitmapInfo& info : BitmapTable()) {
    SCOPED_TRACE(info.id);
    DecodedBmp bmp;
    std::string fault;
    ASSERT_TRUE(DecodeBmp(MakeBitmapFile(info.id), &bmp, &fault)) << fault;
    const RgbImage& im = bmp.picture;
    EXPECT_TRUE(im.width == info.width && im.height == info.height && bmp.bitsPerPixel == info.bitsPerPixel)
        << im.width << " x " << im.height << ", " << bmp.bitsPerPixel << " bits";
    if (info.keyed) {
      size_t black = 0, pixels = im.rgb.size() / 3;
      for (size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = &im.rgb[3 * i];
        black += (p[0] | p[1] | p[2]) == 0;
        ASSERT_TRUE((p[0] | p[1] | p[2]) == 0 || SurvivesKey(p[0], p[1], p[2], 0x0202))
            << "pixel " << i << " (" << int(p[0]) << ", " << int(p[1]) << ", " << int(p[2]) << ")";
      }
      if (info.id == 1001) {
        EXPECT_EQ(black, 0u) << "the grid covers the talo towers, which stand as solids";
      } else {
        EXPECT_TRUE(black > pixels / 5 && black < pixels * 9 / 10) << "something to see through and to see";
      }
    }
    if (info.id != 1001 && info.id != 1002 && info.id != 1006) continue;
    auto diff = [&](int x0, int y0, int x1, int y1) {
      const std::uint8_t *a = &im.rgb[(y0 * im.width + x0) * 3], *b = &im.rgb[(y1 * im.width + x1) * 3];
      return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) + 0.0;
    };
    double seamX = 0, seamY = 0, insideX = 0, insideY = 0;
    const int steps = im.width / 32 - 1;
    for (int k = 0; k < im.height; ++k) {
      seamX += diff(im.width - 1, k, 0, k);
      seamY += diff(k, im.height - 1, k, 0);
      for (int x = 31; x + 1 < im.width; x += 32) {
        insideX += diff(x, k, x + 1, k) / steps;
        insideY += diff(k, x, k, x + 1) / steps;
      }
    }
    EXPECT_LT(seamX, insideX * 1.5 + 200);
    EXPECT_LT(seamY, insideY * 1.5 + 200);
  }
}

TEST(BmpFiles, RoundTripAnOddSizedAsymmetricPictureAndRefuseTruncatedOrForeignFiles) {
  RgbImage im{6, 5, {}};
  for (int i = 0; i < 30; ++i) {
    im.rgb.push_back(static_cast<std::uint8_t>(i * 8));
    im.rgb.push_back(static_cast<std::uint8_t>(255 - i));
    im.rgb.push_back(static_cast<std::uint8_t>(i % 6 * 40));
  }
  im.rgb[0] = im.rgb[1] = im.rgb[2] = 0;  // one exactly black pixel for the palette's entry 0
  DecodedBmp back;
  std::string fault;
  ASSERT_TRUE(DecodeBmp(EncodeBmp24(im), &back, &fault)) << fault;
  EXPECT_EQ(back.bitsPerPixel, 24);
  EXPECT_EQ(back.picture.rgb, im.rgb);
  // 30 colours fit the palette exactly.
  ASSERT_TRUE(DecodeBmp(EncodeBmp8(Quantize(im)), &back, &fault)) << fault;
  EXPECT_EQ(back.bitsPerPixel, 8);
  EXPECT_EQ(back.picture.rgb, im.rgb);
  EXPECT_EQ(back.indices[0], 0);
  std::vector<std::uint8_t> file = EncodeBmp24(RgbImage{3, 3, std::vector<std::uint8_t>(27, 200)});
  std::vector<std::uint8_t> cut(file.begin(), file.end() - 5);
  EXPECT_FALSE(DecodeBmp(cut, &back, &fault));
  EXPECT_NE(fault.find("past the end"), std::string::npos) << fault;
  file[0] = 'X';
  EXPECT_FALSE(DecodeBmp(file, &back, &fault));
  EXPECT_FALSE(DecodeBmp({}, &back, &fault));
}

TEST(ContactSheet, NamesTheMissingOrBrokenBitmap) {
  const std::filesystem::path dir = testsupport::FreshFolder("korvo-sheet");
  const std::string sheet = (dir / "sheet.png").string();
  const ContactSheetSources sources{dir.string(), dir.string()};
  std::string fault;
  EXPECT_FALSE(WriteContactSheet(sheet, sources, &fault));
  EXPECT_NE(fault.find("bitmap1001.bmp"), std::string::npos) << fault;
  ASSERT_TRUE(WriteFile((dir / "bitmap1001.bmp").string(), {'B', 'X', 0, 0}, &fault));
  EXPECT_FALSE(WriteContactSheet(sheet, sources, &fault));
  EXPECT_NE(fault.find("bitmap1001.bmp"), std::string::npos) << fault;
  EXPECT_NE(fault.find("BMP"), std::string::npos) << fault;
  EXPECT_FALSE(std::filesystem::exists(sheet));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace art
