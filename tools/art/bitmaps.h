// The six bitmap resources of the demo, as finished BMP files. Each picture is made by code
// (no outside image): 1001 a tiling grid of orange and yellow light streaks, 1002 lines of our
// own text over a blurred glow, 1003 a portrait bust, 1004 the bust in green and yellow,
// 1005 thin bright diagonals over a faint face, 1006 a tiling green grid mixed with text.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/art/canvas.h"

namespace art {

struct BitmapInfo {
  int id;
  const char* fileName;  // e.g. "bitmap1001.bmp"
  int width;
  int height;
  int bitsPerPixel;  // 24, or 8 with a palette
  bool keyed;        // drawn with colour keying: see-through pixels must be exactly black
};

const std::vector<BitmapInfo>& BitmapTable();

// The BMP file for one resource id of the table.
std::vector<std::uint8_t> MakeBitmapFile(int id);

// The pictures before they are written (8-bit ones before quantising).
Canvas MakeStreakGrid();     // 1001
Canvas MakeTextGlow();       // 1002
Canvas MakePortrait();       // 1003
Canvas MakeGreenPortrait();  // 1004
Canvas MakeLineFace();       // 1005
Canvas MakeCodeGrid();       // 1006

}  // namespace art
