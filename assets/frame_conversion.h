// The upload's steps before the texture load: widening a luma-only picture to grey pixels and
// converting the picture into the upload buffer at a render texture's size, as R5G6B5 or, for a
// true-colour texture, as 0x00RRGGBB through the true-colour table.
#pragma once

#include <cstdint>

constexpr int UploadBufferBytes = 131072;  // 256 x 256 pixels x 2 bytes
extern std::uint16_t UploadBuffer[UploadBufferBytes / 2];
constexpr int TrueColourUploadBufferBytes = 262144;  // 256 x 256 pixels x 4 bytes
extern std::uint32_t TrueColourUploadBuffer[TrueColourUploadBufferBytes / 4];

// Rewrites the first width x height luma bytes (at most a 256 x 256 picture's pixels) of a
// luma-only picture as 4-byte pixels with Cr = Cb = 32; byte 3 keeps its value.
void WidenLumaPicture(std::uint8_t* picture, int width, int height);

// Converts the FrameWidth x FrameHeight picture into UploadBuffer as rows of textureSize pixels.
// A picture of another size fills the part of the texture that both cover; the rest is black.
void FillUploadBuffer(const std::uint8_t* picture, int textureSize);

// The same into TrueColourUploadBuffer. The true-colour table (4 MB) is built by the first call,
// which returns false, converting nothing, if it cannot be allocated.
bool FillTrueColourUploadBuffer(const std::uint8_t* picture, int textureSize);
