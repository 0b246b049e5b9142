#include "assets/frame_reconstruction.h"

#include <cstring>
#include <type_traits>

#include <immintrin.h>

#include "assets/animation_codec.h"
#include "assets/cpu_features.h"
#include "assets/fault.h"
#include "assets/frame_decoder.h"

std::uint8_t* ChromaScratchRows = nullptr;
std::uint8_t* LumaScratchRows = nullptr;
std::uint8_t* LumaBasePlane = nullptr;
std::uint8_t* ChromaPlanes = nullptr;
bool FrameIsLumaOnly = false;

namespace {

// Base-2 logarithm of a block dimension, or -1 for anything but 1, 2, 4, 8, 16.
int BlockShift(int dimension) {
  for (int shift = 0; shift <= 4; ++shift) {
    if (dimension == 1 << shift) return shift;
  }
  return -1;
}

// Sample k of a run from a towards b over a block dimension of 2^shift samples: the integer
// part, modulo 256, of the 16.16 accumulator a x 65536 + k x ((b - a) << (16 - shift)), which is
// a + floor(k (b - a) / 2^shift).
std::uint8_t RunSample(int a, int b, int shift, int k) {
  return static_cast<std::uint8_t>(a + ((k * (b - a)) >> shift));
}

// Bytes index[0..31] of row, signed, times factor, in 16-bit lanes.
__attribute__((target("avx512bw,avx512vbmi"))) __m512i PickSamples(__m512i index, __m512i row,
                                                                    __m512i factor) {
  // The masked forms: the plain ones start from undefined registers, which the compiler warns of.
  const __m256i picked =
      _mm512_maskz_extracti64x4_epi64(0xF, _mm512_maskz_permutexvar_epi8(~0ull, index, row), 0);
  return _mm512_mullo_epi16(_mm512_cvtepi8_epi16(picked), factor);
}

// One row of the horizontal pass, 32 pixels at a time in 16-bit lanes: each lane picks its
// block's two samples with a byte permute. Returns the pixels done.
template <int Shift>
__attribute__((target("avx512bw,avx512vbmi"))) int InterpolateRowWide(const std::uint8_t* samples,
                                                                         int width, int columns,
                                                                         int scale,
                                                                         std::uint8_t* out) {
  alignas(64) std::uint8_t left[64], right[64];
  alignas(64) std::int16_t position[32];
  for (int lane = 0; lane < 64; ++lane) {
    left[lane] = static_cast<std::uint8_t>((lane & 31) >> Shift);
    right[lane] = static_cast<std::uint8_t>(left[lane] + 1);
  }
  for (int lane = 0; lane < 32; ++lane) position[lane] = static_cast<std::int16_t>(lane & ((1 << Shift) - 1));
  const __m512i leftIndex = _mm512_load_si512(left), rightIndex = _mm512_load_si512(right);
  const __m512i k = _mm512_load_si512(position), factor = _mm512_set1_epi16(static_cast<short>(scale));
  const __m128i shift = _mm_cvtsi32_si128(Shift);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const int first = x >> Shift, available = columns + 1 - first;  // samples left in the row
    const __mmask64 inRow = available >= 64 ? ~0ull : (1ull << available) - 1;
    const __m512i row = _mm512_maskz_loadu_epi8(inRow, samples + first);
    const __m512i a = PickSamples(leftIndex, row, factor), b = PickSamples(rightIndex, row, factor);
    const __m512i value =
        _mm512_add_epi16(a, _mm512_sra_epi16(_mm512_mullo_epi16(k, _mm512_sub_epi16(b, a)), shift));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm512_maskz_cvtepi16_epi8(~0u, value));
  }
  return x;
}

// Horizontal pass of a grid of (W / 2^Shift + 1) x rows samples into scratch rows of W bytes;
// scale 4 turns quarter luma values into luma. The block width is a constant of each instance,
// so that the run of every block unrolls.
template <int Shift>
void InterpolateGridRows(const std::uint8_t* grid, int width, int rows, int scale,
                         std::uint8_t* scratch) {
  constexpr int BlockWidth = 1 << Shift;
  const int columns = width / BlockWidth;
  const bool wide = HasByteShuffles();
  for (int j = 0; j < rows; ++j) {
    const std::uint8_t* row = grid + j * (columns + 1);
    const auto* samples = reinterpret_cast<const std::int8_t*>(row);
    std::uint8_t* out = scratch + j * width;
    const int done = wide ? InterpolateRowWide<Shift>(row, width, columns, scale, out) : 0;
    for (int i = done >> Shift; i < columns; ++i) {
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

// Eight pixels at a time through the compiler's portable vector types (SSE2 on x86-64).
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
using SignedBytes8 = std::int8_t __attribute__((vector_size(8)));
using Shorts8 = std::int16_t __attribute__((vector_size(16)));
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Words4 = std::uint32_t __attribute__((vector_size(16)));

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

// 32 scratch bytes in 16-bit lanes.
template <bool SignedSamples>
__attribute__((target("avx512bw"))) __m512i WidenSamples(const std::uint8_t* bytes) {
  const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  return SignedSamples ? _mm512_cvtepi8_epi16(samples) : _mm512_cvtepu8_epi16(samples);
}

// The vertical pass's runs of one block row, 32 columns at a time in 16-bit lanes; returns the
// columns done.
template <bool SignedSamples>
__attribute__((target("avx512bw,avx512vbmi"))) int InterpolateColumnsWide(
    const std::uint8_t* top, const std::uint8_t* bottom, int width, int blockHeight, int shift,
    bool vertical, std::uint8_t* rows) {
  const __m128i count = _mm_cvtsi32_si128(shift);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m512i a = WidenSamples<SignedSamples>(top + x);
    const __m512i step = vertical ? _mm512_sub_epi16(WidenSamples<SignedSamples>(bottom + x), a)
                                  : _mm512_setzero_si512();
    __m512i accumulator = _mm512_sll_epi16(a, count);
    for (int k = 0; k < blockHeight; ++k, accumulator = _mm512_add_epi16(accumulator, step)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows + k * width + x),
                          _mm512_maskz_cvtepi16_epi8(~0u, _mm512_sra_epi16(accumulator, count)));
    }
  }
  return x;
}

// Vertical pass: between scratch rows j and j + 1, blockHeight rows of W pixels into the plane.
// Luma scratch bytes are read unsigned, chroma ones signed. Row k of a run is a + floor(k (b - a)
// / 2^L), which is what k steps of the 16.16 accumulator give; eight columns at a time keep
// a x 2^L + k (b - a) in 16-bit lanes (|value| < 2^13) and add b - a per row.
template <typename Sample, typename Samples8>
void InterpolateColumns(const std::uint8_t* scratch, int width, int height, int blockHeight,
                        bool vertical, std::uint8_t* plane) {
  const int shift = BlockShift(blockHeight);
  for (int j = 0; j < height / blockHeight; ++j) {
    const std::uint8_t* top = scratch + j * width;
    const std::uint8_t* bottom = top + width;
    std::uint8_t* rows = plane + j * blockHeight * width;
    int x = HasByteShuffles() ? InterpolateColumnsWide<std::is_signed_v<Sample>>(
                                    top, bottom, width, blockHeight, shift, vertical, rows)
                              : 0;
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

// Sixteen pixels at a time with one byte permute and a masked store that leaves byte 3 alone;
// returns the pixels written.
__attribute__((target("avx512bw,avx512vbmi"))) int InterleavePixelsWide(
    const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb, int pixels,
    std::uint8_t* picture) {
  alignas(64) std::uint8_t order[64];
  for (int k = 0; k < 64; ++k) order[k] = static_cast<std::uint8_t>(16 * (k % 4) + k / 4);
  const __m512i permute = _mm512_load_si512(order);
  int p = 0;
  for (; p + 16 <= pixels; p += 16) {
    __m512i planes = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + p)));
    planes = _mm512_inserti32x4(planes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + p)), 1);
    planes = _mm512_inserti32x4(planes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + p)), 2);
    _mm512_mask_storeu_epi8(picture + 4 * p, 0x7777777777777777ull,
                            _mm512_maskz_permutexvar_epi8(~0ull, permute, planes));
  }
  return p;
}

// Writes the luma plane and the chroma planes into 4-byte pixels, keeping byte 3; sixteen
// pixels at a time by interleaving bytes, then byte pairs.
void InterleavePixels(const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb,
                      int pixels, std::uint8_t* picture) {
  const Bytes16 zero = {};
  int p = HasByteShuffles() ? InterleavePixelsWide(luma, cr, cb, pixels, picture) : 0;
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
    const Words4 words[4] = {
        reinterpret_cast<Words4>(__builtin_shufflevector(yrLow, bLow, 0, 8, 1, 9, 2, 10, 3, 11)),
        reinterpret_cast<Words4>(__builtin_shufflevector(yrLow, bLow, 4, 12, 5, 13, 6, 14, 7, 15)),
        reinterpret_cast<Words4>(__builtin_shufflevector(yrHigh, bHigh, 0, 8, 1, 9, 2, 10, 3, 11)),
        reinterpret_cast<Words4>(__builtin_shufflevector(yrHigh, bHigh, 4, 12, 5, 13, 6, 14, 7, 15))};
    for (int k = 0; k < 4; ++k) {
      std::uint8_t* at = picture + 4 * (p + 4 * k);
      Store(at, (Load<Words4>(at) & 0xFF000000u) | words[k]);
    }
  }
  for (; p < pixels; ++p) {
    picture[4 * p] = luma[p];
    picture[4 * p + 1] = cr[p];
    picture[4 * p + 2] = cb[p];
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
  const int w = header.width;
  const int bw = header.lumaBlockWidth, bh = header.lumaBlockHeight;
  // The deltas of the low and the high nibble of every residual byte, times 2^s, modulo 256.
  std::uint8_t lowDelta[256], highDelta[256];
  for (int r = 0; r < 256; ++r) {
    lowDelta[r] = static_cast<std::uint8_t>(((r & 15) - 8) * (1 << header.residualShift));
    highDelta[r] = static_cast<std::uint8_t>(((r >> 4) - 8) * (1 << header.residualShift));
  }
  int p = 0;
  for (int j = 0; j < header.height / bh; ++j) {
    for (int i = 0; i < w / bw; ++i) {
      if (residuals[p++] != 0) continue;  // the base stands
      for (int ky = 0; ky < bh; ++ky) {
        std::uint8_t* luma = LumaBasePlane + (j * bh + ky) * w + i * bw;
        if (bw == 1) {
          // A residual block one pixel wide holds no pair: its pixel keeps the picture's luma.
          *luma = picture[(luma - LumaBasePlane) << pixelShift];
          continue;
        }
        for (int q = 0; q < bw; q += 2) {
          const int r = residuals[p++];
          luma[q] = static_cast<std::uint8_t>(luma[q] - lowDelta[r]);
          luma[q + 1] = static_cast<std::uint8_t>(luma[q + 1] - highDelta[r]);
        }
      }
    }
  }
  return p;
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
