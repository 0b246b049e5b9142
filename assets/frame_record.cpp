#include "assets/frame_record.h"

#include "assets/animation_codec.h"
#include "assets/fault.h"

int BlockShift(int dimension) {
  for (int shift = 0; shift <= 4; ++shift) {
    if (dimension == 1 << shift) return shift;
  }
  return -1;
}

namespace {

bool CheckBlock(int width, int height, int blockWidth, int blockHeight, const char* plane,
                std::string* fault) {
  if (BlockShift(blockWidth) < 0 || BlockShift(blockHeight) < 0) {
    SetFault(fault, "%s block %d x %d is not 1, 2, 4, 8 or 16 pixels wide and high", plane,
             blockWidth, blockHeight);
    return false;
  }
  if (width % blockWidth != 0 || height % blockHeight != 0) {
    SetFault(fault, "frame size %d x %d is not a multiple of the %s block %d x %d", width, height,
             plane, blockWidth, blockHeight);
    return false;
  }
  if ((height / blockHeight + 1) * width > WorkingBufferBytes) {
    SetFault(fault, "%s grid rows of a %d x %d frame exceed the %d-byte scratch rows", plane,
             width, height, WorkingBufferBytes);
    return false;
  }
  return true;
}

// Walks the residual stream's flags; false when it runs past the record.
bool MeasureResiduals(const std::uint8_t* record, int recordSize, const FrameHeader& header,
                      FrameLayout* layout, std::string* fault) {
  const int blocks = (header.width / header.lumaBlockWidth) *
                     (header.height / header.lumaBlockHeight);
  const int residualBlockBytes = 1 + header.lumaBlockHeight * (header.lumaBlockWidth / 2);
  int position = layout->residuals;
  int block = 0;
  // Two flags a step while every place the second can be lies in the record: both candidates are
  // read before the first flag is known, which halves the chain of dependent reads.
  const int rest = residualBlockBytes - 1;
  for (; block + 2 <= blocks && position + residualBlockBytes < recordSize; block += 2) {
    const int skip = record[position] == 0 ? rest : 0;
    const int second = position + 1 + skip;
    const int secondFlag = skip != 0 ? record[position + residualBlockBytes] : record[position + 1];
    position = second + 1 + (secondFlag == 0 ? rest : 0);
  }
  for (; block < blocks; ++block) {
    if (position >= recordSize) {
      SetFault(fault, "residual stream runs past the %d-byte frame record at block %d of %d",
               recordSize, block, blocks);
      return false;
    }
    position += record[position] == 0 ? residualBlockBytes : 1;
  }
  if (position > recordSize) {
    SetFault(fault, "residual stream runs past the %d-byte frame record in its last block",
             recordSize);
    return false;
  }
  layout->residualBytes = position - layout->residuals;
  return true;
}

bool CheckLuma(const std::uint8_t* record, int recordSize, const FrameHeader& header,
               FrameLayout* layout, std::string* fault) {
  const int w = header.width, h = header.height;
  if (header.lumaBlockWidth == 0) {
    layout->end = FrameHeaderBytes + w * h;
    if (layout->end > recordSize) {
      SetFault(fault, "raw luma of %d x %d runs past the %d-byte frame record", w, h, recordSize);
      return false;
    }
    return true;
  }
  if (!CheckBlock(w, h, header.lumaBlockWidth, header.lumaBlockHeight, "luma", fault)) return false;
  if (w * h > WorkingBufferBytes) {
    SetFault(fault, "luma of a %d x %d frame exceeds the %d-byte base plane", w, h,
             WorkingBufferBytes);
    return false;
  }
  if (header.residualShift < 0 || header.residualShift > 7) {
    SetFault(fault, "residual shift %d is outside 0 to 7", header.residualShift);
    return false;
  }
  const int grid = (w / header.lumaBlockWidth + 1) * (h / header.lumaBlockHeight + 1);
  layout->residuals = FrameHeaderBytes + grid;
  if (layout->residuals > recordSize) {
    SetFault(fault, "luma grid runs past the %d-byte frame record", recordSize);
    return false;
  }
  if (!MeasureResiduals(record, recordSize, header, layout, fault)) return false;
  layout->end = layout->residuals + layout->residualBytes;
  return true;
}

bool CheckChroma(int recordSize, const FrameHeader& header, FrameLayout* layout,
                 std::string* fault) {
  const int w = header.width, h = header.height;
  if (!CheckBlock(w, h, header.chromaBlockWidth, header.chromaBlockHeight, "chroma", fault)) {
    return false;
  }
  const int grid = (w / header.chromaBlockWidth + 1) * (h / header.chromaBlockHeight + 1);
  layout->crGrid = layout->end;
  layout->cbGrid = layout->crGrid + grid;
  layout->end = layout->cbGrid + grid;
  if (layout->end > recordSize) {
    SetFault(fault, "chroma grids run past the %d-byte frame record (they need %d bytes)",
             recordSize, layout->end);
    return false;
  }
  return true;
}

}  // namespace

FrameHeader ReadFrameHeader(const std::uint8_t* record) {
  const auto signedByte = [record](int offset) { return static_cast<std::int8_t>(record[offset]); };
  FrameHeader header;
  header.width = static_cast<std::int16_t>(record[0] | record[1] << 8);
  header.height = static_cast<std::int16_t>(record[2] | record[3] << 8);
  header.lumaBlockWidth = signedByte(4);
  header.lumaBlockHeight = signedByte(5);
  header.chromaBlockWidth = signedByte(6);
  header.chromaBlockHeight = signedByte(7);
  header.verticalInterpolation = record[8] != 0;
  header.residualShift = signedByte(10);
  header.lumaOnly = record[11] == LumaOnlyFlag;
  return header;
}

bool CheckFrameRecord(const std::uint8_t* record, int recordSize, FrameLayout* layout,
                      std::string* fault) {
  if (recordSize < FrameHeaderBytes) {
    SetFault(fault, "frame record of %d bytes is shorter than its %d-byte header", recordSize,
             FrameHeaderBytes);
    return false;
  }
  const FrameHeader header = ReadFrameHeader(record);
  const int w = header.width, h = header.height;
  if (w < 0 || h < 0) {
    SetFault(fault, "frame size %d x %d is negative", w, h);
    return false;
  }
  if (w > MaxFrameWidth) {
    SetFault(fault, "frame width %d exceeds %d pixels", w, MaxFrameWidth);
    return false;
  }
  const int pixelBytes = header.lumaOnly ? 1 : 4;
  if (w * h * pixelBytes > DecodedPictureBytes) {
    SetFault(fault, "%s frame of %d x %d exceeds the %d-byte picture",
             header.lumaOnly ? "luma-only" : "colour", w, h, DecodedPictureBytes);
    return false;
  }
  if (!CheckLuma(record, recordSize, header, layout, fault)) return false;
  return header.lumaOnly || CheckChroma(recordSize, header, layout, fault);
}
