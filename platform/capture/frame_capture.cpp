#include "platform/capture/frame_capture.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/capture/png_writer.h"
#include "platform/capture/progress.h"
#include "platform/midas/song_clock.h"
#include "platform/midas/song_player.h"
#include "platform/midas/wav_writer.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// Song frames kept before the first written frame: more than the sink renders ahead of a frame.
constexpr std::size_t HeldSongFrames = 8192;
// A song that stays on one row this long (in song time) has stopped: the capture ends.
constexpr double StalledMs = 60000.0;

// The song as the virtual sink renders it, and the part of it that belongs to written frames.
// Song frames are counted from the song's start; `pending` holds frames from `pendingFirst` on.
struct SoundWindow {
  bool songStarted = false;
  double songStartMs = 0.0;  // virtual clock when the song started
  std::vector<std::int16_t> pending;
  std::uint64_t pendingFirst = 0;
  bool keeping = false;      // the first written frame has come
  std::uint64_t next = 0;    // the next song frame to hand out
};

struct CaptureState {
  CaptureSettings settings;
  std::string listPath;
  std::FILE* frameList = nullptr;
  WavWriter wav;
  SoundWindow sound;
  int framesRun = 0;         // the demo's frame number, 1 for the first (a restored run starts later)
  int written = 0;
  int lastPosition = 0;
  int stallPosition = -1;
  double stallSinceMs = 0.0;
  bool failed = false;
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

bool Video() { return !State().settings.video.empty(); }

void Tell(const std::string& message) { std::fprintf(stderr, "korvo: %s\n", message.c_str()); }

bool Fail(const std::string& message) {
  Tell(message);
  State().failed = true;
  return false;
}

std::string Cause(int error) { return std::strerror(error ? error : EIO); }

std::string Hex(int position) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", position);
  return text;
}

// A file a capture writes: numbered pictures (and their partial forms), the list and the sound.
bool IsCaptureFile(const std::string& name) {
  if (name == "frames.tsv" || name == "audio.wav") return true;
  const std::string bare = name[0] == '.' && name.ends_with(".partial") ? name.substr(1, name.size() - 9) : name;
  return bare.size() == 10 && bare.ends_with(".png") &&
         std::all_of(bare.begin(), bare.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}

bool PrepareFolder(const CaptureSettings& settings) {
  const fs::path folder(settings.folder);
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    return Fail(settings.folder + ": exists and is not a folder");
  }
  if (!fs::create_directories(folder, error) && error) {
    return Fail(settings.folder + ": the folder cannot be made (" + error.message() + ")");
  }
  std::vector<fs::path> earlier;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (IsCaptureFile(it->path().filename().string())) earlier.push_back(it->path());
  }
  if (error) return Fail(settings.folder + ": the folder cannot be read (" + error.message() + ")");
  if (earlier.empty()) return true;
  if (!settings.overwrite) {
    return Fail(settings.folder + " already holds a capture (" + std::to_string(earlier.size()) +
                " files); choose another folder, or add --overwrite to replace it");
  }
  for (const fs::path& file : earlier) {
    if (!fs::remove(file, error) && error) {
      return Fail(file.string() + ": cannot be removed (" + error.message() + ")");
    }
  }
  return true;
}

bool PrepareVideoOutput(const CaptureSettings& settings) {
  const fs::path output(settings.video);
  const fs::path folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    return Fail(settings.video + ": the folder " + folder.string() +
                (fs::exists(folder, error) ? " is not a folder" : " does not exist"));
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    return Fail(settings.video + ": the folder " + folder.string() + " cannot be written (" + Cause(errno) + ")");
  }
  if (fs::is_directory(output, error)) return Fail(settings.video + ": is a folder");
  if (fs::exists(output, error) && !settings.overwrite) {
    return Fail(settings.video + " already exists; choose another name, or add --overwrite to replace it");
  }
  return true;
}

// Hands the song frames before `until` (from the first kept one on) to the sound output.
bool ReleaseSound(std::uint64_t until) {
  CaptureState& s = State();
  SoundWindow& w = s.sound;
  const std::uint64_t available = w.pendingFirst + w.pending.size() / 2;
  until = std::min(until, available);
  if (until <= w.next) return true;
  const std::int16_t* samples = w.pending.data() + 2 * (w.next - w.pendingFirst);
  const std::size_t count = static_cast<std::size_t>(until - w.next);
  std::string error;
  const bool ok = Video() ? WriteVideoSound(samples, count, &error) : s.wav.Append(samples, count, error);
  w.pending.erase(w.pending.begin(), w.pending.begin() + 2 * static_cast<std::ptrdiff_t>(until - w.pendingFirst));
  w.pendingFirst = w.next = until;
  if (!ok) return Fail(Video() ? error : error.insert(0, "sound file "));
  return true;
}

void TakeSongPiece(const std::int16_t* frames, std::size_t count) {
  SoundWindow& w = State().sound;
  w.pending.insert(w.pending.end(), frames, frames + 2 * count);
  const std::size_t held = w.pending.size() / 2;
  if (!w.keeping && held > 2 * HeldSongFrames) {
    const std::size_t drop = held - HeldSongFrames;
    w.pending.erase(w.pending.begin(), w.pending.begin() + 2 * static_cast<std::ptrdiff_t>(drop));
    w.pendingFirst += drop;
  }
}

// The song frame heard at a time of the virtual clock, as the sound stand-in counts it.
std::uint64_t SongFrameAt(double milliseconds) {
  const double since = milliseconds - State().sound.songStartMs;
  return since <= 0 ? 0 : static_cast<std::uint64_t>(std::floor(since * (SongRate / 1000.0) + 1e-6));
}

// The written frame's sound: from its time to the next frame's, rendered now if need be.
bool KeepFrameSound() {
  CaptureState& s = State();
  SoundWindow& w = s.sound;
  if (!w.songStarted) return true;
  const int fps = s.settings.fps;
  const double frame = std::round(VirtualMilliseconds() * fps / 1000.0);
  const double now = frame * 1000.0 / fps, next = (frame + 1) * 1000.0 / fps;
  if (!w.keeping) {
    w.keeping = true;
    const std::uint64_t available = w.pendingFirst + w.pending.size() / 2;
    const std::uint64_t first = std::clamp(SongFrameAt(now), w.pendingFirst, available);
    w.pending.erase(w.pending.begin(),
                    w.pending.begin() + 2 * static_cast<std::ptrdiff_t>(first - w.pendingFirst));
    w.pendingFirst = w.next = first;
  }
  RenderSongUntil(next - w.songStartMs);
  return ReleaseSound(SongFrameAt(next));
}

bool WriteListRow(const ShownFrame& frame) {
  CaptureState& s = State();
  errno = 0;
  const bool ok = std::fprintf(s.frameList, "%06d\t%d\t%u\t0x%04X\t%d\t%s\n", s.written, s.framesRun,
                               frame.milliseconds, frame.position, frame.entry, frame.scene ? frame.scene : "") > 0 &&
                  std::fflush(s.frameList) == 0;
  if (!ok) return Fail(s.listPath + ": cannot be written (" + Cause(errno) + ")");
  return true;
}

// The picture goes to a hidden name first, so a picture cut off by a crash never looks whole.
bool WritePicture(const std::uint16_t* pixels) {
  CaptureState& s = State();
  std::string error;
  if (Video()) return WriteVideoFrame(pixels, &error) || Fail(error);
  char name[32];
  std::snprintf(name, sizeof name, "%06d.png", s.written);
  const std::string path = s.settings.folder + "/" + name;
  const std::string partial = s.settings.folder + "/." + name + ".partial";
  const FrameLayout layout = CurrentFrameLayout();
  const bool written = layout.trueColour
                           ? WritePng(partial, reinterpret_cast<const std::uint32_t*>(pixels), layout.width,
                                      layout.height, &error)
                           : WritePng(partial, pixels, layout.width, layout.height, &error);
  if (!written) {
    std::remove(partial.c_str());
    return Fail(error.replace(0, partial.size(), path));
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    const int cause = errno;
    std::remove(partial.c_str());
    return Fail(path + ": cannot be written (" + Cause(cause) + ")");
  }
  return true;
}

std::string EndName() {
  const CaptureSettings& settings = State().settings;
  if (settings.to < settings.endPosition) return "--to " + Hex(settings.to);
  return "the end of the demo (" + Hex(settings.endPosition - 1) + ")";
}

// A song that loops or stops before the end would run the capture for ever.
bool SongStillGoing(const ShownFrame& frame) {
  CaptureState& s = State();
  if (frame.songLoops > 0 || frame.position < s.lastPosition) {
    return Fail("the song went back to its start after " + Hex(s.lastPosition) + ", before " + EndName() +
                ": the capture stops there");
  }
  const double now = VirtualMilliseconds();
  if (frame.position != s.stallPosition) {
    s.stallPosition = frame.position;
    s.stallSinceMs = now;
  } else if (now - s.stallSinceMs >= StalledMs) {
    return Fail("the song stayed at " + Hex(frame.position) + " for a minute, before " + EndName() +
                ": the capture stops there");
  }
  return true;
}

}  // namespace

bool BeginCapture(const CaptureSettings& settings) {
  CaptureState& s = State();
  if (s.frameList) std::fclose(s.frameList);
  s.wav.Close();
  s.frameList = nullptr;
  s.settings = settings;
  s.sound = SoundWindow{};
  s.framesRun = s.written = s.lastPosition = 0;
  s.stallPosition = -1;
  s.failed = false;
  if (Video()) {
    if (!PrepareVideoOutput(settings)) return false;
  } else {
    if (!PrepareFolder(settings)) return false;
    s.listPath = settings.frameListPath.empty() ? settings.folder + "/frames.tsv" : settings.frameListPath;
    s.frameList = std::fopen(s.listPath.c_str(), "w");
    if (!s.frameList) return Fail(s.listPath + ": cannot be written (" + Cause(errno) + ")");
    errno = 0;
    if (std::fputs("picture\tframe\tms\tposition\tentry\tscene\n", s.frameList) < 0 || std::fflush(s.frameList) != 0) {
      return Fail(s.listPath + ": cannot be written (" + Cause(errno) + ")");
    }
    std::string error;
    if (!s.wav.Open(settings.folder + "/audio.wav", error)) return Fail("sound file " + error);
  }
  if (Video()) {
    std::string error;
    const VideoSettings video{settings.video, settings.fps, settings.videoWidth, settings.videoHeight,
                              settings.quality};
    if (!OpenVideo(video, &error)) return Fail(error);
  }
  SetSongTap({[] {
                State().sound.songStarted = true;
                State().sound.songStartMs = VirtualMilliseconds();
              },
              TakeSongPiece});
  return true;
}

bool CaptureFrame(const ShownFrame& frame) {
  CaptureState& s = State();
  if (s.failed) return false;
  s.framesRun = static_cast<int>(std::llround(VirtualMilliseconds() * s.settings.fps / 1000.0)) + 1;
  if (!SongStillGoing(frame)) return false;
  s.lastPosition = frame.position;
  const bool inRange = frame.position >= s.settings.from && frame.position <= s.settings.to;
  if (inRange) {
    ++s.written;
    // ffmpeg may wait for a frame's sound before it takes the next picture, so a video gets the
    // sound first; a folder gets the picture first, so its list and sound never run ahead of it.
    const bool ok = Video() ? KeepFrameSound() && WritePicture(frame.pixels)
                            : WritePicture(frame.pixels) && KeepFrameSound() && WriteListRow(frame);
    if (!ok) {
      // A picture without its row and sound is taken back, so the folder still agrees.
      char name[32];
      std::snprintf(name, sizeof name, "/%06d.png", s.written--);
      if (!Video()) std::remove((s.settings.folder + name).c_str());
      return false;
    }
  }
  ReportProgress(s.framesRun, frame.position, std::min(s.settings.to + 1, s.settings.endPosition),
                 Video() ? VideoFramesTaken() : -1);
  return frame.position <= s.settings.to;
}

bool EndCapture() {
  CaptureState& s = State();
  FinishProgress();
  SetSongTap({});
  bool ok = !s.failed;
  std::string error;
  if (Video()) {
    if (!CloseVideo(&error)) {
      if (!error.empty()) Tell(error);
      Tell(s.settings.video + ": not written (the unfinished video was removed)");
      ok = false;
    }
  } else {
    if (!s.wav.Finish(error)) ok = (Tell("sound file " + error), false);
    if (s.frameList) {
      errno = 0;
      if (std::fclose(s.frameList) != 0) ok = (Tell(s.listPath + ": cannot be written (" + Cause(errno) + ")"), false);
      s.frameList = nullptr;
    }
  }
  s.sound = SoundWindow{};
  std::printf("frames=%d last=0x%04X\n", s.written, s.lastPosition);
  std::fflush(stdout);
  return ok;
}

}  // namespace platform
