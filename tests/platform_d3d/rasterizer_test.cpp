// Pixel-exact cases of the rasterizer's contract: coverage, sampling, colour arithmetic, keys,
// depth, clipping and perspective, and the wide span loops against the plain ones.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <random>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/guard_band_clip.h"
#include "platform/d3d/live_blocks.h"
#include "platform/d3d/span_kernels.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

int Red5(std::uint16_t p) { return p >> 11; }
int Green6(std::uint16_t p) { return (p >> 5) & 0x3F; }

using Coverage = DeviceTest;

TEST_F(Coverage, FullScreenQuadLeavesLastColumnAndRowUncovered) {
  DrawRect(0, 0, 639, 479, 0xFFFFFF);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF);
  EXPECT_EQ(Pixel(638, 478), 0xFFFF);
  for (int y = 0; y < 480; ++y) EXPECT_EQ(Pixel(639, y), 0) << "row " << y;
  for (int x = 0; x < 640; ++x) EXPECT_EQ(Pixel(x, 479), 0) << "column " << x;
}

TEST_F(Coverage, PixelCentresOnEdgesFollowTheTopLeftRule) {
  DrawRect(0.5f, 0.5f, 2.5f, 2.5f, 0xFFFFFF);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      EXPECT_EQ(Pixel(x, y), inside ? 0xFFFF : 0) << x << "," << y;
    }
  }
  // The diagonal shared by the two triangles is drawn once: one additive pass, one step of 8.
  context->Clear(D3DCLEAR_TARGET);
  Additive(true);
  DrawRect(10, 10, 30, 30, 0x080808);
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) ASSERT_EQ(Pixel(x, y), Rgb565(8, 8, 8)) << x << "," << y;
}

TEST_F(Coverage, HugeAndBrokenVerticesAreClippedOrDropped) {
  // Far beyond the guard band on every side: still exactly the whole screen.
  D3DTLVERTEX huge[3] = {{-1e7f, -1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0}, {1e7f, -1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0},
                         {0, 1e7f, 0.5f, 1, 0xFFFFFF, 0, 0, 0}};
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, huge, 3, 0), D3D_OK);
  EXPECT_EQ(std::count(frame(), frame() + 640 * 480, 0xFFFF), 640 * 480);
  context->Clear(D3DCLEAR_TARGET);
  D3DTLVERTEX broken[3] = {{NAN, 0, 0.5f, 1, 0xFFFFFF, 0, 0, 0}, {600, 0, 0.5f, 1, 0xFFFFFF, 0, 0, 0},
                           {0, INFINITY, 0.5f, 1, 0xFFFFFF, 0, 0, 0}};
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, broken, 3, 0), D3D_OK);
  EXPECT_EQ(std::count(frame(), frame() + 640 * 480, 0), 640 * 480);
  // Fewer than three vertices draw nothing.
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, huge, 2, 0), D3D_OK);
  EXPECT_EQ(Pixel(320, 240), 0);
}

// Corners at up to 3e38 pixels: float rounding there exceeds the whole band, so clipping must
// bring every corner back inside it, or integer set-up overflows.
TEST(GuardBandClip, CornersFromAnyFiniteDistanceComeBackInsideTheBand) {
  const float far[][6] = {{20, 0, 0, -3.0e15f, 0, 3.06e27f},
                          {-3e38f, -3e38f, 3e38f, -3e38f, 0, 3e38f},
                          {100, 100, 3e27f, 101, 100, -3e27f},
                          {8191, 0, 9000, 1e30f, -1e30f, 5}};
  for (const auto& f : far) {
    ScreenVertex corners[3] = {};
    for (int k = 0; k < 3; ++k) {
      corners[k].x = f[2 * k];
      corners[k].y = f[2 * k + 1];
      corners[k].q = 1;
      corners[k].attributes[2] = 100.0f * k;
    }
    const ScreenVertex* v[3] = {&corners[0], &corners[1], &corners[2]};
    ScreenVertex out[kGuardClipMaxVertices];
    const int count = ClipToGuardBand(v, out);
    EXPECT_GE(count, 3) << f[0] << "," << f[1] << " " << f[2] << "," << f[3] << " " << f[4] << "," << f[5];
    for (int k = 0; k < count; ++k) {
      EXPECT_LE(std::fabs(out[k].x), kGuardBand) << "corner " << k << " of " << f[0] << "," << f[1];
      EXPECT_LE(std::fabs(out[k].y), kGuardBand) << "corner " << k << " of " << f[0] << "," << f[1];
      EXPECT_TRUE(std::isfinite(out[k].attributes[2]));
    }
  }
}

// Found by fuzzing object files that pass the load check: one face with corners (20, 0, 0),
// (0, -3e15, 2e-13) and (0, 3.06e27, -0.033), drawn at depth 20 with scale 7.5, as the object
// drawer hands it to the device. Its triangle area overflowed 64 bits at set-up; now it is
// drawn as far as it reaches the screen, in its one flat colour.
TEST_F(Coverage, FaceSpanningFarBeyondTheScreenDrawsInItsColour) {
  const D3DCOLOR colour = 0xC86428;
  D3DLVERTEX v[3] = {{150, 0, 20, 0, colour, 0, 0, 0},
                     {0, -3.0e15f * 7.5f, 20 + 2e-13f * 7.5f, 0, colour, 0, 0, 0},
                     {0, 3.06e27f * 7.5f, 20 - 0.033f * 7.5f, 0, colour, 0, 0, 0}};
  WORD face[3] = {0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 3, face, 3, 0), D3D_OK);
  int covered = 0;
  for (int p = 0; p < 640 * 480; ++p) {
    ASSERT_TRUE(frame()[p] == 0 || frame()[p] == Rgb565(200, 100, 40)) << "pixel " << p;
    covered += frame()[p] != 0;
  }
  EXPECT_GT(covered, 0);
}

using Sampling = DeviceTest;

// Eight pixels over a 4-texel row: even pixels land on texel centres, odd ones halfway, the last
// halfway between the last texel and the first (wrapping).
TEST_F(Sampling, BilinearAtAndBetweenTexelCentresAndAcrossTheWrap) {
  const int r5[4] = {0, 8, 16, 31};
  std::vector<std::uint16_t> texels;
  for (int k : r5) texels.push_back(static_cast<std::uint16_t>(k << 11));
  device->SetTexture(0, MakeTexture(4, 1, texels));
  DrawRect(0, 0, 8, 1, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  auto widened = [](int v) { return v << 3 | v >> 2; };
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Red5(Pixel(2 * k, 0)), r5[k]) << "centre of texel " << k;
    int between = (widened(r5[k]) + widened(r5[(k + 1) % 4])) / 2;
    EXPECT_EQ(Red5(Pixel(2 * k + 1, 0)), between >> 3) << "between texels " << k << " and " << k + 1;
  }
}

TEST_F(Sampling, FourCornerAverageAndNonPowerOfTwoWrap) {
  // 2 x 2 texels sampled at their common corner: the mean of all four.
  device->SetTexture(0, MakeTexture(2, 2, {Rgb565(0, 0, 0), Rgb565(255, 0, 0), Rgb565(0, 255, 0),
                                           Rgb565(255, 255, 0)}));
  DrawRect(0, 0, 1, 1, 0xFFFFFF, 0, 0.5f, 0.5f, 1.5f, 1.5f);
  EXPECT_EQ(Red5(Pixel(0, 0)), 127 >> 3);
  EXPECT_EQ(Green6(Pixel(0, 0)), 127 >> 2);
  // Three texels wide (not a power of two): the last pixel is halfway between texel 2 and texel 0.
  device->SetTexture(0, MakeTexture(3, 1, {Rgb565(0, 0, 0), Rgb565(0, 0, 0), Rgb565(132, 0, 0)}));
  DrawRect(0, 2, 6, 3, 0xFFFFFF, 0, 1.0f / 6, 0, 7.0f / 6, 1);
  EXPECT_EQ(Red5(Pixel(4, 2)), 16);  // centre of texel 2
  EXPECT_EQ(Red5(Pixel(5, 2)), 8);   // halfway back to texel 0
  EXPECT_EQ(Red5(Pixel(0, 2)), 0);
}

TEST_F(Sampling, TextureCoordinatesArePerspectiveCorrect) {
  // A quad turned away to the right: its left edge at depth 2, its right edge at depth 6. Halfway
  // along it in space (x = 0, depth 4) lands on screen column 320, where an affine mapping would
  // give u = 0.75 instead of 0.5.
  std::vector<std::uint16_t> ramp;
  for (int k = 0; k < 64; ++k) ramp.push_back(static_cast<std::uint16_t>(k << 5));
  device->SetTexture(0, MakeTexture(64, 1, ramp));
  D3DLVERTEX v[4] = {{-1, 1, 2, 0, 0xFFFFFF, 0, 0, 0}, {1, 1, 6, 0, 0xFFFFFF, 0, 1, 0},
                     {-1, -1, 2, 0, 0xFFFFFF, 0, 0, 1}, {1, -1, 6, 0, 0xFFFFFF, 0, 1, 1}};
  WORD indices[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 4, indices, 6, 0), D3D_OK);
  EXPECT_NEAR(Green6(Pixel(320, 250)), 31, 1);
}

using ColourArithmetic = DeviceTest;

TEST_F(ColourArithmetic, ModulateKeepsTexelsUnderWhiteAndAddsSpecular) {
  const std::uint16_t texel = Rgb565(206, 101, 49);
  device->SetTexture(0, MakeTexture(1, 1, {texel}));
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  DrawRect(0, 0, 1, 1, 0xFFFFFF, 0x505050);  // white diffuse: the texel itself, no specular
  DrawRect(1, 0, 2, 1, 0x000000);            // black diffuse: black
  DrawRect(2, 0, 3, 1, 0x80FF40);            // (206 x 129, 101 x 256, 49 x 65) >> 8
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  DrawRect(3, 0, 4, 1, 0x80FF40, 0x14C800);  // + (20, 200, 0), saturating
  device->SetTexture(0, nullptr);
  DrawRect(4, 0, 5, 1, 0x80FF40, 0x14C800);  // no texture: diffuse + specular
  EXPECT_EQ(Pixel(0, 0), texel);
  EXPECT_EQ(Pixel(1, 0), 0);
  EXPECT_EQ(Pixel(2, 0), Rgb565(103, 101, 12));
  EXPECT_EQ(Pixel(3, 0), Rgb565(123, 255, 12));
  EXPECT_EQ(Pixel(4, 0), Rgb565(148, 255, 64));
}

TEST_F(ColourArithmetic, AdditiveLayersTruncateWidenAndSaturate) {
  Additive(true);
  // Grey 7 ten times: red and blue (5 bits) fall back to 0 after every add; green (6 bits)
  // climbs a step each time. Past 16 the widened value gains its repeated high bit and green
  // climbs two steps per add.
  for (int i = 0; i < 10; ++i) DrawRect(0, 0, 1, 1, 0x070707);
  EXPECT_EQ(Pixel(0, 0), 10 << 5);
  for (int i = 0; i < 10; ++i) DrawRect(0, 0, 1, 1, 0x070707);
  EXPECT_EQ(Pixel(0, 0), 24 << 5);
  // Two bright layers saturate instead of wrapping.
  DrawRect(1, 0, 2, 1, 0xC8C8C8);
  DrawRect(1, 0, 2, 1, 0xC8C8C8);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF);
  // The same through the wide span loop: a white texture under grey 7 is grey 7.
  device->SetTexture(0, MakeTexture(8, 8, std::vector<std::uint16_t>(64, 0xFFFF)));
  for (int i = 0; i < 20; ++i) DrawRect(0, 2, 40, 3, 0x070707);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(Pixel(x, 2), 24 << 5) << x;
}

TEST_F(ColourArithmetic, SourceColourKeyRanges) {
  // Texel centres at pixels 0..3 over a red background; keyed pixels keep the background.
  IDirectDrawSurface7* texture = MakeTexture(4, 1, {0x0000, 0x0202, 0x0203, 0xFFFF});
  DDCOLORKEY bitmapKey{0, 0x02020202};
  texture->SetColorKey(DDCKEY_SRCBLT, &bitmapKey);
  DrawRect(0, 0, 4, 3, 0xFF0000);
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawRect(0, 0, 4, 1, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  const std::uint16_t red = Rgb565(255, 0, 0);
  EXPECT_EQ(Pixel(0, 0), red);
  EXPECT_EQ(Pixel(1, 0), red);
  EXPECT_NE(Pixel(2, 0), red);
  EXPECT_EQ(Pixel(3, 0), 0xFFFF);
  // The render textures' key {0, 0x01010101} lets 0x0202 through.
  DDCOLORKEY renderKey{0, 0x01010101};
  texture->SetColorKey(DDCKEY_SRCBLT, &renderKey);
  DrawRect(0, 1, 4, 2, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  EXPECT_EQ(Pixel(0, 1), red);
  EXPECT_NE(Pixel(1, 1), red);
  // Keying off draws every texel, keyed or not.
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DrawRect(0, 2, 4, 3, 0xFFFFFF, 0, 0.125f, 0, 1.125f, 1);
  EXPECT_EQ(Pixel(0, 2), 0);
}

using DepthBuffer = DeviceTest;

TEST_F(DepthBuffer, LessEqualPassesEqualDepthAndWritesOnlyWhenAsked) {
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  DrawRect(0, 0, 4, 4, 0xFF0000, 0, 0, 0, 1, 1, 0.5f);
  DrawRect(0, 0, 4, 4, 0x00FF00, 0, 0, 0, 1, 1, 0.5f);  // equal depth passes
  DrawRect(0, 0, 4, 4, 0x0000FF, 0, 0, 0, 1, 1, 0.6f);  // farther fails
  EXPECT_EQ(Pixel(1, 1), Rgb565(0, 255, 0));
  EXPECT_EQ(Depth(1, 1), static_cast<std::uint16_t>(0.5 * 65535));
  // Without writes the test still runs but the buffer keeps its value.
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  DrawRect(0, 0, 4, 4, 0xFFFFFF, 0, 0, 0, 1, 1, 0.25f);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF);
  EXPECT_EQ(Depth(1, 1), static_cast<std::uint16_t>(0.5 * 65535));
  // With depth off nothing is tested or written.
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  DrawRect(10, 10, 12, 12, 0xFFFFFF, 0, 0, 0, 1, 1, 0.9f);
  EXPECT_EQ(Pixel(10, 10), 0xFFFF);
  EXPECT_EQ(Depth(10, 10), 0xFFFF);
}

using Projection = DeviceTest;

TEST_F(Projection, FloorCrossingTheNearPlaneIsClippedNotMirrored) {
  // A floor two units below the eye from behind the camera to depth 100: only the lower half
  // of the screen may show it, down to the bottom row.
  D3DLVERTEX v[4] = {{-50, -2, -10, 0, 0xFFFFFF, 0, 0, 0}, {50, -2, -10, 0, 0xFFFFFF, 0, 0, 0},
                     {-50, -2, 100, 0, 0xFFFFFF, 0, 0, 0}, {50, -2, 100, 0, 0xFFFFFF, 0, 0, 0}};
  WORD indices[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 4, indices, 6, 0), D3D_OK);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 640; ++x) ASSERT_EQ(Pixel(x, y), 0) << x << "," << y;
  EXPECT_EQ(Pixel(320, 479), 0xFFFF);
  EXPECT_EQ(Pixel(320, 260), 0xFFFF);
}

TEST_F(Projection, BeyondTheFarPlaneAndBadIndicesDrawNothing) {
  D3DLVERTEX far[3] = {{-1e5f, -1e5f, 20000, 0, 0xFFFFFF, 0, 0, 0}, {1e5f, -1e5f, 20000, 0, 0xFFFFFF, 0, 0, 0},
                       {0, 1e5f, 20000, 0, 0xFFFFFF, 0, 0, 0}};
  WORD good[3] = {0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, far, 3, good, 3, 0), D3D_OK);
  EXPECT_EQ(Pixel(320, 240), 0);
  // An index past the vertex count skips its triangle; the valid one after it is drawn.
  D3DLVERTEX near[3] = {{-10, -10, 10, 0, 0xFFFFFF, 0, 0, 0}, {10, -10, 10, 0, 0xFFFFFF, 0, 0, 0},
                        {0, 10, 10, 0, 0xFFFFFF, 0, 0, 0}};
  WORD mixed[6] = {0, 1, 3, 0, 1, 2};
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, near, 3, mixed, 6, 0), D3D_OK);
  EXPECT_EQ(Pixel(320, 240), 0xFFFF);
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

TEST(AffineSpan, WideLoopsMatchPortableLoop) {
  if (WideAffineLoops().empty()) GTEST_SKIP() << "no wide loops on this processor";
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
