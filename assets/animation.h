// The animation pipeline as scenes see it. A scene chooses the render texture with
// AnimationTarget, installs a FramePostProcess callback (assets/post_process.h) and calls
// UploadAnimationFrame with a loaded .dat image (AnimationStreamImages) and a frame index. The
// frame is decoded into DecodedPicture (Y, Cr, Cb and one unused byte per pixel, FrameWidth
// pixels per row), changed in place by the callback, turned into R5G6B5 pixels through
// ColourTable and loaded into RenderTextures[AnimationTarget]. InitAnimationDecoder, called once
// by LoadAssets before anything else, allocates the decoder's buffers and builds the colour
// table. Everything here runs on the frame loop's thread; nothing is allocated per frame.
#pragma once

#include <cstdint>

constexpr int DecodedPictureBytes = 262144;   // 256 x 256 pixels x 4 bytes
constexpr int ColourTableEntries = 1048576;   // Y x 4096 + Cr6 x 64 + Cb6

using PostProcessRoutine = void (*)();

// Byte 0 luma (0..255), byte 1 Cr and byte 2 Cb (0..63, a chroma value divided by 4), byte 3
// never written. A luma-only frame is decoded 1 byte per pixel; the upload widens it to grey
// pixels (Cr = Cb = 32) before the callback runs.
extern std::uint8_t DecodedPicture[DecodedPictureBytes];
// Size in pixels of the most recently decoded frame; FrameWidth is the picture's row length.
extern int FrameWidth;
extern int FrameHeight;
// R5G6B5 pixel of every (Y, Cr6, Cb6); built by InitAnimationDecoder, read-only afterwards.
extern std::uint16_t* ColourTable;
// Runs on the decoded picture before each conversion. Starts as NoPostProcess; scenes assign
// it and nothing resets it.
extern PostProcessRoutine FramePostProcess;
// RenderTextures index replaced by the next upload: 0 (128 x 128) or 1 (256 x 256). Starts at 1.
extern int AnimationTarget;

// 1 on success, -1 when an allocation failed (the buffers allocated before it stay).
int InitAnimationDecoder();

// The image must have passed CheckAnimationStream (assets/animation_stream.h) when it was
// loaded. An index outside 0 .. frame count - 1 shows frame 0. A frame that cannot be decoded
// leaves DecodedPicture as it was and still uploads it. A frame of another size than the
// texture loads the part that fits. True when the texture load succeeded.
bool UploadAnimationFrame(const std::uint8_t* image, int index);

// width x height pixels of 4 bytes, rows packed, into rows of pitch bytes. Height <= 0: nothing.
void ConvertPicture(const std::uint8_t* source, std::uint16_t* destination, int pitch, int width,
                    int height);

// The frames of an animation image: its offsetCount - 1.
int AnimationFrameCount(const std::uint8_t* image);

// The empty callback, FramePostProcess's start value.
void NoPostProcess();
