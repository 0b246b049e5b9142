#include "tools/song/compose.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <vector>

#include "tools/song/arrangement.h"
#include "tools/song/instruments.h"
#include "tools/song/notation.h"

namespace song {
namespace {

constexpr uint8_t EffectPanning = 0x08;
constexpr uint8_t EffectGlobalVolume = 0x10;  // G

// The chord tone `pitchClass` in the octave starting at `floor`.
int InOctaveFrom(int floor, int pitchClass) { return floor + ((pitchClass - floor) % 12 + 12) % 12; }

uint8_t Scaled(Instrument instrument, double share) {
  return xm::SetVolume(std::clamp(static_cast<int>(MixLevel(instrument) * share + 0.5), 0, 64));
}

// Writes the module's patterns, keeping track of what each channel is holding.
class Composer {
 public:
  Composer() {
    for (int i = 0; i < OrderCount; ++i) {
      patterns_.emplace_back(RowsPerOrder, ChannelCount);
    }
  }

  void Section(size_t index);
  std::vector<xm::Pattern> TakePatterns() { return std::move(patterns_); }

 private:
  struct RowContext {
    const song::Section& section;
    int row;       // global row
    int step;      // row within its bar
    int rowsLeft;  // rows to the section's end
    int length;    // rows in the section
    Chord chord;
  };

  xm::Note& Cell(int row, int channel) { return patterns_[row / RowsPerOrder].At(row % RowsPerOrder, channel); }
  bool InSong(int row) const { return row >= 0 && row < OrderCount * RowsPerOrder; }
  void Play(int row, int channel, int note, Instrument instrument, double share, int panning = -1);
  void Release(int row, int channel);
  void Drums(const RowContext& at);
  void BassRow(const RowContext& at);
  void PadRow(const RowContext& at);
  void Pump(const RowContext& at);
  void ArpRow(const RowContext& at);
  void LeadRow(const RowContext& at);
  void Markers(const song::Section& section, int begin, int end);
  void Volume(const song::Section& section, int begin, int end);

  std::vector<xm::Pattern> patterns_;
  std::array<int, ChannelCount> holding_{};  // note each channel is holding, 0 = none
  std::array<int, ChannelCount> held_by_{};  // instrument of that note
  int level_ = 0;                            // global volume the last section ended on
  int padBank_ = 0;                          // pad bank holding the current chord
};

void Composer::Play(int row, int channel, int note, Instrument instrument, double share, int panning) {
  if (!InSong(row)) return;
  xm::Note& cell = Cell(row, channel);
  assert(cell.note == 0 && "two events on one cell");
  cell.note = TrackerNote(note);
  cell.instrument = instrument;
  cell.volume = Scaled(instrument, share);
  if (panning >= 0) {
    cell.effect = EffectPanning;
    cell.param = static_cast<uint8_t>(panning);
  }
  holding_[channel] = note;
  held_by_[channel] = instrument;
}

void Composer::Release(int row, int channel) {
  if (!InSong(row) || holding_[channel] == 0) return;
  xm::Note& cell = Cell(row, channel);
  if (cell.note == 0) cell.note = xm::kKeyOff;
  holding_[channel] = 0;
}

void Composer::Drums(const RowContext& at) {
  const song::Section& s = at.section;
  const bool stopped = (s.fill & Stop) && at.rowsLeft <= 8;
  const bool rolling = (s.fill & Roll) && at.rowsLeft <= RowsPerBar;
  const DrumBar& bar = GrooveBar(s.groove);
  const double build = s.groove == Groove::Build ? 0.4 + 0.6 * (1.0 - double(at.rowsLeft) / at.length) : 1.0;

  if (!stopped) {
    const char kick = bar.kick[at.step];
    if (kick != '.') Play(at.row, KickChannel, 60, Kick, kick == 'K' ? 1.0 : 0.7);
    const char hat = bar.hats[at.step];
    if (hat != '.') {
      const bool open = hat == 'o' || hat == 'O';
      Play(at.row, HatChannel, 60, open ? OpenHat : ClosedHat, (hat == 'H' || hat == 'O') ? 1.0 : 0.65);
    }
  }
  if (rolling) {
    if (RollSteps[at.step] != '.') Play(at.row, SnareChannel, 60, Snare, 0.3 + 0.7 * (RowsPerBar - at.rowsLeft) / 15.0);
  } else if (!stopped) {
    const char snare = bar.snare[at.step];
    if (snare != '.') {
      const bool clap = snare == 'c' || snare == 'C';
      Play(at.row, SnareChannel, 60, clap ? Clap : Snare, ((snare == 'S' || snare == 'C') ? 1.0 : 0.55) * build);
    }
  }
  if ((s.fill & Toms) && at.rowsLeft <= 8) {
    const int note = TomFillNotes[8 - at.rowsLeft];
    if (note) Play(at.row, TomChannel, note, Tom, 0.7 + 0.3 * (8 - at.rowsLeft) / 7.0);
  }
}

void Composer::BassRow(const RowContext& at) {
  const song::Section& s = at.section;
  if (s.bass == BassLine::None || ((s.fill & Stop) && at.rowsLeft <= 8)) return Release(at.row, BassChannel);
  const char c = BassFigure(s.bass)[at.step];
  const int root = InOctaveFrom(BassFloor, at.chord[0]);
  switch (c) {
    case 'r': return Play(at.row, BassChannel, root, Bass, 1.0);
    case 'o': return Play(at.row, BassChannel, root + 12, Bass, 0.9);
    case 'f': return Play(at.row, BassChannel, InOctaveFrom(BassFloor, at.chord[2]), Bass, 0.9);
    case '-': return Release(at.row, BassChannel);
    default: return;
  }
}

void Composer::PadRow(const RowContext& at) {
  const song::Section& s = at.section;
  std::array<int, 3> voices;
  for (int v = 0; v < 3; ++v) voices[v] = InOctaveFrom(PadFloor, at.chord[v]);
  std::sort(voices.begin(), voices.end());
  static constexpr int panning[] = {0x50, 0x80, 0xB0};
  const auto release = [&](int bank) {
    for (int v = 0; v < 3; ++v) Release(at.row, PadChannel + 3 * bank + v);
  };
  const auto play = [&](Instrument instrument, double share) {
    for (int v = 0; v < 3; ++v) Play(at.row, PadChannel + 3 * padBank_ + v, voices[v], instrument, share, panning[v]);
  };
  switch (s.pad) {
    case PadStyle::None:
      release(0);
      release(1);
      break;
    case PadStyle::Swell: {
      const int first = PadChannel + 3 * padBank_;
      if (held_by_[first] == Pad && holding_[first] == voices[0] && holding_[first + 1] == voices[1] &&
          holding_[first + 2] == voices[2])
        break;
      release(padBank_);
      padBank_ ^= 1;
      play(Pad, 1.0);
      break;
    }
    case PadStyle::Stabs:
      if (StabRhythm[at.step] != '.') play(Stab, at.step % 4 == 2 ? 1.0 : 0.8);
      break;
  }
}

// Held pads duck under each kick of a driving groove and swell back within the beat.
void Composer::Pump(const RowContext& at) {
  const song::Section& s = at.section;
  const bool driving = s.groove != Groove::None && s.groove != Groove::Heartbeat;
  if (s.pad != PadStyle::Swell || !driving || ((s.fill & Stop) && at.rowsLeft <= 8)) return;
  if (GrooveBar(s.groove).kick[at.step - at.step % 4] == '.') return;
  static constexpr double shape[] = {0.45, 0.7, 0.9, 1.0};
  for (int v = 0; v < 3; ++v) {
    const int channel = PadChannel + 3 * padBank_ + v;
    if (holding_[channel] != 0 && held_by_[channel] == Pad) Cell(at.row, channel).volume = Scaled(Pad, shape[at.step % 4]);
  }
}

void Composer::ArpRow(const RowContext& at) {
  const song::Section& s = at.section;
  int index = -1;
  switch (s.arp) {
    case ArpStyle::None: return;
    case ArpStyle::Sparse: index = at.step % 2 == 0 ? at.step / 2 : -1; break;
    case ArpStyle::Up: index = at.step; break;
    case ArpStyle::UpDown: index = at.step % 10 < 6 ? at.step % 10 : 10 - at.step % 10; break;
  }
  if (index < 0) return;
  std::array<int, 3> tones;
  for (int v = 0; v < 3; ++v) tones[v] = InOctaveFrom(ArpFloor, at.chord[v]);
  std::sort(tones.begin(), tones.end());
  const int note = tones[index % 3] + 12 * ((index / 3) % 2);
  Play(at.row, ArpChannel, note, Arp, at.step % 4 == 0 ? 1.0 : 0.7, at.step % 2 ? 0xC0 : 0x40);
}

void Composer::LeadRow(const RowContext& at) {
  const song::Section& s = at.section;
  if (s.melody < 0) {
    Release(at.row, LeadChannel);
    Release(at.row + EchoDelayRows, EchoChannel);
    return;
  }
  const std::vector<std::string_view> tokens = MelodyTokens(Melodies()[s.melody][(at.row / RowsPerBar) % BarsPerOrder]);
  assert(tokens.size() == RowsPerBar);
  const std::string_view token = tokens[at.step];
  if (token == "^") {
    Release(at.row, LeadChannel);
    Release(at.row + EchoDelayRows, EchoChannel);
  } else if (token != ".") {
    int note = 0;
    [[maybe_unused]] const bool valid = ParseNote(token, note);
    assert(valid);
    Play(at.row, LeadChannel, note, Lead, 1.0, 0x80);
    Play(at.row + EchoDelayRows, EchoChannel, note, Lead, 0.45, 0xC8);
  }
}

void Composer::Markers(const song::Section& s, int begin, int end) {
  if (s.cue & Crash) Play(begin, CrashChannel, 60, CrashCymbal, 1.0);
  if (s.cue & Boom) Play(begin, FxChannel, 60, SubBoom, 1.0);
  if (s.fill & Riser) Play(std::max(begin, end - 2 * RowsPerBar), FxChannel, 60, NoiseRiser, 1.0);
}

void Composer::Volume(const song::Section& s, int begin, int end) {
  const int from = s.fade == Fade::In ? 0 : level_;
  for (int row = begin; row < end; row += (s.fade == Fade::None ? end : 2)) {
    const double progress = s.fade == Fade::None ? 1.0 : double(row - begin + 2) / (end - begin);
    const int level = from + static_cast<int>((s.level - from) * std::min(1.0, progress));
    xm::Note& cell = Cell(row, ControlChannel);
    cell.effect = EffectGlobalVolume;
    cell.param = static_cast<uint8_t>(level);
  }
  level_ = s.level;
}

void Composer::Section(size_t index) {
  const std::vector<song::Section>& sections = Sections();
  const song::Section& s = sections[index];
  const int begin = RowOf(s.start);
  const int end = index + 1 < sections.size() ? RowOf(sections[index + 1].start) : OrderCount * RowsPerOrder;
  Volume(s, begin, end);
  Markers(s, begin, end);
  for (int row = begin; row < end; ++row) {
    Chord chord{};
    [[maybe_unused]] const bool valid = ParseChord(Progressions()[s.progression][(row / RowsPerBar) % BarsPerOrder], chord);
    assert(valid);
    const RowContext at{s, row, row % RowsPerBar, end - row, end - begin, chord};
    Drums(at);
    BassRow(at);
    PadRow(at);
    Pump(at);
    ArpRow(at);
    LeadRow(at);
  }
}

}  // namespace

xm::Module ComposeSong() {
  [[maybe_unused]] std::string error;
  assert(CheckDescription(Sections(), Progressions(), Melodies(), error));
  Composer composer;
  for (size_t i = 0; i < Sections().size(); ++i) composer.Section(i);

  xm::Module module;
  module.name = "sotkux";
  module.channels = ChannelCount;
  module.speed = Speed;
  module.bpm = Bpm;
  module.patterns = composer.TakePatterns();
  for (int i = 0; i < OrderCount; ++i) module.orders.push_back(static_cast<uint8_t>(i));
  module.instruments = BuildInstruments();
  return module;
}

}  // namespace song
