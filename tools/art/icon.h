// The program's icon, resource 666: the emblem's K and P in neon inside a ring, on a rounded
// dark square with see-through corners. Drawn afresh for each size (strokes are thicker at
// 32 x 32 so the letters stay legible), never scaled from another.
#pragma once

#include <string>

#include "tools/art/bmp.h"

namespace art {

inline constexpr int IconResource = 666;
inline constexpr int IconSizes[] = {32, 256};

// size is 32 or 256.
RgbaImage MakeIcon(int size);

// The icon as a PNG picture with alpha, for desktops to show; false with a fault naming the file.
bool WriteIconPng(const std::string& path, const RgbaImage& icon, std::string* fault);

}  // namespace art
