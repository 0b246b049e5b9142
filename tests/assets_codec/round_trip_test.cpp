// Encoder -> decoder: pictures of several shapes come back within the quality target, through the
// same conversion the upload uses.
#include <cmath>

#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "assets/frame_conversion.h"
#include "codec_test_support.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/sample_picture.h"

namespace {

// The minimum is the 38 dB target where the blocks' residuals can reach it, and what 4-bit
// residuals under one shift per frame can give for large blocks and tiny, busy pictures.
struct Shape {
  const char* name;
  int width, height, lumaBlockWidth, lumaBlockHeight, chromaBlockWidth, chromaBlockHeight;
  bool vertical, lumaOnly;
  double minimumLumaPsnr;
};

class RoundTripTest : public DecoderTest, public ::testing::WithParamInterface<Shape> {};

// PSNR of the decoded luma against the luma the encoder aimed at.
double LumaPsnr(const anim::RgbPicture& picture, int pixelBytes) {
  double error = 0.0;
  const int pixels = picture.width * picture.height;
  for (int p = 0; p < pixels; ++p) {
    const auto target = anim::ToLumaChroma(picture.rgb[3 * p], picture.rgb[3 * p + 1], picture.rgb[3 * p + 2]);
    const double d = DecodedPicture[pixelBytes * p] - std::lround(target.y);
    error += d * d;
  }
  return error == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * pixels / error);
}

TEST_P(RoundTripTest, DecodesWithinTheTarget) {
  const Shape& shape = GetParam();
  anim::AnimationSettings settings;
  settings.frame = {shape.width, shape.height, shape.lumaBlockWidth, shape.lumaBlockHeight,
                    shape.chromaBlockWidth, shape.chromaBlockHeight, shape.vertical, -1,
                    shape.lumaOnly, 38.0};
  std::vector<anim::RgbPicture> pictures;
  for (int k = 0; k < 3; ++k) pictures.push_back(anim::SamplePicture(shape.width, shape.height, 7 * k));
  Bytes stream;
  std::string fault;
  ASSERT_TRUE(anim::EncodeAnimation(pictures, settings, &stream, &fault)) << fault;
  ASSERT_TRUE(CheckAnimationStream(stream.data(), stream.size(), &fault)) << fault;
  ASSERT_EQ(AnimationFrameCount(stream.data()), 3);
  for (int k = 2; k >= 0; --k) {
    const CodedFrameSpan frame = LocateCodedFrame(stream.data(), k);
    ASSERT_EQ(DecodeFrame(frame.data, DecodedPicture, frame.size, &fault), 1) << fault;
    EXPECT_EQ(FrameWidth, shape.width);
    EXPECT_EQ(FrameHeight, shape.height);
    EXPECT_EQ(FrameIsLumaOnly, shape.lumaOnly);
    EXPECT_GE(LumaPsnr(pictures[k], shape.lumaOnly ? 1 : 4), shape.minimumLumaPsnr) << "frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RoundTripTest,
    ::testing::Values(Shape{"full", 256, 256, 4, 4, 8, 8, true, false, 37.9},
                      Shape{"inset", 128, 128, 8, 4, 4, 16, true, false, 37.9},
                      Shape{"flat_blocks", 64, 32, 16, 16, 16, 2, false, false, 33.5},
                      Shape{"odd", 6, 5, 2, 1, 1, 1, true, false, 35.0},
                      Shape{"no_residual_room", 12, 7, 1, 1, 4, 1, true, false, 30.0},
                      Shape{"raw", 10, 6, 0, 0, 2, 2, true, false, 99.0},
                      Shape{"grey", 32, 48, 4, 8, 0, 0, true, true, 34.0},
                      Shape{"tall_grey", 256, 1000, 0, 0, 0, 0, false, true, 99.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DecoderTest, ColourRoundTripThroughTheConversion) {
  const anim::RgbPicture picture = anim::SamplePicture(256, 256, 3);
  Bytes frame;
  std::string fault;
  ASSERT_TRUE(anim::EncodeFrame(picture, anim::AnimationSettings{}, &frame, &fault)) << fault;
  ASSERT_EQ(DecodeFrame(frame.data(), DecodedPicture, static_cast<int>(frame.size()), &fault), 1);
  FillUploadBuffer(DecodedPicture, 256);
  double error = 0.0;
  for (int p = 0; p < 65536; ++p) {
    const std::uint16_t q = UploadBuffer[p];
    const int rgb[3] = {(q >> 11) << 3, ((q >> 5) & 63) << 2, (q & 31) << 3};
    for (int c = 0; c < 3; ++c) error += std::pow(rgb[c] + 4 - picture.rgb[3 * p + c], 2.0);
  }
  EXPECT_GT(10.0 * std::log10(255.0 * 255.0 * 3 * 65536 / error), 27.0);
}

}  // namespace
