// Frame reconstruction: rebuilds the picture from the frame record the entropy stage left in
// DecodeBuffer.
//
// Record: int16 W, int16 H, int8 luma block width BWy (0: luma stored raw), int8 BHy, int8 BWc,
// int8 BHc, uint8 vertical interpolation (0 off), uint8 reserved, int8 residual shift, uint8
// chroma flag (255: luma only); then the luma (raw W x H bytes, or a (W/BWy + 1) x (H/BHy + 1)
// grid of quarter luma values followed by the residual stream: per block a flag byte and, for
// flag 0, BHy x BWy/2 bytes of two 4-bit deltas each); then, unless luma only, the Cr and Cb
// grids of (W/BWc + 1) x (H/BHc + 1) 6-bit samples. Grids are interpolated bilinearly in 16.16
// fixed point; residuals are subtracted modulo 256.
//
// A record is decoded only if every part lies inside the record and every write inside the
// picture and the working buffers; otherwise the picture keeps its previous contents.
#pragma once

#include <cstdint>
#include <string>

#include "assets/animation_codec.h"

constexpr int FrameHeaderBytes = 12;
constexpr int WorkingBufferBytes = 256000;
constexpr int LumaOnlyFlag = 255;
constexpr int MaxFrameWidth = 256;

// Working buffers, allocated by InitAnimationDecoder.
extern std::uint8_t* ChromaScratchRows;  // GHc + 1 rows of W bytes: a chroma grid, horizontally
extern std::uint8_t* LumaScratchRows;    // GHy + 1 rows of W bytes: the luma grid, horizontally
extern std::uint8_t* LumaBasePlane;      // W x H bytes: interpolated luma, then with residuals
// Cr plane, then Cb plane, of W x H bytes each; the three planes are interleaved into the picture
// at the end, which writes each pixel once instead of once per plane.
constexpr int ChromaPlaneBytes = DecodedPictureBytes / 4;
extern std::uint8_t* ChromaPlanes;

// True when the most recently decoded frame was luma only (1 byte per pixel).
extern bool FrameIsLumaOnly;

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

// Entropy stage, then reconstruction into picture (DecodedPictureBytes long); sets FrameWidth,
// FrameHeight and FrameIsLumaOnly. 1 on success; 0 when the frame cannot be decoded safely, with
// picture and frame size left as they were.
int DecodeFrame(const std::uint8_t* codedFrame, std::uint8_t* picture, int size,
                std::string* fault = nullptr);

// Both interpolation passes of one grid of (W / blockWidth + 1) x (H / blockHeight + 1) samples
// into a plane of W x H bytes; scratch takes (H / blockHeight + 1) x W bytes. Luma samples are quarter values and its scratch rows are read unsigned; chroma samples
// are taken as they are and read back signed. Block dimensions must be 1, 2, 4, 8 or 16.
void InterpolateGrid(const std::uint8_t* grid, int width, int height, int blockWidth,
                     int blockHeight, bool vertical, bool luma, std::uint8_t* scratch,
                     std::uint8_t* plane);

// The steps of DecodeFrame, on a checked record. InterpolateLumaBase fills LumaBasePlane;
// ApplyLumaResiduals subtracts the residuals there and returns the stream bytes it consumed (the
// picture, pixelShift = 0 for 1 byte per pixel or 2 for 4, supplies the luma of a pixel that a
// frame leaves unwritten); InterpolateChroma fills one chroma plane.
void InterpolateLumaBase(const FrameHeader& header, const std::uint8_t* grid);
int ApplyLumaResiduals(const FrameHeader& header, const std::uint8_t* residuals,
                       const std::uint8_t* picture, int pixelShift);
void InterpolateChroma(const FrameHeader& header, const std::uint8_t* grid, std::uint8_t* plane);
