#include "platform/capture/frame_capture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/capture/png_writer.h"
#include "platform/capture/progress.h"
#include "platform/capture/video_pipe.h"

namespace platform {

namespace {

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 480;

struct CaptureState {
  CaptureSettings settings;
  std::FILE* frameList = nullptr;
  int framesRun = 0;
  int lastPosition = 0;
  long firstWrittenMs = -1;
  bool writeFailed = false;
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

bool WritePicture(const std::uint16_t* pixels) {
  CaptureState& s = State();
  if (!s.settings.video.empty()) return WriteVideoFrame(pixels);
  char name[32];
  std::snprintf(name, sizeof name, "/%06d.png", s.framesRun);
  return WritePng(s.settings.folder + name, pixels, FrameWidth, FrameHeight);
}

}  // namespace

std::string CaptureWavPath() { return State().settings.folder + "/audio.wav"; }

bool BeginCapture(const CaptureSettings& settings) {
  State() = CaptureState{};
  State().settings = settings;
  std::error_code error;
  std::filesystem::create_directories(settings.folder, error);
  const std::string listPath = settings.folder + "/frames.tsv";
  State().frameList = std::fopen(listPath.c_str(), "w");
  if (!State().frameList) {
    std::fprintf(stderr, "%s: cannot be written\n", listPath.c_str());
    return false;
  }
  std::fprintf(State().frameList, "frame\tms\tposition\tentry\n");
  if (!settings.video.empty()) {
    VideoSettings video{settings.video, settings.fps, settings.videoWidth, settings.videoHeight};
    std::string message;
    if (!OpenVideo(video, settings.folder, &message)) {
      std::fprintf(stderr, "korvo: %s\n", message.c_str());
      return false;
    }
  }
  return true;
}

bool CaptureFrame(const std::uint16_t* pixels, int position, int entry, std::uint32_t milliseconds) {
  CaptureState& s = State();
  ++s.framesRun;
  s.lastPosition = position;
  if (s.frameList) {
    std::fprintf(s.frameList, "%06d\t%u\t0x%04X\t%d\n", s.framesRun, milliseconds, position, entry);
  }
  if (position >= s.settings.from && position <= s.settings.to && !s.writeFailed) {
    if (s.firstWrittenMs < 0) s.firstWrittenMs = milliseconds;
    s.writeFailed = !WritePicture(pixels);
  }
  ReportProgress(s.framesRun, position, std::min(s.settings.to + 1, s.settings.endPosition));
  return position <= s.settings.to && !s.writeFailed;
}

bool EndCapture() {
  CaptureState& s = State();
  FinishProgress();
  if (s.frameList) std::fclose(s.frameList);
  s.frameList = nullptr;
  bool ok = !s.writeFailed;
  if (!s.settings.video.empty()) {
    std::string message;
    const double audioStart = s.firstWrittenMs < 0 ? 0.0 : s.firstWrittenMs / 1000.0;
    if (!CloseVideo(CaptureWavPath(), audioStart, &message)) {
      std::fprintf(stderr, "korvo: %s\n", message.c_str());
      ok = false;
    }
  }
  std::printf("frames=%d last=0x%04X\n", s.framesRun, s.lastPosition);
  std::fflush(stdout);
  return ok;
}

}  // namespace platform
