#include "assets/animation_stream.h"

#include <cinttypes>

#include "assets/animation_codec.h"
#include "assets/fault.h"

namespace {

std::int32_t ReadInt32(const std::uint8_t* bytes) {
  return static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                   static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::int32_t Offset(const std::uint8_t* image, int k) { return ReadInt32(image + 4 + 4 * k); }

}  // namespace

bool CheckAnimationStream(const std::uint8_t* image, std::size_t size, std::string* fault) {
  if (size < 4) {
    SetFault(fault, "animation file of %zu bytes is too short for its offset count", size);
    return false;
  }
  const std::int64_t count = ReadInt32(image);
  if (count < 2) {
    SetFault(fault, "offset count %" PRId64 " leaves no frame", count);
    return false;
  }
  const std::int64_t dataStart = 4 + 4 * count;
  if (static_cast<std::uint64_t>(dataStart) > size) {
    SetFault(fault, "offset table of %" PRId64 " entries runs past the end of the %zu-byte file",
             count, size);
    return false;
  }
  const std::int64_t dataSize = static_cast<std::int64_t>(size) - dataStart;
  for (int k = 0; k < count; ++k) {
    const std::int64_t offset = Offset(image, k);
    if (offset < 0 || offset > dataSize) {
      SetFault(fault, "offset %d (%" PRId64 ") points outside the %" PRId64 "-byte frame data", k,
               offset, dataSize);
      return false;
    }
    if (k > 0 && offset < Offset(image, k - 1)) {
      SetFault(fault, "offset %d (%" PRId64 ") runs backwards from offset %d (%d)", k, offset,
               k - 1, Offset(image, k - 1));
      return false;
    }
  }
  return true;
}

int AnimationOffsetCount(const std::uint8_t* image) { return ReadInt32(image); }

int AnimationFrameCount(const std::uint8_t* image) { return AnimationOffsetCount(image) - 1; }

CodedFrameSpan LocateCodedFrame(const std::uint8_t* image, int index) {
  const int count = AnimationOffsetCount(image);
  if (index < 0 || index > count - 2) index = 0;
  const int begin = Offset(image, index);
  const std::uint8_t* data = image + 4 + 4 * count;
  return {data + begin, Offset(image, index + 1) - begin};
}
