#include "launcher/snapshot.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/d3d/device_state.h"
#include "platform/win32/platform_mode.h"
#include "scenes/scene_state.h"
#include "shell/timeline.h"

namespace launcher {

namespace {

constexpr char Magic[8] = {'K', 'O', 'R', 'V', 'O', 'S', 'N', 'P'};
constexpr std::uint32_t FormatVersion = 1;

struct FileHeader {
  char magic[8];
  std::uint32_t version;
  std::uint32_t fps;
  std::uint64_t key;
  SnapshotMark mark;
  std::uint64_t stateSize;
  std::uint32_t stateCrc;
  std::uint32_t headerCrc;  // of every byte above
};
static_assert(sizeof(FileHeader) == 64);

// Every surface a texture can be bound from, in a fixed order: the bitmaps, then the render
// textures.
std::vector<IDirectDrawSurface7*> TextureSurfaces() {
  std::vector<IDirectDrawSurface7*> surfaces(TextureSlots, TextureSlots + TextureSlotCount);
  surfaces.insert(surfaces.end(), RenderTextures, RenderTextures + RenderTextureCount);
  return surfaces;
}

// The surfaces whose pixels carry over between frames: the back buffer and the render textures.
std::vector<IDirectDrawSurface7*> CarriedSurfaces() {
  std::vector<IDirectDrawSurface7*> surfaces{BackBuffer};
  surfaces.insert(surfaces.end(), RenderTextures, RenderTextures + RenderTextureCount);
  return surfaces;
}

void Put(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}

template <typename T>
void PutValue(std::vector<std::uint8_t>& out, const T& value) {
  Put(out, &value, sizeof value);
}

// Reads fields in the order they were put; every read is bounds-checked.
class StateReader {
 public:
  explicit StateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  const std::uint8_t* Take(std::size_t size) {
    if (size > bytes_.size() - at_) return nullptr;
    const std::uint8_t* data = bytes_.data() + at_;
    at_ += size;
    return data;
  }
  template <typename T>
  bool Get(T& value) {
    const std::uint8_t* data = Take(sizeof value);
    if (data) std::memcpy(&value, data, sizeof value);
    return data != nullptr;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

std::uint32_t Crc(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    crc = static_cast<std::uint32_t>(crc32(crc, bytes, piece));
    bytes += piece;
    size -= piece;
  }
  return crc;
}

std::uint32_t FileCrc(const std::filesystem::path& file, std::uint32_t crc) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    crc = Crc(crc, buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  return crc;
}

bool Fail(std::string* fault, const std::string& text) {
  if (fault) *fault = text;
  return false;
}

bool HeaderValid(const FileHeader& header, std::uint64_t key, int fps) {
  return std::memcmp(header.magic, Magic, sizeof Magic) == 0 && header.version == FormatVersion &&
         header.fps == static_cast<std::uint32_t>(fps) && header.key == key &&
         header.headerCrc == Crc(0, &header, offsetof(FileHeader, headerCrc));
}

}  // namespace

bool SaveDemoState(std::vector<std::uint8_t>& state) {
  state.clear();
  PutValue(state, FrameDelta);
  PutValue(state, SceneIndex);
  const TimelineClock clock = SavedTimelineClock();
  PutValue(state, clock.previousTick);
  PutValue(state, static_cast<std::uint8_t>(clock.stepped));
  for (const SceneStateField& field : SceneStateFields()) Put(state, field.data, field.size);
  const std::int32_t postProcess = PostProcessIndex(FramePostProcess);
  if (postProcess < 0) return false;
  PutValue(state, postProcess);
  platform::DeviceState device{};
  if (!platform::SaveDeviceState(TextureSurfaces(), device)) return false;
  PutValue(state, device);
  for (IDirectDrawSurface7* surface : CarriedSurfaces()) {
    const std::vector<std::uint8_t> picture = platform::SaveSurface(surface);
    PutValue(state, static_cast<std::uint32_t>(picture.size()));
    Put(state, picture.data(), picture.size());
  }
  return true;
}

bool RestoreDemoState(std::span<const std::uint8_t> state, std::string* fault) {
  // First every check, then every change: a state that does not fit leaves the demo as it was.
  StateReader in(state);
  float frameDelta = 0.0f;
  std::int32_t sceneIndex = 0;
  TimelineClock clock{};
  std::uint8_t stepped = 0;
  if (!in.Get(frameDelta) || !in.Get(sceneIndex) || !in.Get(clock.previousTick) || !in.Get(stepped)) {
    return Fail(fault, "the timeline is cut short");
  }
  if (sceneIndex < 0 || sceneIndex >= SceneTableSize) return Fail(fault, "no such scene-table entry");
  clock.stepped = stepped != 0;
  std::vector<const std::uint8_t*> fields;
  for (const SceneStateField& field : SceneStateFields()) {
    fields.push_back(in.Take(field.size));
    if (!fields.back()) return Fail(fault, std::string("cut short at ") + field.name);
  }
  std::int32_t postProcess = -1;
  if (!in.Get(postProcess) || !PostProcessAt(postProcess)) return Fail(fault, "no such post-process routine");
  platform::DeviceState device{};
  if (!in.Get(device)) return Fail(fault, "the device state is cut short");
  const std::vector<IDirectDrawSurface7*> textures = TextureSurfaces();
  if (device.boundTexture < -1 || device.boundTexture >= static_cast<std::int32_t>(textures.size())) {
    return Fail(fault, "the bound texture is not one of the demo's");
  }
  const std::vector<IDirectDrawSurface7*> surfaces = CarriedSurfaces();
  std::vector<std::span<const std::uint8_t>> pictures;
  for (IDirectDrawSurface7* surface : surfaces) {
    std::uint32_t size = 0;
    const std::uint8_t* picture = in.Get(size) ? in.Take(size) : nullptr;
    if (!picture) return Fail(fault, "a surface is cut short");
    pictures.emplace_back(picture, size);
    if (!platform::SurfaceFits(surface, pictures.back())) return Fail(fault, "a surface of another size or kind");
  }
  if (!in.AtEnd()) return Fail(fault, "unexpected bytes after the state");

  FrameDelta = frameDelta;
  SceneIndex = sceneIndex;
  RestoreTimelineClock(clock);
  std::size_t k = 0;
  for (const SceneStateField& field : SceneStateFields()) std::memcpy(field.data, fields[k++], field.size);
  FramePostProcess = PostProcessAt(postProcess);
  platform::RestoreDeviceState(device, textures);
  for (std::size_t i = 0; i < surfaces.size(); ++i) platform::RestoreSurface(surfaces[i], pictures[i]);
  return true;
}

std::filesystem::path CacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  // The XDG rule: a relative value is ignored.
  if (xdg && xdg[0] == '/') return std::filesystem::path(xdg) / "korvo";
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::filesystem::path(home) / ".cache" / "korvo";
  return {};
}

std::uint64_t ProgramDataKey() {
  static const std::uint32_t program = FileCrc("/proc/self/exe", 0);
  std::uint32_t data = 0;
  for (int i = 0; i < ObjectFileCount; ++i) {
    data = Crc(data, &ObjectFileSizes[i], sizeof ObjectFileSizes[i]);
    if (ObjectFileImages[i]) data = Crc(data, ObjectFileImages[i], ObjectFileSizes[i]);
  }
  for (int i = 0; i < AnimationFileCount; ++i) {
    data = Crc(data, &AnimationStreamSizes[i], sizeof AnimationStreamSizes[i]);
    if (AnimationStreamImages[i]) data = Crc(data, AnimationStreamImages[i], AnimationStreamSizes[i]);
  }
  data = FileCrc(platform::DataPath("sotkux.xm"), data);
  return static_cast<std::uint64_t>(program) << 32 | data;
}

bool WriteSnapshotFile(const std::filesystem::path& file, std::uint64_t key, int fps,
                       const SnapshotMark& mark, std::span<const std::uint8_t> state,
                       std::string* fault) {
  FileHeader header{};
  std::memcpy(header.magic, Magic, sizeof Magic);
  header.version = FormatVersion;
  header.fps = static_cast<std::uint32_t>(fps);
  header.key = key;
  header.mark = mark;
  header.stateSize = state.size();
  header.stateCrc = Crc(0, state.data(), state.size());
  header.headerCrc = Crc(0, &header, offsetof(FileHeader, headerCrc));

  std::filesystem::path temporary = file;
  temporary += ".part" + std::to_string(getpid());
  const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return Fail(fault, temporary.string() + ": " + std::strerror(errno));
  bool written = true;
  int cause = 0;
  for (auto [data, size] : {std::pair{reinterpret_cast<const std::uint8_t*>(&header), sizeof header},
                            std::pair{state.data(), state.size()}}) {
    while (written && size > 0) {
      const ssize_t n = write(out, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        cause = n < 0 ? errno : ENOSPC;
        written = false;
        break;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  if (close(out) != 0 && written) {
    cause = errno;
    written = false;
  }
  if (written && std::rename(temporary.c_str(), file.c_str()) != 0) {
    cause = errno;
    written = false;
  }
  if (!written) {
    unlink(temporary.c_str());
    return Fail(fault, file.string() + ": " + std::strerror(cause));
  }
  return true;
}

std::optional<SnapshotMark> ReadSnapshotMark(const std::filesystem::path& file, std::uint64_t key, int fps) {
  std::ifstream in(file, std::ios::binary);
  FileHeader header{};
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header) || !HeaderValid(header, key, fps)) {
    return std::nullopt;
  }
  return header.mark;
}

bool ReadSnapshotFile(const std::filesystem::path& file, std::uint64_t key, int fps,
                      SnapshotMark& mark, std::vector<std::uint8_t>& state, std::string* fault) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return Fail(fault, file.string() + ": cannot be opened");
  FileHeader header{};
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) return Fail(fault, file.string() + ": no whole header");
  if (!HeaderValid(header, key, fps)) return Fail(fault, file.string() + ": another program, data or frame rate");
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error || size != sizeof header + header.stateSize) return Fail(fault, file.string() + ": wrong length");
  state.resize(header.stateSize);
  if (!in.read(reinterpret_cast<char*>(state.data()), static_cast<std::streamsize>(state.size()))) {
    return Fail(fault, file.string() + ": cut short");
  }
  if (Crc(0, state.data(), state.size()) != header.stateCrc) return Fail(fault, file.string() + ": checksum mismatch");
  mark = header.mark;
  return true;
}

}  // namespace launcher
