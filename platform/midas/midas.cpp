// The eleven MIDAS calls over the SongPlayer, with the audio device (device mode) or the virtual
// sink (virtual mode) as background player. All calls come from the program's thread.
//
// The sound mode is taken at MIDASinit, with one change allowed later: a song playing on the
// virtual sink moves to the audio device, from the frame reached, at the first play status after
// the mode became Sound::Device (a run that goes ahead unseen, then plays in real time).
#include "platform/midas/midas.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/regular_file.h"
#include "platform/midas/audio_device.h"
#include "platform/midas/midas_errors.h"
#include "platform/midas/midas_testing.h"
#include "platform/midas/song_clock.h"
#include "platform/midas/song_player.h"
#include "platform/midas/wav_writer.h"
#include "platform/midas/xm_check.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"

struct MidasSong {
  openmpt_module* module = nullptr;
  std::string fileName;
};

namespace platform {

namespace {

struct Library {
  bool started = false;
  bool initialized = false;
  bool virtualSink = false;  // playing on the virtual sink, not the device
  bool deviceRefused = false;  // a hand-over to the device failed: stay on the virtual sink
  bool backgroundPlay = false;
  std::vector<MidasSong*> songs;  // loaded, owned until freed or closed
  MidasSong* playing = nullptr;
  MIDASmodulePlayHandle playHandle = 0;
  MIDASmodulePlayHandle lastHandle = 0;
  double playStartMs = 0.0;  // virtual clock at MIDASplayModule
  std::uint64_t sinkFrames = 0;  // frames the virtual sink has given out, silence after the end included
  SongPlayer player;
  WavWriter wav;
  MIDASplayStatus lastStatus{};
  std::string failNext;  // a test's requested failure
};

Library& Lib() {
  static Library library;
  return library;
}

bool InjectedFailure(const char* function) {
  if (Lib().failNext != function) return false;
  Lib().failNext.clear();
  return !SetMidasError(MidasInjectedFailure, function);
}

bool Known(MidasSong* song) {
  const auto& songs = Lib().songs;
  return song && std::find(songs.begin(), songs.end(), song) != songs.end();
}

bool RequireInitialized(const char* function) {
  if (!Lib().started) return SetMidasError(MidasNotStarted, function);
  if (!Lib().initialized) return SetMidasError(MidasNotInitialized, function);
  return true;
}

bool RequirePlaying(MIDASmodulePlayHandle handle, const char* function) {
  if (!RequireInitialized(function)) return false;
  if (handle == 0 || handle != Lib().playHandle)
    return SetMidasError(MidasInvalidArgument, std::string(function) + ": no song plays with this handle");
  return true;
}

// Relative names resolve in the data folder; the demo writes them with backslashes.
std::string ResolvePath(const char* fileName) {
  if (fileName[0] == '/') return fileName;
  return DataPath(fileName);
}

// The song whole: only a regular file of at most 2 GiB, opened without waiting, so a pipe or a
// device can neither hang the start nor exhaust memory.
bool ReadWholeFile(const std::string& path, std::vector<char>& bytes) {
  std::error_code ignored;
  const std::string shown = std::filesystem::absolute(path, ignored).string();
  RegularFile file;
  FileFault kind = FileFault::None;
  std::string cause;
  if (!OpenRegularFile(path, 0x7FFFFFFF, &file, &cause, &kind)) {
    return SetMidasError(MidasFileOpen, shown + " (" + cause + ")");
  }
  bytes.resize(static_cast<std::size_t>(file.size));
  if (!ReadAndClose(&file, reinterpret_cast<std::uint8_t*>(bytes.data()), &cause)) {
    return SetMidasError(MidasFileRead, shown + " (" + cause + ")");
  }
  if (bytes.empty()) return SetMidasError(MidasInvalidModule, shown + " (the file is empty)");
  return true;
}

void StopPlaying() {
  Library& lib = Lib();
  {
    AudioLock lock;
    lib.player.Stop();
  }
  lib.playing = nullptr;
  lib.playHandle = 0;
  lib.wav.Close();
}

void FreeSong(MidasSong* song) {
  openmpt_module_destroy(song->module);
  delete song;
}

void CloseEverything() {
  Library& lib = Lib();
  StopPlaying();
  CloseAudioDevice();
  for (MidasSong* song : lib.songs) FreeSong(song);
  lib.songs.clear();
  lib.started = lib.initialized = lib.backgroundPlay = false;
}

MIDASplayStatus ToStatus(const SongPosition& where) {
  MIDASplayStatus status{};
  status.position = where.position;
  status.pattern = where.pattern;
  status.row = where.row;
  status.syncInfo = -1;  // no sync commands are used
  status.songLoopCount = static_cast<BOOL>(where.loopCount);
  return status;
}

// The frame heard at `milliseconds` after the song started.
std::int64_t FrameAt(double milliseconds) {
  // A hair of tolerance, so that a time computed as k * 1000 / fps lands on its exact frame.
  return static_cast<std::int64_t>(std::floor(milliseconds * (SongRate / 1000.0) + 1e-6));
}

// The song goes on from the frame the virtual sink reached; the WAV file ends there. A device
// that fails to open is told once, and the song goes on silently on the virtual sink.
void HandOverToDevice() {
  Library& lib = Lib();
  std::string error;
  if (!OpenAudioDevice(lib.player, error)) {
    std::fprintf(stderr, "korvo: %s: %s; the song goes on without sound\n", MidasErrorText(MidasDeviceFailure),
                 error.c_str());
    lib.deviceRefused = true;
    return;
  }
  lib.wav.Close();
  lib.virtualSink = false;
  {
    AudioLock lock;
    MarkSongStartOnDevice(lib.player.RenderedFrames());
  }
  PauseAudioDevice(!lib.backgroundPlay);
}

}  // namespace

MIDASplayStatus LastPlayStatus() { return Lib().lastStatus; }

void RenderSongUntil(double milliseconds) {
  Library& lib = Lib();
  if (!lib.initialized || !lib.virtualSink || !lib.playing) return;
  const std::int64_t through = FrameAt(milliseconds);
  std::int16_t piece[2 * PieceFrames];
  while (static_cast<std::int64_t>(lib.sinkFrames) <= through) {
    const std::uint64_t left = static_cast<std::uint64_t>(through + 1) - lib.sinkFrames;
    const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(PieceFrames, left));
    lib.player.Render(piece, frames);
    lib.sinkFrames += frames;
    std::string error;
    // A failing WAV file ends the file, not the song: the demo goes on and the cause is told once.
    if (!lib.wav.Append(piece, frames, error))
      std::fprintf(stderr, "korvo: %s: %s\n", MidasErrorText(MidasSoundFileWrite), error.c_str());
  }
}

bool ReplaySongToFrame(int framesPerSecond, std::uint64_t frame) {
  Library& lib = Lib();
  if (!lib.initialized || !lib.playing || framesPerSecond <= 0) return false;
  if (!lib.virtualSink) {
    CloseAudioDevice();
    lib.virtualSink = true;
  }
  // Frames already given out are not given again: the sound file or tap goes on without a seam.
  const std::uint64_t givenOut = lib.sinkFrames;
  lib.player.Restart();
  lib.playStartMs = 0.0;
  lib.sinkFrames = 0;
  std::int16_t piece[2 * PieceFrames];
  std::int64_t through = 0;
  // Each frame's play status rendered through its own time, as VirtualMilliseconds gives it.
  for (std::uint64_t k = 0; k <= frame; ++k) {
    through = FrameAt(static_cast<double>(k) * 1000.0 / framesPerSecond);
    while (static_cast<std::int64_t>(lib.sinkFrames) <= through) {
      const std::uint64_t left = static_cast<std::uint64_t>(through + 1) - lib.sinkFrames;
      const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(PieceFrames, left));
      lib.player.Render(piece, frames);
      const std::uint64_t end = lib.sinkFrames + frames;
      if (end > givenOut) {
        const std::size_t skip = static_cast<std::size_t>(std::max(givenOut, lib.sinkFrames) - lib.sinkFrames);
        std::string error;
        if (!lib.wav.Append(piece + 2 * skip, frames - skip, error))
          std::fprintf(stderr, "korvo: %s: %s\n", MidasErrorText(MidasSoundFileWrite), error.c_str());
      }
      lib.sinkFrames = end;
    }
  }
  lib.lastStatus = ToStatus(lib.player.PositionAt(through));
  return true;
}

void FailNextMidasCall(const char* functionName) { Lib().failNext = functionName; }

void ResetMidas() {
  CloseEverything();
  Lib().lastStatus = MIDASplayStatus{};
  Lib().lastHandle = 0;
  Lib().failNext.clear();
  ClearMidasError();
}

}  // namespace platform

using platform::Lib;

BOOL MIDASstartup() {
  if (platform::InjectedFailure("MIDASstartup")) return FALSE;
  Lib().started = true;
  return TRUE;
}

BOOL MIDASinit() {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASinit")) return FALSE;
  if (!lib.started) return platform::SetMidasError(platform::MidasNotStarted, "MIDASinit");
  if (lib.initialized) return platform::SetMidasError(platform::MidasAlreadyInitialized);
  lib.virtualSink = platform::Mode().sound == platform::Sound::Virtual;
  lib.deviceRefused = false;
  std::string error;
  if (!lib.virtualSink && !platform::OpenAudioDevice(lib.player, error)) {
    // No sound device is no reason to stop: the song goes on silently, paced by the clock, and
    // its position still drives the picture.
    std::fprintf(stderr, "korvo: %s: %s; playing on without sound\n",
                 platform::MidasErrorText(platform::MidasDeviceFailure), error.c_str());
    lib.virtualSink = true;
    lib.deviceRefused = true;
  }
  lib.initialized = true;
  return TRUE;
}

BOOL MIDASstartBackgroundPlay(DWORD) {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASstartBackgroundPlay")) return FALSE;
  if (!platform::RequireInitialized("MIDASstartBackgroundPlay")) return FALSE;
  if (lib.backgroundPlay) return platform::SetMidasError(platform::MidasBackgroundPlayRunning);
  platform::PauseAudioDevice(false);
  lib.backgroundPlay = true;
  return TRUE;
}

MIDASmodule MIDASloadModule(const char* fileName) {
  if (platform::InjectedFailure("MIDASloadModule")) return nullptr;
  if (!platform::RequireInitialized("MIDASloadModule")) return nullptr;
  if (!fileName || !*fileName) return platform::SetMidasError(platform::MidasInvalidArgument, "no file name"), nullptr;
  const std::string path = platform::ResolvePath(fileName);
  std::vector<char> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return nullptr;
  std::string fault;
  if (!platform::XmFileComplete(bytes, fault))
    return platform::SetMidasError(platform::MidasInvalidModule, path + " (" + fault + ")"), nullptr;
  int error = 0;
  const char* message = nullptr;
  openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                              nullptr, nullptr, nullptr, &error, &message, nullptr);
  if (!module) {
    platform::SetMidasError(platform::MidasInvalidModule, path + " (" + (message ? message : "not a module") + ")");
    openmpt_free_string(message);
    return nullptr;
  }
  openmpt_free_string(message);
  auto* song = new MidasSong{module, path};
  Lib().songs.push_back(song);
  return song;
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, BOOL loopSong) {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASplayModule")) return 0;
  if (!platform::RequireInitialized("MIDASplayModule")) return 0;
  if (!platform::Known(module)) return platform::SetMidasError(platform::MidasInvalidArgument, "MIDASplayModule: not a loaded module"), 0;
  if (!lib.backgroundPlay) return platform::SetMidasError(platform::MidasNoBackgroundPlay, "MIDASplayModule"), 0;
  if (lib.playing) return platform::SetMidasError(platform::MidasAlreadyPlaying, lib.playing->fileName), 0;
  if (lib.virtualSink && !platform::Mode().wavPath.empty()) {
    std::string error;
    if (!lib.wav.Open(platform::Mode().wavPath, error)) return platform::SetMidasError(platform::MidasSoundFileWrite, error), 0;
  }
  {
    platform::AudioLock lock;
    lib.player.Start(module->module, loopSong != FALSE);
    platform::MarkSongStartOnDevice(0);
  }
  lib.playing = module;
  lib.playStartMs = platform::VirtualMilliseconds();
  lib.sinkFrames = 0;
  lib.playHandle = ++lib.lastHandle == 0 ? ++lib.lastHandle : lib.lastHandle;
  return lib.playHandle;
}

BOOL MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, MIDASplayStatus* status) {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASgetPlayStatus")) return FALSE;
  if (!platform::RequirePlaying(playHandle, "MIDASgetPlayStatus")) return FALSE;
  if (!status) return platform::SetMidasError(platform::MidasInvalidArgument, "MIDASgetPlayStatus: no status record");
  if (lib.virtualSink && lib.playing && !lib.deviceRefused && platform::Mode().sound == platform::Sound::Device)
    platform::HandOverToDevice();
  platform::SongPosition where;
  if (lib.virtualSink) {
    const double sinceStart = platform::VirtualMilliseconds() - lib.playStartMs;
    platform::RenderSongUntil(sinceStart);
    where = lib.player.PositionAt(platform::FrameAt(sinceStart));
  } else {
    platform::AudioLock lock;
    where = lib.player.PositionAt(platform::AudibleSongFrame());
  }
  *status = platform::ToStatus(where);
  lib.lastStatus = *status;
  return TRUE;
}

BOOL MIDASstopModule(MIDASmodulePlayHandle playHandle) {
  if (platform::InjectedFailure("MIDASstopModule")) return FALSE;
  if (!platform::RequirePlaying(playHandle, "MIDASstopModule")) return FALSE;
  platform::StopPlaying();
  return TRUE;
}

BOOL MIDASfreeModule(MIDASmodule module) {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASfreeModule")) return FALSE;
  if (!platform::RequireInitialized("MIDASfreeModule")) return FALSE;
  if (!platform::Known(module)) return platform::SetMidasError(platform::MidasInvalidArgument, "MIDASfreeModule: not a loaded module");
  if (module == lib.playing) return platform::SetMidasError(platform::MidasModuleInUse, module->fileName);
  std::erase(lib.songs, module);
  platform::FreeSong(module);
  return TRUE;
}

BOOL MIDASstopBackgroundPlay() {
  platform::Library& lib = Lib();
  if (platform::InjectedFailure("MIDASstopBackgroundPlay")) return FALSE;
  if (!platform::RequireInitialized("MIDASstopBackgroundPlay")) return FALSE;
  if (!lib.backgroundPlay) return platform::SetMidasError(platform::MidasNoBackgroundPlay, "MIDASstopBackgroundPlay");
  platform::PauseAudioDevice(true);
  lib.backgroundPlay = false;
  return TRUE;
}

BOOL MIDASclose() {
  if (platform::InjectedFailure("MIDASclose")) return FALSE;
  if (!Lib().started) return platform::SetMidasError(platform::MidasNotStarted, "MIDASclose");
  platform::CloseEverything();
  return TRUE;
}

int MIDASgetLastError() { return platform::LastMidasError(); }

const char* MIDASgetErrorMessage(int errorCode) { return platform::MidasErrorText(errorCode); }
