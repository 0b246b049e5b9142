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

TEST_F(DeviceMode, PositionAdvancesInRealTimeAndNeverAhead) {
  // Speed 1 at 250 BPM: 10 ms per row.
  const std::string path = midastest::WriteSong("device.xm", midastest::CountingSong(2, 1, 250));
  const auto start = std::chrono::steady_clock::now();
  const auto handle = StartSong(path);
  const DWORD previous = FollowedRows(handle, start, 30, 10);
  EXPECT_GT(previous, 5u) << "the song did not move in 300 ms";
  EXPECT_TRUE(MIDASstopModule(handle));
  EXPECT_TRUE(MIDASfreeModule(module_));
  EXPECT_TRUE(MIDASstopBackgroundPlay());
  EXPECT_TRUE(MIDASclose());
}

TEST_F(DeviceMode, WithoutAnAudioDeviceTheSongGoesOnSilentlyInRealTime) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::UseRealClock();
  testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  // Speed 1 at 250 BPM: 10 ms per row.
  const auto handle = StartSong(midastest::WriteSong("silent.xm", midastest::CountingSong(2, 1, 250)));
  const std::string told = testing::internal::GetCapturedStderr();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_NE(told.find("Unable to open the audio device"), std::string::npos) << told;
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << "one line, not the sound system's noise: " << told;
  const DWORD previous = FollowedRows(handle, start, 20, 15);
  EXPECT_GE(previous, 15u) << "the silent song did not follow the clock through 300 ms";
  // A standing clock (the viewer's pause) holds the song where it is.
  platform::PauseClock(true);
  MIDASplayStatus held{}, later{};
  ASSERT_TRUE(MIDASgetPlayStatus(handle, &held));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  ASSERT_TRUE(MIDASgetPlayStatus(handle, &later));
  EXPECT_EQ(later.position * 64 + later.row, held.position * 64 + held.row);
  platform::PauseClock(false);
  EXPECT_TRUE(MIDASstopModule(handle));
  EXPECT_TRUE(MIDASfreeModule(module_));
  EXPECT_TRUE(MIDASstopBackgroundPlay());
  EXPECT_TRUE(MIDASclose());
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
