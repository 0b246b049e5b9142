#include "platform/d3d/affine_span.h"

#include <algorithm>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

constexpr int kRun = 8;  // pixels tested at once for dead blocks

template <class Pixel>
void ShadePixels(const BasicAffineSpan<Pixel>& span, Pixel* target, int count, std::uint32_t s, std::uint32_t t,
                 std::uint32_t sModulus, std::uint32_t tModulus) {
  const Texture& texture = *span.texture;
  for (int i = 0; i < count; ++i, s = Advance(s, span.ds, sModulus), t = Advance(t, span.dt, tModulus)) {
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
