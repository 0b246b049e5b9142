#include "assets/frame_reconstruction.h"

#include <cstring>
#include <type_traits>

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"
#include "assets/fault.h"
#include "assets/frame_decoder.h"

std::uint8_t* ChromaScratchRows = nullptr;
std::uint8_t* LumaScratchRows = nullptr;
std::uint8_t* LumaBasePlane = nullptr;
std::uint8_t* ChromaPlanes = nullptr;
bool FrameIsLumaOnly = false;

namespace {

// Sample k of a run from a towards b over a block dimension of 2^shift samples: the integer
// part, modulo 256, of the 16.16 accumulator a x 65536 + k x ((b - a) << (16 - shift)), which is
// a + floor(k (b - a) / 2^shift).
std::uint8_t RunSample(int a, int b, int shift, int k) {
  return static_cast<std::uint8_t>(a + ((k * (b - a)) >> shift));
}

// Eight pixels at a time through the compiler's portable vector types (SSE2 on x86-64, NEON on
// aarch64).
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
using SignedBytes8 = std::int8_t __attribute__((vector_size(8)));
using Shorts8 = std::int16_t __attribute__((vector_size(16)));
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Words4 = std::uint32_t __attribute__((vector_size(16)));
using Words8 = std::uint16_t __attribute__((vector_size(16)));

Shorts8 Splat(int value) {
  const auto v = static_cast<std::int16_t>(value);
  return Shorts8{v, v, v, v, v, v, v, v};
}

template <typename Vector>
Vector Load(const void* bytes) {
  Vector v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

template <typename Vector>
void Store(void* bytes, Vector v) {
  std::memcpy(bytes, &v, sizeof v);
}

// Byte j of x and of y to bytes 2j and 2j + 1 of z, Length bytes of each.
template <int Length>
void Zip(const std::uint8_t* x, const std::uint8_t* y, std::uint8_t* z) {
  if constexpr (Length == 8) {
    Store(z, __builtin_shufflevector(Load<Bytes8>(x), Load<Bytes8>(y), 0, 8, 1, 9, 2, 10, 3, 11, 4,
                                     12, 5, 13, 6, 14, 7, 15));
  } else {
    for (int q = 0; q < Length; q += 16) {
      const Bytes16 a = Load<Bytes16>(x + q), b = Load<Bytes16>(y + q);
      Store(z + 2 * q, __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6,
                                               22, 7, 23));
      Store(z + 2 * q + 16, __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13,
                                                    29, 14, 30, 15, 31));
    }
  }
}

// Eight runs of Count samples each, given as Count vectors (runs[k * stride] holds sample k of
// every run), written run after run: the even samples interleaved, the odd ones interleaved, and
// the two zipped.
template <int Count>
void Interleave(const Bytes8* runs, int stride, std::uint8_t* out) {
  if constexpr (Count == 1) {
    Store(out, runs[0]);
  } else {
    std::uint8_t even[4 * Count], odd[4 * Count];
    Interleave<Count / 2>(runs, 2 * stride, even);
    Interleave<Count / 2>(runs + stride, 2 * stride, odd);
    Zip<4 * Count>(even, odd, out);
  }
}

// Horizontal pass of a grid of (W / 2^Shift + 1) x rows samples into scratch rows of W bytes;
// scale 4 turns quarter luma values into luma. The block width is a constant of each instance,
// so that the run of every block unrolls; eight blocks at a time, their runs computed as vectors of
// one sample of each and interleaved.
template <int Shift>
void InterpolateGridRows(const std::uint8_t* grid, int width, int rows, int scale,
                         std::uint8_t* scratch) {
  constexpr int BlockWidth = 1 << Shift;
  const int columns = width / BlockWidth;
  const auto wideRow = ActiveCodecKernels.interpolateRow[Shift];
  for (int j = 0; j < rows; ++j) {
    const std::uint8_t* row = grid + j * (columns + 1);
    const auto* samples = reinterpret_cast<const std::int8_t*>(row);
    std::uint8_t* out = scratch + j * width;
    int i = wideRow(row, width, columns, scale, out) >> Shift;
    for (; i + 8 <= columns; i += 8) {
      const Shorts8 a = __builtin_convertvector(Load<SignedBytes8>(row + i), Shorts8) * Splat(scale);
      const Shorts8 b = __builtin_convertvector(Load<SignedBytes8>(row + i + 1), Shorts8) * Splat(scale);
      Bytes8 runs[BlockWidth];  // sample k of the eight runs
      for (int k = 0; k < BlockWidth; ++k) {
        runs[k] = __builtin_convertvector(a + ((Splat(k) * (b - a)) >> Shift), Bytes8);
      }
      Interleave<BlockWidth>(runs, 1, out + i * BlockWidth);
    }
    for (; i < columns; ++i) {
      const int a = scale * samples[i], b = scale * samples[i + 1];
      for (int k = 0; k < BlockWidth; ++k) out[i * BlockWidth + k] = RunSample(a, b, Shift, k);
    }
  }
}

void InterpolateGridRows(const std::uint8_t* grid, int width, int blockWidth, int rows, int scale,
                         std::uint8_t* scratch) {
  switch (BlockShift(blockWidth)) {
    case 0: return InterpolateGridRows<0>(grid, width, rows, scale, scratch);
    case 1: return InterpolateGridRows<1>(grid, width, rows, scale, scratch);
    case 2: return InterpolateGridRows<2>(grid, width, rows, scale, scratch);
    case 3: return InterpolateGridRows<3>(grid, width, rows, scale, scratch);
    default: return InterpolateGridRows<4>(grid, width, rows, scale, scratch);
  }
}

// Vertical pass: between scratch rows j and j + 1, blockHeight rows of W pixels into the plane.
// Luma scratch bytes are read unsigned, chroma ones signed. Row k of a run is a + floor(k (b - a)
// / 2^L), which is what k steps of the 16.16 accumulator give; eight columns at a time keep
// a x 2^L + k (b - a) in 16-bit lanes (|value| < 2^13) and add b - a per row. Sixteen at a time
// keep that value times 2^(8 - L) instead, modulo 2^16, so that each row's byte is the high byte
// of its lane (the odd bytes, little-endian): the row lies between a and b, so nothing is lost.
template <typename Sample, typename Samples8>
void InterpolateColumns(const std::uint8_t* scratch, int width, int height, int blockHeight,
                        bool vertical, std::uint8_t* plane) {
  const int shift = BlockShift(blockHeight);
  const auto wideColumns = ActiveCodecKernels.interpolateColumns[std::is_signed_v<Sample>];
  for (int j = 0; j < height / blockHeight; ++j) {
    const std::uint8_t* top = scratch + j * width;
    const std::uint8_t* bottom = top + width;
    std::uint8_t* rows = plane + j * blockHeight * width;
    int x = wideColumns(top, bottom, width, blockHeight, shift, vertical, rows);
    for (; x + 16 <= width; x += 16) {  // one 16-byte store per row
      const Words8 a0 = __builtin_convertvector(Load<Samples8>(top + x), Words8);
      const Words8 a1 = __builtin_convertvector(Load<Samples8>(top + x + 8), Words8);
      const Words8 b0 = __builtin_convertvector(Load<Samples8>(bottom + x), Words8);
      const Words8 b1 = __builtin_convertvector(Load<Samples8>(bottom + x + 8), Words8);
      const Words8 step0 = vertical ? (b0 - a0) << (8 - shift) : Words8{};
      const Words8 step1 = vertical ? (b1 - a1) << (8 - shift) : Words8{};
      Words8 accumulator0 = a0 << 8, accumulator1 = a1 << 8;
      for (int k = 0; k < blockHeight; ++k, accumulator0 += step0, accumulator1 += step1) {
        Store(rows + k * width + x,
              __builtin_shufflevector(reinterpret_cast<Bytes16>(accumulator0),
                                      reinterpret_cast<Bytes16>(accumulator1), 1, 3, 5, 7, 9, 11,
                                      13, 15, 17, 19, 21, 23, 25, 27, 29, 31));
      }
    }
    for (; x + 8 <= width; x += 8) {
      const Shorts8 a = __builtin_convertvector(Load<Samples8>(top + x), Shorts8);
      const Shorts8 step = vertical ? __builtin_convertvector(Load<Samples8>(bottom + x), Shorts8) - a
                                    : Shorts8{};
      Shorts8 accumulator = a * Splat(1 << shift);
      for (int k = 0; k < blockHeight; ++k, accumulator += step) {
        Store(rows + k * width + x, __builtin_convertvector(accumulator >> shift, Bytes8));
      }
    }
    for (; x < width; ++x) {
      for (int k = 0; k < blockHeight; ++k) {
        rows[k * width + x] = RunSample(static_cast<Sample>(top[x]), static_cast<Sample>(bottom[x]),
                                        shift, vertical ? k : 0);
      }
    }
  }
}

// Writes the luma plane and the chroma planes into 4-byte pixels, keeping byte 3; sixteen
// pixels at a time by interleaving bytes, then byte pairs.
void InterleavePixels(const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb,
                      int pixels, std::uint8_t* picture) {
  const Bytes16 zero = {};
  int p = ActiveCodecKernels.interleavePixels(luma, cr, cb, pixels, picture);
  for (; p + 16 <= pixels; p += 16) {
    const Bytes16 y = Load<Bytes16>(luma + p), r = Load<Bytes16>(cr + p), b = Load<Bytes16>(cb + p);
    const Shorts8 yrLow = reinterpret_cast<Shorts8>(__builtin_shufflevector(
        y, r, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    const Shorts8 yrHigh = reinterpret_cast<Shorts8>(__builtin_shufflevector(
        y, r, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    const Shorts8 bLow = reinterpret_cast<Shorts8>(__builtin_shufflevector(
        b, zero, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    const Shorts8 bHigh = reinterpret_cast<Shorts8>(__builtin_shufflevector(
        b, zero, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    std::uint8_t* at = picture + 4 * p;
    const auto put = [](std::uint8_t* to, Shorts8 words) {
      Store(to, (Load<Words4>(to) & 0xFF000000u) | reinterpret_cast<Words4>(words));
    };
    put(at, __builtin_shufflevector(yrLow, bLow, 0, 8, 1, 9, 2, 10, 3, 11));
    put(at + 16, __builtin_shufflevector(yrLow, bLow, 4, 12, 5, 13, 6, 14, 7, 15));
    put(at + 32, __builtin_shufflevector(yrHigh, bHigh, 0, 8, 1, 9, 2, 10, 3, 11));
    put(at + 48, __builtin_shufflevector(yrHigh, bHigh, 4, 12, 5, 13, 6, 14, 7, 15));
  }
  for (; p < pixels; ++p) {
    picture[4 * p] = luma[p];
    picture[4 * p + 1] = cr[p];
    picture[4 * p + 2] = cb[p];
  }
}

// The residual blocks of a luma block width of 2^Shift pixels: a row of a flagged block is
// BlockWidth bytes less their deltas, done as one fixed-width loop that the compiler vectorizes.
template <int Shift>
int ApplyResidualBlocks(const FrameHeader& header, const std::uint8_t* __restrict residuals,
                        const std::uint8_t* picture, int pixelShift,
                        const std::uint16_t* __restrict pairDelta, std::uint8_t* __restrict plane) {
  constexpr int BlockWidth = 1 << Shift;
  const int w = header.width, bh = header.lumaBlockHeight;
  int p = 0;
  for (int j = 0; j < header.height / bh; ++j) {
    for (int i = 0; i < w / BlockWidth; ++i) {
      if (residuals[p++] != 0) continue;  // the base stands
      std::uint8_t* luma = plane + j * bh * w + i * BlockWidth;
      for (int ky = 0; ky < bh; ++ky, luma += w) {
        if constexpr (BlockWidth == 1) {
          // A residual block one pixel wide holds no pair: its pixel keeps the picture's luma.
          *luma = picture[(luma - plane) << pixelShift];
        } else {
          std::uint8_t row[BlockWidth], delta[BlockWidth];
          for (int q = 0; q < BlockWidth / 2; ++q) {
            const std::uint16_t pair = pairDelta[residuals[p + q]];
            delta[2 * q] = static_cast<std::uint8_t>(pair);
            delta[2 * q + 1] = static_cast<std::uint8_t>(pair >> 8);
          }
          std::memcpy(row, luma, BlockWidth);
          for (int k = 0; k < BlockWidth; ++k) row[k] = static_cast<std::uint8_t>(row[k] - delta[k]);
          std::memcpy(luma, row, BlockWidth);
          p += BlockWidth / 2;
        }
      }
    }
  }
  return p;
}

}  // namespace

void InterpolateGrid(const std::uint8_t* grid, int width, int height, int blockWidth,
                     int blockHeight, bool vertical, bool luma, std::uint8_t* scratch,
                     std::uint8_t* plane) {
  InterpolateGridRows(grid, width, blockWidth, height / blockHeight + 1, luma ? 4 : 1, scratch);
  if (luma) {
    InterpolateColumns<std::uint8_t, Bytes8>(scratch, width, height, blockHeight, vertical, plane);
  } else {
    InterpolateColumns<std::int8_t, SignedBytes8>(scratch, width, height, blockHeight, vertical, plane);
  }
}

void InterpolateLumaBase(const FrameHeader& header, const std::uint8_t* grid) {
  InterpolateGrid(grid, header.width, header.height, header.lumaBlockWidth,
                  header.lumaBlockHeight, header.verticalInterpolation, true, LumaScratchRows,
                  LumaBasePlane);
}

int ApplyLumaResiduals(const FrameHeader& header, const std::uint8_t* residuals,
                       const std::uint8_t* picture, int pixelShift) {
  // The deltas of the low and the high nibble of every residual byte, times 2^s, modulo 256: the
  // low one in byte 0 of its entry, the high one in byte 1.
  std::uint16_t pairDelta[256];
  for (int r = 0; r < 256; ++r) {
    const int low = ((r & 15) - 8) * (1 << header.residualShift);
    const int high = ((r >> 4) - 8) * (1 << header.residualShift);
    pairDelta[r] = static_cast<std::uint16_t>((low & 255) | (high & 255) << 8);
  }
  switch (BlockShift(header.lumaBlockWidth)) {
    case 0: return ApplyResidualBlocks<0>(header, residuals, picture, pixelShift, pairDelta, LumaBasePlane);
    case 1: return ApplyResidualBlocks<1>(header, residuals, picture, pixelShift, pairDelta, LumaBasePlane);
    case 2: return ApplyResidualBlocks<2>(header, residuals, picture, pixelShift, pairDelta, LumaBasePlane);
    case 3: return ApplyResidualBlocks<3>(header, residuals, picture, pixelShift, pairDelta, LumaBasePlane);
    default: return ApplyResidualBlocks<4>(header, residuals, picture, pixelShift, pairDelta, LumaBasePlane);
  }
}

void InterpolateChroma(const FrameHeader& header, const std::uint8_t* grid, std::uint8_t* plane) {
  InterpolateGrid(grid, header.width, header.height, header.chromaBlockWidth,
                  header.chromaBlockHeight, header.verticalInterpolation, false, ChromaScratchRows,
                  plane);
}

int DecodeFrame(const std::uint8_t* codedFrame, std::uint8_t* picture, int size,
                std::string* fault) {
  if (ChromaPlanes == nullptr) {
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
  const int pixels = header.width * header.height;
  const std::uint8_t* luma = record + FrameHeaderBytes;  // raw form
  if (header.lumaBlockWidth != 0) {
    InterpolateLumaBase(header, record + FrameHeaderBytes);
    ApplyLumaResiduals(header, record + layout.residuals, picture, header.lumaOnly ? 0 : 2);
    luma = LumaBasePlane;
  }
  if (header.lumaOnly) {
    std::memcpy(picture, luma, pixels);
    return 1;
  }
  std::uint8_t* cr = ChromaPlanes;
  std::uint8_t* cb = ChromaPlanes + ChromaPlaneBytes;
  InterpolateChroma(header, record + layout.crGrid, cr);
  InterpolateChroma(header, record + layout.cbGrid, cb);
  InterleavePixels(luma, cr, cb, pixels, picture);
  return 1;
}
