// The device's loops that have wide versions, one table chosen once at start-up: the AVX2 loops on
// x86-64 processors that have AVX2 (with the AVX-512 span loops where there is AVX-512), the
// plain loops everywhere else. The plain loops
// (affine_span.cpp, general_span.cpp, texture.cpp) are the reference: every wide loop gives their
// pixels bit for bit.
//
// The table is set before main runs. SelectSpanKernels changes it between frames (tests,
// "korvo-bench device --plain"), never while a draw runs on the workers (FlushDraws waits for
// them).
#pragma once

#include <cstddef>
#include <cstdint>

template <class Pixel>
struct BasicAffineSpan;
using AffineSpan = BasicAffineSpan<std::uint16_t>;
using TrueColourAffineSpan = BasicAffineSpan<std::uint32_t>;
struct SpanInput;
struct DrawSettings;
struct RenderTarget;

struct SpanKernels {
  bool wide;  // false: the plain loops
  void (*affineSpan)(const AffineSpan& span);
  void (*generalSpan)(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
  // Texture widening and block maxima in whole vectors: each returns how far it got, and the
  // plain loop finishes the rest. In the plain table they do nothing.
  std::size_t (*widenTexels)(const std::uint16_t* pixels, std::uint32_t* widened, std::size_t count);
  int (*maxBytes)(std::uint8_t* into, const std::uint8_t* from, int count);  // into = max(into, from)
  int (*blockPairMaxima)(const std::uint8_t* down, int columns, std::uint32_t* blocks);
  // The same span loops into true-colour frames.
  void (*trueColourAffineSpan)(const TrueColourAffineSpan& span);
  void (*trueColourGeneralSpan)(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
};

// The loops in use.
extern SpanKernels ActiveSpanKernels;

// Sets the table: the processor's best when wide is true (without its AVX-512 loops when avx512
// is false), the plain loops otherwise. True when the wide loops are in use afterwards.
bool SelectSpanKernels(bool wide, bool avx512 = true);

#if KORVO_X86_KERNELS
// x86-64 builds only: the AVX2 loops (*_avx2.cpp) and the AVX-512 ones (*_avx512.cpp), compiled
// with target attributes.
bool ProcessorHasAvx2();
bool ProcessorHasAvx512();  // F, VL and BW
void ShadeAffineSpanAvx512(const AffineSpan& span);
void ShadeAffineSpanAvx512(const TrueColourAffineSpan& span);
void ShadeGeneralSpanAvx512(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
void ShadeGeneralSpanTrueColourAvx512(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
void ShadeAffineSpanAvx2(const AffineSpan& span);
void ShadeAffineSpanAvx2(const TrueColourAffineSpan& span);
void ShadeGeneralSpanAvx2(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
void ShadeGeneralSpanTrueColourAvx2(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
std::size_t WidenTexelsAvx2(const std::uint16_t* pixels, std::uint32_t* widened, std::size_t count);
int MaxBytesAvx2(std::uint8_t* into, const std::uint8_t* from, int count);
int BlockPairMaximaAvx2(const std::uint8_t* down, int columns, std::uint32_t* blocks);
#endif
