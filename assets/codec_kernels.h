// The codec's wide kernels, one table chosen once at start-up: the AVX-512 kernels on x86-64
// processors that have the instructions each needs, none elsewhere. The plain loops of
// frame_reconstruction.cpp, colour_table.cpp and post_process_maps.cpp are the reference: a
// kernel does what it can in whole vectors, gives their bytes bit for bit and returns how far it
// got, and the plain loop finishes the rest. In the plain table every kernel does nothing.
//
// The table is set before main runs; SelectCodecKernels changes it between frames (tests, the
// benchmark's --plain), never while a frame decodes.
#pragma once

#include <cstdint>

struct CodecKernels {
  // Horizontal pass of one grid row, per block-width shift 0..4; pixels done (whole blocks).
  int (*interpolateRow[5])(const std::uint8_t* samples, int width, int columns, int scale,
                           std::uint8_t* out);
  // Vertical pass of one block row, [0] unsigned (luma) and [1] signed (chroma) scratch bytes;
  // columns done.
  int (*interpolateColumns[2])(const std::uint8_t* top, const std::uint8_t* bottom, int width,
                               int blockHeight, int shift, bool vertical, std::uint8_t* rows);
  // Luma, Cr and Cb planes into 4-byte pixels, byte 3 kept; pixels done.
  int (*interleavePixels)(const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb,
                          int pixels, std::uint8_t* picture);
  // One row of 4-byte pixels into the R5G6B5 values ColourTable holds for them; pixels done.
  int (*convertRow)(const std::uint8_t* source, std::uint16_t* row, int width);
  // Bytes 0..2 of count 4-byte pixels through maps[0..2] (nullptr: byte kept); pixels done.
  long (*mapPixels)(const std::uint8_t* const maps[3], std::uint8_t* pixel, long count);
};

// The kernels in use.
extern CodecKernels ActiveCodecKernels;

// Sets the table: the processor's best when wide is true, the plain one otherwise. True when any
// wide kernel is in use afterwards.
bool SelectCodecKernels(bool wide);
// True when convertRow is the plain table's, so that conversions read the colour table.
bool PlainConversion();

#if KORVO_X86_KERNELS
// x86-64 builds only: the AVX-512 kernels (*_avx512.cpp), compiled with target attributes, and
// what each needs of the processor.
bool ProcessorHasAvx512Bw();         // AVX-512 F and BW: convertRow
bool ProcessorHasAvx512Permutes();   // AVX-512 BW and VBMI: the others
extern int (*const InterpolateRowAvx512[5])(const std::uint8_t*, int, int, int, std::uint8_t*);
extern int (*const InterpolateColumnsAvx512[2])(const std::uint8_t*, const std::uint8_t*, int, int,
                                                int, bool, std::uint8_t*);
int InterleavePixelsAvx512(const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb,
                           int pixels, std::uint8_t* picture);
int ConvertRowAvx512(const std::uint8_t* source, std::uint16_t* row, int width);
long MapPixelsAvx512(const std::uint8_t* const maps[3], std::uint8_t* pixel, long count);
#endif
