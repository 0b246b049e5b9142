// The whole program through WinMain, headless: start-up order, the frame loop's one message per
// frame, the keys, and every failure path, with the demo's own data and song.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/midas/midas_testing.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/stop_signal.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"
#include "shell/overlay.h"
#include "shell/scene_table.h"
#include "shell/shell.h"
#include "shell/timeline.h"
#include "tests/support/files.h"

namespace {

using Box = std::pair<std::string, std::string>;  // text, caption

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowSystem();
    platform::ResetMidas();
    ResetTimeline();
    ResetStatsOverlay();
    QuitFlag = 0;
    StatsOverlay = 0;
    platform::Mode() = platform::PlatformMode{};
    platform::Mode().presentation = platform::Presentation::Headless;
    platform::Mode().sound = platform::Sound::Virtual;
    platform::Mode().dataFolder = KORVO_BUILD_DIR;
    platform::UseVirtualClock(30);
    platform::SetMessageBoxHook([this](const std::string& text, const std::string& caption) {
      boxes_.emplace_back(text, caption);
    });
    platform::SetFrameSink([this](const std::uint16_t*) {
      ++frames_;
      overlayPerFrame_.push_back(StatsOverlay);
      if (onFrame_) onFrame_(frames_);
    });
  }

  void TearDown() override {
    platform::SetFrameSink(nullptr);
    platform::SetMessageBoxHook(nullptr);
    platform::ResetMidas();
    platform::UseRealClock();
    platform::Mode() = platform::PlatformMode{};
  }

  int Run() { return WinMain(nullptr, nullptr, nullptr, 0); }

  // The window the program made: the queue's messages need it to reach WindowProc.
  static void Post(UINT message, WPARAM wParam) {
    PostMessageA(reinterpret_cast<HWND>(0x100), message, wParam, 0);
  }

  std::vector<Box> boxes_;
  int frames_ = 0;
  std::vector<int> overlayPerFrame_;
  std::function<void(int)> onFrame_;
};

TEST_F(Program, OneMessagePerFrameAndTheOverlayNamesWhereTheDemoIsOnADarkBand) {
  onFrame_ = [](int frame) {
    if (frame == 1) {
      Post(WM_KEYDOWN, VK_HOME);
      Post(WM_KEYDOWN, VK_HOME);
      Post(WM_KEYDOWN, VK_ESCAPE);
    }
  };
  std::vector<std::uint16_t> shown;
  MIDASplayStatus status{};
  const platform::FrameSink counting = platform::CurrentFrameSink();
  platform::SetFrameSink([&](const std::uint16_t* pixels) {
    counting(pixels);
    if (StatsOverlay) shown.assign(pixels, pixels + 640 * 22), status = platform::LastPlayStatus();
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frames_, 3) << "a burst of three messages is worked off over three frames";
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(overlayPerFrame_, (std::vector<int>{0, 1, 0})) << "Home twice leaves it off again";
  // Drawn in frame 2 only, 33 ms after the first frame.
  EXPECT_STREQ(StatsOverlayText(), " frame:00002 sec:00000.033 fps:60.606 KORVO JA PELTA!");
  char expected[96];
  std::snprintf(expected, sizeof expected, " pos:0x%04X entry:00 %s", static_cast<unsigned>(status.row | status.position << 8),
                SceneTable[0].name);
  EXPECT_STREQ(StatsOverlayPositionText(), expected);
  // Behind the text every pixel is at most an eighth of full brightness; the text is grey 127.
  int text = 0;
  for (std::uint16_t p : shown) {
    text += p == 0x7BEF;
    ASSERT_TRUE(p == 0x7BEF || (p >> 11 <= 3 && ((p >> 5) & 63) <= 7 && (p & 31) <= 3)) << std::hex << p;
  }
  EXPECT_GT(text, 200) << "both lines drawn";
}

TEST_F(Program, StopSignalFinishesTheFrameThenRunsTheStopSequence) {
  // A fresh process: the signal stays noted for the rest of its life, and the device's threads
  // would not survive a plain fork.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::InstallStopSignals();
        onFrame_ = [](int frame) {
          if (frame == 3) raise(SIGTERM);
        };
        const int status = Run();
        // The frame in which the signal came is the last; the sound library was closed in order.
        std::exit(status == 0 && frames_ == 3 && !MidasFailed() && platform::ReceivedStopSignal() == SIGTERM ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(Program, QuitMessageEndsAtOnceWithItsValue) {
  onFrame_ = [](int frame) {
    if (frame == 2) Post(WM_QUIT, 5);
  };
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(frames_, 2);
}

TEST_F(Program, GraphicsFailureShowsThePlatformTextThenItsOwn) {
  platform::Mode().presentation = platform::Presentation::Fullscreen;
  ::setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  const int status = Run();
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_EQ(status, 1);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].second, "It wont work! Reboot might help?");
  EXPECT_TRUE(!boxes_[0].first.empty() && boxes_[0].first.size() < 40u) << "the platform's short text";
  EXPECT_EQ(boxes_[1], Box("Direct3D Init error.", "Korvo and Pelta"));
  EXPECT_EQ(frames_, 0);
}

TEST_F(Program, MissingDataFileShowsItsPathThenInitError) {
  platform::Mode().dataFolder = testsupport::FreshFolder("korvo-program").string();
  EXPECT_EQ(Run(), 1);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0], Box("File not found!", "data\\talo1.obu"));
  EXPECT_EQ(boxes_[1], Box("Init error.", "Korvo and Pelta"));
}

// A song that does not load is the sound library's refusal of MIDASloadModule, with its text.
TEST_F(Program, EverySoundLibraryFailureEndsWithStatusOneAndStartUpOnesDrawNothing) {
  const char* calls[] = {"MIDASinit",       "MIDASstartBackgroundPlay", "MIDASloadModule",         "MIDASplayModule",
                         "MIDASstopModule", "MIDASfreeModule",          "MIDASstopBackgroundPlay", "MIDASclose"};
  for (int k = 0; k < 8; ++k) {
    SetUp();
    platform::FailNextMidasCall(calls[k]);
    onFrame_ = [](int frame) {
      if (frame == 1) Post(WM_KEYDOWN, VK_ESCAPE);
    };
    EXPECT_EQ(Run(), 1) << calls[k];
    ASSERT_EQ(boxes_.size(), 1u) << calls[k];
    EXPECT_TRUE(boxes_[0].second == "Korvo and Pelta" && !boxes_[0].first.empty() && MidasFailed()) << calls[k];
    EXPECT_EQ(frames_ == 0, k < 4) << calls[k];
    boxes_.clear();
    frames_ = 0;
  }
}

}  // namespace
