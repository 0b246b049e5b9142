#include "song_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace song_test {

const std::vector<std::uint8_t>& SongBytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_TRUE(xm::EncodeXm(song::ComposeSong(), out, error)) << error;
    return out;
  }();
  return bytes;
}

std::unique_ptr<openmpt::module> OpenSong() { return std::make_unique<openmpt::module>(SongBytes()); }

int NoteAt(openmpt::module& module, int order, int row, int channel) {
  return module.get_pattern_row_channel_command(module.get_order_pattern(order), row, channel,
                                                openmpt::module::command_note);
}

int InstrumentAt(openmpt::module& module, int order, int row, int channel) {
  return module.get_pattern_row_channel_command(module.get_order_pattern(order), row, channel,
                                                openmpt::module::command_instrument);
}

}  // namespace song_test
