#include "platform/d3d/general_span.h"

#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

template <class Pixel>
void ShadeSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target, Pixel* frame) {
  Pixel* row = frame + span.y * target.width;
  std::uint16_t* depthRow = target.depth + span.y * target.width;
  const Texture* texture = settings.texture;
  for (int x = span.xFirst; x < span.xEnd; ++x) {
    PixelValues p;
    if (settings.depthTest) {
      p.depth = DepthValue(span.z.At(x));
      if (p.depth > depthRow[x]) continue;
    }
    double w = span.affine ? 1.0 : 1.0 / span.q.At(x);
    if (span.flatColour) {
      p.diffuse = PackColour(span.diffuse);
      p.specular = PackColour(span.specular);
    } else {
      std::uint8_t c[6];
      for (int k = 0; k < 6; ++k) c[k] = InterpolatedByte(span.attributes[2 + k].At(x) * w);
      p.diffuse = PackColour(c);
      p.specular = PackColour(c + 3);
    }
    if (texture) {
      p.s = TexelPosition(span.attributes[0].At(x) * w, texture->width());
      p.t = TexelPosition(span.attributes[1].At(x) * w, texture->height());
    }
    FinishPixel(settings, row + x, depthRow + x, p);
  }
}

}  // namespace

void ShadeGeneralSpanPortable(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.colour);
}

void ShadeGeneralSpanTrueColourPortable(const SpanInput& span, const DrawSettings& settings,
                                        const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.trueColour);
}

void ShadeGeneralSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  if (target.trueColour) {
    ActiveSpanKernels.trueColourGeneralSpan(span, settings, target);
  } else {
    ActiveSpanKernels.generalSpan(span, settings, target);
  }
}
