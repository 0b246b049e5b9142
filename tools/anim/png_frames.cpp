#include "tools/anim/png_frames.h"

#include <png.h>

#include <algorithm>
#include <filesystem>

#include "tools/common/file_bytes.h"
#include "tools/common/file_kind.h"

namespace anim {

bool ReadPngPicture(const std::string& path, RgbPicture* picture, std::string* fault) {
  std::vector<std::uint8_t> bytes;
  if (!tools::ReadFileBytes(path, &bytes, fault)) return false;
  if (tools::FileKindOf(bytes) != "PNG picture") {
    const std::string kind = tools::FileKindOf(bytes);
    *fault = path + ": " + (kind.empty() ? std::string("not a PNG picture") : kind + ", not a PNG picture");
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
    *fault = path + ": " + image.message;
    return false;
  }
  // The header's size decides the allocation: refuse a picture no frame could use first.
  if (image.width > LargestPictureSide || image.height > LargestPictureSide ||
      std::uint64_t{image.width} * image.height > LargestPicturePixels) {
    *fault = path + ": a picture of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
             " pixels is larger than the " + std::to_string(LargestPicturePixels) + " pixels the encoder takes";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) == 0) {
    *fault = path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

bool WritePngPicture(const std::string& path, const RgbPicture& picture, std::string* fault) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  // Encoded in memory first: libpng's own file writer deletes its output when it fails, even
  // a file it did not create.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, picture.rgb.data(), 0, nullptr) == 0) {
    *fault = path + ": " + image.message;
    return false;
  }
  std::vector<std::uint8_t> bytes(size);
  if (png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.rgb.data(), 0, nullptr) == 0) {
    *fault = path + ": " + image.message;
    return false;
  }
  bytes.resize(size);
  return tools::WriteFileBytes(path, bytes, fault);
}

bool ListFrameFiles(const std::vector<std::string>& arguments, std::vector<std::string>* files,
                    std::string* fault) {
  namespace fs = std::filesystem;
  for (const std::string& argument : arguments) {
    std::error_code error;
    if (!fs::is_directory(argument, error)) {
      files->push_back(argument);
      continue;
    }
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(argument, error)) {
      if (entry.path().extension() == ".png") found.push_back(entry.path().string());
    }
    if (found.empty()) {
      *fault = argument + ": the folder holds no .png frame";
      return false;
    }
    std::sort(found.begin(), found.end());
    files->insert(files->end(), found.begin(), found.end());
  }
  return true;
}

}  // namespace anim
