// The encoder's picture stage: an RGB picture becomes a frame record. Luma is a grid of quarter
// values at the block corners, interpolated exactly as the decoder does, with 4-bit residuals
// for the blocks where they pay for themselves; chroma is a grid of 6-bit samples per plane.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace anim {

struct FrameSettings {
  int width = 256, height = 256;
  int lumaBlockWidth = 4, lumaBlockHeight = 4;      // width 0: luma stored raw
  int chromaBlockWidth = 8, chromaBlockHeight = 8;
  bool verticalInterpolation = true;
  int residualShift = -1;      // 0 to 7; -1 chooses per frame the shift with the least error
  bool lumaOnly = false;
  double targetPsnr = 38.0;    // luma residuals are added, best first, until luma reaches it
};

// Empty when the settings describe a frame the decoder can take, else the fault.
std::string CheckFrameSettings(const FrameSettings& settings);

// Y (0..255) and 6-bit Cr, Cb (0..63) of an RGB pixel, inverting the decoder's colour table.
struct LumaChroma {
  double y, cr6, cb6;
};
LumaChroma ToLumaChroma(int r, int g, int b);

// rgb: settings.width x settings.height pixels of 3 bytes, rows packed. Settings must pass
// CheckFrameSettings.
std::vector<std::uint8_t> EncodeFrameRecord(const std::uint8_t* rgb, const FrameSettings& settings);

}  // namespace anim
