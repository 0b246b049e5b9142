#include "platform/d3d/pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/general_span.h"
#include "platform/d3d/sampler.h"

namespace {

// A 16.16 texel position (or step) for the span loop: modulo 2^32 on power-of-two sizes, else
// brought into [0, size << 16).
std::uint32_t SpanPosition(std::int64_t s, int size, bool powerOfTwo) {
  if (powerOfTwo) return static_cast<std::uint32_t>(s);
  std::int64_t modulus = std::int64_t{size} << 16;
  return static_cast<std::uint32_t>((s % modulus + modulus) % modulus);
}

}  // namespace

void SpanShader::Shade(const SpanInput& span) const {
  if (span.affine && span.flatColour && !settings_.depthTest) {
    const std::ptrdiff_t row = std::ptrdiff_t{span.y} * target_.width;
    if (target_.trueColour) {
      ShadeAffineFlat(span, target_.trueColour + row);
    } else {
      ShadeAffineFlat(span, target_.colour + row);
    }
  } else {
    ShadeGeneralSpan(span, settings_, target_);
  }
}

template <class Pixel>
void SpanShader::ShadeAffineFlat(const SpanInput& span, Pixel* row) const {
  std::uint32_t diffuse = PackColour(span.diffuse);
  std::uint32_t specular = settings_.specular ? PackColour(span.specular) : 0;
  const Texture* texture = settings_.texture;
  if (!texture) {
    std::uint32_t colour = AddSaturated(diffuse, specular);
    for (int x = span.xFirst; x < span.xEnd; ++x) StoreColour(row + x, colour, settings_.additive);
    return;
  }
  // Texture times black adds nothing.
  if (settings_.additive && diffuse == 0 && specular == 0) return;
  int w = texture->width(), h = texture->height();
  std::int64_t s0 = TexelPosition(span.attributes[0].At(span.xFirst), w);
  std::int64_t t0 = TexelPosition(span.attributes[1].At(span.xFirst), h);
  std::int64_t ds = RoundHalfAway(span.attributes[0].dx * w * 65536.0);
  std::int64_t dt = RoundHalfAway(span.attributes[1].dx * h * 65536.0);
  bool p2 = texture->powerOfTwo();
  ShadeAffineSpan(BasicAffineSpan<Pixel>{row + span.xFirst, span.xEnd - span.xFirst, SpanPosition(s0, w, p2), SpanPosition(t0, h, p2),
                   SpanPosition(ds, w, p2), SpanPosition(dt, h, p2), texture, diffuse, specular, settings_.additive,
                   settings_.colourKey,
                   specular == 0 && diffuse == settings_.liveDiffuse ? settings_.liveBlocks : nullptr});
}
