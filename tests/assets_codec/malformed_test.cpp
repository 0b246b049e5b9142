// Malformed frames and containers: each is refused with a fault, and nothing outside the buffers
// is touched (ASan and UBSan builds watch); a refused frame leaves the picture and frame size.
#include <cstring>
#include <memory>

#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "codec_test_support.h"

namespace {

// A well-formed 4 x 4 colour record: 4 x 4 luma block with residuals, 4 x 4 chroma blocks.
Bytes GoodRecord() {
  Bytes record = {4, 0, 4, 0, 4, 4, 4, 4, 1, 0, 1, 0, 10, 20, 30, 40, 0x00};
  record.insert(record.end(), 8, 0x98);
  record.insert(record.end(), 8, 0x20);
  return record;
}

Bytes WithHeader(Bytes record, int offset, int value) {
  record[offset] = static_cast<std::uint8_t>(value);
  return record;
}

Bytes WithSize(Bytes record, int width, int height) {
  record[0] = static_cast<std::uint8_t>(width);
  record[1] = static_cast<std::uint8_t>(width >> 8);
  record[2] = static_cast<std::uint8_t>(height);
  record[3] = static_cast<std::uint8_t>(height >> 8);
  return record;
}

class MalformedFrameTest : public DecoderTest {
 protected:
  void SetUp() override {
    for (int k = 0; k < DecodedPictureBytes; ++k) DecodedPicture[k] = static_cast<std::uint8_t>(k * 7);
    FrameWidth = 77;
    FrameHeight = 33;
  }

  // Decodes a copy of the frame in a block of exactly its size.
  int DecodeExact(const Bytes& frame, std::string* fault) {
    auto block = std::make_unique<std::uint8_t[]>(frame.size() + 1);
    std::memcpy(block.get(), frame.data(), frame.size());
    return DecodeFrame(block.get(), DecodedPicture, static_cast<int>(frame.size()), fault);
  }

  void ExpectRefused(const Bytes& frame, const char* what) {
    std::string fault;
    EXPECT_EQ(DecodeExact(frame, &fault), 0) << what;
    EXPECT_FALSE(fault.empty()) << what;
    EXPECT_EQ(FrameWidth, 77) << what;
    EXPECT_EQ(FrameHeight, 33) << what;
    for (int k = 0; k < DecodedPictureBytes; ++k) {
      if (DecodedPicture[k] != static_cast<std::uint8_t>(k * 7)) {
        ADD_FAILURE() << what << ": picture byte " << k << " changed";
        return;
      }
    }
  }
  void ExpectRecordRefused(const Bytes& record, const char* what) {
    ExpectRefused(CodedFrameOf(record), what);
  }
};

TEST_F(MalformedFrameTest, EntropyStageFaults) {
  const Bytes good = CodedFrameOf(GoodRecord());
  std::string fault;
  EXPECT_EQ(DecodeExact(good, &fault), 1) << "the record every test breaks is well formed: " << fault;
  SetUp();
  ExpectRefused(Bytes(good.begin(), good.begin() + 1283), "coded frame without its whole code table");
  ExpectRefused(Bytes(good.begin(), good.begin() + 3), "coded frame of 3 bytes");
  Bytes huge = good;
  PutLittle32(&huge, 0, DecodeBufferBytes + 1);
  ExpectRefused(huge, "record larger than the decode buffer");
  PutLittle32(&huge, 0, 0x7FFFFFFF);
  ExpectRefused(huge, "record of 2^31 - 1 bytes");
  Bytes longCode = good;
  longCode[1028 + 0x20] = 33;
  ExpectRefused(longCode, "code of 33 bits");
  longCode[1028 + 0x20] = 255;
  ExpectRefused(longCode, "code of 255 bits");
}

TEST_F(MalformedFrameTest, HeaderFaults) {
  const Bytes good = GoodRecord();
  ExpectRecordRefused(Bytes(good.begin(), good.begin() + 11), "record shorter than its header");
  ExpectRecordRefused(WithSize(good, 260, 4), "width above 256");
  ExpectRecordRefused(WithSize(good, 0xFFFC, 4), "negative width");
  ExpectRecordRefused(WithSize(good, 4, 0xFFFC), "negative height");
  ExpectRecordRefused(WithSize(good, 256, 260), "colour picture above 256 x 256");
  ExpectRecordRefused(WithSize(good, 6, 4), "width not a multiple of the luma block");
  ExpectRecordRefused(WithSize(WithHeader(good, 4, 2), 4, 6), "height not a multiple of the chroma block");
  for (int dimension : {0, 3, 5, 32, 0xFC}) {
    ExpectRecordRefused(WithHeader(good, 5, dimension), "bad luma block height");
    ExpectRecordRefused(WithHeader(good, 4, dimension == 0 ? 6 : dimension), "bad luma block width");
    ExpectRecordRefused(WithHeader(good, 6, dimension), "bad chroma block width");
    ExpectRecordRefused(WithHeader(good, 7, dimension), "bad chroma block height");
  }
  ExpectRecordRefused(WithHeader(good, 10, 8), "residual shift 8");
  ExpectRecordRefused(WithHeader(good, 10, 0xFF), "residual shift -1");
}

TEST_F(MalformedFrameTest, PartsRunningPastTheRecord) {
  const Bytes good = GoodRecord();
  ExpectRecordRefused(Bytes(good.begin(), good.begin() + 14), "luma grid cut short");
  ExpectRecordRefused(Bytes(good.begin(), good.begin() + 17), "residual block without its bytes");
  ExpectRecordRefused(Bytes(good.begin(), good.begin() + 24), "residual bytes cut short");
  ExpectRecordRefused(Bytes(good.begin(), good.end() - 1), "Cb grid cut short");
  Bytes raw = {4, 0, 4, 0, 0, 0, 4, 4, 1, 0, 0, 0};
  raw.insert(raw.end(), 15, 100);
  ExpectRecordRefused(raw, "raw luma cut short");
}

TEST_F(MalformedFrameTest, LumaOnlyFramesWithinTheirOwnLimits) {
  Bytes raw = {0, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0, 255};  // 256 x 1024 raw: exactly the picture
  raw.resize(12 + 256 * 1024, 9);
  std::string fault;
  EXPECT_EQ(DecodeExact(CodedFrameOf(raw), &fault), 1) << fault;
  SetUp();
  ExpectRecordRefused(WithSize(raw, 256, 1025), "raw luma beyond the picture");
  // Block form: the 256,000-byte base plane and scratch rows are the limits.
  Bytes block = {0, 1, 0xF0, 3, 1, 1, 0, 0, 0, 0, 0, 255};  // 256 x 1008, 1 x 1 blocks
  block.resize(12 + 257 * 1009 + 256 * 1008, 1);
  ExpectRecordRefused(block, "luma base plane beyond its buffer");
  ExpectRecordRefused(WithSize(block, 256, 1000), "luma scratch rows beyond their buffer");
}

TEST_F(MalformedFrameTest, ShortPayloadsDecodeWhatTheyHold) {
  // A payload cut to a few bytes: the table lookups near its end read no byte past it, and the
  // record then lacks most of its parts.
  Bytes frame = CodedFrameOf(GoodRecord());
  frame.resize(CodeTableBytes + 2);
  std::string fault;
  DecodeExact(frame, &fault);
  frame.resize(CodeTableBytes);
  DecodeExact(frame, &fault);
}

TEST(AnimationStream, OffsetTableChecks) {
  const auto stream = [](std::initializer_list<std::int32_t> words, std::size_t dataBytes) {
    Bytes bytes;
    for (std::int32_t word : words) {
      for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
    }
    bytes.resize(bytes.size() + dataBytes, 0);
    return bytes;
  };
  const auto refused = [](const Bytes& bytes) {
    std::string fault;
    const bool ok = CheckAnimationStream(bytes.data(), bytes.size(), &fault);
    return !ok && !fault.empty();
  };
  EXPECT_FALSE(refused(stream({3, 0, 10, 25}, 25)));
  EXPECT_FALSE(refused(stream({2, 5, 5}, 5))) << "an empty frame is the frame's fault, not the table's";
  EXPECT_TRUE(refused(Bytes{2, 0}));
  EXPECT_TRUE(refused(stream({1, 0}, 10)));
  EXPECT_TRUE(refused(stream({0}, 10)));
  EXPECT_TRUE(refused(stream({-3}, 10)));
  EXPECT_TRUE(refused(stream({0x40000000}, 10)));
  EXPECT_TRUE(refused(stream({3, 0, 10}, 0)));
  EXPECT_TRUE(refused(stream({3, 0, 10, 26}, 25)));
  EXPECT_TRUE(refused(stream({3, -1, 10, 25}, 25)));
  EXPECT_TRUE(refused(stream({3, 0, 12, 10}, 25)));
}

}  // namespace
