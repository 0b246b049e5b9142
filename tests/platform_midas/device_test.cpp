// Device mode on SDL's dummy audio driver (no sound card needed): the callback plays the song in
// real time and the reported position follows it, never ahead of the time since the song began.
// Without a device the song goes on silently on the same clock.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/platform_midas/test_songs.h"

namespace {

class DeviceMode : public midastest::MidasTest {
 protected:
  // Polls the song every `everyMs`: its row never goes back nor runs ahead of the time since
  // `start` at 10 ms a row. Returns the last row.
  static DWORD FollowedRows(MIDASmodulePlayHandle handle, std::chrono::steady_clock::time_point start, int polls,
                            int everyMs) {
    DWORD previous = 0;
    for (int poll = 0; poll < polls; ++poll) {
      std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
      MIDASplayStatus status{};
      EXPECT_TRUE(MIDASgetPlayStatus(handle, &status));
      const double elapsedMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      const DWORD row = status.position * 64 + status.row;
      EXPECT_GE(row, previous) << "poll " << poll;
      EXPECT_LE(row, elapsedMs / 10.0 + 1) << "ahead of the time since play started, poll " << poll;
      previous = row;
    }
    return previous;
  }
  void SetUp() override {
    MidasTest::SetUp();
    platform::Mode().sound = platform::Sound::Device;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
};

// Speed 1 at 250 BPM: 10 ms per row. Without a device (a driver that does not exist) the song
// goes on silently on the clock, with one line saying so.
TEST_F(DeviceMode, PositionFollowsRealTimeNeverAheadWithOrWithoutADevice) {
  MIDASmodulePlayHandle handle = 0;
  for (const char* driver : {"dummy", "no-such-driver"}) {
    SetUp();
    setenv("SDL_AUDIODRIVER", driver, 1);
    platform::UseRealClock();
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    handle = StartSong(midastest::WriteSong("device.xm", midastest::CountingSong(2, 1, 250)));
    const std::string told = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const bool device = std::string(driver) == "dummy";
    EXPECT_EQ(told.find("Unable to open the audio device") != std::string::npos, !device) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), device ? 0 : 1) << "one line, not the sound system's noise";
    EXPECT_GE(FollowedRows(handle, start, 20, 15), device ? 5u : 15u) << driver << ": the song did not move in 300 ms";
  }
  // A standing clock (the viewer's pause) holds the silent song where it is.
  platform::PauseClock(true);
  MIDASplayStatus held{}, later{};
  ASSERT_TRUE(MIDASgetPlayStatus(handle, &held));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  ASSERT_TRUE(MIDASgetPlayStatus(handle, &later));
  EXPECT_EQ(later.position * 64 + later.row, held.position * 64 + held.row);
  platform::PauseClock(false);
}

TEST_F(DeviceMode, ASongGoingAheadOnTheVirtualSinkMovesToTheDevice) {
  platform::Mode().sound = platform::Sound::Virtual;
  const auto handle = StartSong(midastest::WriteSong("ahead.xm", midastest::CountingSong(2, 6, 125)));
  EXPECT_EQ(midastest::StatusAt(handle, 40 * 120 + 1).row, 40u);
  platform::Mode().sound = platform::Sound::Device;
  const auto start = std::chrono::steady_clock::now();
  MIDASplayStatus status{};
  for (int poll = 0; poll < 25; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(MIDASgetPlayStatus(handle, &status));
    ASSERT_GE(status.row, 40u) << "went back at the hand-over, poll " << poll;
  }
  const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LE(status.row, 40 + elapsedMs / 120 + 1);
  EXPECT_GT(status.row, 40u) << "the song did not go on in 250 ms";
}

}  // namespace
