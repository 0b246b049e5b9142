#include "platform/d3d/pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/general_span.h"
#include "platform/d3d/sampler.h"

namespace {

// A 16.16 texel position stepped along a span, brought back into range for wrapping.
std::int32_t ReduceTexelPosition(std::int64_t s, int size, bool powerOfTwo) {
  if (powerOfTwo) return static_cast<std::int32_t>(static_cast<std::uint32_t>(s));
  return static_cast<std::int32_t>(s % (std::int64_t{size} << 16));
}

}  // namespace

void SpanShader::Shade(const SpanInput& span) const {
  if (span.affine && span.flatColour && !settings_.depthTest) {
    ShadeAffineFlat(span);
  } else {
    ShadeGeneralSpan(span, settings_, target_);
  }
}

void SpanShader::ShadeAffineFlat(const SpanInput& span) const {
  std::uint16_t* row = target_.colour + span.y * target_.width;
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
  bool p2 = texture->powerOfTwo();
  std::int64_t s0 = TexelPosition(span.attributes[0].At(span.xFirst), w);
  std::int64_t t0 = TexelPosition(span.attributes[1].At(span.xFirst), h);
  std::int64_t ds = std::llround(span.attributes[0].dx * w * 65536.0);
  std::int64_t dt = std::llround(span.attributes[1].dx * h * 65536.0);
  if (p2) {
    ShadeAffineSpan({row + span.xFirst, span.xEnd - span.xFirst, static_cast<std::uint32_t>(s0),
                     static_cast<std::uint32_t>(t0), static_cast<std::uint32_t>(ds),
                     static_cast<std::uint32_t>(dt), texture, diffuse, specular, settings_.additive,
                     settings_.colourKey,
                     specular == 0 && diffuse == settings_.liveDiffuse ? settings_.liveBlocks : nullptr});
    return;
  }
  for (int x = span.xFirst; x < span.xEnd; ++x) {
    std::int64_t k = x - span.xFirst;
    std::int32_t s = ReduceTexelPosition(s0 + k * ds, w, p2);
    std::int32_t t = ReduceTexelPosition(t0 + k * dt, h, p2);
    if (settings_.colourKey && KeyedTexel(*texture, s, t)) continue;
    std::uint32_t colour = AddSaturated(Modulate(SampleBilinear(*texture, s, t), diffuse), specular);
    StoreColour(row + x, colour, settings_.additive);
  }
}
