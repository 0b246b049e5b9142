// The wide loops of lit-mesh spans (AVX2 and AVX-512) against the one-pixel loop, on random spans
// under every combination of depth, key, specular, blending, perspective and texture kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/d3d/general_span.h"
#include "platform/d3d/span_kernels.h"

namespace {

Texture RandomTexture(int width, int height, std::mt19937& random) {
  Texture texture(width, height);
  // A narrow value range so that keys hit often.
  for (int i = 0; i < width * height; ++i) texture.pixels()[i] = static_cast<std::uint16_t>(random() % 64 * 0x0421);
  texture.Widen();
  texture.sourceKeyLow = 10 * 0x0421;
  texture.sourceKeyHigh = 20 * 0x0421;
  return texture;
}

double Uniform(std::mt19937& random, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(random);
}

SpanInput RandomSpan(std::mt19937& random, int width) {
  SpanInput span{};
  span.y = 1;
  span.xFirst = static_cast<int>(random() % width);
  span.xEnd = span.xFirst + static_cast<int>(random() % (width - span.xFirst + 1));
  span.affine = random() % 4 == 0;
  span.flatColour = span.affine && random() % 2 == 0;
  span.z = {Uniform(random, -0.1, 1.1), Uniform(random, -0.01, 0.01)};
  double q = Uniform(random, 0.2, 2.0);
  span.q = {q, span.affine ? 0.0 : Uniform(random, -0.002, 0.002)};
  double scale = span.affine ? 1.0 : q;
  for (int a = 0; a < ScreenVertex::kAttributes; ++a) {
    // Texture coordinates over several wraps and below zero; colours past both ends of 0..255.
    double low = a < 2 ? -3.0 : -40.0, high = a < 2 ? 3.0 : 300.0;
    span.attributes[a] = {Uniform(random, low, high) * scale, Uniform(random, -0.1, 0.1) * (a < 2 ? 0.5 : 40.0)};
  }
  // As most lit pixels: no specular light at all.
  if (random() % 3 == 0) std::fill(span.attributes + 5, span.attributes + 8, RowGradient{0.0, 0.0});
  for (int c = 0; c < 3; ++c) {
    span.diffuse[c] = static_cast<std::uint8_t>(random());
    span.specular[c] = static_cast<std::uint8_t>(random());
  }
  return span;
}

using GeneralLoop = void (*)(const SpanInput&, const DrawSettings&, const RenderTarget&);

// Every wide lit-mesh loop this processor has.
std::vector<GeneralLoop> WideGeneralLoops() {
  std::vector<GeneralLoop> loops;
#if KORVO_X86_KERNELS
  if (ProcessorHasAvx2()) loops.push_back(ShadeGeneralSpanAvx2);
  if (ProcessorHasAvx512()) loops.push_back(ShadeGeneralSpanAvx512);
#endif
  return loops;
}

TEST(GeneralSpan, WideLoopsMatchPortableLoop) {
  if (WideGeneralLoops().empty()) GTEST_SKIP() << "no wide loops on this processor";
  std::mt19937 random(23);
  Texture powerOfTwo = RandomTexture(32, 16, random), odd = RandomTexture(24, 10, random);
  constexpr int kWidth = 67, kHeight = 3;
  for (int trial = 0; trial < 3000; ++trial) {
    DrawSettings settings;
    int kind = static_cast<int>(random() % 3);
    settings.texture = kind == 0 ? nullptr : kind == 1 ? &powerOfTwo : &odd;
    settings.additive = random() % 2 == 0;
    settings.depthTest = random() % 4 != 0;
    settings.depthWrite = settings.depthTest && random() % 2 == 0;
    settings.colourKey = settings.texture && random() % 2 == 0;
    settings.specular = random() % 2 == 0;
    SpanInput span = RandomSpan(random, kWidth);
    std::vector<std::uint16_t> colour(kWidth * kHeight), depth(kWidth * kHeight);
    for (auto& c : colour) c = static_cast<std::uint16_t>(random());
    for (auto& d : depth) d = static_cast<std::uint16_t>(random());
    const std::vector<std::uint16_t> colourStart = colour, depthStart = depth;
    ShadeGeneralSpanPortable(span, settings, {colour.data(), depth.data(), kWidth, kHeight});
    for (GeneralLoop loop : WideGeneralLoops()) {
      std::vector<std::uint16_t> colourWide = colourStart, depthWide = depthStart;
      loop(span, settings, {colourWide.data(), depthWide.data(), kWidth, kHeight});
      ASSERT_EQ(colourWide, colour) << "trial " << trial;
      ASSERT_EQ(depthWide, depth) << "trial " << trial;
    }
  }
}

}  // namespace
