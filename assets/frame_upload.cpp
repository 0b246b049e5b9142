#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/frame_conversion.h"
#include "assets/frame_reconstruction.h"
#include "core/shared.h"
#include "platform/d3d/texture.h"

PostProcessRoutine FramePostProcess = NoPostProcess;
int AnimationTarget = 1;

namespace {

constexpr int AnimationTextureSizes[] = {128, 256};  // RenderTextures 0 and 1

}  // namespace

bool UploadAnimationFrame(const std::uint8_t* image, int index) {
  const CodedFrameSpan frame = LocateCodedFrame(image, index);
  // A refused frame leaves the picture as last shown, already post-processed: running the
  // callback on it again would invert or stretch it once more every frame.
  if (DecodeFrame(frame.data, DecodedPicture, frame.size) == 1) {
    if (FrameIsLumaOnly) WidenLumaPicture(DecodedPicture, FrameWidth, FrameHeight);
    FramePostProcess();
  }
  if (AnimationTarget < 0 || AnimationTarget > 1) return false;
  IDirectDrawSurface7* texture = RenderTextures[AnimationTarget];
  // A true-colour texture takes the picture at the colour table's 8 bits a channel.
  if (texture && texture->texture()->trueColour() &&
      FillTrueColourUploadBuffer(DecodedPicture, AnimationTextureSizes[AnimationTarget])) {
    return D3DXLoadTextureFromMemory(Device, texture, 0, TrueColourUploadBuffer, nullptr,
                                     D3DX_SF_X8R8G8B8, 0, nullptr, D3DX_FT_POINT) >= 0;
  }
  FillUploadBuffer(DecodedPicture, AnimationTextureSizes[AnimationTarget]);
  const HRESULT result =
      D3DXLoadTextureFromMemory(Device, texture, 0, UploadBuffer, nullptr,
                                D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT);
  return result >= 0;
}
