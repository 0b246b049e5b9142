// libFuzzer target for the animation decoder. The first input byte picks what the rest is:
// 0 a coded frame, 1 a frame record (given its prefix code by the encoder, so that the fuzzer
// reaches the reconstruction's checks at once), 2 a whole animation image (checked, then every
// frame decoded). Each decoded picture then goes through the post-process callbacks and the
// conversion at both render texture sizes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "assets/frame_upload.h"
#include "assets/post_process.h"
#include "tools/anim/prefix_code.h"

namespace {

void ShowDecodedFrame(const std::uint8_t* frame, int size) {
  if (DecodeFrame(frame, DecodedPicture, size) == 1 && FrameIsLumaOnly) {
    WidenLumaPicture(DecodedPicture, FrameWidth, FrameHeight);
  }
  VividColour();
  InvertLuma();
  PulsingContrast();
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
      const std::vector<std::uint8_t> frame = anim::EncodeCodedFrame(rest, 32);
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
