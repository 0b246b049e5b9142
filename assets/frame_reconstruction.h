// Frame reconstruction: rebuilds the picture from a checked frame record (frame_record.h) that
// the entropy stage left in DecodeBuffer. Grids are interpolated bilinearly in 16.16 fixed point;
// residuals are subtracted modulo 256. The loops here are the reference; the wide kernels of
// codec_kernels.h do whole vectors of them where the processor has them.
//
// A record is decoded only if every part lies inside the record and every write inside the
// picture and the working buffers; otherwise the picture keeps its previous contents.
#pragma once

#include <cstdint>
#include <string>

#include "assets/animation_codec.h"
#include "assets/frame_record.h"

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
