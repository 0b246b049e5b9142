// Pixel-exact cases of the rasterizer's contract: coverage, sampling, colour arithmetic, keys,
// depth, clipping and perspective, and the wide span loops against the plain ones.
#include <algorithm>
#include <cmath>
#include <random>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/guard_band_clip.h"
#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

int Red5(std::uint16_t p) { return p >> 11; }
int Green6(std::uint16_t p) { return (p >> 5) & 0x3F; }
D3DLVERTEX White(float x, float y, float z) { return {x, y, z, 0, 0xFFFFFF, 0, 0, 0}; }

using Rasterizer = DeviceTest;

TEST_F(Rasterizer, FillRuleLeavesBottomAndRightEdgesAndDrawsTheSharedDiagonalOnce) {
  DrawRect(0, 0, 639, 479, 0xFFFFFF);
  EXPECT_EQ(Pixel(638, 478), 0xFFFF);
  for (int y = 0; y < 480; ++y) ASSERT_EQ(Pixel(639, y), 0) << "last column, row " << y;
  for (int x = 0; x < 640; ++x) ASSERT_EQ(Pixel(x, 479), 0) << "last row, column " << x;
  context->Clear(D3DCLEAR_TARGET);
  DrawRect(0.5f, 0.5f, 2.5f, 2.5f, 0xFFFFFF);  // pixel centres on the edges: top and left kept
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(x, y), x % 3 && y % 3 ? 0xFFFF : 0) << "top-left " << x << "," << y;
  Additive(true);
  DrawRect(10, 10, 30, 30, 0x080808);
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) ASSERT_EQ(Pixel(x, y), Rgb565(8, 8, 8)) << "diagonal twice at " << x << "," << y;
}

TEST_F(Rasterizer, HugeVerticesAreClippedAndBrokenOnesDropped) {
  D3DTLVERTEX huge[3] = {{-1e7f, -1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0}, {1e7f, -1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0},
                         {0, 1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0}};
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, huge, 3, 0), D3D_OK);
  EXPECT_EQ(std::count(frame(), frame() + 640 * 480, 0xFFFF), 640 * 480) << "beyond the guard band";
  context->Clear(D3DCLEAR_TARGET);
  D3DTLVERTEX broken[3] = {{NAN, 0, 0.5f, 1, 0xFFFFFF, 0, 0, 0}, {600, 0, 0.5f, 1, 0xFFFFFF, 0, 0, 0},
                           {0, INFINITY, 0.5f, 1, 0xFFFFFF, 0, 0, 0}};
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, broken, 3, 0), D3D_OK);
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, huge, 2, 0), D3D_OK);
  EXPECT_EQ(std::count(frame(), frame() + 640 * 480, 0), 640 * 480) << "NaN, infinity or two vertices";
  // A face from fuzzed object files, as the object drawer hands it over: its area overflowed
  // 64 bits at set-up; it must draw in its one flat colour as far as it reaches the screen.
  D3DLVERTEX v[3] = {{150, 0, 20, 0, 0xC86428, 0, 0, 0}, {0, -3.0e15f * 7.5f, 20 + 2e-13f * 7.5f, 0, 0xC86428, 0, 0, 0},
                     {0, 3.06e27f * 7.5f, 20 - 0.033f * 7.5f, 0, 0xC86428, 0, 0, 0}};
  WORD face[3] = {0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 3, face, 3, 0), D3D_OK);
  for (int p = 0; p < 640 * 480; ++p) ASSERT_TRUE(frame()[p] == 0 || frame()[p] == Rgb565(200, 100, 40)) << p;
  EXPECT_GT(std::count(frame(), frame() + 640 * 480, Rgb565(200, 100, 40)), 0);
}

TEST(Rounding, RoundHalfAwayIsTheLibrarysRoundingWithoutItsCall) {
  std::mt19937 random(3);
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -2.5, 0.49999999999999994, -0.49999999999999994,
                                4503599627370495.5, 0x1p52 + 1, -0x1p61, 0x1p62, 1e300};
  for (int k = 0; k < 10000; ++k) {
    const double whole = static_cast<std::int32_t>(random());
    values.push_back(std::ldexp(whole, static_cast<int>(random() % 40) - 30));
  }
  for (double v : values) ASSERT_EQ(RoundHalfAway(v), std::llround(v)) << v;
}

// Corners at up to 3e38 pixels: float rounding there exceeds the whole band, so clipping must
// bring every corner back inside it, or integer set-up overflows.
TEST(GuardBandClip, CornersFromAnyFiniteDistanceComeBackInsideTheBand) {
  const float far[][6] = {{20, 0, 0, -3.0e15f, 0, 3.06e27f}, {-3e38f, -3e38f, 3e38f, -3e38f, 0, 3e38f}};
  for (const auto& f : far) {
    ScreenVertex corners[3] = {};
    for (int k = 0; k < 3; ++k) corners[k] = {f[2 * k], f[2 * k + 1], 0, 1, {0, 0, 100.0f * k}};
    const ScreenVertex* v[3] = {&corners[0], &corners[1], &corners[2]};
    ScreenVertex out[kGuardClipMaxVertices];
    const int count = ClipToGuardBand(v, out);
    EXPECT_GE(count, 3) << f[0];
    for (int k = 0; k < count; ++k) {
      EXPECT_LE(std::max(std::fabs(out[k].x), std::fabs(out[k].y)), kGuardBand) << "corner " << k << " of " << f[0];
      EXPECT_TRUE(std::isfinite(out[k].attributes[2]));
    }
  }
}

TEST_F(Rasterizer, BilinearSamplingWrapsOnAnySizeAndIsPerspectiveCorrect) {
  // Eight pixels over a 4-texel row: even ones on texel centres, odd ones halfway, the last
  // halfway back to the first.
  const int r5[4] = {0, 8, 16, 31};
  device->SetTexture(0, MakeTexture(4, 1, {0, 8 << 11, 16 << 11, 31 << 11}));
  DrawRect(0, 0, 8, 1, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  auto widened = [](int v) { return v << 3 | v >> 2; };
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Red5(Pixel(2 * k, 0)), r5[k]) << "centre of texel " << k;
    EXPECT_EQ(Red5(Pixel(2 * k + 1, 0)), (widened(r5[k]) + widened(r5[(k + 1) % 4])) / 2 >> 3) << "after " << k;
  }
  // 2 x 2 texels sampled at their common corner: the mean of all four.
  device->SetTexture(0, MakeTexture(2, 2, {0, Rgb565(255, 0, 0), Rgb565(0, 255, 0), Rgb565(255, 255, 0)}));
  DrawRect(0, 1, 1, 2, 0xFFFFFF, 0, 0.5f, 0.5f, 1.5f, 1.5f);
  EXPECT_EQ(Pixel(0, 1), Rgb565(127, 127, 0)) << "four-texel mean";
  // Three texels wide: the wrap goes from texel 2 back to texel 0, not to a power of two.
  device->SetTexture(0, MakeTexture(3, 1, {0, 0, Rgb565(132, 0, 0)}));
  DrawRect(0, 2, 6, 3, 0xFFFFFF, 0, 1.0f / 6, 0, 7.0f / 6, 1);
  EXPECT_EQ(Red5(Pixel(4, 2)), 16);
  EXPECT_EQ(Red5(Pixel(5, 2)), 8) << "non-power-of-two wrap";
  // A quad turned away: depth 2 on the left, 6 on the right. Column 320 is halfway in space
  // (u = 0.5), where an affine mapping would give 0.75.
  std::vector<std::uint16_t> ramp;
  for (int k = 0; k < 64; ++k) ramp.push_back(static_cast<std::uint16_t>(k << 5));
  device->SetTexture(0, MakeTexture(64, 1, ramp));
  D3DLVERTEX v[4] = {{-1, 1, 2, 0, 0xFFFFFF, 0, 0, 0}, {1, 1, 6, 0, 0xFFFFFF, 0, 1, 0},
                     {-1, -1, 2, 0, 0xFFFFFF, 0, 0, 1}, {1, -1, 6, 0, 0xFFFFFF, 0, 1, 1}};
  WORD indices[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 4, indices, 6, 0), D3D_OK);
  EXPECT_NEAR(Green6(Pixel(320, 250)), 31, 1) << "perspective";
}

TEST_F(Rasterizer, ModulateSpecularAndAdditiveTruncateWidenAndSaturate) {
  const std::uint16_t texel = Rgb565(206, 101, 49);
  device->SetTexture(0, MakeTexture(1, 1, {texel}));
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  DrawRect(0, 0, 1, 1, 0xFFFFFF, 0x505050);
  DrawRect(1, 0, 2, 1, 0x000000);
  DrawRect(2, 0, 3, 1, 0x80FF40);
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  DrawRect(3, 0, 4, 1, 0x80FF40, 0x14C800);
  device->SetTexture(0, nullptr);
  DrawRect(4, 0, 5, 1, 0x80FF40, 0x14C800);
  EXPECT_EQ(Pixel(0, 0), texel) << "white diffuse keeps the texel, specular off";
  EXPECT_EQ(Pixel(1, 0), 0) << "black diffuse";
  EXPECT_EQ(Pixel(2, 0), Rgb565(103, 101, 12)) << "(texel x (diffuse + 1)) >> 8";
  EXPECT_EQ(Pixel(3, 0), Rgb565(123, 255, 12)) << "specular added, saturating";
  EXPECT_EQ(Pixel(4, 0), Rgb565(148, 255, 64)) << "no texture: diffuse + specular";
  // Grey 7 added again and again: 5-bit red and blue fall back to 0 each time, 6-bit green climbs
  // a step; past 16 the widened value gains its repeated high bit and green climbs two.
  Additive(true);
  for (int i = 0; i < 10; ++i) DrawRect(0, 1, 1, 2, 0x070707);
  EXPECT_EQ(Pixel(0, 1), 10 << 5) << "truncation";
  for (int i = 0; i < 10; ++i) DrawRect(0, 1, 1, 2, 0x070707);
  EXPECT_EQ(Pixel(0, 1), 24 << 5) << "widening";
  DrawRect(1, 1, 2, 2, 0xC8C8C8);
  DrawRect(1, 1, 2, 2, 0xC8C8C8);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF) << "saturation";
}

TEST_F(Rasterizer, SourceColourKeyRanges) {
  // Texel centres at pixels 0..3 over a red background; keyed pixels keep the background.
  IDirectDrawSurface7* texture = MakeTexture(4, 1, {0x0000, 0x0202, 0x0203, 0xFFFF});
  DDCOLORKEY bitmapKey{0, 0x02020202}, renderKey{0, 0x01010101};
  texture->SetColorKey(DDCKEY_SRCBLT, &bitmapKey);
  DrawRect(0, 0, 4, 3, 0xFF0000);
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawRect(0, 0, 4, 1, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  texture->SetColorKey(DDCKEY_SRCBLT, &renderKey);
  DrawRect(0, 1, 4, 2, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DrawRect(0, 2, 4, 3, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  const std::uint16_t red = Rgb565(255, 0, 0);
  EXPECT_EQ(std::vector<bool>({Pixel(0, 0) == red, Pixel(1, 0) == red, Pixel(2, 0) == red, Pixel(3, 0) == red}),
            std::vector<bool>({true, true, false, false})) << "bitmap key up to 0x0202";
  EXPECT_TRUE(Pixel(0, 1) == red && Pixel(1, 1) != red) << "render-texture key up to 0x0101";
  EXPECT_EQ(Pixel(0, 2), 0) << "keying off draws keyed texels";
}

TEST_F(Rasterizer, DepthLessEqualPassesEqualAndWritesOnlyWhenAsked) {
  const auto depthAt = [](float z) { return static_cast<std::uint16_t>(z * 65535); };
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  DrawRect(0, 0, 4, 4, 0xFF0000, 0, 0, 0, 1, 1, 0.5f);
  DrawRect(0, 0, 4, 4, 0x00FF00, 0, 0, 0, 1, 1, 0.5f);
  DrawRect(0, 0, 4, 4, 0x0000FF, 0, 0, 0, 1, 1, 0.6f);
  EXPECT_EQ(Pixel(1, 1), Rgb565(0, 255, 0)) << "equal depth passes, farther fails";
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  DrawRect(0, 0, 4, 4, 0xFFFFFF, 0, 0, 0, 1, 1, 0.25f);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF);
  EXPECT_EQ(Depth(1, 1), depthAt(0.5f)) << "tested without writing";
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  DrawRect(10, 10, 12, 12, 0xFFFFFF, 0, 0, 0, 1, 1, 0.9f);
  EXPECT_EQ(Depth(10, 10), 0xFFFF) << "depth off writes nothing";
}

TEST_F(Rasterizer, NearPlaneClipsFarPlaneDropsAndBadIndicesAreSkipped) {
  // A floor two units below the eye from behind the camera to depth 100: lower half only.
  D3DLVERTEX floor[4] = {White(-50, -2, -10), White(50, -2, -10), White(-50, -2, 100), White(50, -2, 100)};
  WORD quad[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, floor, 4, quad, 6, 0), D3D_OK);
  EXPECT_EQ(std::count(frame(), frame() + 640 * 240, 0), 640 * 240) << "mirrored above the horizon";
  EXPECT_TRUE(Pixel(320, 479) == 0xFFFF && Pixel(320, 260) == 0xFFFF);
  context->Clear(D3DCLEAR_TARGET);
  D3DLVERTEX far[3] = {White(-1e5f, -1e5f, 20000), White(1e5f, -1e5f, 20000), White(0, 1e5f, 20000)};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, far, 3, quad, 3, 0), D3D_OK);
  EXPECT_EQ(Pixel(320, 240), 0) << "beyond the far plane";
  D3DLVERTEX near[3] = {White(-10, -10, 10), White(10, -10, 10), White(0, 10, 10)};
  WORD mixed[6] = {0, 1, 3, 0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, near, 3, mixed, 6, 0), D3D_OK);
  EXPECT_EQ(Pixel(320, 240), 0xFFFF) << "the valid triangle after a bad index";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, nullptr, 3, mixed, 6, 0),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, near, 3, nullptr, 6, 0),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, nullptr, 4, 0), DDERR_INVALIDPARAMS);
}

// Random texels with keyed ones among them: some eight-pixel steps wholly keyed, some partly,
// edge values of the key included.
Texture KeyedRandomTexture(int width, int height, std::mt19937& random) {
  Texture texture(width, height);
  int size = width * height;
  for (int i = 0; i < size; ++i) texture.pixels()[i] = static_cast<std::uint16_t>(random());
  for (int i = 0; i < size; i += 3) texture.pixels()[i] = static_cast<std::uint16_t>(0xF800 + random() % 3);
  for (int i = 0; i < size / 2; ++i) texture.pixels()[i] = 0xF801;
  texture.sourceKeyLow = 0xF800;
  texture.sourceKeyHigh = 0xF801;
  texture.Widen();
  return texture;
}

// Every wide quad loop this processor has.
std::vector<void (*)(const AffineSpan&)> WideAffineLoops() {
  std::vector<void (*)(const AffineSpan&)> loops;
#if KORVO_X86_KERNELS
  if (ProcessorHasAvx2()) loops.push_back(ShadeAffineSpanAvx2);
  if (ProcessorHasAvx512()) loops.push_back(ShadeAffineSpanAvx512);
#endif
  return loops;
}

// The sampler's arithmetic a pixel at a time: what the plain loop's vectors must give on every
// processor, aarch64 included, where no wide loop checks it.
void ShadeByPixel(const AffineSpan& span) {
  const Texture& texture = *span.texture;
  const std::uint32_t sModulus = TexelModulus(texture.width(), texture.powerOfTwo());
  const std::uint32_t tModulus = TexelModulus(texture.height(), texture.powerOfTwo());
  std::uint32_t s = span.s, t = span.t;
  for (int i = 0; i < span.count; ++i, s = Advance(s, span.ds, sModulus), t = Advance(t, span.dt, tModulus)) {
    const auto is = static_cast<std::int32_t>(s), it = static_cast<std::int32_t>(t);
    if (span.colourKey && KeyedTexel(texture, is, it)) continue;
    StoreColour(span.target + i, AddSaturated(Modulate(SampleBilinear(texture, is, it), span.diffuse), span.specular),
                span.additive);
  }
}

TEST(AffineSpan, PlainLoopMatchesThePixelByPixelSamplerAndWideLoopsMatchIt) {
  std::mt19937 random(11);
  Texture powerOfTwo = KeyedRandomTexture(32, 16, random), odd = KeyedRandomTexture(24, 10, random);
  for (int trial = 0; trial < 800; ++trial) {
    const Texture& texture = trial % 2 ? odd : powerOfTwo;
    // Positions on other sizes than powers of two stay within one texture size.
    auto position = [&](int size, std::uint32_t value) {
      return texture.powerOfTwo() ? value : value % (static_cast<std::uint32_t>(size) << 16);
    };
    std::vector<std::uint16_t> start(61);
    for (std::uint16_t& pixel : start) pixel = static_cast<std::uint16_t>(random());
    std::vector<std::uint16_t> portable = start;
    AffineSpan span{portable.data(), static_cast<int>(random() % 61), position(texture.width(), random()),
                    position(texture.height(), random()),
                    position(texture.width(), static_cast<std::uint32_t>(random() % 0x40000) - 0x20000),
                    position(texture.height(), static_cast<std::uint32_t>(random() % 0x40000) - 0x20000), &texture,
                    static_cast<std::uint32_t>(random()) & 0xFFFFFF,
                    trial % 3 == 0 ? static_cast<std::uint32_t>(random()) & 0xFFFFFF : 0, trial % 4 < 2,
                    trial % 5 < 2};
    ShadeAffineSpanPortable(span);
    std::vector<std::uint16_t> byPixel = start;
    span.target = byPixel.data();
    ShadeByPixel(span);
    ASSERT_EQ(portable, byPixel) << "trial " << trial;
    for (auto loop : WideAffineLoops()) {
      std::vector<std::uint16_t> wide = start;
      span.target = wide.data();
      loop(span);
      ASSERT_EQ(wide, portable) << "trial " << trial;
    }
  }
}

TEST(AffineSpan, SkippingDeadBlocksChangesNoPixel) {
  std::vector<void (*)(const AffineSpan&)> loops = WideAffineLoops();
  loops.push_back(ShadeAffineSpanPortable);
  // Mostly black with faint texels (dead under a dim diffuse) and a few bright ones.
  Texture texture(64, 64);
  std::mt19937 random(5);
  for (int i = 0; i < 64 * 64; ++i) {
    int r = static_cast<int>(random() % 100);
    texture.pixels()[i] = r < 3 ? static_cast<std::uint16_t>(random()) : r < 40 ? 0x0841 : 0;
  }
  texture.Widen();
  std::vector<std::uint8_t> live;
  for (int trial = 0; trial < 300; ++trial) {
    std::uint32_t grey = random() % 64;
    FindLiveBlocks(texture, grey * 0x010101u, live);
    std::vector<std::uint16_t> start(200);
    for (std::uint16_t& pixel : start) pixel = static_cast<std::uint16_t>(random());
    AffineSpan span{nullptr, static_cast<int>(random() % 200), static_cast<std::uint32_t>(random()),
                    static_cast<std::uint32_t>(random()), static_cast<std::uint32_t>(random() % 0x30000) - 0x18000,
                    static_cast<std::uint32_t>(random() % 0x30000) - 0x18000, &texture, grey * 0x010101u, 0,
                    true, false, live.data()};
    for (auto loop : loops) {
      std::vector<std::uint16_t> skipping = start, full = start;
      span.target = skipping.data();
      span.liveBlocks = live.data();
      loop(span);
      span.target = full.data();
      span.liveBlocks = nullptr;
      loop(span);
      ASSERT_EQ(skipping, full) << "trial " << trial;
    }
  }
}

}  // namespace
