// PNG pictures of R5G6B5 frames, each channel widened to 8 bits by repeating its high bits.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// False (and a message on standard error naming the file) when the file cannot be written.
bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height);

}  // namespace platform
