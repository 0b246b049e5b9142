// The art's own bitmap font: 5 x 7 glyphs for capitals, digits and common punctuation, each
// drawn on a 6 x 9 cell. Lower-case letters are drawn as capitals; unknown characters as blanks.
#pragma once

#include <string_view>
#include <vector>

namespace art {

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;
constexpr int CellWidth = 6;
constexpr int CellHeight = 9;

// True where glyph c has ink at column x (0..4), row y (0..6).
bool GlyphInk(char c, int x, int y);

// A coverage mask (0 or 1 per pixel) that text is stamped into.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> values;
  Mask(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
  float& At(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
  float At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

// Stamps text with its top-left corner at (x, y), each font pixel scale x scale mask pixels.
// With wrap the text continues across the mask's edges (for tiling pictures); otherwise
// what falls outside is dropped. Returns the x just past the last cell.
int StampText(Mask& mask, std::string_view text, int x, int y, int scale, bool wrap);

int TextWidth(std::string_view text, int scale);

}  // namespace art
