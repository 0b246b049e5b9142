#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/resources.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"

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

TEST_F(MessageQueue, ClassMustBeRegisteredAndComplete) {
  EXPECT_EQ(CreateWindowExA(0, "nobody", "t", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  WNDCLASSEXA incomplete{};
  incomplete.cbSize = sizeof incomplete;
  incomplete.lpszClassName = "no procedure";
  EXPECT_EQ(RegisterClassExA(&incomplete), 0);
}

TEST_F(MessageQueue, PeekLeavesGetTakesDispatchReachesTheProcedure) {
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
}

TEST_F(MessageQueue, QuitMessageMakesGetReturnZero) {
  HWND window = MakeWindow();
  PostMessageA(window, WM_QUIT, 7, 0);
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(VirtualClock, ExactMillisecondsPerFrameWithoutDrift) {
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
}

TEST(MessageBoxes, Windows1252TextArrivesAsUtf8) {
  std::string text, caption;
  platform::SetMessageBoxHook([&](const std::string& t, const std::string& c) {
    text = t;
    caption = c;
  });
  MessageBoxA(nullptr, "APUA P\xC4\xC4\xC4\xC4\xC4\xC4\xC4!!", "data\\kone.dat", MB_OK);
  platform::SetMessageBoxHook(nullptr);
  EXPECT_EQ(text, "APUA PÄÄÄÄÄÄÄ!!");
  EXPECT_EQ(caption, "data\\kone.dat");
  EXPECT_EQ(platform::Utf8FromWindows1252("\x80 \x85 \x81"), "€ … ?");
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

TEST(Resources, FoundByIdUntilRemoved) {
  static const std::uint8_t bytes[] = {'B', 'M', 1, 2};
  platform::RegisterBitmapResource(4242, bytes, sizeof bytes);
  EXPECT_EQ(platform::FindBitmapResource(4242).data, bytes);
  EXPECT_EQ(platform::FindBitmapResource(4242).size, 4u);
  platform::UnregisterBitmapResource(4242);
  EXPECT_EQ(platform::FindBitmapResource(4242).data, nullptr);
}

}  // namespace
