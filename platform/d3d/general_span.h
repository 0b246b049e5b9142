// Spans that the flat affine loop does not take: lit meshes with depth, Gouraud colours and
// perspective-correct texture coordinates, keyed or not. The wide loop of span_kernels.h (AVX2,
// eight pixels a step) works in the same double and 8-bit arithmetic, so both loops give the same
// pixels bit for bit.
#pragma once

#include "platform/d3d/pixel_pipeline.h"
#include "platform/d3d/sampler.h"

// Through the loop in use (span_kernels.h), into target.colour, or target.trueColour when set.
void ShadeGeneralSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
// The plain loops: the reference, and the loops of processors without a wide one.
void ShadeGeneralSpanPortable(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
void ShadeGeneralSpanTrueColourPortable(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);

// True when a span's specular colour is black at every pixel, as most lit pixels' is: its three
// planes are zero, so each value is 0 times w (or not a number), which the byte conversion makes 0.
inline bool SpecularPlanesZero(const SpanInput& span) {
  for (int a = 5; a < 8; ++a) {
    if (span.attributes[a].start != 0.0 || span.attributes[a].dx != 0.0) return false;
  }
  return true;
}

// What a pixel's position decides; the rest of its shading follows from these. Both loops finish
// pixels with FinishPixel.
struct PixelValues {
  std::uint16_t depth = 0;
  std::int32_t s = 0, t = 0;
  std::uint32_t diffuse = 0, specular = 0;
};

// A pixel that passed the depth test: key, sample, modulate, specular, blend, store.
template <class Pixel>
inline void FinishPixel(const DrawSettings& settings, Pixel* pixel, std::uint16_t* depth,
                        const PixelValues& p) {
  std::uint32_t colour = p.diffuse;
  if (const Texture* texture = settings.texture) {
    if (settings.colourKey && KeyedTexel(*texture, p.s, p.t)) return;
    colour = Modulate(SampleBilinear(*texture, p.s, p.t), p.diffuse);
  }
  if (settings.specular) colour = AddSaturated(colour, p.specular);
  StoreColour(pixel, colour, settings.additive);
  if (settings.depthWrite) *depth = p.depth;
}
