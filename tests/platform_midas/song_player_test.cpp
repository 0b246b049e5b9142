// The position record: the row looked up for a frame is the one libopenmpt was playing there
// (never a later one), and the device's audible frame lags what it was given by what it holds.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <vector>

#include "platform/midas/audio_device.h"
#include "platform/midas/song_player.h"
#include "tests/platform_midas/test_songs.h"

namespace {

struct LoadedSong {
  explicit LoadedSong(const xm::Module& m) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(xm::EncodeXm(m, bytes, error)) << error;
    module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr);
  }
  ~LoadedSong() { openmpt_module_destroy(module); }
  openmpt_module* module = nullptr;
};

TEST(SongPlayer, PositionAtAFrameIsTheRowPlayingThereOrJustBefore) {
  // Speed 1 at 250 BPM: 480 frames per row, 64 x 480 per order.
  LoadedSong song(midastest::CountingSong(2, 1, 250));
  ASSERT_NE(song.module, nullptr);
  platform::SongPlayer player;
  player.Start(song.module, true);
  std::vector<std::int16_t> buffer(2 * 1000);
  // Buffers of an odd size, as a device might ask for, over one and a half passes.
  while (player.RenderedFrames() < 3 * 64 * 480) {
    player.Render(buffer.data(), 1000);
    const std::int64_t newest = static_cast<std::int64_t>(player.RenderedFrames()) - 1;
    for (std::int64_t frame = newest - 900; frame <= newest; frame += 7) {
      if (frame < 0) continue;
      const platform::SongPosition at = player.PositionAt(frame);
      auto rowIndex = [](std::int64_t f) { return (f / 480) % 128; };
      const std::int64_t reported = at.position * 64 + at.row;
      const std::int64_t earliestFrame = std::max<std::int64_t>(0, frame - platform::PieceFrames + 1);
      const bool now = reported == rowIndex(frame);
      ASSERT_TRUE(now || reported == rowIndex(earliestFrame))
          << "frame " << frame << " reported row " << reported << ", playing " << rowIndex(frame);
      ASSERT_EQ(at.loopCount, (now ? frame : earliestFrame) / (128 * 480)) << "frame " << frame;
    }
  }
  EXPECT_EQ(player.PositionAt(-5).row, 0u);
}

TEST(SongPlayer, StoppedOrEndedSongRendersSilence) {
  LoadedSong song(midastest::CountingSong(1, 1, 250));
  platform::SongPlayer player;
  player.Start(song.module, false);
  std::vector<std::int16_t> buffer(2 * 48000, 1);
  player.Render(buffer.data(), 48000);  // one pass is 64 x 480 frames and a short tail
  ASSERT_GE(player.RenderedFrames(), 64u * 480u);
  ASSERT_LT(player.RenderedFrames(), 48000u);
  EXPECT_TRUE(std::all_of(buffer.begin() + 2 * player.RenderedFrames(), buffer.end(), [](std::int16_t v) { return v == 0; }));
  player.Stop();
  std::fill(buffer.begin(), buffer.end(), 1);
  player.Render(buffer.data(), 100);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + 200, [](std::int16_t v) { return v == 0; }));
}

TEST(AudibleFrame, LagsTheDeliveredFramesByWhatTheDeviceHolds) {
  const std::uint32_t n = 512;
  // Right after a callback: the buffer just given and the one sounding are still ahead.
  EXPECT_EQ(platform::AudibleDeviceFrame(10 * n, n, 0.0), 8 * n);
  // Half a buffer later, half of the sounding one has been heard.
  EXPECT_EQ(platform::AudibleDeviceFrame(10 * n, n, n / 2 / 48000.0), 8 * n + n / 2);
  // A late callback never lets the estimate pass the buffer just given.
  EXPECT_EQ(platform::AudibleDeviceFrame(10 * n, n, 1.0), 9 * n);
  EXPECT_LT(platform::AudibleDeviceFrame(n, n, 0.0), 0);
}

}  // namespace
