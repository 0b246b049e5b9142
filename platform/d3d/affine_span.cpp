#include "platform/d3d/affine_span.h"

#include <algorithm>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

constexpr int kRun = 8;  // pixels tested at once for dead blocks

// Four pixels at a time in portable vectors (SSE2 on any x86-64, NEON on aarch64): texels are
// fetched one by one, then blended, modulated, added and stored as 16-bit channel lanes, two
// pixels' blue, green, red and spare byte to a vector, in the sampler's arithmetic.
using Lanes = std::uint32_t __attribute__((vector_size(16)));     // four 0x00RRGGBB pixels
using Channels = std::uint16_t __attribute__((vector_size(16)));  // two pixels' channels
using Bytes = std::uint8_t __attribute__((vector_size(16)));
using HalfBytes = std::uint8_t __attribute__((vector_size(8)));

[[gnu::always_inline]] inline Channels LowChannels(Lanes c) {
  const Bytes b = reinterpret_cast<Bytes>(c);
  return __builtin_convertvector(__builtin_shufflevector(b, b, 0, 1, 2, 3, 4, 5, 6, 7), Channels);
}
[[gnu::always_inline]] inline Channels HighChannels(Lanes c) {
  const Bytes b = reinterpret_cast<Bytes>(c);
  return __builtin_convertvector(__builtin_shufflevector(b, b, 8, 9, 10, 11, 12, 13, 14, 15), Channels);
}
[[gnu::always_inline]] inline Lanes PackChannels(Channels low, Channels high) {
  const HalfBytes l = __builtin_convertvector(low, HalfBytes), h = __builtin_convertvector(high, HalfBytes);
  return reinterpret_cast<Lanes>(__builtin_shufflevector(l, h, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}
// Per-pixel weights (0..255 in each lane) over the channels of pixels 0 and 1, or 2 and 3.
[[gnu::always_inline]] inline Channels LowWeights(Lanes f) {
  const Channels v = reinterpret_cast<Channels>(f);
  return __builtin_shufflevector(v, v, 0, 0, 0, 0, 2, 2, 2, 2);
}
[[gnu::always_inline]] inline Channels HighWeights(Lanes f) {
  const Channels v = reinterpret_cast<Channels>(f);
  return __builtin_shufflevector(v, v, 4, 4, 4, 4, 6, 6, 6, 6);
}
[[gnu::always_inline]] inline Channels Lerp(Channels a, Channels b, Channels f) { return (a * (256 - f) + b * f) >> 8; }
// Channels stay below 2^15 here, so the signed minimum, which every vector unit has, will do.
[[gnu::always_inline]] inline Channels Saturate(Channels c) {
  using Signed = std::int16_t __attribute__((vector_size(16)));
  const Signed s = reinterpret_cast<Signed>(c);
  return reinterpret_cast<Channels>(s > 255 ? 255 : s);
}

[[gnu::always_inline]] inline Lanes Widen565(Lanes p) {
  const Lanes r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}
[[gnu::always_inline]] inline Lanes Narrow565(Lanes c) { return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x1F); }

[[gnu::always_inline]] inline Lanes LoadFour(const std::uint16_t* pixels) { return Lanes{pixels[0], pixels[1], pixels[2], pixels[3]}; }
[[gnu::always_inline]] inline Lanes LoadFour(const std::uint32_t* pixels) { return Lanes{pixels[0], pixels[1], pixels[2], pixels[3]}; }

// Four pixels from positions s[k], t[k]; keyed lanes are left as they are.
template <class Pixel>
[[gnu::always_inline]] inline void ShadeFour(const BasicAffineSpan<Pixel>& span, Pixel* target, const std::uint32_t s[4], const std::uint32_t t[4]) {
  const Texture& texture = *span.texture;
  const int w = texture.width(), h = texture.height();
  const bool p2 = texture.powerOfTwo();
  const std::uint32_t* texels = texture.widened();
  Lanes t00, t01, t10, t11, fs, ft;
  bool keyed[4] = {};
  for (int k = 0; k < 4; ++k) {
    const std::int32_t i0 = static_cast<std::int32_t>(s[k]) >> 16, j0 = static_cast<std::int32_t>(t[k]) >> 16;
    const int x0 = WrapTexel(i0, w, p2), x1 = WrapTexel(i0 + 1, w, p2);
    const std::uint32_t* row0 = texels + WrapTexel(j0, h, p2) * w;
    const std::uint32_t* row1 = texels + WrapTexel(j0 + 1, h, p2) * w;
    t00[k] = row0[x0];
    t01[k] = row0[x1];
    t10[k] = row1[x0];
    t11[k] = row1[x1];
    fs[k] = (s[k] >> 8) & 0xFF;
    ft[k] = (t[k] >> 8) & 0xFF;
    if (span.colourKey) keyed[k] = KeyedTexel(texture, static_cast<std::int32_t>(s[k]), static_cast<std::int32_t>(t[k]));
  }
  const std::uint32_t d = span.diffuse;
  const Channels diffuse = {static_cast<std::uint16_t>((d & 0xFF) + 1), static_cast<std::uint16_t>(((d >> 8) & 0xFF) + 1),
                            static_cast<std::uint16_t>(((d >> 16) & 0xFF) + 1), 1,
                            static_cast<std::uint16_t>((d & 0xFF) + 1), static_cast<std::uint16_t>(((d >> 8) & 0xFF) + 1),
                            static_cast<std::uint16_t>(((d >> 16) & 0xFF) + 1), 1};
  const Channels specular = LowChannels(Lanes{span.specular, span.specular, 0, 0});
  const Channels sLow = LowWeights(fs), sHigh = HighWeights(fs), tLow = LowWeights(ft), tHigh = HighWeights(ft);
  const Channels topLow = Lerp(LowChannels(t00), LowChannels(t01), sLow);
  const Channels topHigh = Lerp(HighChannels(t00), HighChannels(t01), sHigh);
  const Channels bottomLow = Lerp(LowChannels(t10), LowChannels(t11), sLow);
  const Channels bottomHigh = Lerp(HighChannels(t10), HighChannels(t11), sHigh);
  Channels half[2] = {Saturate(((Lerp(topLow, bottomLow, tLow) * diffuse) >> 8) + specular),
                      Saturate(((Lerp(topHigh, bottomHigh, tHigh) * diffuse) >> 8) + specular)};
  if (span.additive) {
    Lanes existing = LoadFour(target);
    if constexpr (sizeof(Pixel) == 2) existing = Widen565(existing);
    half[0] = Saturate(half[0] + LowChannels(existing));
    half[1] = Saturate(half[1] + HighChannels(existing));
  }
  Lanes colour = PackChannels(half[0], half[1]);
  if constexpr (sizeof(Pixel) == 2) colour = Narrow565(colour);
  for (int k = 0; k < 4; ++k) {
    if (!keyed[k]) target[k] = static_cast<Pixel>(colour[k]);
  }
}

template <class Pixel>
void ShadePixels(const BasicAffineSpan<Pixel>& span, Pixel* target, int count, std::uint32_t s, std::uint32_t t,
                 std::uint32_t sModulus, std::uint32_t tModulus) {
  const Texture& texture = *span.texture;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    std::uint32_t sFour[4], tFour[4];
    for (int k = 0; k < 4; ++k, s = Advance(s, span.ds, sModulus), t = Advance(t, span.dt, tModulus)) {
      sFour[k] = s;
      tFour[k] = t;
    }
    ShadeFour(span, target + i, sFour, tFour);
  }
  for (; i < count; ++i, s = Advance(s, span.ds, sModulus), t = Advance(t, span.dt, tModulus)) {
    if (span.colourKey && KeyedTexel(texture, static_cast<std::int32_t>(s), static_cast<std::int32_t>(t))) continue;
    std::uint32_t texel = SampleBilinear(texture, static_cast<std::int32_t>(s), static_cast<std::int32_t>(t));
    std::uint32_t colour = AddSaturated(Modulate(texel, span.diffuse), span.specular);
    StoreColour(target + i, colour, span.additive);
  }
}

template <class Pixel>
void ShadeSpan(const BasicAffineSpan<Pixel>& span) {
  const std::uint32_t sModulus = TexelModulus(span.texture->width(), span.texture->powerOfTwo());
  const std::uint32_t tModulus = TexelModulus(span.texture->height(), span.texture->powerOfTwo());
  if (!span.liveBlocks) {
    ShadePixels(span, span.target, span.count, span.s, span.t, sModulus, tModulus);
    return;
  }
  // Live blocks come only with power-of-two textures, whose positions step modulo 2^32.
  std::uint32_t s = span.s, t = span.t;
  for (int i = 0; i < span.count; i += kRun, s += kRun * span.ds, t += kRun * span.dt) {
    const int count = std::min(kRun, span.count - i);
    if (RunSamplesOnlyDeadBlocks(span.liveBlocks, *span.texture, s, t, span.ds, span.dt, count)) continue;
    ShadePixels(span, span.target + i, count, s, t, 0, 0);
  }
}

}  // namespace

void ShadeAffineSpanPortable(const AffineSpan& span) { ShadeSpan(span); }
void ShadeAffineSpanPortable(const TrueColourAffineSpan& span) { ShadeSpan(span); }

bool AffineSpanHasSimd() { return ActiveSpanKernels.wide; }

void ShadeAffineSpan(const AffineSpan& span) { ActiveSpanKernels.affineSpan(span); }
void ShadeAffineSpan(const TrueColourAffineSpan& span) { ActiveSpanKernels.trueColourAffineSpan(span); }
