#include "tools/art/bitmaps.h"

#include <algorithm>
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

namespace {

// The textures hold 5, 6 and 5 bits a channel, cut down from 8 by truncation. An ordered
// dither added here (never to black, and only upward, so nothing falls under the colour key)
// turns the banding of smooth gradients into a fine even pattern.
void DitherFor565(RgbImage& image) {
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      std::uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      if ((p[0] | p[1] | p[2]) == 0) continue;
      int t = kBayer[y & 3][x & 3];
      const int step[3] = {8, 4, 8};
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::min(255, p[c] + t * step[c] / 16));
    }
  }
}

}  // namespace

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
  DitherFor565(rgb);
  return EncodeBmp24(rgb);
}

}  // namespace art
