// PNG frames for the encoder: one picture per file, or every .png of a folder in name order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/anim/animation_encoder.h"

namespace anim {

// Pictures larger than this are refused from their header, before their pixels are allocated.
constexpr std::uint32_t LargestPictureSide = 16384;
constexpr std::uint64_t LargestPicturePixels = std::uint64_t{1} << 26;

// False and a fault naming the file when it cannot be read as a PNG picture.
bool ReadPngPicture(const std::string& path, RgbPicture* picture, std::string* fault);

// False and a fault naming the file when it cannot be written; a file that existed before is
// never deleted.
bool WritePngPicture(const std::string& path, const RgbPicture& picture, std::string* fault);

// The arguments in order, each folder replaced by its .png files sorted by name.
bool ListFrameFiles(const std::vector<std::string>& arguments, std::vector<std::string>* files,
                    std::string* fault);

}  // namespace anim
