#include "platform/d3d/pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/sampler.h"

namespace {

std::uint32_t Pack(const std::uint8_t* rgb) {
  return static_cast<std::uint32_t>(rgb[0]) << 16 | static_cast<std::uint32_t>(rgb[1]) << 8 | rgb[2];
}

std::uint8_t InterpolatedByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

std::uint16_t DepthValue(double z) {
  if (!(z > 0)) return 0;
  if (z >= 1) return 0xFFFF;
  return static_cast<std::uint16_t>(z * 65535.0);
}

// A 16.16 texel position stepped along a span, brought back into range for wrapping.
std::int32_t ReduceTexelPosition(std::int64_t s, int size, bool powerOfTwo) {
  if (powerOfTwo) return static_cast<std::int32_t>(static_cast<std::uint32_t>(s));
  return static_cast<std::int32_t>(s % (std::int64_t{size} << 16));
}

void Store(std::uint16_t* pixel, std::uint32_t colour, bool additive) {
  if (additive) colour = AddSaturated(WidenRgb565(*pixel), colour);
  *pixel = NarrowColour(colour);
}

bool Keyed(const Texture& texture, std::int32_t s, std::int32_t t) {
  std::uint16_t texel = NearestTexel(texture, s, t);
  return texel >= texture.sourceKeyLow && texel <= texture.sourceKeyHigh;
}

}  // namespace

void SpanShader::Shade(const SpanInput& span) const {
  if (span.affine && span.flatColour && !settings_.depthTest) {
    ShadeAffineFlat(span);
  } else {
    ShadeGeneral(span);
  }
}

void SpanShader::ShadeAffineFlat(const SpanInput& span) const {
  std::uint16_t* row = target_.colour + span.y * target_.width;
  std::uint32_t diffuse = Pack(span.diffuse);
  std::uint32_t specular = settings_.specular ? Pack(span.specular) : 0;
  const Texture* texture = settings_.texture;
  if (!texture) {
    std::uint32_t colour = AddSaturated(diffuse, specular);
    for (int x = span.xFirst; x < span.xEnd; ++x) Store(row + x, colour, settings_.additive);
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
  if (p2 && !settings_.colourKey) {
    ShadeAffineSpan({row + span.xFirst, span.xEnd - span.xFirst, static_cast<std::uint32_t>(s0),
                     static_cast<std::uint32_t>(t0), static_cast<std::uint32_t>(ds),
                     static_cast<std::uint32_t>(dt), texture, diffuse, specular, settings_.additive,
                     specular == 0 && diffuse == settings_.liveDiffuse ? settings_.liveBlocks : nullptr});
    return;
  }
  for (int x = span.xFirst; x < span.xEnd; ++x) {
    std::int64_t k = x - span.xFirst;
    std::int32_t s = ReduceTexelPosition(s0 + k * ds, w, p2);
    std::int32_t t = ReduceTexelPosition(t0 + k * dt, h, p2);
    if (settings_.colourKey && Keyed(*texture, s, t)) continue;
    std::uint32_t colour = AddSaturated(Modulate(SampleBilinear(*texture, s, t), diffuse), specular);
    Store(row + x, colour, settings_.additive);
  }
}

void SpanShader::ShadeGeneral(const SpanInput& span) const {
  std::uint16_t* row = target_.colour + span.y * target_.width;
  std::uint16_t* depthRow = target_.depth + span.y * target_.width;
  const Texture* texture = settings_.texture;
  for (int x = span.xFirst; x < span.xEnd; ++x) {
    std::uint16_t depth = 0;
    if (settings_.depthTest) {
      depth = DepthValue(span.z.At(x));
      if (depth > depthRow[x]) continue;
    }
    double w = span.affine ? 1.0 : 1.0 / span.q.At(x);
    std::uint32_t diffuse, specular;
    if (span.flatColour) {
      diffuse = Pack(span.diffuse);
      specular = Pack(span.specular);
    } else {
      std::uint8_t c[6];
      for (int k = 0; k < 6; ++k) c[k] = InterpolatedByte(span.attributes[2 + k].At(x) * w);
      diffuse = Pack(c);
      specular = Pack(c + 3);
    }
    std::uint32_t colour = diffuse;
    if (texture) {
      std::int32_t s = TexelPosition(span.attributes[0].At(x) * w, texture->width());
      std::int32_t t = TexelPosition(span.attributes[1].At(x) * w, texture->height());
      if (settings_.colourKey && Keyed(*texture, s, t)) continue;
      colour = Modulate(SampleBilinear(*texture, s, t), diffuse);
    }
    if (settings_.specular) colour = AddSaturated(colour, specular);
    Store(row + x, colour, settings_.additive);
    if (settings_.depthWrite) depthRow[x] = depth;
  }
}
