// The post-process walks against a literal reading (pixel by pixel, row by row, one byte and one
// map at a time) on random pictures, frame widths and rectangles: the vector walk must give the
// same bytes, rows of narrow frames mapped twice, nothing outside the picture touched.
#include <random>
#include <vector>

#include "assets/post_process_maps.h"
#include "codec_test_support.h"

namespace {

// Byte offset of each pixel of the rectangle is 4 (y W + x) + plane, within the picture only.
void ReferenceMap(const std::uint8_t* map, std::uint8_t* picture, int plane, int x0, int y0, int x1,
                  int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const long p = static_cast<long>(y) * FrameWidth + x;
      if (p < 0 || p >= DecodedPictureBytes / 4) continue;
      std::uint8_t& byte = picture[4 * p + plane];
      byte = map[byte < 64 || plane == 0 ? byte : 63];
    }
  }
}

class PostProcessReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int k = 0; k < DecodedPictureBytes; ++k) DecodedPicture[k] = static_cast<std::uint8_t>(random_());
    // Mostly in-range chroma, as frames hold, with some bytes of 64 and more.
    for (int p = 0; p < DecodedPictureBytes / 4; ++p) {
      for (int c = 1; c <= 2; ++c) {
        if (random_() % 8 != 0) DecodedPicture[4 * p + c] &= 63;
      }
    }
    expected_.assign(DecodedPicture, DecodedPicture + DecodedPictureBytes);
  }
  Bytes Picture() const { return Bytes(DecodedPicture, DecodedPicture + DecodedPictureBytes); }
  // The maps as the callbacks build them, read back from an empty rectangle.
  Bytes LumaMapOf(float gain, float contrast) {
    AdjustLuma(gain, contrast, DecodedPicture, 0, 0, 0, 0);
    return Bytes(LumaMap, LumaMap + 256);
  }
  Bytes ChromaMapOf(float scale, float offset) {
    AdjustChroma(scale, offset, DecodedPicture, 0, 0, 0, 0);
    return Bytes(ChromaMap, ChromaMap + 64);
  }

  std::mt19937 random_{23};
  Bytes expected_;
};

TEST_F(PostProcessReferenceTest, AdjustWalksMatchOnRandomRectanglesAndWidths) {
  OnBothVectorPaths([this] {
    for (int trial = 0; trial < 60; ++trial) {
      const int widths[] = {256, 128, 1, 17, 255, 300, 32767};
      FrameWidth = widths[trial % 7];
      const int x0 = static_cast<int>(random_() % 300) - 20, y0 = static_cast<int>(random_() % 300) - 20;
      const int x1 = x0 + static_cast<int>(random_() % 280), y1 = y0 + static_cast<int>(random_() % 280);
      const float a = 0.2f + (random_() % 100) / 50.0f, b = -2.0f + (random_() % 100) / 25.0f;
      const int plane = trial % 3;
      if (plane == 0) {
        ReferenceMap(LumaMapOf(a, b).data(), expected_.data(), 0, x0, y0, x1, y1);
        AdjustLuma(a, b, DecodedPicture, x0, y0, x1, y1);
      } else {
        ReferenceMap(ChromaMapOf(a, b * 8.0f).data(), expected_.data(), plane, x0, y0, x1, y1);
        AdjustChroma(a, b * 8.0f, DecodedPicture + plane, x0, y0, x1, y1);
      }
      ASSERT_EQ(Picture(), expected_) << "trial " << trial << ", width " << FrameWidth << ", rectangle "
                                      << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
  });
}

TEST_F(PostProcessReferenceTest, VividColourIsTheThreeWalksInTurn) {
  OnBothVectorPaths([this] {
    for (const int width : {256, 128, 200, 7}) {
      FrameWidth = width;
      const Bytes luma = LumaMapOf(0.8f, 1.2f), chroma = ChromaMapOf(1.5f, 0.0f);
      ReferenceMap(luma.data(), expected_.data(), 0, 0, 0, 255, 255);
      ReferenceMap(chroma.data(), expected_.data(), 1, 0, 0, 255, 255);
      ReferenceMap(chroma.data(), expected_.data(), 2, 0, 0, 255, 255);
      VividColourEffect();
      ASSERT_EQ(Picture(), expected_) << "width " << width;
    }
  });
}

}  // namespace
