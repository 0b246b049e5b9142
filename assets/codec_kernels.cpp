#include "assets/codec_kernels.h"

namespace {

template <typename... Arguments>
int NoPixels(Arguments...) {
  return 0;
}

long NoMappedPixels(const std::uint8_t* const*, std::uint8_t*, long) { return 0; }

constexpr CodecKernels PlainKernels = {
    {NoPixels, NoPixels, NoPixels, NoPixels, NoPixels},
    {NoPixels, NoPixels},
    NoPixels,
    NoPixels,
    NoMappedPixels,
};

// Chosen before main; the plain table stands until then, so a static initialiser elsewhere that
// decoded would still get the same bytes.
[[maybe_unused]] const bool StartUpChoice = SelectCodecKernels(true);

}  // namespace

constinit CodecKernels ActiveCodecKernels = PlainKernels;

bool SelectCodecKernels([[maybe_unused]] bool wide) {
  CodecKernels kernels = PlainKernels;
  bool any = false;
#if KORVO_X86_KERNELS
  if (wide && ProcessorHasAvx512Permutes()) {
    any = true;
    for (int shift = 0; shift < 5; ++shift) kernels.interpolateRow[shift] = InterpolateRowAvx512[shift];
    for (int sign = 0; sign < 2; ++sign) kernels.interpolateColumns[sign] = InterpolateColumnsAvx512[sign];
    kernels.interleavePixels = InterleavePixelsAvx512;
    kernels.mapPixels = MapPixelsAvx512;
  }
  if (wide && ProcessorHasAvx512Bw()) {
    any = true;
    kernels.convertRow = ConvertRowAvx512;
  }
#endif
  ActiveCodecKernels = kernels;
  return any;
}

bool PlainConversion() { return ActiveCodecKernels.convertRow == PlainKernels.convertRow; }
