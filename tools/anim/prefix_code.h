// The encoder's entropy stage: an optimal length-limited prefix code per frame record
// (package-merge), canonical code words, and the coded frame: int32 N, 256 code words, 256 code
// lengths, then the payload bits (least significant bit of each byte first, each code word most
// significant bit first).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace anim {

// Code lengths minimising the coded size for the byte counts, none above maxLength (1 to 32).
// Bytes that do not occur get 0; a single occurring byte value gets length 1.
std::array<std::uint8_t, 256> LimitedCodeLengths(const std::array<std::uint64_t, 256>& counts,
                                                 int maxLength);

// Canonical code words for the lengths: shorter codes first, equal lengths by byte value.
std::array<std::uint32_t, 256> CanonicalCodeWords(const std::array<std::uint8_t, 256>& lengths);

// The coded frame of a frame record.
std::vector<std::uint8_t> EncodeCodedFrame(const std::vector<std::uint8_t>& record, int maxLength);

}  // namespace anim
