#include "platform/capture/frame_capture.h"

#include <cstdio>
#include <filesystem>

#include "platform/capture/png_writer.h"

namespace platform {

namespace {

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 480;

struct CaptureState {
  CaptureSettings settings;
  std::FILE* frameList = nullptr;
  int framesRun = 0;
  int lastPosition = 0;
  bool writeFailed = false;
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

}  // namespace

bool BeginCapture(const CaptureSettings& settings) {
  State() = CaptureState{settings};
  std::error_code error;
  std::filesystem::create_directories(settings.folder, error);
  const std::string listPath = settings.folder + "/frames.tsv";
  State().frameList = std::fopen(listPath.c_str(), "w");
  if (!State().frameList) {
    std::fprintf(stderr, "%s: cannot be written\n", listPath.c_str());
    return false;
  }
  std::fprintf(State().frameList, "frame\tms\tposition\tentry\n");
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
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.png", s.framesRun);
    s.writeFailed = !WritePng(s.settings.folder + name, pixels, FrameWidth, FrameHeight);
  }
  return position <= s.settings.to && !s.writeFailed;
}

void EndCapture() {
  CaptureState& s = State();
  if (s.frameList) std::fclose(s.frameList);
  s.frameList = nullptr;
  std::printf("frames=%d last=0x%04X\n", s.framesRun, s.lastPosition);
  std::fflush(stdout);
}

int CapturedFrameCount() { return State().framesRun; }

}  // namespace platform
