#include "assets/loader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/object_check.h"
#include "platform/win32/platform_mode.h"
#include "shell/graphics.h"

std::uint8_t* ObjectFileImages[ObjectFileCount] = {};
std::uint8_t* AnimationStreamImages[AnimationFileCount] = {};
std::size_t ObjectFileSizes[ObjectFileCount] = {};
std::size_t AnimationStreamSizes[AnimationFileCount] = {};
IDirectDrawSurface7* TextureSlots[TextureSlotCount] = {};
IDirectDrawSurface7* RenderTextures[RenderTextureCount] = {};

const char* const ObjectFilePaths[ObjectFileCount] = {
    "data\\talo1.obu", "data\\talo2.obu", "data\\talo3.obu", "data\\cyl.obu", "data\\piikki.obu",
};
const char* const AnimationFilePaths[AnimationFileCount] = {
    "data\\item.dat", "data\\kone.dat", "data\\3dfx.dat", "data\\pullo.dat", "data\\kelmu.dat", "data\\mina.dat",
};

namespace {

constexpr int FirstBitmapResource = 1001;

// "APUA P", seven A-umlauts in Windows-1252, "!!": an empty file or no memory for it.
constexpr char EmptyFileText[] = "APUA P\xC4\xC4\xC4\xC4\xC4\xC4\xC4!!";

// The source key's high value differs: render textures leave out less than bitmaps.
constexpr DWORD BitmapSourceKeyHigh = 0x02020202;
constexpr DWORD RenderSourceKeyHigh = 0x01010101;

constexpr DDCOLORKEY DestinationKey{0, 0xFFFFFFFF};

// Refuses a file whose content would make a later routine read outside it.
bool Refuse(HWND window, const char* path, const std::string& fault) {
  MessageBoxA(window, fault.c_str(), path, MB_OK);
  return false;
}

bool LoadObjectFile(int k, HWND window) {
  if (!LoadWholeFile(ObjectFilePaths[k], &ObjectFileImages[k], &ObjectFileSizes[k], window)) return false;
  std::string fault;
  if (!CheckObjectImage(ObjectFileImages[k], ObjectFileSizes[k], &fault)) {
    return Refuse(window, ObjectFilePaths[k], fault);
  }
  return true;
}

bool LoadAnimationFile(int k, HWND window) {
  if (!LoadWholeFile(AnimationFilePaths[k], &AnimationStreamImages[k], &AnimationStreamSizes[k], window)) {
    return false;
  }
  std::string fault;
  if (!CheckAnimationStream(AnimationStreamImages[k], AnimationStreamSizes[k], &fault)) {
    return Refuse(window, AnimationFilePaths[k], "Animation file is malformed: " + fault);
  }
  return true;
}

}  // namespace

bool LoadAssets(HWND window) {
  if (InitAnimationDecoder() != 1) return false;
  if (!CreateRenderTextures()) return false;
  for (int k = 0; k < ObjectFileCount; ++k) {
    if (!LoadObjectFile(k, window)) return false;
  }
  for (int k = 0; k < AnimationFileCount; ++k) {
    if (!LoadAnimationFile(k, window)) return false;
  }
  for (int k = 0; k < TextureSlotCount; ++k) {
    if (!TextureFromResource(k, FirstBitmapResource + k)) return false;
  }
  return true;
}

bool LoadWholeFile(const char* path, std::uint8_t** image, HWND window) {
  std::size_t size = 0;
  return LoadWholeFile(path, image, &size, window);
}

bool LoadWholeFile(const char* path, std::uint8_t** image, std::size_t* size, HWND window) {
  const std::string fullPath = platform::DataPath(path);
  // A folder opens here but not under Windows: it is no file to be found either.
  std::error_code error;
  std::FILE* file = std::filesystem::is_directory(fullPath, error) ? nullptr : std::fopen(fullPath.c_str(), "rb");
  if (file == nullptr) {
    MessageBoxA(window, "File not found!", path, MB_OK);
    return false;
  }
  const long end = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1L;
  if (end < 0) {
    std::fclose(file);
    return Refuse(window, path, "File could not be read: no size");
  }
  if (end == 0) {
    std::fclose(file);
    MessageBoxA(window, EmptyFileText, path, MB_OK);
    return false;
  }
  const std::size_t bytes = static_cast<std::size_t>(end);
  std::rewind(file);
  auto* block = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (block == nullptr) {
    std::fclose(file);
    MessageBoxA(window, EmptyFileText, path, MB_OK);
    return false;
  }
  const std::size_t got = std::fread(block, 1, bytes, file);
  std::fclose(file);
  if (got != bytes) {
    std::free(block);
    return Refuse(window, path,
                  "File could not be read: got " + std::to_string(got) + " of " + std::to_string(bytes) + " bytes");
  }
  *image = block;
  *size = bytes;
  return true;
}

bool TextureFromResource(int slot, int resourceId) {
  DWORD flags = 0, width = 0, height = 0;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  const HRESULT result =
      D3DXCreateTextureFromFile(Device, &flags, &width, &height, &format, nullptr, &TextureSlots[slot], nullptr,
                                MAKEINTRESOURCEA(static_cast<WORD>(resourceId)), D3DX_FT_LINEAR);
  if (result < 0) return false;
  DDCOLORKEY sourceKey{0, BitmapSourceKeyHigh}, destinationKey = DestinationKey;
  TextureSlots[slot]->SetColorKey(DDCKEY_SRCBLT, &sourceKey);
  TextureSlots[slot]->SetColorKey(DDCKEY_DESTBLT, &destinationKey);
  return true;
}

bool CreateRenderTextures() {
  static constexpr DWORD Sizes[RenderTextureCount] = {128, 256, 256};
  // One format for all three: the second and third ask for what the first obtained.
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  for (int k = 0; k < RenderTextureCount; ++k) {
    DWORD flags = 0, width = Sizes[k], height = Sizes[k];
    if (D3DXCreateTexture(Device, &flags, &width, &height, &format, nullptr, &RenderTextures[k], nullptr) < 0) {
      return false;
    }
  }
  DDCOLORKEY sourceKey{0, RenderSourceKeyHigh}, destinationKey = DestinationKey;
  for (IDirectDrawSurface7* texture : RenderTextures) texture->SetColorKey(DDCKEY_SRCBLT, &sourceKey);
  for (IDirectDrawSurface7* texture : RenderTextures) texture->SetColorKey(DDCKEY_DESTBLT, &destinationKey);
  return true;
}
