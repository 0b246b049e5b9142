#include "platform/d3d/span_kernels.h"

#include "platform/d3d/affine_span.h"
#include "platform/d3d/general_span.h"

namespace {

std::size_t NoTexels(const std::uint16_t*, std::uint32_t*, std::size_t) { return 0; }
int NoBytes(std::uint8_t*, const std::uint8_t*, int) { return 0; }
int NoBlocks(const std::uint8_t*, int, std::uint32_t*) { return 0; }

constexpr SpanKernels PlainKernels = {false, ShadeAffineSpanPortable, ShadeGeneralSpanPortable,
                                      NoTexels, NoBytes, NoBlocks,
                                      ShadeAffineSpanPortable, ShadeGeneralSpanTrueColourPortable};

// Chosen before main; until then the plain loops stand, which draw the same pixels.
[[maybe_unused]] const bool StartUpChoice = SelectSpanKernels(true);

}  // namespace

constinit SpanKernels ActiveSpanKernels = PlainKernels;

bool SelectSpanKernels([[maybe_unused]] bool wide, [[maybe_unused]] bool avx512) {
  ActiveSpanKernels = PlainKernels;
#if KORVO_X86_KERNELS
  if (wide && ProcessorHasAvx2()) {
    ActiveSpanKernels = {true, ShadeAffineSpanAvx2, ShadeGeneralSpanAvx2, WidenTexelsAvx2,
                         MaxBytesAvx2, BlockPairMaximaAvx2,
                         ShadeAffineSpanAvx2, ShadeGeneralSpanTrueColourAvx2};
    if (avx512 && ProcessorHasAvx512()) {
      ActiveSpanKernels.affineSpan = ShadeAffineSpanAvx512;
      ActiveSpanKernels.trueColourAffineSpan = ShadeAffineSpanAvx512;
      ActiveSpanKernels.generalSpan = ShadeGeneralSpanAvx512;
      ActiveSpanKernels.trueColourGeneralSpan = ShadeGeneralSpanTrueColourAvx512;
    }
  }
#endif
  return ActiveSpanKernels.wide;
}
