// Frame reconstruction: the worked records, interpolation, residual arithmetic, luma-only frames.
#include <cstring>

#include "assets/frame_reconstruction.h"
#include "codec_test_support.h"

namespace {

class ReconstructionTest : public DecoderTest {
 protected:
  void SetUp() override { std::memset(DecodedPicture, 0xA5, DecodedPictureBytes); }

  void Decode(const Bytes& record) {
    const Bytes frame = CodedFrameOf(record);
    std::string fault;
    ASSERT_EQ(DecodeFrame(frame.data(), DecodedPicture, static_cast<int>(frame.size()), &fault), 1)
        << fault;
  }
  // Byte `plane` of each pixel of row y.
  Bytes Row(int y, int plane = 0) const {
    Bytes row;
    for (int x = 0; x < FrameWidth; ++x) row.push_back(DecodedPicture[4 * (y * FrameWidth + x) + plane]);
    return row;
  }
};

// The 4 x 4 frame: 4 x 4 blocks, vertical interpolation on, luma grid 10 20 / 30 40, one block.
Bytes SmallRecord(const Bytes& block) {
  Bytes record = {4, 0, 4, 0, 4, 4, 4, 4, 1, 0, 0, 0, 0x0A, 0x14, 0x1E, 0x28};
  for (const std::uint8_t b : block) record.push_back(b);  // insert() trips a false bounds warning
  for (int k = 0; k < 8; ++k) record.push_back(0x20);
  return record;
}

TEST_F(ReconstructionTest, WorkedRecordsWithAndWithoutResiduals) {
  const Bytes plain = SmallRecord({0x01});
  ASSERT_EQ(plain.size(), 25u);
  Decode(plain);
  EXPECT_EQ(FrameWidth, 4);
  EXPECT_EQ(FrameHeight, 4);
  EXPECT_EQ(Row(0), (Bytes{40, 50, 60, 70}));
  EXPECT_EQ(Row(1), (Bytes{60, 70, 80, 90}));
  EXPECT_EQ(Row(2), (Bytes{80, 90, 100, 110}));
  EXPECT_EQ(Row(3), (Bytes{100, 110, 120, 130}));
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(Row(y, 1), Bytes(4, 32));
    EXPECT_EQ(Row(y, 2), Bytes(4, 32));
    EXPECT_EQ(Row(y, 3), Bytes(4, 0xA5)) << "byte 3 is never written";
  }

  Bytes residual = {0x00};
  residual.insert(residual.end(), 8, 0x98);
  const Bytes withResidual = SmallRecord(residual);
  ASSERT_EQ(withResidual.size(), 33u);
  Decode(withResidual);
  EXPECT_EQ(Row(0), (Bytes{40, 49, 60, 69}));
  EXPECT_EQ(Row(1), (Bytes{60, 69, 80, 89}));
  EXPECT_EQ(Row(2), (Bytes{80, 89, 100, 109}));
  EXPECT_EQ(Row(3), (Bytes{100, 109, 120, 129}));
  EXPECT_EQ(Row(3, 2), Bytes(4, 32)) << "the Cb grid moves past the residual bytes";
}

TEST_F(ReconstructionTest, ChromaGridsFollowTheResidualsTheLumaConsumed) {
  // 8 x 4 frame of two 4 x 4 luma blocks, the first with residuals; chroma 8 x 4 blocks with Cr
  // 10 .. 26 and Cb 50 .. 58 across, so a misplaced grid shows.
  Bytes record = {8, 0, 4, 0, 4, 4, 8, 4, 1, 0, 0, 0};
  record.insert(record.end(), {16, 16, 16, 16, 16, 16});  // luma grid 3 x 2
  record.push_back(0x00);
  record.insert(record.end(), 8, 0x88);                  // residuals of delta 0
  record.push_back(0x07);                                // second block: none
  record.insert(record.end(), {10, 26, 10, 26});         // Cr grid 2 x 2
  record.insert(record.end(), {50, 58, 50, 58});         // Cb grid
  Decode(record);
  EXPECT_EQ(Row(0), Bytes(8, 64));
  EXPECT_EQ(Row(2, 1), (Bytes{10, 12, 14, 16, 18, 20, 22, 24}));
  EXPECT_EQ(Row(2, 2), (Bytes{50, 51, 52, 53, 54, 55, 56, 57}));
}

// Worked one-row and raw records, byte for byte (0xA5: never written). The reference reading
// checks the same rules on random records; these pin what the rules mean.
TEST_F(ReconstructionTest, ResidualWrapSignedSamplesAndRawLuma) {
  const struct {
    const char* rule;
    Bytes record, picture;
  } cases[] = {
      // 2 x 1 blocks, grid samples 60 (luma 240), shift 2: nibble 0 subtracts -32, nibble 15 28.
      {"240 + 32 wraps to 16",
       {2, 0, 1, 0, 2, 1, 2, 1, 1, 0, 2, 0, 60, 60, 60, 60, 0x00, 0xF0, 32, 32, 32, 32, 32, 32, 32, 32},
       {16, 32, 32, 0xA5, 212, 32, 32, 0xA5}},
      // Luma falls across the block (samples 40 -> 0); a chroma sample of -2 (0xFE) stores 254.
      {"signed samples, negative steps",
       {4, 0, 1, 0, 4, 1, 4, 1, 1, 0, 0, 0, 40, 0, 40, 0, 0x01, 0xFE, 0xFE, 0xFE, 0xFE, 6, 6, 6, 6},
       {160, 254, 6, 0xA5, 120, 254, 6, 0xA5, 80, 254, 6, 0xA5, 40, 254, 6, 0xA5}},
      {"luma only: one byte a pixel", {3, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 255, 1, 2, 3, 4, 5, 6},
       {1, 2, 3, 4, 5, 6, 0xA5, 0xA5}},
      {"raw colour luma, chroma from the grids", {2, 0, 1, 0, 0, 0, 2, 1, 0, 0, 0, 0, 11, 22, 5, 9, 5, 9, 7, 3, 7, 3},
       {11, 5, 7, 0xA5, 22, 7, 5, 0xA5}},
  };
  for (const auto& c : cases) {
    SetUp();
    Decode(c.record);
    EXPECT_EQ(Bytes(DecodedPicture, DecodedPicture + c.picture.size()), c.picture) << c.rule;
  }
}

}  // namespace
