// The colour table: the R5G6B5 pixel of every (Y, Cr6, Cb6), index Y x 4096 + Cr6 x 64 + Cb6,
// built once at start-up in 32-bit float arithmetic, so that converting a decoded picture costs
// one table read per pixel. Chroma is damped towards grey below luma 16 and above luma 248.
#pragma once

#include <cstdint>

// R5G6B5 of luma y (0..255) and 6-bit chroma cr6, cb6 (0..63).
std::uint16_t ColourTableEntry(int y, int cr6, int cb6);
// Fills table (ColourTableEntries entries).
void BuildColourTable(std::uint16_t* table);
// With the plain conversion in use, makes now the copy of ColourTable it reads, which would
// otherwise be made by the first conversion (2 MB touched for the first time: milliseconds).
// Called once ColourTable is built.
void PrepareConversion();

// The true-colour rendering's table: the same arithmetic kept at 8 bits a channel, 0x00RRGGBB.
// Each channel's top bits are ColourTableEntry's, so colour keys see the 16-bit value.
std::uint32_t TrueColourTableEntry(int y, int cr6, int cb6);
void BuildTrueColourTable(std::uint32_t* table);
