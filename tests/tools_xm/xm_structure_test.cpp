// A written module read back through libopenmpt: header values, order list, patterns and cells,
// instruments and samples.
#include <gtest/gtest.h>

#include "tests/tools_xm/render_helpers.h"

namespace {

// libopenmpt numbers notes one octave above the file's numbering, and key-off as 255.
constexpr int kOpenmptNoteOffset = 12;
constexpr int kOpenmptKeyOff = 255;

xm::Module OddModule() {
  xm::Module m;
  m.name = "odd shapes";
  m.channels = 5;
  m.speed = 3;
  m.bpm = 150;
  m.orders = {1, 0, 1};
  m.patterns.emplace_back(64, 5);
  m.patterns.emplace_back(17, 5);
  m.patterns[0].At(0, 0) = {xm::NoteNumber(2, 3), 1, xm::SetVolume(33), 0, 0};
  m.patterns[0].At(63, 4) = {xm::kKeyOff, 0, 0, 0, 0};
  m.patterns[1].At(16, 2) = {xm::NoteNumber(6, 11), 1, xm::SetVolume(64), 0x0C, 0x20};  // every field
  m.patterns[1].At(5, 1) = {0, 0, 0, 0x0F, 0x03};  // effect only

  xm::Instrument two;
  two.name = "two samples";
  two.samples.resize(2);
  two.samples[0].name = "low";
  two.samples[0].frames = {100, -200, 300};
  two.samples[1].name = "high";
  two.samples[1].frames.assign(1001, 7);
  for (int n = 48; n < xm::kNoteCount; ++n) two.noteSample[n] = 1;
  xm::Instrument empty;
  empty.name = "silent";
  m.instruments = {two, empty};
  return m;
}

TEST(XmStructure, HeaderOrdersPatternsInstrumentsAndPackedCellsReadBack) {
  auto mod = xmtest::Load(OddModule());
  ASSERT_NE(mod, nullptr);
  EXPECT_EQ(mod->get_metadata("title"), "odd shapes");
  EXPECT_EQ(mod->get_metadata("type"), "xm");
  EXPECT_EQ(mod->get_metadata("warnings"), "");
  EXPECT_EQ(mod->get_num_channels(), 6) << "five channels and an empty one: FT2 takes even counts";
  ASSERT_EQ(mod->get_num_orders(), 3);
  EXPECT_EQ((std::vector<int>{mod->get_order_pattern(0), mod->get_order_pattern(1), mod->get_order_pattern(2)}),
            (std::vector<int>{1, 0, 1}));
  ASSERT_EQ(mod->get_num_patterns(), 2);
  EXPECT_TRUE(mod->get_pattern_num_rows(0) == 64 && mod->get_pattern_num_rows(1) == 17) << "pattern lengths";
  EXPECT_TRUE(mod->get_current_speed() == 3 && mod->get_current_tempo() == 150) << "speed and BPM";
  EXPECT_EQ(mod->get_instrument_names(), (std::vector<std::string>{"two samples", "silent"}));
  EXPECT_EQ(mod->get_sample_names(), (std::vector<std::string>{"low", "high"}));

  // Packed cells keep every field.
  using openmpt::module;
  auto cmd = [&](int pattern, int row, int channel, int what) {
    return static_cast<int>(mod->get_pattern_row_channel_command(pattern, row, channel, what));
  };
  EXPECT_EQ(cmd(0, 0, 0, module::command_note), xm::NoteNumber(2, 3) + kOpenmptNoteOffset);
  EXPECT_TRUE(cmd(0, 0, 0, module::command_instrument) == 1 && cmd(0, 0, 0, module::command_volume) == 33);
  EXPECT_EQ(cmd(0, 63, 4, module::command_note), kOpenmptKeyOff);
  EXPECT_EQ(cmd(0, 63, 3, module::command_note), 0);
  EXPECT_EQ(cmd(1, 16, 2, module::command_note), xm::NoteNumber(6, 11) + kOpenmptNoteOffset);
  EXPECT_EQ(cmd(1, 16, 2, module::command_volume), 64);
  EXPECT_EQ(cmd(1, 16, 2, module::command_parameter), 0x20);
  EXPECT_EQ(mod->format_pattern_row_channel_command(1, 16, 2, module::command_effect), "C");
  EXPECT_EQ(mod->format_pattern_row_channel_command(1, 5, 1, module::command_effect), "F");
  EXPECT_EQ(cmd(1, 5, 1, module::command_parameter), 3);
  EXPECT_EQ(cmd(1, 5, 1, module::command_note), 0);
  // The cells around the written ones stay empty: no field leaks into its neighbour.
  EXPECT_EQ(mod->format_pattern_row_channel(1, 16, 1), mod->format_pattern_row_channel(1, 0, 0));
  EXPECT_EQ(mod->format_pattern_row_channel(1, 16, 3), mod->format_pattern_row_channel(1, 0, 0));
  for (int row = 0; row < 64; ++row)
    ASSERT_EQ(mod->format_pattern_row_channel(0, row, 5), mod->format_pattern_row_channel(1, 0, 0)) << row;
}

}  // namespace
