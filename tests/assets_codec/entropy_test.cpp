// The entropy stage: table and tree decoding, its quirks, and round trips of the encoder's codes.
#include <algorithm>
#include <random>

#include "assets/frame_decoder.h"
#include "codec_test_support.h"

namespace {

class EntropyTest : public DecoderTest {
 protected:
  // Decodes and returns the first count bytes of the decode buffer.
  Bytes DecodeBytes(const Bytes& frame, int count) {
    AnimationFrameDecoder.Load(frame.data(), static_cast<int>(frame.size()));
    const std::uint8_t* out = AnimationFrameDecoder.Decode();
    EXPECT_NE(out, nullptr) << AnimationFrameDecoder.fault();
    return out == nullptr ? Bytes{} : Bytes(out, out + count);
  }
  void FillDecodeBuffer(std::uint8_t value) { std::fill(DecodeBuffer, DecodeBuffer + 64, value); }
};

TEST_F(EntropyTest, DecodesTheThreeCodeExample) {
  const Bytes frame = HandCodedFrame(5, {{65, 0, 1}, {66, 2, 2}, {67, 3, 2}}, {0x1A});
  EXPECT_EQ(DecodeBytes(frame, 5), (Bytes{65, 66, 67, 65, 65}));
}

TEST_F(EntropyTest, KeepsUnwrittenBytesOfTheDecodeBuffer) {
  FillDecodeBuffer(0xEE);
  EXPECT_EQ(DecodeBytes(HandCodedFrame(0, {{65, 0, 1}}, {0x00}), 3), (Bytes{0xEE, 0xEE, 0xEE}));
  // One payload byte of 1-bit codes holds 8 symbols; the other two keep their contents.
  EXPECT_EQ(DecodeBytes(HandCodedFrame(10, {{65, 0, 1}}, {0x00}), 10),
            (Bytes{65, 65, 65, 65, 65, 65, 65, 65, 0xEE, 0xEE}));
  FillDecodeBuffer(0xEE);
  EXPECT_EQ(DecodeBytes(HandCodedFrame(4, {{65, 0, 1}}, {}), 2), (Bytes{0xEE, 0xEE}));
}

TEST_F(EntropyTest, EmptyTableEntryAtTheRootRepeatsTheRootSymbol) {
  // Bit 0 gives 65; bit 1 matches no code, so the root's symbol, the highest byte value of
  // length 0 (255), fills the rest without consuming bits.
  Bytes frame = HandCodedFrame(4, {{65, 0, 1}}, {0xFE});
  EXPECT_EQ(DecodeBytes(frame, 4), (Bytes{65, 255, 255, 255}));
  frame[1028 + 255] = 3;  // 255 now has a code; the highest length-0 value is 254
  PutLittle32(&frame, 4 + 4 * 255, 0);
  frame[1028 + 65] = 0;   // and 65 none
  frame.back() = 0xF8;    // 000 gives 255, then 1 stops at the root
  EXPECT_EQ(DecodeBytes(frame, 3), (Bytes{255, 254, 254}));
}

TEST_F(EntropyTest, LongCodesWalkTheTreeFromTheirFirstBit) {
  // 'A' = 0 (1 bit); 'B' = 1 followed by ten zeros (11 bits); 'C' = 31 ones then a zero (32 bits);
  // 'D' = 32 ones. The table holds only 'A'; the others re-read their first ten bits in the tree.
  const Bytes frame = HandCodedFrame(
      5, {{'A', 0, 1}, {'B', 0x400, 11}, {'C', 0xFFFFFFFE, 32}, {'D', 0xFFFFFFFF, 32}},
      // Stream: B (1, then 10 zeros) A (0) C (31 ones, 0) D (32 ones) A (0)
      {0x01, 0xF0, 0xFF, 0xFF, 0xFF, 0xF7, 0xFF, 0xFF, 0xFF, 0x0F});
  EXPECT_EQ(DecodeBytes(frame, 5), (Bytes{'B', 'A', 'C', 'D', 'A'}));
}

TEST_F(EntropyTest, CodeLengthsStayWithinTheLimitAndRoundTrip) {
  std::mt19937 random(7);
  // Fibonacci frequencies of 27 byte values: an unlimited code would reach 26 bits.
  Bytes record;
  for (int v = 0, a = 1, b = 1; v < 27; ++v, b = a + b, a = b - a) {
    record.insert(record.end(), a, static_cast<std::uint8_t>(v * 9));
  }
  std::shuffle(record.begin(), record.end(), random);
  for (int maxLength : {8, 10, 12, 20}) {
    std::array<std::uint64_t, 256> counts{};
    for (std::uint8_t b : record) ++counts[b];
    const auto lengths = anim::LimitedCodeLengths(counts, maxLength);
    EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), maxLength);
    double kraft = 0.0;
    for (int length : lengths) kraft += length > 0 ? std::ldexp(1.0, -length) : 0.0;
    EXPECT_DOUBLE_EQ(kraft, 1.0) << "max length " << maxLength;
    EXPECT_EQ(DecodeBytes(CodedFrameOf(record, maxLength), static_cast<int>(record.size())), record)
        << "max length " << maxLength;
  }
}

}  // namespace
