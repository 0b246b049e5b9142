#include "assets/frame_upload.h"

#include <algorithm>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "assets/loader.h"
#include "shell/graphics.h"

std::uint16_t UploadBuffer[UploadBufferBytes / 2];
PostProcessRoutine FramePostProcess = NoPostProcess;
int AnimationTarget = 1;

namespace {

constexpr int AnimationTextureSizes[] = {128, 256};  // RenderTextures 0 and 1

}  // namespace

void NoPostProcess() {}

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

bool UploadAnimationFrame(const std::uint8_t* image, int index) {
  const CodedFrameSpan frame = LocateCodedFrame(image, index);
  if (DecodeFrame(frame.data, DecodedPicture, frame.size) == 1 && FrameIsLumaOnly) {
    WidenLumaPicture(DecodedPicture, FrameWidth, FrameHeight);
  }
  FramePostProcess();
  if (AnimationTarget < 0 || AnimationTarget > 1) return false;
  FillUploadBuffer(DecodedPicture, AnimationTextureSizes[AnimationTarget]);
  const HRESULT result =
      D3DXLoadTextureFromMemory(Device, RenderTextures[AnimationTarget], 0, UploadBuffer, nullptr,
                                D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT);
  return result >= 0;
}
