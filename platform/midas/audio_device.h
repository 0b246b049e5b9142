// The SDL2 audio device of device mode: 48 kHz, stereo, 16-bit, whose callback (SDL's audio
// thread) renders from the SongPlayer. Everything that touches the player from the program's
// thread holds the device lock (AudioLock), so the callback never sees a half-made change.
//
// Audible position: a callback delivers one buffer of BufferFrames while, by our estimate, the
// buffer before it is just starting to sound. So right after a callback the frame heard is
// 2 x BufferFrames behind the frames delivered, and it moves on in real time until the next
// callback, at most one buffer further. The callback allocates nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/midas/song_player.h"

namespace platform {

constexpr std::uint16_t RequestedBufferFrames = 512;  // 10.7 ms

// The device frame heard `secondsSinceCallback` after the callback that brought the count of
// delivered frames to `deliveredFrames`; negative while nothing delivered is heard yet.
std::int64_t AudibleDeviceFrame(std::uint64_t deliveredFrames, std::uint32_t bufferFrames,
                                double secondsSinceCallback);

// Opens the device (paused) with `player` as its source; false with SDL's reason in `error`.
bool OpenAudioDevice(SongPlayer& player, std::string& error);
void CloseAudioDevice();
bool AudioDeviceOpen();
void PauseAudioDevice(bool paused);

// Holds the device lock for its lifetime (no effect without an open device).
class AudioLock {
 public:
  AudioLock();
  ~AudioLock();
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;
};

// Under AudioLock: the next frame delivered carries song frame `songFrame` (0 for a song that
// starts now; later for a song handed over from the virtual sink).
void MarkSongStartOnDevice(std::uint64_t songFrame);
// Under AudioLock: the song frame heard now (-1 before a song's first frame is heard).
std::int64_t AudibleSongFrame();

}  // namespace platform
