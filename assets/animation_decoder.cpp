// Decoder start-up: the buffers of every stage, allocated once, and the colour table.
#include <cstring>
#include <new>

#include "assets/animation_codec.h"
#include "assets/colour_table.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"

alignas(64) std::uint8_t DecodedPicture[DecodedPictureBytes];
int FrameWidth = 0;
int FrameHeight = 0;
std::uint16_t* ColourTable = nullptr;

namespace {

// A zeroed block, or nullptr. A second start-up keeps what the first one allocated.
template <typename T>
bool Allocate(T** block, int count) {
  if (*block == nullptr) *block = new (std::nothrow) T[count]();
  return *block != nullptr;
}

}  // namespace

int InitAnimationDecoder() {
  if (!Allocate(&ColourTable, ColourTableEntries) ||
      !Allocate(&ChromaScratchRows, WorkingBufferBytes) ||
      !Allocate(&LumaScratchRows, WorkingBufferBytes) ||
      !Allocate(&LumaBasePlane, WorkingBufferBytes) ||
      !Allocate(&DecodeBuffer, DecodeBufferBytes) ||
      !Allocate(&ChromaPlanes, 2 * ChromaPlaneBytes)) {
    return -1;
  }
  BuildColourTable(ColourTable);
  PrepareConversion();
  return 1;
}
