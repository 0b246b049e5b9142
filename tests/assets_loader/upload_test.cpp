// The upload end to end on the headless device: which frame, which callback, which texture, and
// frames whose size differs from the texture's.
#include <cstring>
#include <set>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/colour_table.h"
#include "assets/frame_reconstruction.h"
#include "assets/frame_conversion.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "tests/assets_codec/codec_test_support.h"
#include "platform/d3d/texture.h"
#include "platform/win32/platform_mode.h"
#include "shell/graphics.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/sample_picture.h"

namespace {

class UploadTest : public DecoderTest {
 protected:
  static void SetUpTestSuite() {
    DecoderTest::SetUpTestSuite();
    if (Device == nullptr) {
      platform::Mode().presentation = platform::Presentation::Headless;
      ASSERT_GE(D3DXInitialize(), 0);
      ASSERT_TRUE(GraphicsStartup(nullptr, D3DX_CONTEXT_FULLSCREEN));
    }
    // The loader's tests, in the same program, release the textures after each test.
    if (RenderTextures[1] == nullptr) {
      ASSERT_TRUE(CreateRenderTextures());
    }
  }
  void SetUp() override {
    FramePostProcess = NoPostProcess;
    AnimationTarget = 1;
  }
  void TearDown() override { SetUp(); }

  static Bytes Stream(int size, int frames, bool lumaOnly = false) {
    anim::AnimationSettings settings;
    settings.frame.width = settings.frame.height = size;
    settings.frame.lumaOnly = lumaOnly;
    std::vector<anim::RgbPicture> pictures;
    for (int k = 0; k < frames; ++k) pictures.push_back(anim::SamplePicture(size, size, 9 * k));
    Bytes stream;
    std::string fault;
    EXPECT_TRUE(anim::EncodeAnimation(pictures, settings, &stream, &fault)) << fault;
    return stream;
  }
  // The texture's pixels that a decode of frame index with the routine would give.
  static std::vector<std::uint16_t> Expected(const Bytes& stream, int index, PostProcessRoutine post) {
    const CodedFrameSpan frame = LocateCodedFrame(stream.data(), index);
    EXPECT_EQ(DecodeFrame(frame.data, DecodedPicture, frame.size), 1);
    post();
    std::vector<std::uint16_t> pixels(FrameWidth * FrameHeight);
    ConvertPicture(DecodedPicture, pixels.data(), 2 * FrameWidth, FrameWidth, FrameHeight);
    return pixels;
  }
  static std::vector<std::uint16_t> Texture(int target) {
    const ::Texture* texture = RenderTextures[target]->texture();
    return {texture->pixels(), texture->pixels() + texture->width() * texture->height()};
  }
};

TEST_F(UploadTest, OutOfRangeIndicesShowFrameZeroWithTheInstalledCallback) {
  const Bytes stream = Stream(256, 3);
  FramePostProcess = InvertLuma;
  const auto frame0 = Expected(stream, 0, InvertLuma);
  for (int index : {-1, 3, 4}) {
    ASSERT_TRUE(UploadAnimationFrame(stream.data(), index));
    EXPECT_EQ(Texture(1), frame0) << "index " << index;
  }
  ASSERT_TRUE(UploadAnimationFrame(stream.data(), 2));
  EXPECT_EQ(Texture(1), Expected(stream, 2, InvertLuma));
  EXPECT_NE(Texture(1), frame0);
}

TEST_F(UploadTest, FramesOfAnotherSizeLoadWhatFits) {
  const Bytes small = Stream(128, 1), large = Stream(256, 1);
  AnimationTarget = 0;
  ASSERT_TRUE(UploadAnimationFrame(small.data(), 0));
  EXPECT_EQ(Texture(0), Expected(small, 0, NoPostProcess));

  ASSERT_TRUE(UploadAnimationFrame(large.data(), 0));  // 256 x 256 into 128 x 128: top left
  const auto full = Expected(large, 0, NoPostProcess);
  const auto quarter = Texture(0);
  for (int y = 0; y < 128; y += 31) {
    for (int x = 0; x < 128; x += 17) ASSERT_EQ(quarter[y * 128 + x], full[y * 256 + x]) << x << "," << y;
  }

  AnimationTarget = 1;
  ASSERT_TRUE(UploadAnimationFrame(small.data(), 0));  // 128 x 128 into 256 x 256: rest black
  const auto inset = Expected(small, 0, NoPostProcess);
  const auto texture = Texture(1);
  EXPECT_EQ(texture[5 * 256 + 7], inset[5 * 128 + 7]);
  EXPECT_EQ(texture[127 * 256 + 127], inset[127 * 128 + 127]);
  EXPECT_EQ(texture[5 * 256 + 200], 0);
  EXPECT_EQ(texture[200 * 256 + 5], 0);

  AnimationTarget = 2;
  EXPECT_FALSE(UploadAnimationFrame(small.data(), 0));
  AnimationTarget = -1;
  EXPECT_FALSE(UploadAnimationFrame(small.data(), 0));
}

TEST_F(UploadTest, LumaOnlyFramesShowGrey) {
  const Bytes grey = Stream(256, 1, true);
  ASSERT_TRUE(UploadAnimationFrame(grey.data(), 0));
  const auto texture = Texture(1);
  for (int p = 0; p < 65536; p += 251) {
    ASSERT_EQ(texture[p], ColourTable[DecodedPicture[4 * p] * 4096 + 32 * 64 + 32]) << "pixel " << p;
    ASSERT_EQ(DecodedPicture[4 * p + 1], 32);
  }
}

// A true-colour texture takes the colour table's arithmetic at 8 bits a channel, while its 16-bit
// values (what colour keys compare) stay those of the exact upload.
TEST_F(UploadTest, TrueColourTexturesKeepEightBitsAndTheSixteenBitValues) {
  const Bytes stream = Stream(256, 1);
  ASSERT_TRUE(UploadAnimationFrame(stream.data(), 0));
  const auto exact = Texture(1);
  IDirectDrawSurface7* const kept = RenderTextures[1];
  RenderTextures[1] = new IDirectDrawSurface7(new ::Texture(256, 256, 1, true));
  const bool loaded = UploadAnimationFrame(stream.data(), 0);
  const ::Texture& wide = *RenderTextures[1]->texture();
  std::set<std::uint32_t> colours(wide.widened(), wide.widened() + 65536);
  const std::vector<std::uint16_t> narrowed = Texture(1);
  for (int p = 0; p < 65536; p += 97) {
    const std::uint8_t* yuv = DecodedPicture + 4 * p;
    ASSERT_EQ(wide.widened()[p], TrueColourTableEntry(yuv[0], yuv[1], yuv[2])) << "pixel " << p;
  }
  RenderTextures[1]->Release();
  RenderTextures[1] = kept;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(narrowed, exact);
  EXPECT_GT(colours.size(), std::set<std::uint16_t>(exact.begin(), exact.end()).size() * 3 / 2);
}

// The picture of a refused frame was post-processed when it was shown: it stays as it was, under
// every callback, however often the frame comes (InvertLuma would flip it, BoostContrast stretch it).
TEST_F(UploadTest, UndecodableFramesShowThePictureAsItWasSteadily) {
  const Bytes stream = Stream(256, 2);
  Bytes broken = stream;
  const CodedFrameSpan frame = LocateCodedFrame(stream.data(), 1);
  broken[frame.data - stream.data() + 1028 + 7] = 40;  // a code length above 32 in frame 1
  for (PostProcessRoutine post : {NoPostProcess, InvertLuma, BoostContrast}) {
    FramePostProcess = post;
    ASSERT_TRUE(UploadAnimationFrame(broken.data(), 0));
    const auto shown = Texture(1);
    for (int k = 0; k < 3; ++k) {
      ASSERT_TRUE(UploadAnimationFrame(broken.data(), 1));
      ASSERT_EQ(Texture(1), shown) << "refused upload " << k;
    }
  }
}

}  // namespace
