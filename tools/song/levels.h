// Loudness of the song as a player renders it: libopenmpt at 48 kHz, stereo float, measured per
// section of the description (peak and RMS over both channels) and after the demo's end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace song {

struct Level {
  double peak = 0.0;        // largest sample magnitude, 1.0 = full scale
  double sumSquares = 0.0;
  size_t count = 0;         // samples measured (frames x 2)
  double PeakDb() const;
  double RmsDb() const;
};

struct SongLevels {
  std::vector<Level> sections;  // one per entry of Sections(), up to the demo's end position
  Level afterEnd;               // everything played after the end position
  Level whole;
};

inline constexpr int LevelRate = 48000;

// Renders the module once from its start; false with the fault in `error` if it does not load.
bool MeasureLevels(const std::vector<uint8_t>& module, SongLevels& levels, std::string& error);

}  // namespace song
