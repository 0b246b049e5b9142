// High-definition renderings of the device: the 640 x 480 screen drawn at K times the pixels,
// frame copies that keep the detail, and true colour with 8 bits a channel everywhere.
#include <cstring>
#include <random>

#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

class Rendering : public DeviceTest {
 public:
  void Use(int scale, int bits) {
    DeviceTest::TearDown();
    textures.clear();
    platform::Mode().renderScale = scale;
    platform::Mode().colourBits = bits;
    DeviceTest::SetUp();  // a new context takes the rendering
  }
  void TearDown() override {
    DeviceTest::TearDown();
    textures.clear();
    platform::Mode().renderScale = 1;
    platform::Mode().colourBits = 16;
  }

  Texture& Frame() { return SoftwareDevice::Instance().backBuffer(); }
  // 0x00RRGGBB of a frame pixel, from either kind of frame.
  std::uint32_t Colour(int x, int y) {
    const std::size_t i = static_cast<std::size_t>(y) * Frame().width() + x;
    return Frame().trueColour() ? Frame().widened()[i] : WidenRgb565(Frame().pixels()[i]);
  }
  // A width x height texture holding the frame, or the part of it in source.
  IDirectDrawSurface7* CopyOfFrame(int width, int height, RECT* source = nullptr) {
    IDirectDrawSurface7* target = MakeTexture(width, height, std::vector<std::uint16_t>(width * height, 0));
    IDirectDrawSurface7* back = context->GetBackBuffer(0);
    EXPECT_EQ(D3DXLoadTextureFromSurface(device, target, 0, back, source, nullptr, D3DX_FT_POINT), S_OK);
    back->Release();
    return target;
  }
};

TEST_F(Rendering, ScaleTwoDrawsEveryScreenPixelAsTwoByTwoWithTheFillRuleKept) {
  Use(2, 16);
  ASSERT_TRUE(Frame().width() == 1280 && Frame().height() == 960);
  // Corners on pixel centres: exactly pixels 3..5 x 2..3 of the screen, each as 2 x 2.
  DrawRect(3, 2, 6, 4, 0xFFFFFF);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(Colour(x, y), x / 2 >= 3 && x / 2 < 6 && y / 2 >= 2 && y / 2 < 4 ? 0xFFFFFFu : 0u) << x << "," << y;
  // Half-pixel corners land on pixel centres of the doubled grid: top and left kept, bottom and
  // right left out; the strip's shared diagonal adds once.
  context->Clear(D3DCLEAR_TARGET);
  Additive(true);
  DrawRect(10.5f, 10.5f, 30.5f, 20.5f, 0x080808);
  for (int y = 20; y < 44; ++y)
    for (int x = 20; x < 64; ++x)
      ASSERT_EQ(Colour(x, y), x >= 21 && x < 61 && y >= 21 && y < 41 ? 0x080808u : 0u) << x << "," << y;
}

TEST_F(Rendering, FrameCopiesHoldScaleTimesTheTexelsAndUploadsTheirOwn) {
  Use(2, 32);
  // Columns of the frame in distinct colours, finer than a screen pixel.
  for (int y = 0; y < 960; ++y)
    for (int x = 0; x < 1280; ++x) Frame().widened()[y * 1280 + x] = static_cast<std::uint32_t>(x << 8 | y % 251);
  IDirectDrawSurface7* copy = CopyOfFrame(256, 256);
  const Texture& t = *copy->texture();
  EXPECT_TRUE(t.scale() == 2 && t.width() == 512 && t.logicalWidth() == 256) << "twice the texels of its size";
  // Texel i samples the frame under its centre: column floor((i + 0.5) * 1280 / 512).
  for (int i = 0; i < 512; i += 37) {
    const int column = (2 * i + 1) * 1280 / 1024, row = (2 * 5 + 1) * 960 / 1024;
    ASSERT_EQ(t.widened()[5 * 512 + i], static_cast<std::uint32_t>(column << 8 | row % 251)) << i;
    ASSERT_EQ(t.pixels()[5 * 512 + i], NarrowColour(t.widened()[5 * 512 + i])) << "the key's 16-bit copy";
  }
  std::vector<std::uint16_t> rows(256 * 256, 0x1234);
  ASSERT_EQ(D3DXLoadTextureFromMemory(device, copy, 0, rows.data(), nullptr, D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT),
            S_OK);
  EXPECT_EQ(t.scale(), 1) << "an upload has the texture's own size again";
  EXPECT_EQ(t.widened()[255 * 256 + 255], WidenRgb565(0x1234));
}

TEST_F(Rendering, TrueColourBlendsWithoutTruncationSaturatesAndKeysByTheSixteenBitValue) {
  Use(1, 32);
  Additive(true);
  // Grey 7 ten times: every step counts, where R5G6B5 loses red and blue entirely.
  for (int i = 0; i < 10; ++i) DrawRect(0, 0, 1, 1, 0x070707);
  EXPECT_EQ(Colour(0, 0), 0x464646u);
  DrawRect(1, 0, 2, 1, 0xC81E64);
  DrawRect(1, 0, 2, 1, 0xC81E64);
  EXPECT_EQ(Colour(1, 0), 0xFF3CC8u);
  Additive(false);
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  DrawRect(2, 0, 3, 1, 0x80FF41, 0x14C803);
  EXPECT_EQ(Colour(2, 0), 0x94FF44u);
  // Modulate keeps 8 bits: a copied texel 0x030507 under diffuse 0x808080.
  Frame().widened()[0] = 0x030507;
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  RECT corner{0, 0, 1, 1};
  device->SetTexture(0, CopyOfFrame(1, 1, &corner));
  DrawRect(5, 5, 6, 6, 0xFFFFFF);
  EXPECT_EQ(Colour(5, 5), 0x030507u);
  Use(1, 32);
  Frame().widened()[0] = 0x070707;  // 0x0020 in 16 bits, keyed
  Frame().widened()[1] = 0x080808;  // 0x0841, drawn
  RECT source{0, 0, 2, 1};
  IDirectDrawSurface7* target = CopyOfFrame(2, 1, &source);
  DDCOLORKEY key{0, 0x0020};
  target->SetColorKey(DDCKEY_SRCBLT, &key);
  context->Clear(D3DCLEAR_TARGET);
  device->SetTexture(0, target);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawRect(0, 0, 2, 1, 0xFFFFFF, 0, 0.25f, 0, 1.25f, 1);
  EXPECT_TRUE(Colour(0, 0) == 0u && Colour(1, 0) == 0x080808u);
}

// The wide loops give the plain loops' pixels in every rendering: keyed, additive and lit draws
// over an odd-sized texture and a power-of-two one, with tails of every length.
TEST_F(Rendering, WideAndPlainLoopsDrawTheSamePicturesAtScaleAndInTrueColour) {
  if (!SelectSpanKernels(true)) GTEST_SKIP() << "no wide loops on this processor";
  for (int bits : {16, 32}) {
    Use(3, bits);
    std::mt19937 random(bits);
    std::vector<std::uint16_t> odd(37 * 23), square(64 * 64);
    for (auto& t : odd) t = static_cast<std::uint16_t>(random());
    for (auto& t : square) t = static_cast<std::uint16_t>(random() % 4 ? random() : 0x0020);
    IDirectDrawSurface7* a = MakeTexture(37, 23, odd);
    IDirectDrawSurface7* b = MakeTexture(64, 64, square);
    DDCOLORKEY key{0, 0x0841};
    b->SetColorKey(DDCKEY_SRCBLT, &key);
    auto draw = [&] {
      context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
      device->SetTexture(0, a);
      DrawRect(-3.3f, 1.7f, 200.2f, 150.9f, 0xC0A080, 0, 0.1f, 0.2f, 2.7f, 1.9f);
      Additive(true);
      device->SetTexture(0, b);
      DrawRect(5.25f, 3.5f, 310.6f, 207.3f, 0x8090FF, 0, -0.3f, 0.1f, 1.6f, 1.2f);
      device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
      DrawRect(100.1f, 50.3f, 139.9f, 91.2f, 0xFFFFFF, 0, 0, 0, 1, 1);
      device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
      Additive(false);
      device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
      D3DLVERTEX v[3] = {{-1, 1, 3, 0, 0xFF2040, 0x102030, 0, 0}, {2, 0.5f, 5, 0, 0x20FF40, 0, 1, 0},
                         {-0.5f, -1.5f, 4, 0, 0x4020FF, 0x301000, 0.3f, 1}};
      WORD face[3] = {0, 1, 2};
      device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
      ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, 3, face, 3, 0), D3D_OK);
      device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
      device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    };
    const std::size_t words = static_cast<std::size_t>(Frame().width()) * Frame().height();
    SelectSpanKernels(false);
    draw();
    std::vector<std::uint32_t> plain(Frame().widened(), Frame().widened() + words);
    std::vector<std::uint16_t> plain16(Frame().pixels(), Frame().pixels() + words);
    SelectSpanKernels(true);
    draw();
    if (bits == 32) {
      EXPECT_EQ(std::memcmp(plain.data(), Frame().widened(), words * 4), 0) << "32 bits";
    } else {
      EXPECT_EQ(std::memcmp(plain16.data(), Frame().pixels(), words * 2), 0) << "16 bits";
    }
  }
}

}  // namespace
