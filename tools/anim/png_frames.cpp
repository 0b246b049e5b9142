#include "tools/anim/png_frames.h"

#include <png.h>

#include <algorithm>
#include <filesystem>

namespace anim {

bool ReadPngPicture(const std::string& path, RgbPicture* picture, std::string* fault) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    *fault = path + ": " + image.message;
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
  if (png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) == 0) {
    *fault = path + ": " + image.message;
    return false;
  }
  return true;
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
