// The song "sotkux.xm" as a readable description: its sections in playing order (where each
// begins as a music position, which layers play, how it is marked and how it is left), the chord
// progressions, the drum grooves, bass figures and lead melodies. compose.h turns it into
// pattern data; nothing here knows the file format.
//
// Time: 125 BPM at speed 6, so a row is 0.12 s, a beat 4 rows, a bar 16 rows (every step string
// below has one character or token per row), an order 64 rows = 4 bars. Positions are written
// as the demo reads them: 0xPPRR = order PP, row RR. Harmony follows the bar number within the
// order (bar = (row / 16) % 4), so a section that starts half-way through an order picks up the
// progression at its third chord.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace song {

inline constexpr int RowsPerOrder = 64;
inline constexpr int RowsPerBar = 16;
inline constexpr int BarsPerOrder = RowsPerOrder / RowsPerBar;
inline constexpr int Speed = 6;
inline constexpr int Bpm = 125;
inline constexpr double RowSeconds = 2.5 / Bpm * Speed;  // a tick lasts 2.5 / BPM s

// Global row of a 0xPPRR position.
constexpr int RowOf(int position) { return (position >> 8) * RowsPerOrder + (position & 0xFF); }

// Drum grooves, one bar each (see Grooves()).
enum class Groove : uint8_t { None, Heartbeat, Four, Drive, Peak, Half, Build };
// Bass figures, one bar each (see BassFigures()).
enum class BassLine : uint8_t { None, Drone, Offbeat, Rolling, Syncopated };
enum class PadStyle : uint8_t { None, Swell, Stabs };
enum class ArpStyle : uint8_t { None, Sparse, Up, UpDown };

// How a section is marked where it begins (may be combined).
enum Cue : uint8_t { NoCue = 0, Crash = 1, Boom = 2 };
// How a section leads into the next one, in its last rows (may be combined).
enum Fill : uint8_t {
  NoFill = 0,
  Roll = 1,    // last bar: snare roll, getting louder
  Toms = 2,    // last half bar: falling toms
  Riser = 4,   // last two bars: noise swell into the next section
  Stop = 8,    // last two beats: drums and bass drop out
};
enum class Fade : uint8_t { None, In, Out };

struct Section {
  int start;               // 0xPPRR where the section begins; it ends where the next begins
  std::string_view name;
  int progression;         // index into Progressions()
  Groove groove;
  BassLine bass;
  PadStyle pad;
  ArpStyle arp;
  int melody;              // index into Melodies(), -1 for no lead
  uint8_t cue;             // Cue flags
  uint8_t fill;            // Fill flags
  Fade fade = Fade::None;  // global volume ramp over the section
  int level = 64;          // global volume (0..64) the section holds, or ends a fade on
};

// Four chord names per progression, one per bar of an order: root letter, optional '#' or 'b',
// then "" (major), "m", "sus2" or "sus4".
using Progression = std::array<std::string_view, BarsPerOrder>;

// Four bars of sixteen space-separated tokens: a note such as "A4" or "C#5" starts a note,
// "^" releases it, "." lets it ring.
using Melody = std::array<std::string_view, BarsPerOrder>;

// One bar of drums, a character per row. Kick: 'k' soft, 'K' accent. Snare line: 's'/'S' snare,
// 'c'/'C' clap. Hats: 'h'/'H' closed, 'o'/'O' open. '.' is silence.
struct DrumBar {
  std::string_view kick, snare, hats;
};

// One bar of bass, a character per row: 'r' chord root, 'o' root an octave up, 'f' fifth,
// '-' release, '.' let ring.
using BassBar = std::string_view;

// Figures every section shares.
inline constexpr std::string_view StabRhythm = "..x...x...x..x..";  // pad stabs, one bar
inline constexpr std::string_view RollSteps = "s.s.s.s.ssssssss";   // snare roll, the last bar
// Tom fill over the last eight rows of a section: falling notes, 0 = none.
inline constexpr std::array<int, 8> TomFillNotes = {67, 0, 64, 0, 62, 60, 57, 55};
// Lowest notes of the octave each layer voices its chord tones in (the arpeggio climbs one
// octave above its own).
inline constexpr int BassFloor = 33;  // A1
inline constexpr int PadFloor = 57;   // A3
inline constexpr int ArpFloor = 64;   // E4

const std::vector<Section>& Sections();
const std::vector<Progression>& Progressions();
const std::vector<Melody>& Melodies();
const DrumBar& GrooveBar(Groove groove);
BassBar BassFigure(BassLine line);

// Position where the song's audible part ends; the orders after it are silent.
inline constexpr int EndPosition = 0x1430;
// Orders in the song, the silent ones after EndPosition included.
inline constexpr int OrderCount = 23;

}  // namespace song
