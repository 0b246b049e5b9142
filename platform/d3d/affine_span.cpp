#include "platform/d3d/affine_span.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

// Four pixels a step in portable vectors (SSE2 on any x86-64, NEON on aarch64), in the sampler's
// arithmetic: positions, texel indices and key tests as 32-bit lanes, then each pixel's two texel
// pairs (left and right neighbours of the upper and lower row) blended, modulated, added and
// stored as 16-bit channel lanes, two pixels' blue, green, red and spare byte to a vector.
using Lanes = std::uint32_t __attribute__((vector_size(16)));     // four pixels, or 0x00RRGGBB
using Signed = std::int32_t __attribute__((vector_size(16)));
using Pair = std::uint32_t __attribute__((vector_size(8)));       // two neighbouring texels
using Channels = std::uint16_t __attribute__((vector_size(16)));  // two pixels' channels
using Bytes = std::uint8_t __attribute__((vector_size(16)));
using Words = std::uint16_t __attribute__((vector_size(8)));      // four R5G6B5 pixels

constexpr int kStep = 4;
constexpr int kRun = 8;  // pixels tested at once for dead blocks

// What the loop reads of the span and its texture, held in locals: stores through vector types may
// alias anything, so fields read through references would be loaded again after every store.
struct Grid {
  explicit Grid(const Texture& texture)
      : texels(texture.widened()),
        pixels(texture.pixels()),
        width(texture.width()),
        height(texture.height()),
        keyLow(texture.sourceKeyLow),
        keyHigh(texture.sourceKeyHigh),
        // log2 of the width: texel rows are that many bits apart (power-of-two sizes).
        rowShift(std::countr_zero(static_cast<unsigned>(width))) {}
  const std::uint32_t* texels;
  const std::uint16_t* pixels;
  int width, height;
  int keyLow, keyHigh;
  int rowShift;
};

// Pixels 0 and 1 (or 2 and 3) of four 0x00RRGGBB lanes as channel lanes.
[[gnu::always_inline]] inline Channels LowChannels(Lanes c) {
  const Bytes b = reinterpret_cast<Bytes>(c);
  return reinterpret_cast<Channels>(
      __builtin_shufflevector(b, Bytes{}, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
}
[[gnu::always_inline]] inline Channels HighChannels(Lanes c) {
  const Bytes b = reinterpret_cast<Bytes>(c);
  return reinterpret_cast<Channels>(
      __builtin_shufflevector(b, Bytes{}, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
}
// Channels of at most 255 back into four lanes.
[[gnu::always_inline]] inline Lanes PackChannels(Channels low, Channels high) {
  return reinterpret_cast<Lanes>(__builtin_shufflevector(reinterpret_cast<Bytes>(low), reinterpret_cast<Bytes>(high), 0,
                                                         2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30));
}
// Per-pixel weights (0..255 in each lane) over the channels of pixels 0 and 1, or 2 and 3.
[[gnu::always_inline]] inline Lanes DoubleWeights(Lanes f) { return f | f << 16; }
[[gnu::always_inline]] inline Channels LowWeights(Lanes doubled) {
  return reinterpret_cast<Channels>(__builtin_shufflevector(doubled, doubled, 0, 0, 1, 1));
}
[[gnu::always_inline]] inline Channels HighWeights(Lanes doubled) {
  return reinterpret_cast<Channels>(__builtin_shufflevector(doubled, doubled, 2, 2, 3, 3));
}
[[gnu::always_inline]] inline Channels Lerp(Channels a, Channels b, Channels f) { return (a * (256 - f) + b * f) >> 8; }
// Channels stay below 2^15 here, so the signed minimum, which every vector unit has, will do.
[[gnu::always_inline]] inline Channels Saturate(Channels c) {
  using SignedChannels = std::int16_t __attribute__((vector_size(16)));
  const SignedChannels s = reinterpret_cast<SignedChannels>(c);
  return reinterpret_cast<Channels>(s > 255 ? 255 : s);
}

// Two R5G6B5 pixels, each repeated over four lanes, widened to channel lanes: each field moved up
// to end at bit 15, cut from its neighbours and moved down to six bits, then x << 3 | x >> 2 taken
// as 66 * (2 x) >> 4 for five-bit fields and x << 2 | x >> 4 as 65 x >> 4 for six-bit ones.
[[gnu::always_inline]] inline Channels Widen565(Channels repeated) {
  const Channels top = repeated * Channels{2048, 32, 1, 0, 2048, 32, 1, 0} &
                       Channels{0xF800, 0xFC00, 0xF800, 0, 0xF800, 0xFC00, 0xF800, 0};
  return ((top >> 10) * Channels{66, 65, 66, 0, 66, 65, 66, 0}) >> 4;
}
[[gnu::always_inline]] inline Lanes Narrow565(Lanes c) {
  return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x1F);
}

template <class Pixel>
[[gnu::always_inline]] inline auto LoadFour(const Pixel* pixels) {
  std::conditional_t<sizeof(Pixel) == 2, Words, Lanes> four;
  std::memcpy(&four, pixels, sizeof four);
  return four;
}
[[gnu::always_inline]] inline Lanes AsLanes(Words w) {
  return reinterpret_cast<Lanes>(__builtin_shufflevector(w, Words{}, 0, 4, 1, 5, 2, 6, 3, 7));
}
[[gnu::always_inline]] inline Lanes AsLanes(Lanes l) { return l; }
// Pixels 0 and 1, and 2 and 3, of the frame as channel lanes.
[[gnu::always_inline]] inline void FrameChannels(Words w, Channels& low, Channels& high) {
  const Lanes doubled = reinterpret_cast<Lanes>(__builtin_shufflevector(w, w, 0, 0, 1, 1, 2, 2, 3, 3));
  low = Widen565(reinterpret_cast<Channels>(__builtin_shufflevector(doubled, doubled, 0, 0, 1, 1)));
  high = Widen565(reinterpret_cast<Channels>(__builtin_shufflevector(doubled, doubled, 2, 2, 3, 3)));
}
[[gnu::always_inline]] inline void FrameChannels(Lanes l, Channels& low, Channels& high) {
  low = LowChannels(l);
  high = HighChannels(l);
}
[[gnu::always_inline]] inline void StoreFour(std::uint16_t* pixels, Lanes l) {
  // Even words gathered within each half, then the halves joined: three shuffles on SSE2.
  const Channels c = reinterpret_cast<Channels>(l);
  const Lanes halves = reinterpret_cast<Lanes>(__builtin_shufflevector(c, c, 0, 2, 0, 0, 4, 6, 4, 4));
  const Lanes joined = __builtin_shufflevector(halves, halves, 0, 2, 0, 0);
  std::memcpy(pixels, &joined, sizeof(Words));
}
[[gnu::always_inline]] inline void StoreFour(std::uint32_t* pixels, Lanes l) { std::memcpy(pixels, &l, sizeof l); }

[[gnu::always_inline]] inline Pair LoadPair(const std::uint32_t* texels) {
  Pair p;
  std::memcpy(&p, texels, sizeof p);
  return p;
}

// Texel columns (or rows) onto 0 .. size - 1: any value on power-of-two sizes, values in
// [-size, 2 * size) on others.
template <bool kPowerOfTwo>
[[gnu::always_inline]] inline Signed Wrap(Signed i, int size) {
  if constexpr (kPowerOfTwo) {
    return i & (size - 1);
  } else {
    i += (i < 0) & size;
    return i - ((i > size - 1) & size);
  }
}

template <bool kPowerOfTwo>
[[gnu::always_inline]] inline Signed RowStart(const Grid& grid, Signed y) {
  if constexpr (kPowerOfTwo) {
    return y << grid.rowShift;
  } else {
    return y * grid.width;
  }
}

template <bool kPowerOfTwo>
[[gnu::always_inline]] inline Lanes Step(Lanes s, Lanes step, std::uint32_t modulus) {
  s += step;
  if constexpr (kPowerOfTwo) {
    return s;
  } else {
    // Positions stay below 2^31 on these sizes.
    const Signed over = reinterpret_cast<Signed>(s) > static_cast<std::int32_t>(modulus - 1);
    return s - (reinterpret_cast<Lanes>(over) & modulus);
  }
}

// All-ones lanes where the texel nearest (s, t) is within the source key.
template <bool kPowerOfTwo>
[[gnu::always_inline]] inline Lanes KeyedLanes(const Grid& grid, Lanes s, Lanes t) {
  const Signed x = Wrap<kPowerOfTwo>(reinterpret_cast<Signed>(s + 0x8000) >> 16, grid.width);
  const Signed y = Wrap<kPowerOfTwo>(reinterpret_cast<Signed>(t + 0x8000) >> 16, grid.height);
  const Signed index = RowStart<kPowerOfTwo>(grid, y) + x;
  const Signed value = {grid.pixels[index[0]], grid.pixels[index[1]], grid.pixels[index[2]], grid.pixels[index[3]]};
  return reinterpret_cast<Lanes>((value >= grid.keyLow) & (value <= grid.keyHigh));
}

// Two pixels' texel pairs of one row: their left texels, then their right ones.
[[gnu::always_inline]] inline Lanes Join(Pair first, Pair second) {
  return __builtin_shufflevector(first, second, 0, 2, 1, 3);
}

// The upper and lower pairs of pixels 0 and 1, and of 2 and 3.
struct Taps {
  Lanes top01, top23, bottom01, bottom23;
};

struct Colours {
  Channels diffuse;   // each channel plus one
  Channels specular;
};

// Four pixels from positions s, t; keyed lanes are left as they are.
template <class Pixel, bool kPowerOfTwo, bool kAdditive>
[[gnu::always_inline]] inline void ShadeFour(const Grid& grid, const Colours& colours, bool colourKey, Lanes s,
                                             Lanes t, Pixel* target) {
  const int w = grid.width, h = grid.height;
  const std::uint32_t* texels = grid.texels;
  const Signed i = reinterpret_cast<Signed>(s) >> 16, j = reinterpret_cast<Signed>(t) >> 16;
  const Signed x0 = Wrap<kPowerOfTwo>(i, w), y0 = Wrap<kPowerOfTwo>(j, h);
  const Signed index = RowStart<kPowerOfTwo>(grid, y0) + x0;
  // Each pixel's texels as two pairs: one 8-byte load each unless a neighbour wraps.
  const Signed edge = (x0 == w - 1) | (y0 == h - 1);
  const auto halves = reinterpret_cast<std::uint64_t __attribute__((vector_size(16)))>(edge);
  Taps taps;
  if (!(halves[0] | halves[1])) [[likely]] {
    const std::uint32_t *a = texels + index[0], *b = texels + index[1], *c = texels + index[2], *e = texels + index[3];
    taps = {Join(LoadPair(a), LoadPair(b)), Join(LoadPair(c), LoadPair(e)), Join(LoadPair(a + w), LoadPair(b + w)),
            Join(LoadPair(c + w), LoadPair(e + w))};
  } else {
    const Signed x1 = Wrap<kPowerOfTwo>(i + 1, w), y1 = Wrap<kPowerOfTwo>(j + 1, h);
    const Signed row0 = RowStart<kPowerOfTwo>(grid, y0), row1 = RowStart<kPowerOfTwo>(grid, y1);
    const auto pair = [&](Signed row, int k) { return Pair{texels[row[k] + x0[k]], texels[row[k] + x1[k]]}; };
    taps = {Join(pair(row0, 0), pair(row0, 1)), Join(pair(row0, 2), pair(row0, 3)), Join(pair(row1, 0), pair(row1, 1)),
            Join(pair(row1, 2), pair(row1, 3))};
  }
  const Lanes fs = DoubleWeights((s >> 8) & 0xFF), ft = DoubleWeights((t >> 8) & 0xFF);
  const Channels sLow = LowWeights(fs), sHigh = HighWeights(fs), tLow = LowWeights(ft), tHigh = HighWeights(ft);
  const Channels upperLow = Lerp(LowChannels(taps.top01), HighChannels(taps.top01), sLow);
  const Channels upperHigh = Lerp(LowChannels(taps.top23), HighChannels(taps.top23), sHigh);
  const Channels lowerLow = Lerp(LowChannels(taps.bottom01), HighChannels(taps.bottom01), sLow);
  const Channels lowerHigh = Lerp(LowChannels(taps.bottom23), HighChannels(taps.bottom23), sHigh);
  Channels low = Saturate(((Lerp(upperLow, lowerLow, tLow) * colours.diffuse) >> 8) + colours.specular);
  Channels high = Saturate(((Lerp(upperHigh, lowerHigh, tHigh) * colours.diffuse) >> 8) + colours.specular);
  const auto existing = LoadFour(target);  // only read where used
  if constexpr (kAdditive) {
    Channels frameLow, frameHigh;
    FrameChannels(existing, frameLow, frameHigh);
    low = Saturate(low + frameLow);
    high = Saturate(high + frameHigh);
  }
  Lanes colour = PackChannels(low, high);
  if constexpr (sizeof(Pixel) == 2) colour = Narrow565(colour);
  if (colourKey) {
    const Lanes keyed = KeyedLanes<kPowerOfTwo>(grid, s, t);
    colour = (colour & ~keyed) | (AsLanes(existing) & keyed);
  }
  StoreFour(target, colour);
}

template <class Pixel, bool kPowerOfTwo, bool kAdditive>
void ShadeSteps(const BasicAffineSpan<Pixel>& span) {
  const Grid grid(*span.texture);
  const std::uint32_t d = span.diffuse;
  const auto channel = [](std::uint32_t c, int shift) { return static_cast<std::uint16_t>((c >> shift) & 0xFF); };
  const std::uint16_t b = channel(d, 0) + 1, g = channel(d, 8) + 1, r = channel(d, 16) + 1;
  const Colours colours = {Channels{b, g, r, 1, b, g, r, 1}, LowChannels(Lanes{span.specular, span.specular, 0, 0})};
  const bool colourKey = span.colourKey;
  // Live blocks come only with power-of-two textures, whose positions step modulo 2^32.
  const std::uint8_t* const live = kPowerOfTwo ? span.liveBlocks : nullptr;
  const std::uint32_t ds = span.ds, dt = span.dt;
  const std::uint32_t sModulus = TexelModulus(grid.width, kPowerOfTwo);
  const std::uint32_t tModulus = TexelModulus(grid.height, kPowerOfTwo);
  Lanes s = {span.s}, t = {span.t};
  for (int k = 1; k < kStep; ++k) {
    s[k] = Advance(s[k - 1], ds, sModulus);
    t[k] = Advance(t[k - 1], dt, tModulus);
  }
  const Lanes sStep = Lanes{} + AdvanceBy(ds, kStep, sModulus), tStep = Lanes{} + AdvanceBy(dt, kStep, tModulus);
  Pixel* const target = span.target;
  const int count = span.count;
  for (int i = 0; i < count;) {
    const int end = live ? std::min(i + kRun, count) : count;
    if (live && RunSamplesOnlyDeadBlocks(live, *span.texture, s[0], t[0], ds, dt, end - i)) {
      s += sStep + sStep;
      t += tStep + tStep;
      i = end;
      continue;
    }
    for (; i + kStep <= end; i += kStep) {
      ShadeFour<Pixel, kPowerOfTwo, kAdditive>(grid, colours, colourKey, s, t, target + i);
      s = Step<kPowerOfTwo>(s, sStep, sModulus);
      t = Step<kPowerOfTwo>(t, tStep, tModulus);
    }
    if (i < end) {
      // The last few pixels as a full step through a scratch copy.
      Pixel scratch[kStep] = {};
      std::copy(target + i, target + end, scratch);
      ShadeFour<Pixel, kPowerOfTwo, kAdditive>(grid, colours, colourKey, s, t, scratch);
      std::copy(scratch, scratch + (end - i), target + i);
      i = end;
    }
  }
}

template <class Pixel>
void ShadeSpan(const BasicAffineSpan<Pixel>& span) {
  if (span.count <= 0) return;
  const bool powerOfTwo = span.texture->powerOfTwo();
  if (powerOfTwo && span.additive) {
    ShadeSteps<Pixel, true, true>(span);
  } else if (powerOfTwo) {
    ShadeSteps<Pixel, true, false>(span);
  } else if (span.additive) {
    ShadeSteps<Pixel, false, true>(span);
  } else {
    ShadeSteps<Pixel, false, false>(span);
  }
}

}  // namespace

void ShadeAffineSpanPortable(const AffineSpan& span) { ShadeSpan(span); }
void ShadeAffineSpanPortable(const TrueColourAffineSpan& span) { ShadeSpan(span); }

bool AffineSpanHasSimd() { return ActiveSpanKernels.wide; }

void ShadeAffineSpan(const AffineSpan& span) { ActiveSpanKernels.affineSpan(span); }
void ShadeAffineSpan(const TrueColourAffineSpan& span) { ActiveSpanKernels.trueColourAffineSpan(span); }
