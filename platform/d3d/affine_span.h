// The hot loop of screen quads: an affine, flat-coloured span over a texture with
// bilinear sampling, source colour key, modulate, specular add and optional additive blending, no
// depth.
// The wide loops of span_kernels.h (AVX2, 8 pixels a step, or AVX-512, 16, where the processor
// has them) give the plain loop's pixels bit for bit.
#pragma once

#include <cstdint>

#include "platform/d3d/texture.h"

template <class Pixel>
struct BasicAffineSpan {
  Pixel* target;  // first pixel of the span
  int count;
  // 16.16 texel position of the first pixel (half-texel taken off) and its step per pixel: modulo
  // 2^32 on power-of-two sizes, else in [0, size << 16).
  std::uint32_t s, t;
  std::uint32_t ds, dt;
  const Texture* texture;
  std::uint32_t diffuse;  // 0x00RRGGBB
  std::uint32_t specular; // added after modulate; 0 when off
  bool additive;
  bool colourKey;         // leave out pixels whose nearest texel is within the texture's source key
  // Additive with no specular only: blocks of the texture that add something under diffuse
  // (live_blocks.h); runs of pixels over dead blocks are left out. Null: no skipping.
  const std::uint8_t* liveBlocks = nullptr;
};

// R5G6B5 frames; true-colour frames (0x00RRGGBB pixels, no truncation).
using AffineSpan = BasicAffineSpan<std::uint16_t>;
using TrueColourAffineSpan = BasicAffineSpan<std::uint32_t>;

// Through the loop in use (span_kernels.h).
void ShadeAffineSpan(const AffineSpan& span);
void ShadeAffineSpan(const TrueColourAffineSpan& span);
// The plain loops: the reference, and the loops of processors without a wide one.
void ShadeAffineSpanPortable(const AffineSpan& span);
void ShadeAffineSpanPortable(const TrueColourAffineSpan& span);
// True when the loop in use is a wide one.
bool AffineSpanHasSimd();
