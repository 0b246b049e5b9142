// korvo_tool_anim: encodes pictures into the demo's .dat animations. Each frame is coded on its
// own (frame record, then an optimal prefix code of at most maxCodeLength bits), checked by
// decoding it again with the demo's own decoder, and the frames are joined into the container.
//
//   anim::AnimationSettings settings;            // 256 x 256, 4 x 4 luma, 8 x 8 chroma blocks
//   std::vector<anim::RgbPicture> frames = ...;  // any size: each is resampled to the frame size
//   std::string fault;
//   if (!anim::WriteAnimationFile("data/item.dat", frames, settings, &fault)) ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/anim/frame_record_encoder.h"

namespace anim {

struct AnimationSettings {
  FrameSettings frame;
  // Longest code; 1 to 32. Codes up to 10 bits decode with one table read, longer ones bit by bit.
  int maxCodeLength = 10;
};

// width x height pixels of 3 bytes (R, G, B), rows packed.
struct RgbPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

// How close the decoded frames come to the pictures given (each resampled to the frame size):
// PSNR in dB over all frames, of the R, G, B the demo shows (through its colour table, as 8-bit
// channels widened from R5G6B5) and of luma. Infinite where the frames are exact.
struct AnimationQuality {
  double rgbPsnr = 0.0, lumaPsnr = 0.0;
  double worstRgbPsnr = 0.0;  // of the frame furthest from its picture
  int worstFrame = 0;
};

// Bilinear resampling (box-averaged when shrinking) to width x height.
RgbPicture Resample(const RgbPicture& picture, int width, int height);

// One coded frame; false and the fault for settings the decoder cannot take.
bool EncodeFrame(const RgbPicture& picture, const AnimationSettings& settings,
                 std::vector<std::uint8_t>* codedFrame, std::string* fault);

// The container around coded frames: offsetCount, offsets, frames.
std::vector<std::uint8_t> BuildAnimationStream(const std::vector<std::vector<std::uint8_t>>& frames);

// quality, when given, is measured by decoding every frame again with the demo's decoder.
bool EncodeAnimation(const std::vector<RgbPicture>& pictures, const AnimationSettings& settings,
                     std::vector<std::uint8_t>* stream, std::string* fault,
                     AnimationQuality* quality = nullptr);
// A failed write leaves no file behind unless one was there before.
bool WriteAnimationFile(const std::string& path, const std::vector<RgbPicture>& pictures,
                        const AnimationSettings& settings, std::string* fault,
                        AnimationQuality* quality = nullptr);

}  // namespace anim
