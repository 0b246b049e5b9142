#include "platform/capture/video_pipe.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace platform {

namespace {

constexpr int SourceWidth = 640;
constexpr int SourceHeight = 480;

struct VideoState {
  VideoSettings settings;
  std::string pictures;  // the frames without sound, until the mux
  std::FILE* pipe = nullptr;
  std::vector<std::uint8_t> row;
  bool failed = false;
};

VideoState& State() {
  static VideoState state;
  return state;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool ProgramExists(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

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

bool OpenVideo(const VideoSettings& settings, const std::string& workFolder, std::string* error) {
  const std::string ffmpeg = FfmpegProgram();
  if (!ProgramExists(ffmpeg)) {
    *error = "video capture needs ffmpeg, which is not installed (Debian: apt-get install ffmpeg)";
    return false;
  }
  VideoState& s = State();
  s = VideoState{};
  s.settings = settings;
  s.pictures = workFolder + "/pictures.mkv";
  // Nearest neighbour keeps the 16-bit pixels crisp; the picture is centred with black bars.
  const std::string filter = "scale=" + std::to_string(settings.width) + ":" +
                             std::to_string(settings.height) +
                             ":force_original_aspect_ratio=decrease:flags=neighbor,pad=" +
                             std::to_string(settings.width) + ":" + std::to_string(settings.height) +
                             ":(ow-iw)/2:(oh-ih)/2";
  const std::string command = Quoted(ffmpeg) + " -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              std::to_string(SourceWidth) + "x" + std::to_string(SourceHeight) +
                              " -r " + std::to_string(settings.fps) + " -i - -vf " + Quoted(filter) +
                              " -c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p " +
                              Quoted(s.pictures);
  s.pipe = popen(command.c_str(), "w");
  if (!s.pipe) {
    *error = "ffmpeg could not be started";
    return false;
  }
  s.row.resize(static_cast<std::size_t>(SourceWidth) * SourceHeight * 3);
  return true;
}

bool WriteVideoFrame(const std::uint16_t* rgb565) {
  VideoState& s = State();
  if (!s.pipe || s.failed) return false;
  for (int i = 0; i < SourceWidth * SourceHeight; ++i) {
    s.row[i * 3 + 0] = Widen5(rgb565[i] >> 11);
    s.row[i * 3 + 1] = Widen6((rgb565[i] >> 5) & 0x3F);
    s.row[i * 3 + 2] = Widen5(rgb565[i] & 0x1F);
  }
  s.failed = std::fwrite(s.row.data(), 1, s.row.size(), s.pipe) != s.row.size();
  return !s.failed;
}

bool CloseVideo(const std::string& wavPath, double audioStartSeconds, std::string* error) {
  VideoState& s = State();
  if (!s.pipe) return false;
  const int status = pclose(s.pipe);
  s.pipe = nullptr;
  if (s.failed || status != 0) {
    *error = "ffmpeg stopped while the frames were written (status " + std::to_string(status) + ")";
    return false;
  }
  const std::string command = Quoted(FfmpegProgram()) + " -loglevel error -y -i " +
                              Quoted(s.pictures) + " -ss " + std::to_string(audioStartSeconds) +
                              " -i " + Quoted(wavPath) +
                              " -map 0:v -map 1:a -c:v copy -c:a aac -b:a 256k -shortest " +
                              Quoted(s.settings.output);
  const int muxed = std::system(command.c_str());
  if (muxed != 0) {
    *error = "ffmpeg could not lay the sound under the pictures (status " + std::to_string(muxed) + ")";
    return false;
  }
  std::error_code ignored;
  std::filesystem::remove(s.pictures, ignored);
  return true;
}

}  // namespace platform
