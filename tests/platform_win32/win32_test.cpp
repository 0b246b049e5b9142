#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/stop_signal.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"
#include "tests/support/files.h"

namespace {

std::vector<UINT> Seen;
LRESULT Record(HWND, UINT message, WPARAM, LPARAM) {
  Seen.push_back(message);
  return 42;
}

HWND MakeWindow() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Record;
  windowClass.lpszClassName = "test class";
  EXPECT_NE(RegisterClassExA(&windowClass), 0);
  return CreateWindowExA(0, "test class", "t", 0, 0, 0, 640, 0, nullptr, nullptr, nullptr, nullptr);
}

class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowSystem();
    Seen.clear();
  }
};

TEST_F(MessageQueue, PeekLeavesGetTakesDispatchReachesTheProcedureQuitEnds) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  PostMessageA(window, WM_KEYDOWN, VK_HOME, 0);
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(platform::QueuedMessageCount(), 2u);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, VK_HOME) << "messages come out in the order they went in";
  EXPECT_EQ(DispatchMessageA(&msg), 42);
  EXPECT_EQ(Seen, std::vector<UINT>{WM_KEYDOWN});
  EXPECT_EQ(platform::QueuedMessageCount(), 1u);
  PostMessageA(window, WM_QUIT, 7, 0);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE) << "a quit message makes Get return zero";
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(Clocks, VirtualExactPerFrameRealStandsStillWhilePausedAndGoesOnWhereItStood) {
  for (int fps : {7, 15, 30, 60}) {
    platform::UseVirtualClock(fps);
    for (int frame = 1; frame <= 36000; ++frame) {
      platform::AdvanceVirtualFrame();
      if (frame % 997 == 0 || frame == 36000) {
        ASSERT_EQ(GetTickCount(), static_cast<DWORD>(std::uint64_t(frame) * 1000 / fps))
            << fps << " fps, frame " << frame;
      }
    }
  }
  platform::SetVirtualTickCount(1234);
  platform::AdvanceVirtualFrame();
  EXPECT_EQ(GetTickCount(), 1234u) << "a clock set by hand stays where it was set";
  platform::UseRealClock();
  EXPECT_FALSE(platform::VirtualClockActive());
  // The real clock: stands still while paused, steps by hand, goes on where it stood.
  platform::UseRealClockFrom(5000);
  platform::PauseClock(true);
  const DWORD held = GetTickCount();
  EXPECT_GE(held, 5000u);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_EQ(GetTickCount(), held) << "a paused clock moved";
  platform::StepPausedClock(1000.0 / 60.0);
  platform::StepPausedClock(1000.0 / 60.0);
  EXPECT_EQ(GetTickCount(), held + 33) << "two steps of a 60 Hz frame";
  platform::PauseClock(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const DWORD resumed = GetTickCount();
  EXPECT_GE(resumed, held + 33 + 20);
  EXPECT_LT(resumed, held + 33 + 20 + 200) << "the time paused was counted";
  platform::UseVirtualClock(30);
  platform::PauseClock(true);
  EXPECT_FALSE(platform::ClockPaused()) << "a virtual clock moves only with frames";
  platform::UseRealClock();
}

TEST(WindowFit, LargestWholeScaleWithinNinetyPercentOfTheDesktop) {
  EXPECT_EQ(platform::FitWindowScale(1366, 768), 1) << "960 rows do not fit 768";
  EXPECT_EQ(platform::FitWindowScale(1920, 1200), 2) << "1440 rows are more than 90 % of 1200";
  EXPECT_EQ(platform::FitWindowScale(3840, 2160), 4);
  EXPECT_EQ(platform::FitWindowScale(1423, 1067), 2) << "exactly 90 %: 1280.7 x 960.3";
  EXPECT_EQ(platform::FitWindowScale(1422, 1067), 1) << "a pixel short in width";
  EXPECT_EQ(platform::FitWindowScale(6000, 1067), 2) << "the height decides";
  EXPECT_EQ(platform::FitWindowScale(0, -5), 1);
}

// The exit status of body, run in a child with the stop signals installed: a signal stays noted
// for the rest of a process's life.
int StatusOfChild(void (*body)()) {
  const pid_t child = fork();
  if (child == 0) {
    platform::InstallStopSignals();
    body();
    _exit(0);
  }
  return testsupport::ExitStatus(child);
}

TEST(StopSignals, NotedForTheLoopOrEndingABlockingWaitAtOnce) {
  const struct {
    void (*body)();
    int status;
    const char* rule;
  } cases[] = {
      {[] { raise(SIGTERM), _exit(platform::ReceivedStopSignal() == SIGTERM ? 7 : 2); }, 7, "noted for the loop"},
      {[] { platform::SetBlockingWait(true), raise(SIGINT), _exit(3); }, 130, "ends a blocking wait at once"},
      {[] { raise(SIGINT), raise(SIGTERM), _exit(4); }, 143, "a second signal while stopping ends the program"},
      {[] { raise(SIGTERM), platform::SetBlockingWait(true), _exit(5); }, 143, "no box waits after a stop signal"},
      {[] { raise(SIGINT), sleep(5), _exit(6); }, 130, "ends the program when no loop takes it in hand"},
  };
  const auto before = std::chrono::steady_clock::now();
  for (const auto& c : cases) {
    EXPECT_EQ(StatusOfChild(c.body), c.status) << c.rule;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1500));
}

TEST_F(MessageQueue, AStopSignalArrivesAsEscapeAheadOfTheQueueOnce) {
  HWND window = MakeWindow();
  PostMessageA(window, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(StatusOfChild([] {
              raise(SIGINT);
              MSG msg{};
              if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) || !GetMessageA(&msg, nullptr, 0, 0)) _exit(1);
              if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) _exit(2);
              if (!GetMessageA(&msg, nullptr, 0, 0) || msg.wParam != VK_HOME) _exit(3);
              _exit(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) ? 4 : 9);
            }),
            9);
}

// The boxes' path from MessageBoxA to the hook is checked by the loader's tests of their texts.
TEST(MessageBoxes, Windows1252TextArrivesAsUtf8) {
  EXPECT_EQ(platform::Utf8FromWindows1252("APUA P\xC4\xC4!! \x80 \x85 \x81"), "APUA PÄÄ!! € … ?");
}

TEST(DataPaths, BackslashesBecomeTheSeparatorUnderTheDataFolder) {
  platform::Mode().dataFolder = "";
  EXPECT_EQ(platform::DataPath("data\\talo1.obu"), "data/talo1.obu");
  platform::Mode().dataFolder = "/opt/korvo";
  EXPECT_EQ(platform::DataPath("data\\talo1.obu"), "/opt/korvo/data/talo1.obu");
  platform::Mode().dataFolder = "/opt/korvo/";
  EXPECT_EQ(platform::DataPath("sotkux.xm"), "/opt/korvo/sotkux.xm");
  platform::Mode().dataFolder = "";
}

}  // namespace
