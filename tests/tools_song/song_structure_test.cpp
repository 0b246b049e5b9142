// The module's shape, its timing, and the musical events on the demo's scene changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "shell/scene_table.h"
#include "shell/timeline.h"
#include "song_fixture.h"
#include "tools/song/instruments.h"

namespace {

using song_test::CellAt;

int InstrumentAt(openmpt::module& module, int order, int row, int channel) {
  return CellAt(module, order, row, channel, openmpt::module::command_instrument);
}

constexpr int KeyOff = 255;  // libopenmpt's number for a key-off cell
constexpr double RowSeconds = 0.12;  // 125 BPM at speed 6

int OrderOf(int position) { return position >> 8; }
int RowIn(int position) { return position & 0xFF; }

TEST(SongModule, KeepsOneTempoToTheDemosEndAndPlaysOn) {
  auto module = song_test::OpenSong();
  for (int order = 0; order < module->get_num_orders(); ++order)
    EXPECT_NEAR(module->set_position_order_row(order, 0), order * 64 * RowSeconds, 1e-6) << "order " << order;
  ASSERT_EQ(song::EndPosition, EndPosition) << "the song ends where the demo does";
  const double end = module->set_position_order_row(OrderOf(EndPosition), RowIn(EndPosition));
  // The demo stops a row after its end position, so at least a beat must follow it.
  EXPECT_GT(module->get_duration_seconds(), end + 4 * RowSeconds);
}

// Instruments that start a note in the 16 rows from `row` (negative: the 16 rows before it).
std::set<int> InstrumentsStarting(openmpt::module& module, int globalRow, int direction) {
  std::set<int> found;
  for (int i = 0; i < 16; ++i) {
    const int row = direction > 0 ? globalRow + i : globalRow - 1 - i;
    for (int channel = 0; channel < song::ChannelCount; ++channel) {
      const int note = CellAt(module, row / 64, row % 64, channel);
      if (note >= 1 && note <= 96) found.insert(InstrumentAt(module, row / 64, row % 64, channel));
    }
  }
  return found;
}

TEST(SongModule, EverySceneChangeIsHeard) {
  auto module = song_test::OpenSong();
  const auto& sections = song::Sections();
  for (int entry = 0; entry + 1 < SceneTableSize; ++entry) {
    const int end = static_cast<int>(SceneTable[entry].endPosition);
    SCOPED_TRACE(testing::Message() << "entry " << entry << " ends at " << std::hex << end);
    const bool sectionStarts =
        std::any_of(sections.begin(), sections.end(), [&](const song::Section& s) { return s.start == end; });
    EXPECT_TRUE(sectionStarts);

    const int row = song::RowOf(end);
    const bool cue = CellAt(*module, OrderOf(end), RowIn(end), song::CrashChannel) != 0 ||
                     CellAt(*module, OrderOf(end), RowIn(end), song::FxChannel) != 0;
    const bool newLayers = InstrumentsStarting(*module, row, +1) != InstrumentsStarting(*module, row, -1);
    EXPECT_TRUE(cue || newLayers);
  }
}

TEST(SongModule, RisersPeakOnASectionStartAndCalmScenesHaveNoBackbeatOrLead) {
  auto module = song_test::OpenSong();
  std::set<int> starts;
  for (const song::Section& s : song::Sections()) starts.insert(song::RowOf(s.start));
  int risers = 0;
  for (int row = 0; row < module->get_num_orders() * 64; ++row) {
    if (InstrumentAt(*module, row / 64, row % 64, song::FxChannel) != song::NoiseRiser) continue;
    ++risers;
    EXPECT_TRUE(starts.count(row + 2 * song::RowsPerBar)) << "riser from row " << row;
  }
  EXPECT_GE(risers, 3);
  // No backbeat or lead in the opening fade, the two fade-outs and the closing zoom; a fill may
  // lead out of them in their last bar.
  const std::pair<int, int> calm[] = {{0x0000, 0x0020}, {0x0400, 0x0500}, {0x0620, 0x0700}, {0x1400, 0x1430}};
  for (auto [from, to] : calm) {
    for (int row = song::RowOf(from); row < song::RowOf(to) - song::RowsPerBar; ++row) {
      for (int channel : {song::SnareChannel, song::LeadChannel}) {
        const int note = CellAt(*module, row / 64, row % 64, channel);
        EXPECT_TRUE(note == 0 || note == KeyOff) << "row " << row << " channel " << channel;
      }
    }
  }
}

TEST(SongModule, IsTheSameOnEveryBuild) {
  std::vector<std::uint8_t> again;
  std::string error;
  ASSERT_TRUE(xm::EncodeXm(song::ComposeSong(), again, error)) << error;
  EXPECT_EQ(again, song_test::SongBytes());
}

}  // namespace
