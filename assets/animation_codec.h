// The animation codec's shared buffers: a coded frame is decoded into DecodedPicture (Y, Cr, Cb
// and one unused byte per pixel, FrameWidth pixels per row), changed in place by a post-process
// map and turned into R5G6B5 pixels through ColourTable. InitAnimationDecoder allocates the
// decoder's buffers once and builds the colour table. Nothing here knows the device or the
// scenes: the tools, the fuzz targets and the codec tests use it alone. Single-threaded; nothing
// is allocated per frame.
#pragma once

#include <cstdint>

constexpr int DecodedPictureBytes = 262144;   // 256 x 256 pixels x 4 bytes
constexpr int ColourTableEntries = 1048576;   // Y x 4096 + Cr6 x 64 + Cb6

// Byte 0 luma (0..255), byte 1 Cr and byte 2 Cb (0..63, a chroma value divided by 4), byte 3
// never written. A luma-only frame is decoded 1 byte per pixel; the upload widens it to grey
// pixels (Cr = Cb = 32) before the post-process runs.
extern std::uint8_t DecodedPicture[DecodedPictureBytes];
// Size in pixels of the most recently decoded frame; FrameWidth is the picture's row length.
extern int FrameWidth;
extern int FrameHeight;
// R5G6B5 pixel of every (Y, Cr6, Cb6); built by InitAnimationDecoder, read-only afterwards.
extern std::uint16_t* ColourTable;

// 1 on success, -1 when an allocation failed (the buffers allocated before it stay).
int InitAnimationDecoder();

// width x height pixels of 4 bytes, rows packed, into rows of pitch bytes. Height <= 0: nothing.
void ConvertPicture(const std::uint8_t* source, std::uint16_t* destination, int pitch, int width,
                    int height);

// The frames of an animation image: its offsetCount - 1.
int AnimationFrameCount(const std::uint8_t* image);
