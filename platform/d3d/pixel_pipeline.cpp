#include "platform/d3d/pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/affine_span.h"
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

FlatQuadShader::FlatQuadShader(const TriangleSetup& t, const DrawSettings& settings, const RenderTarget& target)
    : target_(target),
      u_(t.attributes[0]),
      v_(t.attributes[1]),
      texture_(settings.texture),
      diffuse_(PackColour(t.diffuse)),
      specular_(settings.specular ? PackColour(t.specular) : 0),
      ds_(0),
      dt_(0),
      fill_(AddSaturated(diffuse_, specular_)),
      additive_(settings.additive),
      colourKey_(settings.colourKey),
      powerOfTwo_(texture_ && texture_->powerOfTwo()),
      // Texture times black adds nothing.
      nothing_(texture_ && additive_ && diffuse_ == 0 && specular_ == 0),
      liveBlocks_(specular_ == 0 && diffuse_ == settings.liveDiffuse ? settings.liveBlocks : nullptr) {
  if (!texture_) return;
  const int w = texture_->width(), h = texture_->height();
  ds_ = SpanPosition(RoundHalfAway(u_.dx * w * 65536.0), w, powerOfTwo_);
  dt_ = SpanPosition(RoundHalfAway(v_.dx * h * 65536.0), h, powerOfTwo_);
}

void FlatQuadShader::Shade(int y, int xFirst, int xEnd) const {
  if (nothing_) return;
  const std::ptrdiff_t row = std::ptrdiff_t{y} * target_.width;
  if (target_.trueColour) {
    ShadeRow(target_.trueColour + row, y, xFirst, xEnd);
  } else {
    ShadeRow(target_.colour + row, y, xFirst, xEnd);
  }
}

template <class Pixel>
void FlatQuadShader::ShadeRow(Pixel* row, int y, int xFirst, int xEnd) const {
  if (!texture_) {
    for (int x = xFirst; x < xEnd; ++x) StoreColour(row + x, fill_, additive_);
    return;
  }
  const int w = texture_->width(), h = texture_->height();
  const RowGradient u{u_.RowStart(y), u_.dx}, v{v_.RowStart(y), v_.dx};
  ShadeAffineSpan(BasicAffineSpan<Pixel>{row + xFirst, xEnd - xFirst,
                                         SpanPosition(TexelPosition(u.At(xFirst), w), w, powerOfTwo_),
                                         SpanPosition(TexelPosition(v.At(xFirst), h), h, powerOfTwo_), ds_, dt_,
                                         texture_, diffuse_, specular_, additive_, colourKey_, liveBlocks_});
}
