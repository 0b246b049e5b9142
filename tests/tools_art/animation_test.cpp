// The six animations as the demo will decode them: well-formed streams of the right frame count,
// every frame decoding by the demo's own decoder at the size its render texture takes, loops
// that close, and the bottle's background see-through under the render textures' colour key.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "tools/art/animations.h"

namespace art {
namespace {

// Rendering is the slow part: each animation is rendered and encoded once for all the tests.
struct Rendered {
  std::vector<Canvas> frames;
  std::vector<std::uint8_t> encoded;
};
const Rendered& Render(const std::string& name) {
  static std::map<std::string, Rendered> cache;
  auto [it, made] = cache.try_emplace(name);
  if (made) {
    it->second.frames = MakeAnimationFrames(name);
    std::string fault;
    EXPECT_TRUE(EncodeAnimationFrames(name, it->second.frames, &it->second.encoded, &fault)) << fault;
  }
  return it->second;
}
const std::vector<Canvas>& Frames(const std::string& name) { return Render(name).frames; }
const std::vector<std::uint8_t>& Encoded(const std::string& name) { return Render(name).encoded; }

// Frame k of an encoded stream through the demo's decoder and colour table.
std::vector<std::uint16_t> DecodedFrame(const std::vector<std::uint8_t>& image, int k, int* width, int* height) {
  CodedFrameSpan span = LocateCodedFrame(image.data(), k);
  std::string fault;
  EXPECT_EQ(DecodeFrame(span.data, DecodedPicture, span.size, &fault), 1) << "frame " << k << ": " << fault;
  *width = FrameWidth;
  *height = FrameHeight;
  std::vector<std::uint16_t> pixels(static_cast<size_t>(FrameWidth) * FrameHeight);
  ConvertPicture(DecodedPicture, pixels.data(), 2 * FrameWidth, FrameWidth, FrameHeight);
  return pixels;
}

class Animations : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(InitAnimationDecoder(), 1); }
};

TEST_F(Animations, DecodeAtTheirRenderTextureSizes) {
  for (const AnimationInfo& info : AnimationTable()) {
    const std::vector<std::uint8_t>& image = Encoded(info.name);
    std::string fault;
    ASSERT_TRUE(CheckAnimationStream(image.data(), image.size(), &fault)) << info.name << ": " << fault;
    ASSERT_EQ(AnimationFrameCount(image.data()), info.frames) << info.name;
    EXPECT_EQ(info.size, (info.name == "item" || info.name == "pullo") ? 128 : 256) << info.name;
    for (int k = 0; k < info.frames; ++k) {
      int w = 0, h = 0;
      DecodedFrame(image, k, &w, &h);
      ASSERT_EQ(w, info.size) << info.name << " frame " << k;
      ASSERT_EQ(h, info.size) << info.name << " frame " << k;
      ASSERT_FALSE(FrameIsLumaOnly) << info.name;
    }
  }
  EXPECT_GE(AnimationFrameCount(Encoded("mina").data()), 6);  // frame 4 is shown as a still
}

double MeanDifference(const Canvas& a, const Canvas& b) {
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) sum += Length(a.pixels[i] - b.pixels[i]);
  return sum / a.pixels.size();
}

// The step from the last frame of a loop back to its first is no bigger than an ordinary step.
void ExpectLoopCloses(const std::vector<Canvas>& frames, int first, int last, const std::string& name) {
  double largestStep = 0;
  for (int k = first; k < last; ++k) largestStep = std::max(largestStep, MeanDifference(frames[k], frames[k + 1]));
  EXPECT_LE(MeanDifference(frames[last], frames[first]), largestStep * 1.25 + 1e-4) << name;
}

TEST_F(Animations, LoopsCloseWhereTheScenesWrapThem) {
  for (const char* name : {"kone", "item", "pullo", "kelmu"}) {
    const std::vector<Canvas>& frames = Frames(name);
    ExpectLoopCloses(frames, 0, static_cast<int>(frames.size()) - 1, name);
  }
  // The emblem loops all but its last five frames, then its last four.
  const std::vector<Canvas>& emblem = Frames("3dfx");
  int n = static_cast<int>(emblem.size());
  ExpectLoopCloses(emblem, 0, n - 6, "3dfx first part");
  ExpectLoopCloses(emblem, n - 4, n - 1, "3dfx last four");
}

TEST_F(Animations, TheBottleStandsOnSeeThroughBlack) {
  const std::vector<std::uint8_t>& image = Encoded("pullo");
  int w, h;
  for (int k = 0; k < AnimationFrameCount(image.data()); k += 5) {
    std::vector<std::uint16_t> pixels = DecodedFrame(image, k, &w, &h);
    for (int y = 0; y < h; ++y)  // the side columns, top to bottom
      for (int x : {1, w - 2}) ASSERT_LE(pixels[y * w + x], 0x0101) << "frame " << k << " at " << x << ", " << y;
    EXPECT_GT(pixels[(h / 2) * w + w / 2], 0x0101) << "frame " << k << ": the bottle's middle is keyed out";
  }
}

}  // namespace
}  // namespace art
