#include "assets/frame_conversion.h"

#include <algorithm>

#include "assets/animation_codec.h"

std::uint16_t UploadBuffer[UploadBufferBytes / 2];

void WidenLumaPicture(std::uint8_t* picture, int width, int height) {
  const int pixels = std::min(width * height, DecodedPictureBytes / 4);
  // From the last pixel back, so that no luma byte is overwritten before it is read.
  for (int p = pixels - 1; p >= 0; --p) {
    const std::uint8_t luma = picture[p];
    picture[4 * p] = luma;
    picture[4 * p + 1] = 32;
    picture[4 * p + 2] = 32;
  }
}

void FillUploadBuffer(const std::uint8_t* picture, int textureSize) {
  if (FrameWidth == textureSize && FrameHeight == textureSize) {
    ConvertPicture(picture, UploadBuffer, 2 * FrameWidth, FrameWidth, FrameHeight);
    return;
  }
  const int width = std::min(FrameWidth, textureSize);
  const int height = std::min(FrameHeight, textureSize);
  for (int r = 0; r < textureSize; ++r) {
    std::uint16_t* row = UploadBuffer + r * textureSize;
    const int covered = r < height ? width : 0;
    if (covered > 0) ConvertPicture(picture + 4 * r * FrameWidth, row, 2 * textureSize, covered, 1);
    std::fill(row + covered, row + textureSize, std::uint16_t{0});
  }
}
