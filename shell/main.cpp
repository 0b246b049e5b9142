// The portable entry point: reads the command line, sets up the platform stand-ins for the chosen
// mode, and runs the demo through WinMain. The demo code never sees the options.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/capture/frame_capture.h"
#include "platform/midas/song_clock.h"
#include "platform/options.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/scene_table.h"
#include "shell/shell.h"
#include "shell/timeline.h"

namespace {

constexpr int DefaultCaptureFps = 30;
constexpr int DefaultVideoFps = 60;

std::string VideoFolder;  // a video capture's temporary folder

bool HoldsDemoData(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::exists(folder / "sotkux.xm", error) &&
         std::filesystem::is_directory(folder / "data", error);
}

// The working directory, and failing that the program's own folder.
std::string DefaultDataFolder() {
  if (HoldsDemoData(".")) return "";
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && HoldsDemoData(program.parent_path())) return program.parent_path().string();
  return "";
}

void ListScenes() {
  std::printf("entry  ends after  scene\n");
  for (int i = 0; i < SceneTableSize; ++i) {
    const int end = static_cast<int>(SceneTable[i].endPosition);
    std::printf("%5d  0x%04X      %s\n", i, end, SceneTable[i].name);
  }
}

// A video is assembled in a temporary folder: frame list and WAV, removed when it is done.
std::string VideoWorkFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korvo-video-XXXXXX").string();
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

bool SetUpCapture(const platform::Options& options) {
  const bool video = platform::IsVideoCapture(options.capture);
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
    const MIDASplayStatus status = platform::LastPlayStatus();
    const int position = static_cast<int>(status.row | (status.position << 8));
    if (!platform::CaptureFrame(pixels, position, SceneIndex, GetTickCount())) QuitFlag = 1;
  });
  return true;
}

void HintWithoutDisplay() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "korvo: no display found; --capture DIR runs the demo without one\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::Options options;
  std::string error;
  if (!platform::ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "korvo: %s\n%s", error.c_str(), platform::UsageText());
    return 2;
  }
  switch (options.action) {
    case platform::Options::Action::Help:
      std::fputs(platform::UsageText(), stdout);
      return 0;
    case platform::Options::Action::Version:
      std::printf("korvo %s\n", KORVO_VERSION);
      return 0;
    case platform::Options::Action::ListScenes:
      ListScenes();
      return 0;
    case platform::Options::Action::Run:
      break;
  }

  platform::Mode().dataFolder = options.dataFolder.empty() ? DefaultDataFolder() : options.dataFolder;
  const bool capturing = !options.capture.empty();
  if (capturing) {
    if (!SetUpCapture(options)) return 1;
  } else if (options.window) {
    platform::Mode().presentation = platform::Presentation::Window;
    platform::Mode().windowScale = options.scale;
  }

  int status = WinMain(nullptr, nullptr, argv[0], SW_SHOWDEFAULT);
  if (capturing) {
    if (!platform::EndCapture() && status == 0) status = 1;
    std::error_code ignored;
    if (!VideoFolder.empty()) std::filesystem::remove_all(VideoFolder, ignored);
  }
  if (status != 0 && !capturing) HintWithoutDisplay();
  return status;
}
