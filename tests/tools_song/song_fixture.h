// The composed song, encoded once per test program and opened with libopenmpt as a player
// would open the file, with helpers to read its pattern cells.
#pragma once

#include <libopenmpt/libopenmpt.hpp>

#include <cstdint>
#include <memory>
#include <vector>

#include "tools/song/arrangement.h"
#include "tools/song/compose.h"

namespace song_test {

const std::vector<std::uint8_t>& SongBytes();
std::unique_ptr<openmpt::module> OpenSong();

// Note number (1..96, 97 key-off, 0 none) and instrument of a cell at order and row.
int NoteAt(openmpt::module& module, int order, int row, int channel);
int InstrumentAt(openmpt::module& module, int order, int row, int channel);

}  // namespace song_test
