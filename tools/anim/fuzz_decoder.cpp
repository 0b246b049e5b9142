// libFuzzer target for the animation decoder. The first input byte picks what the rest is:
// 0 a coded frame, 1 a frame record (given a flat 8-bit code, so that the fuzzer reaches the
// reconstruction's checks at once), 2 a whole animation image (checked, then every
// frame decoded). Each decoded picture then goes through a post-process callback and the
// conversion at both render texture sizes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/animation_codec.h"
#include "assets/animation_stream.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "assets/frame_conversion.h"
#include "assets/post_process_maps.h"

namespace {

// The record under the code that gives every byte value its own 8 bits.
std::vector<std::uint8_t> FlatCodedFrame(const std::vector<std::uint8_t>& record) {
  std::vector<std::uint8_t> frame(CodeTableBytes, 0);
  const std::uint32_t size = static_cast<std::uint32_t>(record.size());
  for (int k = 0; k < 4; ++k) frame[k] = static_cast<std::uint8_t>(size >> (8 * k));
  for (int v = 0; v < 256; ++v) {
    frame[4 + 4 * v] = static_cast<std::uint8_t>(v);
    frame[1028 + v] = 8;
  }
  for (std::uint8_t byte : record) {  // code words go most significant bit first
    std::uint8_t reversed = 0;
    for (int b = 0; b < 8; ++b) reversed |= ((byte >> b) & 1) << (7 - b);
    frame.push_back(reversed);
  }
  return frame;
}

// The picture steps only follow a frame that decoded: otherwise nothing about them changed.
void ShowDecodedFrame(const std::uint8_t* frame, int size) {
  if (DecodeFrame(frame, DecodedPicture, size) != 1) return;
  if (FrameIsLumaOnly) WidenLumaPicture(DecodedPicture, FrameWidth, FrameHeight);
  VividColourEffect();
  FillUploadBuffer(DecodedPicture, 128);
  FillUploadBuffer(DecodedPicture, 256);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = InitAnimationDecoder() == 1;
  if (!started || size < 1) return 0;
  const std::vector<std::uint8_t> rest(data + 1, data + size);  // exactly sized, for ASan
  switch (data[0] % 3) {
    case 0:
      ShowDecodedFrame(rest.data(), static_cast<int>(rest.size()));
      break;
    case 1: {
      const std::vector<std::uint8_t> frame = FlatCodedFrame(rest);
      ShowDecodedFrame(frame.data(), static_cast<int>(frame.size()));
      break;
    }
    default:
      if (CheckAnimationStream(rest.data(), rest.size(), nullptr)) {
        for (int k = 0; k < AnimationFrameCount(rest.data()) && k < 8; ++k) {
          const CodedFrameSpan frame = LocateCodedFrame(rest.data(), k);
          ShowDecodedFrame(frame.data, frame.size);
        }
      }
  }
  return 0;
}
