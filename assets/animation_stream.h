// The .dat container (AnimationStream): int32 offsetCount K, then K int32 offsets relative to the
// frame data area that follows the table; frame k is the coded frame from o[k] up to o[k+1].
// All integers little-endian. The loader checks every image once with CheckAnimationStream;
// after that the locating routines trust the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when the offset table lies in the image, holds at least one frame, never runs backwards
// and ends inside the image. Otherwise false and, if fault is given, a sentence naming the fault.
bool CheckAnimationStream(const std::uint8_t* image, std::size_t size, std::string* fault);

// offsetCount of a checked image.
int AnimationOffsetCount(const std::uint8_t* image);

// The coded frame of a checked image; an index outside 0 .. K - 2 gives frame 0.
struct CodedFrameSpan {
  const std::uint8_t* data;
  int size;
};
CodedFrameSpan LocateCodedFrame(const std::uint8_t* image, int index);
