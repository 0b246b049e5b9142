// The device's own 8 x 8 bitmap font for DrawDebugText: printable ASCII (32..126), each glyph
// 5 x 7 pixels in the top-left of its cell. Characters outside that range draw as '?'.
#pragma once

#include <cstdint>

#include "platform/d3d/d3d7.h"

// Draws text with its first cell's top-left at (x, y) of an R5G6B5 picture; only set glyph pixels
// are written, in colour, and whatever falls outside the picture is left out.
void DrawFontText(std::uint16_t* pixels, int width, int height, int x, int y, D3DCOLOR colour,
                  const char* text);

// A picture to draw text into: R5G6B5 pixels or, when set, true-colour ones; every glyph pixel
// becomes scale x scale pixels.
struct FontTarget {
  std::uint16_t* pixels;
  std::uint32_t* trueColour;
  int width, height, scale;
};
void DrawFontText(const FontTarget& target, int x, int y, D3DCOLOR colour, const char* text);
