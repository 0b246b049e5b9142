// Frame records: the layout the entropy stage leaves in DecodeBuffer, and the checks that a
// record decodes within the picture and the working buffers before anything is written.
//
// Record: int16 W, int16 H, int8 luma block width BWy (0: luma stored raw), int8 BHy, int8 BWc,
// int8 BHc, uint8 vertical interpolation (0 off), uint8 reserved, int8 residual shift, uint8
// chroma flag (255: luma only); then the luma (raw W x H bytes, or a (W/BWy + 1) x (H/BHy + 1)
// grid of quarter luma values followed by the residual stream: per block a flag byte and, for
// flag 0, BHy x BWy/2 bytes of two 4-bit deltas each); then, unless luma only, the Cr and Cb
// grids of (W/BWc + 1) x (H/BHc + 1) 6-bit samples.
#pragma once

#include <cstdint>
#include <string>

constexpr int FrameHeaderBytes = 12;
constexpr int WorkingBufferBytes = 256000;
constexpr int LumaOnlyFlag = 255;
constexpr int MaxFrameWidth = 256;

struct FrameHeader {
  int width, height;
  int lumaBlockWidth, lumaBlockHeight;      // width 0: raw luma
  int chromaBlockWidth, chromaBlockHeight;
  bool verticalInterpolation;
  int residualShift;
  bool lumaOnly;
};
FrameHeader ReadFrameHeader(const std::uint8_t* record);

// Where the parts of a record begin, in bytes from its start.
struct FrameLayout {
  int residuals = 0;      // block form only
  int residualBytes = 0;  // block form only
  int crGrid = 0, cbGrid = 0;  // colour frames only
  int end = 0;            // bytes the record uses
};
// True when the record of recordSize bytes decodes within the buffers; otherwise false and the
// fault, if asked for.
bool CheckFrameRecord(const std::uint8_t* record, int recordSize, FrameLayout* layout,
                      std::string* fault);

// Base-2 logarithm of a block dimension, or -1 for anything but 1, 2, 4, 8, 16.
int BlockShift(int dimension);
