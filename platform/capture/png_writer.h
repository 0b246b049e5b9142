// PNG pictures of R5G6B5 frames, each channel widened to 8 bits by repeating its high bits, and of
// true-colour frames.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// False, with the file name and the cause ("No space left on device") in `fault`, when the file
// cannot be written whole.
bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height, std::string* fault);
// The same with the fault on standard error.
bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height);
// True-colour frames: 0x00RRGGBB words, all 8 bits of each channel kept.
bool WritePng(const std::string& path, const std::uint32_t* xrgb, int width, int height, std::string* fault);

}  // namespace platform
