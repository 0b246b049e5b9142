// The composed song, encoded once per test program and opened with libopenmpt as a player
// would open the file, with a helper to read its pattern cells.
#pragma once

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/song/arrangement.h"
#include "tools/song/compose.h"

namespace song_test {

inline const std::vector<std::uint8_t>& SongBytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_TRUE(xm::EncodeXm(song::ComposeSong(), out, error)) << error;
    return out;
  }();
  return bytes;
}

inline std::unique_ptr<openmpt::module> OpenSong() { return std::make_unique<openmpt::module>(SongBytes()); }

// A field of the cell at order and row: command_note gives 1..96, 97 key-off, 0 none.
inline int CellAt(openmpt::module& module, int order, int row, int channel,
                  int command = openmpt::module::command_note) {
  return module.get_pattern_row_channel_command(module.get_order_pattern(order), row, channel, command);
}

}  // namespace song_test
