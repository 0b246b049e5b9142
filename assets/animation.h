// The animation pipeline as scenes see it. A scene chooses the render texture with
// AnimationTarget, installs a FramePostProcess callback (assets/post_process.h) and calls
// UploadAnimationFrame with a loaded .dat image (AnimationStreamImages) and a frame index. The
// frame is decoded by the codec (assets/animation_codec.h), changed in place by the callback,
// converted and loaded into RenderTextures[AnimationTarget]. InitAnimationDecoder is called once
// by LoadAssets before anything else. Everything here runs on the frame loop's thread.
#pragma once

#include <cstdint>

#include "assets/animation_codec.h"
#include "assets/post_process.h"
#include "core/shared.h"

// The image must have passed CheckAnimationStream (assets/animation_stream.h) when it was
// loaded. An index outside 0 .. frame count - 1 shows frame 0. A frame that cannot be decoded
// leaves DecodedPicture as it was and uploads it again without running the callback on it. A
// frame of another size than the texture loads the part that fits. True when the texture load succeeded.
bool UploadAnimationFrame(const std::uint8_t* image, int index);
