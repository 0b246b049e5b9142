#include "assets/frame_reconstruction.h"

#include "assets/animation.h"
#include "assets/fault.h"
#include "assets/frame_decoder.h"

std::uint8_t* ChromaScratchRows = nullptr;
std::uint8_t* LumaScratchRows = nullptr;
std::uint8_t* LumaBasePlane = nullptr;
bool FrameIsLumaOnly = false;

namespace {

// Base-2 logarithm of a block dimension, or -1 for anything but 1, 2, 4, 8, 16.
int BlockShift(int dimension) {
  for (int shift = 0; shift <= 4; ++shift) {
    if (dimension == 1 << shift) return shift;
  }
  return -1;
}

// 16.16 step of a run from a towards b over a block dimension of 2^shift samples.
int RunStep(int a, int b, int shift) { return (b - a) * (1 << (16 - shift)); }

// Sample k of a run: the integer part of the accumulator after k steps, modulo 256.
std::uint8_t RunSample(int a, int step, int k) {
  return static_cast<std::uint8_t>((a * 65536 + k * step) >> 16);
}

// Horizontal pass of a grid of (W / blockWidth + 1) x (rows) samples into scratch rows of W bytes;
// scale 4 turns quarter luma values into luma.
void InterpolateGridRows(const std::uint8_t* grid, int width, int blockWidth, int rows, int scale,
                         std::uint8_t* scratch) {
  const int shift = BlockShift(blockWidth);
  const int columns = width / blockWidth;
  for (int j = 0; j < rows; ++j) {
    const auto* samples = reinterpret_cast<const std::int8_t*>(grid + j * (columns + 1));
    std::uint8_t* out = scratch + j * width;
    for (int i = 0; i < columns; ++i) {
      const int a = scale * samples[i];
      const int step = RunStep(a, scale * samples[i + 1], shift);
      for (int k = 0; k < blockWidth; ++k) out[i * blockWidth + k] = RunSample(a, step, k);
    }
  }
}

// Vertical pass: between scratch rows j and j + 1, blockHeight rows of W pixels, each pixel
// pixelStride bytes apart in out. Luma scratch bytes are read unsigned, chroma ones signed.
template <typename Sample>
void InterpolateColumns(const std::uint8_t* scratch, int width, int height, int blockHeight,
                        bool vertical, std::uint8_t* out, int pixelStride) {
  const int shift = BlockShift(blockHeight);
  for (int j = 0; j < height / blockHeight; ++j) {
    const auto* top = reinterpret_cast<const Sample*>(scratch + j * width);
    const auto* bottom = top + width;
    for (int k = 0; k < blockHeight; ++k) {
      std::uint8_t* row = out + (j * blockHeight + k) * width * pixelStride;
      for (int x = 0; x < width; ++x) {
        const int step = vertical ? RunStep(top[x], bottom[x], shift) : 0;
        row[x * pixelStride] = RunSample(top[x], step, k);
      }
    }
  }
}

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
  for (int block = 0; block < blocks; ++block) {
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

void InterpolateGrid(const std::uint8_t* grid, int width, int height, int blockWidth,
                     int blockHeight, bool vertical, bool luma, std::uint8_t* scratch,
                     std::uint8_t* out, int pixelStride) {
  InterpolateGridRows(grid, width, blockWidth, height / blockHeight + 1, luma ? 4 : 1, scratch);
  if (luma) {
    InterpolateColumns<std::uint8_t>(scratch, width, height, blockHeight, vertical, out, pixelStride);
  } else {
    InterpolateColumns<std::int8_t>(scratch, width, height, blockHeight, vertical, out, pixelStride);
  }
}

void InterpolateLumaBase(const FrameHeader& header, const std::uint8_t* grid) {
  InterpolateGrid(grid, header.width, header.height, header.lumaBlockWidth,
                  header.lumaBlockHeight, header.verticalInterpolation, true, LumaScratchRows,
                  LumaBasePlane, 1);
}

int ApplyLumaResiduals(const FrameHeader& header, const std::uint8_t* residuals,
                       std::uint8_t* picture, int pixelShift) {
  const int w = header.width;
  const int bw = header.lumaBlockWidth, bh = header.lumaBlockHeight;
  const int scale = 1 << header.residualShift;
  int p = 0;
  for (int j = 0; j < header.height / bh; ++j) {
    for (int i = 0; i < w / bw; ++i) {
      const bool hasResidual = residuals[p++] == 0;
      for (int ky = 0; ky < bh; ++ky) {
        const int m0 = (j * bh + ky) * w + i * bw;
        if (!hasResidual) {
          for (int kx = 0; kx < bw; ++kx) picture[(m0 + kx) << pixelShift] = LumaBasePlane[m0 + kx];
          continue;
        }
        for (int q = 0; q < bw / 2; ++q) {
          const int r = residuals[p++];
          const int m = m0 + 2 * q;
          const int e0 = ((r & 15) - 8) * scale;
          const int e1 = ((r >> 4) - 8) * scale;
          picture[m << pixelShift] = static_cast<std::uint8_t>(LumaBasePlane[m] - e0);
          picture[(m + 1) << pixelShift] = static_cast<std::uint8_t>(LumaBasePlane[m + 1] - e1);
        }
      }
    }
  }
  return p;
}

void InterpolateChroma(const FrameHeader& header, const std::uint8_t* grid, std::uint8_t* plane) {
  InterpolateGrid(grid, header.width, header.height, header.chromaBlockWidth,
                  header.chromaBlockHeight, header.verticalInterpolation, false, ChromaScratchRows,
                  plane, 4);
}

int DecodeFrame(const std::uint8_t* codedFrame, std::uint8_t* picture, int size,
                std::string* fault) {
  if (LumaBasePlane == nullptr) {
    SetFault(fault, "the animation decoder has not been started");
    return 0;
  }
  FrameDecoder& decoder = AnimationFrameDecoder;
  decoder.Load(codedFrame, size);
  const std::uint8_t* record = decoder.Decode();
  if (record == nullptr) {
    SetFault(fault, "%s", decoder.fault().c_str());
    return 0;
  }
  FrameLayout layout;
  if (!CheckFrameRecord(record, decoder.recordSize(), &layout, fault)) return 0;

  const FrameHeader header = ReadFrameHeader(record);
  FrameWidth = header.width;
  FrameHeight = header.height;
  FrameIsLumaOnly = header.lumaOnly;
  const int pixelShift = header.lumaOnly ? 0 : 2;
  if (header.lumaBlockWidth == 0) {
    const std::uint8_t* luma = record + FrameHeaderBytes;
    for (int g = 0; g < header.width * header.height; ++g) picture[g << pixelShift] = luma[g];
  } else {
    InterpolateLumaBase(header, record + FrameHeaderBytes);
    ApplyLumaResiduals(header, record + layout.residuals, picture, pixelShift);
  }
  if (!header.lumaOnly) {
    InterpolateChroma(header, record + layout.crGrid, picture + 1);
    InterpolateChroma(header, record + layout.cbGrid, picture + 2);
  }
  return 1;
}
