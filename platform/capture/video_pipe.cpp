#include "platform/capture/video_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/win32/platform_mode.h"
#include "platform/win32/stop_signal.h"

extern char** environ;

namespace platform {

namespace {

// The frames as the device renders them (640 x 480 R5G6B5 unless a high-definition rendering).
int SourceWidth() { return CurrentFrameLayout().width; }
int SourceHeight() { return CurrentFrameLayout().height; }
std::size_t SourcePixels() { return static_cast<std::size_t>(SourceWidth()) * SourceHeight(); }
std::size_t SourcePixelBytes() { return CurrentFrameLayout().trueColour ? 4 : 2; }
// Frames waiting for the video pipe: enough to ride out an encoder hiccup, little memory.
constexpr std::size_t QueuedFrames = 4;
constexpr int SoundFd = 3;
// After a stop signal, an ffmpeg that takes nothing more for this long is given up.
constexpr auto StuckAfterSignal = std::chrono::seconds(3);

using Clock = std::chrono::steady_clock;

// True once a stop signal came and `since` (when waiting began or the signal was seen) is long past.
bool GiveUpWaiting(Clock::time_point& since) {
  if (ReceivedStopSignal() == 0) {
    since = Clock::now();
    return false;
  }
  return Clock::now() - since > StuckAfterSignal;
}

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

// One pipe into ffmpeg with its own thread: blocks, buffers and the count of whole blocks written.
// The video pipe converts each R5G6B5 frame to RGB on its thread; the sound pipe sends bytes as
// they are. A block that cannot be written whole marks the pipe broken; nothing more is sent.
class PipeFeeder {
 public:
  void Start(int fd, bool video, std::size_t queueLimit) {
    fd_ = fd;
    video_ = video;
    limit_ = queueLimit;
    done_ = broken_ = ended_ = false;
    abandoned_ = false;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    taken_ = 0;
    thread_ = std::thread([this] { Run(); });
  }

  // False once the pipe is broken, or ffmpeg takes nothing for a while after a stop signal.
  bool Push(const void* data, std::size_t bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    Clock::time_point since = Clock::now();
    while (!roomy_.wait_for(lock, std::chrono::milliseconds(100), [&] { return broken_ || queue_.size() < limit_; })) {
      if (GiveUpWaiting(since)) broken_ = true;
    }
    if (broken_) return false;
    std::vector<std::uint8_t> block;
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
    block.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + bytes);
    queue_.push_back(std::move(block));
    waiting_.notify_one();
    return true;
  }

  // No more blocks: the thread sends what is queued and closes the pipe.
  void EndInput() {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    waiting_.notify_one();
  }
  bool Ended() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_ || !thread_.joinable();
  }
  // What is still queued or being written is dropped.
  void Abandon() { abandoned_ = true; }
  void Join() {
    EndInput();
    if (thread_.joinable()) thread_.join();
  }

  bool Broken() {
    std::lock_guard<std::mutex> lock(mutex_);
    return broken_;
  }
  int Taken() const { return taken_.load(); }

 private:
  void Run() {
    // A pipe whose reader is gone answers EPIPE here rather than ending the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    std::vector<std::uint8_t> rgb(video_ ? SourcePixels() * 3 : 0);
    const bool trueColour = CurrentFrameLayout().trueColour;
    for (;;) {
      std::vector<std::uint8_t> block;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        waiting_.wait(lock, [&] { return done_ || !queue_.empty(); });
        if (queue_.empty()) break;
        block = std::move(queue_.front());
        queue_.pop_front();
      }
      const std::uint8_t* bytes = block.data();
      std::size_t size = block.size();
      if (video_) {
        const auto* pixels = reinterpret_cast<const std::uint16_t*>(block.data());
        const auto* words = reinterpret_cast<const std::uint32_t*>(block.data());
        for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
          if (trueColour) {
            rgb[i * 3 + 0] = static_cast<std::uint8_t>(words[i] >> 16);
            rgb[i * 3 + 1] = static_cast<std::uint8_t>(words[i] >> 8);
            rgb[i * 3 + 2] = static_cast<std::uint8_t>(words[i]);
            continue;
          }
          rgb[i * 3 + 0] = Widen5(pixels[i] >> 11);
          rgb[i * 3 + 1] = Widen6((pixels[i] >> 5) & 0x3F);
          rgb[i * 3 + 2] = Widen5(pixels[i] & 0x1F);
        }
        bytes = rgb.data();
        size = rgb.size();
      }
      const bool whole = WriteAll(bytes, size);
      std::lock_guard<std::mutex> lock(mutex_);
      if (whole) {
        ++taken_;
      } else {
        broken_ = true;
        queue_.clear();
      }
      spare_.push_back(std::move(block));
      roomy_.notify_all();
      if (broken_) break;
    }
    close(fd_);
    fd_ = -1;
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
  }

  // The descriptor does not block, so an abandoned pipe is left within a poll's time even when
  // nobody reads it.
  bool WriteAll(const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
      if (abandoned_.load()) return false;
      const ssize_t n = write(fd_, bytes, size);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        pollfd wait{fd_, POLLOUT, 0};
        poll(&wait, 1, 100);
        continue;
      }
      if (n <= 0) return false;
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  int fd_ = -1;
  bool video_ = false;
  std::size_t limit_ = 1;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable waiting_, roomy_;
  std::deque<std::vector<std::uint8_t>> queue_;
  std::vector<std::vector<std::uint8_t>> spare_;
  bool done_ = false, broken_ = false, ended_ = false;
  std::atomic<int> taken_{0};
  std::atomic<bool> abandoned_{false};
};

struct VideoState {
  VideoSettings settings;
  std::string partial;
  pid_t ffmpeg = -1;
  int status = 0;  // as a shell tells it: the exit code, or 128 + the signal
  PipeFeeder pictures, sound;
  bool failed = false;
};

VideoState& State() {
  static VideoState state;
  return state;
}

bool ProgramExists(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool IsMatroska(const std::string& output) {
  return output.size() >= 4 && output.compare(output.size() - 4, 4, ".mkv") == 0;
}

// A pipe whose ends sit above the standard descriptors and fd 3, so the child's dup2 onto 0 and
// 3 always makes a new, inheritable descriptor.
bool HighPipe(int ends[2]) {
  int low[2];
  if (pipe2(low, O_CLOEXEC) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    ends[i] = fcntl(low[i], F_DUPFD_CLOEXEC, 10);
    close(low[i]);
  }
  return ends[0] >= 0 && ends[1] >= 0;
}

// Waits for ffmpeg. One that lingers after a broken pipe is given a few seconds, one that a stop
// signal finds stuck a few more, then it is killed.
int WaitForFfmpeg(pid_t child, bool patient) {
  int raw = 0;
  const Clock::time_point start = Clock::now();
  Clock::time_point since = start;
  for (bool killed = false;;) {
    const pid_t got = waitpid(child, &raw, WNOHANG);
    if (got == child) break;
    if (got < 0 && errno != EINTR) return 1;
    const bool stuck = patient ? GiveUpWaiting(since) : Clock::now() - start > std::chrono::seconds(5);
    if (!killed && (stuck || (!patient && ReceivedStopSignal() != 0))) {
      kill(-child, SIGKILL);  // its own process group: helpers it started hold the pipes too
      killed = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return 1;
}

std::string Stopped(const VideoState& s) {
  return "ffmpeg stopped after " + std::to_string(s.pictures.Taken()) + " frames (status " +
         std::to_string(s.status) + ")";
}

// Both pipes closed, ffmpeg waited for; the status is kept. After a broken pipe ffmpeg is ended
// first, so that a feeder still blocked on the other pipe is released.
void EndFfmpeg(VideoState& s) {
  if (s.ffmpeg < 0) return;
  if (s.failed) {
    s.status = WaitForFfmpeg(s.ffmpeg, false);
    s.pictures.Abandon();
    s.sound.Abandon();
  }
  s.pictures.EndInput();
  s.sound.EndInput();
  Clock::time_point since = Clock::now();
  while (!s.failed && !(s.pictures.Ended() && s.sound.Ended())) {
    // A stuck ffmpeg holds the feeders in their writes: it is ended and its input dropped.
    if (GiveUpWaiting(since)) {
      kill(-s.ffmpeg, SIGKILL);
      s.pictures.Abandon();
      s.sound.Abandon();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  s.pictures.Join();
  s.sound.Join();
  if (!s.failed) s.status = WaitForFfmpeg(s.ffmpeg, true);
  s.ffmpeg = -1;
}

}  // namespace

std::string FfmpegProgram() {
  const char* override = std::getenv("KORVO_FFMPEG");
  return override && *override ? override : "ffmpeg";
}

bool ParseVideoSize(const std::string& text, int* width, int* height) {
  int w = 0, h = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2) return false;
  if (w < 16 || h < 16 || w > 7680 || h > 4320) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseVideoQuality(const std::string& text, VideoQuality* quality) {
  if (text == "lossless") *quality = VideoQuality::Lossless;
  else if (text == "high") *quality = VideoQuality::High;
  else if (text == "web") *quality = VideoQuality::Web;
  else return false;
  return true;
}

std::string VideoSizeFault(const VideoSettings& settings) {
  const bool ffv1 = settings.quality == VideoQuality::Lossless && IsMatroska(settings.output);
  if (ffv1 || (settings.width % 2 == 0 && settings.height % 2 == 0)) return "";
  return settings.quality == VideoQuality::Lossless
             ? "H.264 needs an even width and height (FILE.mkv takes any size losslessly)"
             : "H.264 needs an even width and height";
}

std::string PartialVideoPath(const std::string& output) {
  const std::filesystem::path path(output);
  return (path.parent_path() / ("." + path.filename().string() + ".partial")).string();
}

std::vector<std::string> FfmpegArguments(const VideoSettings& settings, const std::string& target) {
  const std::string w = std::to_string(settings.width), h = std::to_string(settings.height);
  const bool matroska = IsMatroska(settings.output);
  std::vector<std::string> a = {FfmpegProgram(), "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                "-f", "rawvideo", "-pix_fmt", "rgb24",
                                "-s", std::to_string(SourceWidth()) + "x" + std::to_string(SourceHeight()),
                                "-framerate", std::to_string(settings.fps), "-analyzeduration", "0",
                                "-probesize", "32", "-i", "pipe:0",
                                // Both inputs are described here: ffmpeg must not wait to read
                                // ahead in one pipe before the demo can fill the other.
                                "-f", "s16le", "-ar", "48000", "-ac", "2", "-analyzeduration", "0",
                                "-probesize", "32", "-thread_queue_size", "64",
                                "-i", "pipe:" + std::to_string(SoundFd),
                                "-map", "0:v", "-map", "1:a"};
  if (settings.width != SourceWidth() || settings.height != SourceHeight()) {
    const bool multiple = settings.width % SourceWidth() == 0 && settings.height % SourceHeight() == 0 &&
                          settings.width / SourceWidth() == settings.height / SourceHeight();
    // Nearest neighbour at a whole multiple repeats each pixel; other sizes keep 4:3 with bars.
    const std::string filter = multiple ? "scale=" + w + ":" + h + ":flags=neighbor"
                                        : "scale=" + w + ":" + h +
                                              ":force_original_aspect_ratio=decrease:flags=neighbor,pad=" + w +
                                              ":" + h + ":(ow-iw)/2:(oh-ih)/2";
    a.insert(a.end(), {"-vf", filter});
  }
  switch (settings.quality) {
    case VideoQuality::Lossless:
      if (matroska) a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-c:a", "flac"});
      else a.insert(a.end(), {"-c:v", "libx264rgb", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "rgb24",
                              "-c:a", "alac"});
      break;
    case VideoQuality::High:
      a.insert(a.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "16", "-pix_fmt", "yuv420p"});
      if (matroska) a.insert(a.end(), {"-c:a", "flac"});
      else a.insert(a.end(), {"-c:a", "aac", "-b:a", "256k"});
      break;
    case VideoQuality::Web:
      a.insert(a.end(), {"-c:v", "libx264", "-preset", "faster", "-crf", "23", "-pix_fmt", "yuv420p"});
      if (matroska) a.insert(a.end(), {"-c:a", "flac"});
      else a.insert(a.end(), {"-c:a", "aac", "-b:a", "160k", "-movflags", "+faststart"});
      break;
  }
  a.insert(a.end(), {"-f", matroska ? "matroska" : "mp4", target});
  return a;
}

bool OpenVideo(const VideoSettings& settings, std::string* error) {
  const std::string ffmpeg = FfmpegProgram();
  if (!ProgramExists(ffmpeg)) {
    *error = "video capture needs ffmpeg, which is not installed (Debian: apt-get install ffmpeg)";
    return false;
  }
  VideoState& s = State();
  s.settings = settings;
  s.partial = PartialVideoPath(settings.output);
  s.failed = false;
  s.status = 0;
  int video[2], sound[2];
  if (!HighPipe(video) || !HighPipe(sound)) {
    *error = std::string("no pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  const std::vector<std::string> arguments = FfmpegArguments(settings, s.partial);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, video[0], 0);
  posix_spawn_file_actions_adddup2(&actions, sound[0], SoundFd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (const int signal : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int spawned = posix_spawnp(&s.ffmpeg, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(video[0]);
  close(sound[0]);
  if (spawned != 0) {
    close(video[1]);
    close(sound[1]);
    s.ffmpeg = -1;
    *error = ffmpeg + " could not be started: " + std::strerror(spawned);
    return false;
  }
  s.pictures.Start(video[1], true, QueuedFrames);
  // Sound is small and must never hold up the pictures: its queue is not bounded.
  s.sound.Start(sound[1], false, static_cast<std::size_t>(-1));
  return true;
}

bool WriteVideoFrame(const std::uint16_t* rgb565, std::string* error) {
  VideoState& s = State();
  if (s.ffmpeg < 0 || s.failed) return false;
  if (s.pictures.Push(rgb565, SourcePixels() * SourcePixelBytes())) return true;
  s.failed = true;
  EndFfmpeg(s);
  *error = Stopped(s);
  return false;
}

bool WriteVideoSound(const std::int16_t* samples, std::size_t frames, std::string* error) {
  VideoState& s = State();
  if (s.ffmpeg < 0 || s.failed) return false;
  if (s.sound.Push(samples, frames * 2 * sizeof *samples)) return true;
  s.failed = true;
  EndFfmpeg(s);
  *error = Stopped(s);
  return false;
}

bool CloseVideo(std::string* error) {
  VideoState& s = State();
  const bool earlier = s.failed;
  EndFfmpeg(s);
  bool ok = !earlier && s.status == 0 && !s.pictures.Broken() && !s.sound.Broken();
  if (!ok && !earlier) *error = Stopped(s);
  std::error_code fault;
  if (ok) {
    std::filesystem::rename(s.partial, s.settings.output, fault);
    if (fault) {
      *error = s.settings.output + ": the finished video could not take its name (" + fault.message() + ")";
      ok = false;
    }
  }
  if (!ok) std::filesystem::remove(s.partial, fault);
  s.failed = false;
  return ok;
}

int VideoFramesTaken() { return State().pictures.Taken(); }

}  // namespace platform
