#include "launcher/modes.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "launcher/snapshot_seek.h"
#include "platform/capture/frame_capture.h"
#include "platform/d3d/presenter.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/stop_signal.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"
#include "shell/shell.h"
#include "shell/timeline.h"

namespace {

constexpr int DefaultCaptureFps = 30;
constexpr int DefaultVideoFps = 60;


MusicPosition LastPosition() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  return static_cast<MusicPosition>(status.row | (status.position << 8));
}

bool HoldsDemoData(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::exists(folder / "sotkux.xm", error) &&
         std::filesystem::is_directory(folder / "data", error);
}

bool SetUpCapture(const launcher::Options& options) {
  const bool video = launcher::IsVideoCapture(options.capture);
  platform::CaptureSettings settings;
  settings.folder = video ? "" : options.capture;
  settings.video = video ? options.capture : "";
  settings.fps = options.fps ? options.fps : (video ? DefaultVideoFps : DefaultCaptureFps);
  settings.from = options.from.value_or(0);
  settings.to = options.to.value_or(0xFFFF);
  settings.endPosition = EndPosition + 1;
  settings.videoWidth = options.videoWidth;
  settings.videoHeight = options.videoHeight;
  settings.quality = options.quality;
  settings.overwrite = options.overwrite;
  if (!platform::BeginCapture(settings)) return false;

  platform::PlatformMode& mode = platform::Mode();
  mode.presentation = platform::Presentation::Headless;
  mode.sound = platform::Sound::Virtual;
  // The capture takes the song from the sink through its tap; no file of this name is made.
  mode.wavPath = "capture";
  platform::UseVirtualClock(settings.fps);
  launcher::BeginSnapshots(settings.fps);
  platform::SetFrameSink([from = settings.from](const std::uint16_t* pixels) {
    launcher::NoteSnapshotFrame();
    // From the first frame on, the run goes on from the latest snapshot before --from.
    if (from > 0 && launcher::NextSnapshotFrame() == 1) {
      launcher::RestoreSnapshotFor({launcher::SeekTarget::Kind::Position, from}, false, true);
    }
    const platform::ShownFrame frame{pixels, LastPosition(), platform::LastPlayStatus().songLoopCount,
                                     SceneIndex, SceneTable[SceneIndex].name, GetTickCount()};
    // A stop signal ends the run after this frame, which is written whole.
    if (!platform::CaptureFrame(frame) || platform::ReceivedStopSignal() != 0) QuitFlag = 1;
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
  platform::Mode().aheadTo = startPosition;
  launcher::RunAheadTo({launcher::SeekTarget::Kind::Position, startPosition}, true);
}

bool StartReached() { return launcher::RunAheadDone(); }

int RunDemo(const launcher::Options& options) {
  platform::InstallStopSignals();
  // A reader that went away (ffmpeg) is told by the failing write, not by a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  platform::Mode().dataFolder = options.dataFolder.empty() ? DefaultDataFolder() : options.dataFolder;
  platform::Mode().renderScale = options.renderScale;
  platform::Mode().colourBits = options.colourBits;
  const bool capturing = !options.capture.empty();
  if (capturing) {
    if (!SetUpCapture(options)) return 1;
  } else {
    if (options.noSound) platform::Mode().sound = platform::Sound::Virtual;
    if (options.window) {
      platform::Mode().presentation = platform::Presentation::Window;
      platform::Mode().windowScale = options.scale;
      platform::Mode().viewerControls = true;
    }
    if (options.start) {
      SetUpStart(*options.start);
    } else if (options.window) {
      // The first frame on the clock of the snapshots, so that every jump can come back to it.
      launcher::RunAheadTo({launcher::SeekTarget::Kind::Position, 0}, false);
    }
    if (options.window) platform::SetKeyFilter(launcher::ViewerKey);
  }
  platform::SetFullscreenToggle(TogglePresenterFullscreen);

  int status = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
  if (options.stats) {
    const platform::FrameLayout frame = platform::CurrentFrameLayout();
    std::printf("%s rendering=%dx%d colour=%d\n", PresenterStatsLine().c_str(), frame.width, frame.height,
                frame.trueColour ? 32 : 16);
  }
  if (capturing) {
    if (!platform::EndCapture() && status == 0) status = 1;
  } else if (status != 0 && platform::ReceivedStopSignal() == 0) {
    HintWithoutDisplay();
  }
  // As a shell reports a program ended by a signal; the run has still closed what it wrote.
  if (platform::ReceivedStopSignal() != 0) status = 128 + platform::ReceivedStopSignal();
  return status;
}
