// The upload's steps before the texture load: widening a luma-only picture to grey pixels and
// converting the picture into the upload buffer at a render texture's size.
#pragma once

#include <cstdint>

constexpr int UploadBufferBytes = 131072;  // 256 x 256 pixels x 2 bytes
extern std::uint16_t UploadBuffer[UploadBufferBytes / 2];

// Rewrites the first width x height luma bytes (at most a 256 x 256 picture's pixels) of a
// luma-only picture as 4-byte pixels with Cr = Cb = 32; byte 3 keeps its value.
void WidenLumaPicture(std::uint8_t* picture, int width, int height);

// Converts the FrameWidth x FrameHeight picture into UploadBuffer as rows of textureSize pixels.
// A picture of another size fills the part of the texture that both cover; the rest is black.
void FillUploadBuffer(const std::uint8_t* picture, int textureSize);
