// The post-process maps: change the decoded picture in place, between decoding and conversion.
// Luma goes through a 256-entry map (contrast pivoting at 128, then a gain towards black), chroma
// through a 64-entry map (saturation pivoting at 32). The maps are rebuilt at every call, so
// effects whose parameters animate take effect at the next upload. The five effects take their
// animated parameter as an argument; the callbacks that read it from the scene variables are the
// demo's (assets/post_process.h).
#pragma once

#include <cstdint>

// Rebuilt by every AdjustLuma / AdjustChroma call.
extern std::uint8_t LumaMap[256];
extern std::uint8_t ChromaMap[64];

// Maps byte 0 of every pixel of x0..x1-1 by y0..y1-1 (rows of FrameWidth pixels, 4 bytes each).
// Pixels past the 256 x 256 picture are left alone.
void AdjustLuma(float gain, float contrast, std::uint8_t* picture, int x0, int y0, int x1, int y1);
// The same walk over one chroma plane: the picture's address + 1 for Cr, + 2 for Cb. A byte of
// 64 or more is clamped to 63 before the map.
void AdjustChroma(float scale, float offset, std::uint8_t* plane, int x0, int y0, int x1, int y1);

// On DecodedPicture:
void PulsingContrastEffect(float effectClock);  // gain 0.6, contrast 2 sin(clock x 0.10466667), 256 x 256
void BoostContrastEffect();                     // gain 1.0, contrast 1.2, 256 x 256
void AnimatedContrastEffect(float contrast);    // gain 1.0, the contrast given, 255 x 255
void VividColourEffect();                       // gain 0.8, contrast 1.2, chroma x 1.5, 255 x 255
void InvertLumaEffect();                        // gain 1.0, contrast -1.4, 255 x 255
