// Loudness of the song as a player renders it: libopenmpt at 48 kHz, stereo float, measured per
// section of the description (peak and RMS over both channels, the loudness of three bands and
// the stereo width) and after the demo's end; and the clicks its samples would play.
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

// Loudness of three bands of the mono mix, (L + R) / 2, split by second-order filters at
// LowBandTop and HighBandBottom, and the stereo width: RMS of the side (L - R) / 2 over RMS of
// the middle, 0 for mono, 1 when the sides are as loud as the middle.
inline constexpr double LowBandTop = 250.0;        // Hz
inline constexpr double HighBandBottom = 4000.0;   // Hz

struct Spectrum {
  double low = 0, mid = 0, high = 0;  // sums of squares
  double middle = 0, side = 0;        // sums of squares
  size_t frames = 0;
  double LowDb() const;
  double MidDb() const;
  double HighDb() const;
  double Width() const;
};

struct SongLevels {
  std::vector<Level> sections;  // one per entry of Sections(), up to the demo's end position
  std::vector<Spectrum> spectra;  // the same sections
  Level afterEnd;               // everything played after the end position
  Level whole;
};

inline constexpr int LevelRate = 48000;

// Renders the module once from its start; false with the fault in `error` if it does not load.
bool MeasureLevels(const std::vector<uint8_t>& module, SongLevels& levels, std::string& error);

// A sections counts as an intended break when it has no full groove or fades: its loudness may
// step more than MaxStepDb from its neighbours'.
bool IsBreak(size_t section);
inline constexpr double MaxStepDb = 3.0;

// A jump a sample plays as a click: where a note starts (from silence to the first value), where
// a loop wraps (from its last value back to its first, beyond the wave's own steps there) and
// where an unlooped sample stops (from its last value to silence). Jumps are in full scale (1.0).
struct Click {
  std::string instrument;
  std::string where;  // "note start", "loop point" or "sample end"
  double jump = 0;
};
inline constexpr double ClickThreshold = 0.01;  // about -40 dBFS

// Reads the module's samples; false with the fault in `error` when it is not a whole XM file.
bool FindClicks(const std::vector<uint8_t>& module, double threshold, std::vector<Click>& clicks, std::string& error);

}  // namespace song
