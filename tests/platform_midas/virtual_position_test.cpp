// The virtual sink: position and row follow the virtual clock exactly, the song loops by order
// and row, and the WAV file holds what was rendered.
#include <libopenmpt/libopenmpt.hpp>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/midas/song_clock.h"
#include "tests/platform_midas/test_songs.h"

namespace {

using midastest::StatusAt;

class VirtualSink : public midastest::MidasTest {};

TEST_F(VirtualSink, RowsBeginAtTheirTempoTimes) {
  // Speed 4 at 100 BPM: 2500 * 4 / 100 = 100 ms per row.
  const auto handle = StartSong(midastest::WriteSong("tempo.xm", midastest::CountingSong(3, 4, 100)));
  for (int k : {1, 2, 17, 63, 64, 65, 130}) {
    const MIDASplayStatus before = StatusAt(handle, k * 100 - 1);
    const MIDASplayStatus at = StatusAt(handle, k * 100);
    EXPECT_EQ(before.position * 64 + before.row, static_cast<DWORD>(k - 1)) << "just before row " << k;
    EXPECT_EQ(at.position * 64 + at.row, static_cast<DWORD>(k)) << "at row " << k;
    EXPECT_EQ(at.pattern, at.position) << "order k plays pattern k";
  }
  EXPECT_EQ(platform::LastPlayStatus().row, 130u - 128u);
}

TEST_F(VirtualSink, TimeCountsFromPlayModuleAndASongPlayedOnceStaysAtItsEnd) {
  platform::SetVirtualTickCount(5000);  // the song starts 5 s into the clock
  const auto handle = StartSong(midastest::WriteSong("late.xm", midastest::CountingSong(1, 6, 125)));
  EXPECT_EQ(StatusAt(handle, 5000).row, 0u);
  EXPECT_EQ(StatusAt(handle, 5000 + 3 * 120 + 5).row, 3u);
  SetUp();
  const auto once = StartSong(midastest::WriteSong("once.xm", midastest::CountingSong(1, 6, 125)), false);
  const MIDASplayStatus end = StatusAt(once, 20000);  // the song lasts 7.68 s
  EXPECT_TRUE(end.row == 63 && end.songLoopCount == 0) << "a song played once stays at its end";
  EXPECT_EQ(StatusAt(once, 30000).row, 63u);
}

// The plain song loops after 128 rows; with a jump back after row 16 of its second order, after
// 81. Either way the next pass starts again at order 0 and counts the loop.
TEST_F(VirtualSink, LoopsAndJumpsBackAreFollowedByOrderAndRow) {
  for (const int jumpRow : {-1, 16}) {
    SetUp();
    const DWORD pass = jumpRow < 0 ? 128 : 64 + jumpRow + 1;
    const auto handle = StartSong(midastest::WriteSong("loop.xm", midastest::CountingSong(2, 6, 125, jumpRow)));
    const MIDASplayStatus last = StatusAt(handle, pass * 120 - 1);
    EXPECT_TRUE(last.position == 1 && last.row == pass - 65 && last.songLoopCount == 0) << "last row of pass " << pass;
    const MIDASplayStatus again = StatusAt(handle, (pass + 5) * 120 + 1);
    EXPECT_TRUE(again.position == 0 && again.row == 5 && again.songLoopCount == 1) << "row 5 of the second pass";
    EXPECT_EQ(StatusAt(handle, (2 * pass + 70) * 120 + 1).position * 64 + platform::LastPlayStatus().row, 70u);
    EXPECT_EQ(platform::LastPlayStatus().songLoopCount, 2);
  }
}

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;  // the test runs little-endian, as the file is
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST_F(VirtualSink, WavHoldsExactlyTheRenderedSong) {
  const std::string song = midastest::WriteSong("wav.xm", midastest::CountingSong(1, 6, 125));
  const std::string wav = midastest::TestFolder() + "/song.wav";
  platform::Mode().wavPath = wav;
  const auto handle = StartSong(song);
  StatusAt(handle, 250);
  StatusAt(handle, 100);  // time already rendered: nothing more
  platform::RenderSongUntil(1000);
  const std::string before = testsupport::ReadAll(wav);  // complete while still playing
  ASSERT_TRUE(MIDASstopModule(handle));
  const std::string bytes = testsupport::ReadAll(wav);
  EXPECT_TRUE(before == bytes);

  const std::size_t frames = 48001;  // through the frame heard at 1000 ms
  ASSERT_EQ(bytes.size(), 44 + frames * 4);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(U32At(bytes, 24), 48000u);
  EXPECT_EQ(U32At(bytes, 40), frames * 4);

  std::ifstream in(song, std::ios::binary);
  openmpt::module reference(in);
  reference.ctl_set_integer("dither", 0);
  std::vector<std::int16_t> expected(frames * 2);
  ASSERT_EQ(reference.read_interleaved_stereo(48000, frames, expected.data()), frames);
  std::vector<std::int16_t> written(frames * 2);
  std::memcpy(written.data(), bytes.data() + 44, frames * 4);
  EXPECT_EQ(written, expected);
  EXPECT_NE(written, std::vector<std::int16_t>(frames * 2, 0));
}

}  // namespace
