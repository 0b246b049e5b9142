#include "tools/art/bitmaps.h"

#include <cstdlib>

#include "tools/art/bmp.h"
#include "tools/art/quantize.h"

namespace art {

const std::vector<BitmapInfo>& BitmapTable() {
  static const std::vector<BitmapInfo> table = {
      {1001, "bitmap1001.bmp", 256, 256, 24, true}, {1002, "bitmap1002.bmp", 256, 256, 8, false},
      {1003, "bitmap1003.bmp", 256, 256, 24, true}, {1004, "bitmap1004.bmp", 720, 576, 24, true},
      {1005, "bitmap1005.bmp", 256, 256, 8, false}, {1006, "bitmap1006.bmp", 256, 256, 24, false},
  };
  return table;
}

std::vector<std::uint8_t> MakeBitmapFile(int id) {
  Canvas picture;
  switch (id) {
    case 1001: picture = MakeStreakGrid(); break;
    case 1002: picture = MakeTextGlow(); break;
    case 1003: picture = MakePortrait(); break;
    case 1004: picture = MakeGreenPortrait(); break;
    case 1005: picture = MakeLineFace(); break;
    case 1006: picture = MakeCodeGrid(); break;
    default: std::abort();
  }
  RgbImage rgb{picture.width, picture.height, ToRgb8(picture)};
  for (const BitmapInfo& info : BitmapTable())
    if (info.id == id && info.bitsPerPixel == 8) return EncodeBmp8(Quantize(rgb));
  return EncodeBmp24(rgb);
}

}  // namespace art
