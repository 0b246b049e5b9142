#include "assets/loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/animation_stream.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "assets/object_check.h"
#include "core/shared.h"
#include "platform/files/regular_file.h"
#include "platform/win32/platform_mode.h"

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

// The path as a user finds it: absolute, named as the data folder was given.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

// The standard-error line of a refused file: its full path and the cause.
void ReportCause(const char* path, const std::string& cause) {
  std::fprintf(stderr, "korvo: %s: %s\n", FullPath(platform::DataPath(path)).c_str(), cause.c_str());
}

// The box captioned with the demo's own name of the file, after the line with the cause.
bool Refuse(HWND window, const char* path, const char* boxText, const std::string& cause) {
  ReportCause(path, cause);
  MessageBoxA(window, boxText, path, MB_OK);
  return false;
}

bool HoldsDataFiles(const std::filesystem::path& folder) {
  std::error_code error;
  for (const char* name : {"talo1.obu", "item.dat"}) {
    if (std::filesystem::exists(folder / name, error)) return true;
  }
  return false;
}

// When a data file cannot be opened, says what is wrong with the folder it was looked for in:
// a data folder that does not exist, or one named at the "data" folder instead of above it.
void ExplainDataFolder() {
  namespace fs = std::filesystem;
  const std::string& given = platform::Mode().dataFolder;
  const fs::path folder = given.empty() ? fs::path(".") : fs::path(given);
  std::error_code error;
  if (!given.empty() && !fs::is_directory(folder, error)) {
    std::fprintf(stderr, "korvo: --data %s: %s\n", given.c_str(),
                 fs::exists(folder, error) ? "not a folder" : "no such folder");
    return;
  }
  if (fs::is_directory(folder / "data", error)) return;
  fs::path absolute = fs::absolute(folder, error).lexically_normal();
  if (!absolute.has_filename()) absolute = absolute.parent_path();
  if (HoldsDataFiles(folder)) {
    std::fprintf(stderr, "korvo: %s is the data folder itself; name the folder above it: --data %s\n",
                 absolute.c_str(), absolute.parent_path().c_str());
  } else {
    std::fprintf(stderr, "korvo: %s holds no data folder; name the folder that holds data/ and the song with --data DIR\n",
                 absolute.c_str());
  }
}

// The size a data file may have: the formats address their contents with signed 32-bit offsets.
constexpr std::uint64_t LargestDataFile = 0x7FFFFFFF;

// Reads a data file whole into a new block; only regular files are read, without waiting. On
// failure the box of the demo's fixed texts has been shown, after a line with the cause.
bool ReadDataFile(const char* path, std::uint8_t** image, std::size_t* size, HWND window) {
  platform::RegularFile file;
  platform::FileFault kind = platform::FileFault::None;
  std::string cause;
  if (!platform::OpenRegularFile(platform::DataPath(path), LargestDataFile, &file, &cause, &kind)) {
    if (kind == platform::FileFault::TooLarge) return Refuse(window, path, EmptyFileText, cause);
    ReportCause(path, cause);
    if (kind == platform::FileFault::Missing) ExplainDataFolder();
    MessageBoxA(window, "File not found!", path, MB_OK);
    return false;
  }
  if (file.size == 0) {
    platform::Close(&file);
    return Refuse(window, path, EmptyFileText, "empty file");
  }
  const std::size_t bytes = static_cast<std::size_t>(file.size);
  auto* block = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (block == nullptr) {
    platform::Close(&file);
    return Refuse(window, path, EmptyFileText, "no memory for " + std::to_string(bytes) + " bytes");
  }
  if (!platform::ReadAndClose(&file, block, &cause)) {
    std::free(block);
    return Refuse(window, path, ("File could not be read: " + std::to_string(bytes) + " bytes expected").c_str(),
                  cause);
  }
  *image = block;
  *size = bytes;
  return true;
}

bool LoadObjectFile(int k, HWND window) {
  if (!LoadWholeFile(ObjectFilePaths[k], &ObjectFileImages[k], &ObjectFileSizes[k], window)) return false;
  std::string fault;
  if (!CheckObjectImage(ObjectFileImages[k], ObjectFileSizes[k], &fault)) {
    return Refuse(window, ObjectFilePaths[k], fault.c_str(), fault);
  }
  return true;
}

// The decoder's state that a decode changes: the frame size and every buffer a later frame may
// read back (a short payload leaves the tail of the previous record in the decode buffer).
class DecoderStateSnapshot {
 public:
  DecoderStateSnapshot()
      : width_(FrameWidth), height_(FrameHeight), lumaOnly_(FrameIsLumaOnly),
        buffers_{{DecodeBuffer, DecodeBufferBytes},
                 {LumaScratchRows, WorkingBufferBytes},
                 {LumaBasePlane, WorkingBufferBytes},
                 {ChromaScratchRows, WorkingBufferBytes},
                 {ChromaPlanes, 2 * ChromaPlaneBytes}} {
    for (Saved& saved : buffers_) saved.copy.assign(saved.buffer, saved.buffer + saved.bytes);
  }
  ~DecoderStateSnapshot() {
    FrameWidth = width_;
    FrameHeight = height_;
    FrameIsLumaOnly = lumaOnly_;
    for (Saved& saved : buffers_) std::memcpy(saved.buffer, saved.copy.data(), saved.bytes);
  }

 private:
  struct Saved {
    Saved(std::uint8_t* b, int n) : buffer(b), bytes(static_cast<std::size_t>(n)) {}
    std::uint8_t* buffer;
    std::size_t bytes;
    std::vector<std::uint8_t> copy;
  };
  int width_, height_;
  bool lumaOnly_;
  Saved buffers_[5];
};

// Decodes every frame once, into a picture of its own, and leaves the decoder as it found it, so
// the demo's pictures are those it would show without the check. Frame k of a file that fails
// here would otherwise show a stale picture for the whole run.
bool CheckEveryFrame(int k, HWND window) {
  const std::uint8_t* image = AnimationStreamImages[k];
  const DecoderStateSnapshot snapshot;
  const auto picture = std::make_unique<std::uint8_t[]>(DecodedPictureBytes);
  for (int frame = 0; frame < AnimationFrameCount(image); ++frame) {
    const CodedFrameSpan span = LocateCodedFrame(image, frame);
    std::string fault;
    if (DecodeFrame(span.data, picture.get(), span.size, &fault) != 1) {
      const std::string cause = "frame " + std::to_string(frame) + " is undecodable: " + fault;
      return Refuse(window, AnimationFilePaths[k], ("Animation file is malformed: " + cause).c_str(), cause);
    }
  }
  return true;
}

bool LoadAnimationFile(int k, HWND window) {
  if (!LoadWholeFile(AnimationFilePaths[k], &AnimationStreamImages[k], &AnimationStreamSizes[k], window)) {
    return false;
  }
  std::string fault;
  if (!CheckAnimationStream(AnimationStreamImages[k], AnimationStreamSizes[k], &fault)) {
    return Refuse(window, AnimationFilePaths[k], ("Animation file is malformed: " + fault).c_str(), fault);
  }
  return CheckEveryFrame(k, window);
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
  return ReadDataFile(path, image, size, window);
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
