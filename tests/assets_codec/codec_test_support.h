// Helpers of the codec tests: coded frames made by hand or by the encoder's entropy stage, and a
// fixture that starts the decoder once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"
#include "assets/frame_decoder.h"
#include "tools/anim/prefix_code.h"

using Bytes = std::vector<std::uint8_t>;

struct Code {
  int symbol;
  std::uint32_t word;
  int length;
};

inline void PutLittle32(Bytes* bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) (*bytes)[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// A coded frame with the given record size, code table and payload bytes.
inline Bytes HandCodedFrame(std::int32_t recordSize, std::initializer_list<Code> codes,
                            const Bytes& payload) {
  Bytes frame(CodeTableBytes, 0);
  PutLittle32(&frame, 0, static_cast<std::uint32_t>(recordSize));
  for (const Code& code : codes) {
    PutLittle32(&frame, 4 + 4 * code.symbol, code.word);
    frame[1028 + code.symbol] = static_cast<std::uint8_t>(code.length);
  }
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

inline Bytes CodedFrameOf(const Bytes& record, int maxLength = 12) {
  return anim::EncodeCodedFrame(record, maxLength);
}

class DecoderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(InitAnimationDecoder(), 1); }
};

// Runs check once with the processor's wide kernels (where it has them) and once with the plain
// loops alone.
template <typename Check>
void OnBothVectorPaths(Check check) {
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide kernels" : "plain loops");
    SelectCodecKernels(wide);
    check();
  }
  SelectCodecKernels(true);
}
