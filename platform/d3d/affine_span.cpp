#include "platform/d3d/affine_span.h"

#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

template <class Pixel>
void ShadeSpan(const BasicAffineSpan<Pixel>& span) {
  const std::uint32_t sModulus = TexelModulus(span.texture->width(), span.texture->powerOfTwo());
  const std::uint32_t tModulus = TexelModulus(span.texture->height(), span.texture->powerOfTwo());
  std::uint32_t s = span.s, t = span.t;
  for (int i = 0; i < span.count; ++i, s = Advance(s, span.ds, sModulus), t = Advance(t, span.dt, tModulus)) {
    if (span.colourKey && KeyedTexel(*span.texture, static_cast<std::int32_t>(s), static_cast<std::int32_t>(t))) continue;
    std::uint32_t texel = SampleBilinear(*span.texture, static_cast<std::int32_t>(s), static_cast<std::int32_t>(t));
    std::uint32_t colour = AddSaturated(Modulate(texel, span.diffuse), span.specular);
    StoreColour(span.target + i, colour, span.additive);
  }
}

}  // namespace

void ShadeAffineSpanPortable(const AffineSpan& span) { ShadeSpan(span); }
void ShadeAffineSpanPortable(const TrueColourAffineSpan& span) { ShadeSpan(span); }

bool AffineSpanHasSimd() { return ActiveSpanKernels.wide; }

void ShadeAffineSpan(const AffineSpan& span) { ActiveSpanKernels.affineSpan(span); }
void ShadeAffineSpan(const TrueColourAffineSpan& span) { ActiveSpanKernels.trueColourAffineSpan(span); }
