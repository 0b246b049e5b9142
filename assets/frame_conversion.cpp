#include "assets/frame_conversion.h"

#include <algorithm>
#include <memory>
#include <new>

#include "assets/animation_codec.h"
#include "assets/colour_table.h"

std::uint16_t UploadBuffer[UploadBufferBytes / 2];
std::uint32_t TrueColourUploadBuffer[TrueColourUploadBufferBytes / 4];

namespace {

// Only a true-colour rendering needs it, so it is built on first use rather than at start-up.
std::unique_ptr<std::uint32_t[]> TrueColourTable;

void ConvertTrueColour(const std::uint8_t* source, std::uint32_t* destination, int pitch, int width,
                       int height) {
  const std::uint32_t* table = TrueColourTable.get();
  for (int r = 0; r < height; ++r) {
    std::uint32_t* row = destination + r * (pitch >> 2);
    for (int x = 0; x < width; ++x, source += 4) row[x] = table[((source[0] * 64) | source[1]) * 64 | source[2]];
  }
}

// convert(source, destination, pitch in bytes, width, height) as ConvertPicture.
template <typename Pixel, typename Convert>
void FillBuffer(const std::uint8_t* picture, int textureSize, Pixel* buffer, Convert convert) {
  const int pitch = static_cast<int>(sizeof(Pixel)) * textureSize;
  if (FrameWidth == textureSize && FrameHeight == textureSize) {
    convert(picture, buffer, pitch, FrameWidth, FrameHeight);
    return;
  }
  const int width = std::min(FrameWidth, textureSize);
  const int height = std::min(FrameHeight, textureSize);
  for (int r = 0; r < textureSize; ++r) {
    Pixel* row = buffer + r * textureSize;
    const int covered = r < height ? width : 0;
    if (covered > 0) convert(picture + 4 * r * FrameWidth, row, pitch, covered, 1);
    std::fill(row + covered, row + textureSize, Pixel{0});
  }
}

}  // namespace

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
  FillBuffer(picture, textureSize, UploadBuffer, ConvertPicture);
}

bool FillTrueColourUploadBuffer(const std::uint8_t* picture, int textureSize) {
  if (!TrueColourTable) {
    TrueColourTable.reset(new (std::nothrow) std::uint32_t[ColourTableEntries]);
    if (!TrueColourTable) return false;
    BuildTrueColourTable(TrueColourTable.get());
  }
  FillBuffer(picture, textureSize, TrueColourUploadBuffer, ConvertTrueColour);
  return true;
}
