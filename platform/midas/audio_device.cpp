#include "platform/midas/audio_device.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

struct DeviceState {
  SDL_AudioDeviceID id = 0;
  SongPlayer* player = nullptr;
  std::uint32_t bufferFrames = RequestedBufferFrames;
  // Written by the callback, read under the lock.
  std::uint64_t deliveredFrames = 0;
  std::uint64_t lastCallbackCounter = 0;
  std::uint64_t songStartFrame = 0;  // device frame that carries song frame songFrameAtStart
  std::uint64_t songFrameAtStart = 0;
};

DeviceState& Device() {
  static DeviceState state;
  return state;
}

void SDLCALL FillBuffer(void* user, Uint8* stream, int length) {
  DeviceState& d = *static_cast<DeviceState*>(user);
  const std::size_t frames = static_cast<std::size_t>(length) / 4;
  d.player->Render(reinterpret_cast<std::int16_t*>(stream), frames);
  d.deliveredFrames += frames;
  d.lastCallbackCounter = SDL_GetPerformanceCounter();
}

// The sound system's own libraries print their failed tries on standard error (ALSA prints eight
// lines without a sound card); SDL's error text says what matters in one line.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && sink >= 0) dup2(sink, STDERR_FILENO);
    if (sink >= 0) close(sink);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }

 private:
  int saved_ = -1;
};

}  // namespace

std::int64_t AudibleDeviceFrame(std::uint64_t deliveredFrames, std::uint32_t bufferFrames,
                                double secondsSinceCallback) {
  const double sinceCallback = std::clamp(secondsSinceCallback * SongRate, 0.0, static_cast<double>(bufferFrames));
  return static_cast<std::int64_t>(deliveredFrames) - 2 * static_cast<std::int64_t>(bufferFrames) +
         static_cast<std::int64_t>(sinceCallback);
}

bool OpenAudioDevice(SongPlayer& player, std::string& error) {
  DeviceState& d = Device();
  QuietStandardError quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = SongRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = RequestedBufferFrames;
  want.callback = FillBuffer;
  want.userdata = &d;
  SDL_AudioSpec have{};
  d = DeviceState{};
  d.player = &player;
  d.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);  // SDL converts to what the device takes
  if (d.id == 0) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  d.bufferFrames = have.samples;
  return true;
}

void CloseAudioDevice() {
  DeviceState& d = Device();
  if (d.id == 0) return;
  SDL_CloseAudioDevice(d.id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  d = DeviceState{};
}

bool AudioDeviceOpen() { return Device().id != 0; }

void PauseAudioDevice(bool paused) {
  if (Device().id != 0) SDL_PauseAudioDevice(Device().id, paused ? 1 : 0);
}

AudioLock::AudioLock() {
  if (Device().id != 0) SDL_LockAudioDevice(Device().id);
}

AudioLock::~AudioLock() {
  if (Device().id != 0) SDL_UnlockAudioDevice(Device().id);
}

void MarkSongStartOnDevice(std::uint64_t songFrame) {
  Device().songStartFrame = Device().deliveredFrames;
  Device().songFrameAtStart = songFrame;
}

std::int64_t AudibleSongFrame() {
  const DeviceState& d = Device();
  const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - d.lastCallbackCounter) /
                         static_cast<double>(SDL_GetPerformanceFrequency());
  const std::int64_t heard = AudibleDeviceFrame(d.deliveredFrames, d.bufferFrames, seconds) -
                             static_cast<std::int64_t>(d.songStartFrame);
  // Until the song's first frame on the device is heard, the frame before it stays the one heard.
  return static_cast<std::int64_t>(d.songFrameAtStart) + std::max<std::int64_t>(heard, -1);
}

}  // namespace platform
