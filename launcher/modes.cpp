#include "launcher/modes.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/capture/frame_capture.h"
#include "platform/d3d/presenter.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"
#include "shell/shell.h"
#include "shell/timeline.h"

namespace {

constexpr int DefaultCaptureFps = 30;
constexpr int DefaultVideoFps = 60;

std::string VideoFolder;  // a video capture's temporary folder
bool StartPositionReached = false;

MusicPosition LastPosition() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  return static_cast<MusicPosition>(status.row | (status.position << 8));
}

bool HoldsDemoData(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::exists(folder / "sotkux.xm", error) &&
         std::filesystem::is_directory(folder / "data", error);
}

// A video is assembled in a temporary folder (frame list and WAV), removed when it is done.
std::string VideoWorkFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korvo-video-XXXXXX").string();
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

bool SetUpCapture(const launcher::Options& options) {
  const bool video = launcher::IsVideoCapture(options.capture);
  platform::CaptureSettings settings;
  settings.folder = video ? VideoWorkFolder() : options.capture;
  if (video) VideoFolder = settings.folder;
  settings.video = video ? options.capture : "";
  settings.fps = options.fps ? options.fps : (video ? DefaultVideoFps : DefaultCaptureFps);
  settings.from = options.from.value_or(0);
  settings.to = options.to.value_or(0xFFFF);
  settings.endPosition = EndPosition + 1;
  settings.videoWidth = options.videoWidth;
  settings.videoHeight = options.videoHeight;
  if (settings.folder.empty() || !platform::BeginCapture(settings)) return false;

  platform::PlatformMode& mode = platform::Mode();
  mode.presentation = platform::Presentation::Headless;
  mode.sound = platform::Sound::Virtual;
  mode.wavPath = platform::CaptureWavPath();
  platform::UseVirtualClock(settings.fps);
  platform::SetFrameSink([](const std::uint16_t* pixels) {
    if (!platform::CaptureFrame(pixels, LastPosition(), SceneIndex, GetTickCount())) QuitFlag = 1;
  });
  return true;
}

void HintWithoutDisplay() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "korvo: no display found; --capture DIR runs the demo without one\n");
  }
}

}  // namespace

std::string DefaultDataFolder() {
  if (HoldsDemoData(".")) return "";
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "";
  if (HoldsDemoData(program.parent_path())) return program.parent_path().string();
  // Installed: bin/korvo beside share/korvo/.
  const auto installed = program.parent_path().parent_path() / "share" / "korvo";
  if (HoldsDemoData(installed)) return installed.string();
  return "";
}

void SetUpStart(int startPosition) {
  StartPositionReached = false;
  const platform::Sound sound = platform::Mode().sound;
  platform::Mode().presenting = false;
  platform::Mode().sound = platform::Sound::Virtual;
  platform::UseVirtualClock(AheadFps);
  platform::SetFrameSink([startPosition, sound](const std::uint16_t*) {
    if (StartPositionReached || LastPosition() < startPosition) return;
    StartPositionReached = true;
    platform::UseRealClockFrom(GetTickCount());
    platform::Mode().sound = sound;
    platform::Mode().presenting = true;
  });
}

bool StartReached() { return StartPositionReached; }

int RunDemo(const launcher::Options& options) {
  platform::Mode().dataFolder = options.dataFolder.empty() ? DefaultDataFolder() : options.dataFolder;
  const bool capturing = !options.capture.empty();
  if (capturing) {
    if (!SetUpCapture(options)) return 1;
  } else {
    if (options.window) {
      platform::Mode().presentation = platform::Presentation::Window;
      platform::Mode().windowScale = options.scale;
    }
    if (options.start) SetUpStart(*options.start);
  }
  platform::SetFullscreenToggle(TogglePresenterFullscreen);

  int status = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
  if (capturing) {
    if (!platform::EndCapture() && status == 0) status = 1;
    std::error_code ignored;
    if (!VideoFolder.empty()) std::filesystem::remove_all(VideoFolder, ignored);
  } else if (status != 0) {
    HintWithoutDisplay();
  }
  return status;
}
