// Surface storage of the software device: one R5G6B5 picture (a texture, or the back buffer) with
// its colour keys, plus a copy widened to 8 bits per channel that the samplers read.
//
// Texture pixels are written from the demo's thread between draws, followed by Widen; draws (on
// the worker threads) only read them. Widening repeats each channel's high bits, so 0x1F and 0x3F
// read back as 0xFF.
//
// High-definition renderings: a surface has a logical size (what the demo asks for and is told)
// and a storage scale, the texels per logical texel along each side; the samplers read the stored
// texels by normalised coordinates, so a texture that holds copies of a K-times frame keeps its
// detail. Storage is allocated once for the largest scale the surface may take. A true-colour
// surface keeps 8 bits a channel: its widened texels are the picture, written directly and
// followed by Narrow, and pixels() holds what each texel would have been in 16 bits (for keys).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/d3d7.h"

// 0x00RRGGBB from an R5G6B5 value.
inline std::uint32_t WidenRgb565(std::uint16_t p) {
  std::uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

// R5G6B5 from 8-bit channels, by truncation.
inline std::uint16_t NarrowRgb888(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

class Texture {
 public:
  static constexpr int kMaxSize = 1024;
  static constexpr int kMaxScale = 4;

  // width x height logical texels; storage for up to maxScale stored texels per logical one.
  Texture(int width, int height, int maxScale = 1, bool trueColour = false);

  // The stored texels: the logical size times scale().
  int width() const { return width_; }
  int height() const { return height_; }
  int logicalWidth() const { return logicalWidth_; }
  int logicalHeight() const { return logicalHeight_; }
  int scale() const { return scale_; }
  int maxScale() const { return maxScale_; }
  bool trueColour() const { return trueColour_; }
  bool powerOfTwo() const { return powerOfTwo_; }
  const std::uint16_t* pixels() const { return pixels_.data(); }
  std::uint16_t* pixels() { return pixels_.data(); }
  const std::uint32_t* widened() const { return widened_.data(); }
  std::uint32_t* widened() { return widened_.data(); }

  // Changes the storage scale (1 .. maxScale()), keeping the picture: each new texel takes the
  // old texel under it. Allocates nothing once the scale stays.
  void SetScale(int scale);

  // Rewrites the widened copy of rows [firstRow, lastRow) after pixels() was written.
  void Widen(int firstRow, int lastRow);
  void Widen() { Widen(0, height_); }
  // True colour: rewrites pixels() of rows [firstRow, lastRow) after widened() was written.
  void Narrow(int firstRow, int lastRow);

  // Per 4 x 4 block, the largest value of each channel (0x00RRGGBB), rows of width / 4 blocks;
  // power-of-two textures of at least 4 x 4 only. Rebuilt on first use after Widen, on the
  // demo's thread.
  const std::vector<std::uint32_t>& blockMaxima() const;
  // Changes whenever the texels do (Widen, Narrow, SetScale) and is never the same on two
  // textures: what was found out about a texture holds while its generation stays.
  std::uint64_t generation() const { return generation_; }

  // DDCKEY_SRCBLT: texels whose 16-bit value lies in [low, high] are left out while keying is on.
  bool hasSourceKey = false;
  std::uint16_t sourceKeyLow = 0, sourceKeyHigh = 0;
  bool hasDestinationKey = false;  // kept, unused in drawing
  DDCOLORKEY destinationKey{};

 private:
  int logicalWidth_, logicalHeight_, maxScale_;
  bool trueColour_;
  int scale_ = 1, width_, height_;
  bool powerOfTwo_;
  std::vector<std::uint16_t> pixels_;
  std::vector<std::uint32_t> widened_;
  mutable std::vector<std::uint32_t> blockMaxima_;
  mutable bool blockMaximaStale_ = true;
  std::uint64_t generation_;
  void Changed();
};
