// Surface storage of the software device: one R5G6B5 picture (a texture, or the back buffer) with
// its colour keys, plus a copy widened to 8 bits per channel that the samplers read.
//
// Texture pixels are written from the demo's thread between draws, followed by Widen; draws (on
// the worker threads) only read them. Widening repeats each channel's high bits, so 0x1F and 0x3F
// read back as 0xFF. The back buffer is never sampled, so its widened copy is not kept.
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

  Texture(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool powerOfTwo() const { return powerOfTwo_; }
  const std::uint16_t* pixels() const { return pixels_.data(); }
  std::uint16_t* pixels() { return pixels_.data(); }
  const std::uint32_t* widened() const { return widened_.data(); }

  // Rewrites the widened copy of rows [firstRow, lastRow) after pixels() was written.
  void Widen(int firstRow, int lastRow);
  void Widen() { Widen(0, height_); }

  // Per 4 x 4 block, the largest value of each channel (0x00RRGGBB), rows of width / 4 blocks;
  // power-of-two textures of at least 4 x 4 only. Rebuilt on first use after Widen, on the
  // demo's thread.
  const std::vector<std::uint32_t>& blockMaxima() const;

  // DDCKEY_SRCBLT: texels whose 16-bit value lies in [low, high] are left out while keying is on.
  bool hasSourceKey = false;
  std::uint16_t sourceKeyLow = 0, sourceKeyHigh = 0;
  bool hasDestinationKey = false;  // kept, unused in drawing
  DDCOLORKEY destinationKey{};

 private:
  int width_, height_;
  bool powerOfTwo_;
  std::vector<std::uint16_t> pixels_;
  std::vector<std::uint32_t> widened_;
  mutable std::vector<std::uint32_t> blockMaxima_;
  mutable bool blockMaximaStale_ = true;
};
