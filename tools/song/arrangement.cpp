#include "tools/song/arrangement.h"

namespace song {

const std::vector<Progression>& Progressions() {
  static const std::vector<Progression> progressions = {
      {"Am", "F", "C", "G"},         // 0 home
      {"F", "G", "Em", "Am"},        // 1 lift
      {"Dm", "Am", "F", "E"},        // 2 dark, resolving through E major
      {"Am", "Am", "Fsus2", "F"},    // 3 still: the opening
      {"Am", "Am", "Am", "Am"},      // 4 rest: the close
  };
  return progressions;
}

const std::vector<Melody>& Melodies() {
  static const std::vector<Melody> melodies = {
      {// 0 over home
       "E5 . . . . . D5 . C5 . . . A4 . . .",
       "C5 . . . . . A4 . . . C5 . D5 . . .",
       "E5 . . . G5 . . . E5 . D5 . C5 . . .",
       "D5 . . . . . . . B4 . . . D5 . ^ ."},
      {// 1 over lift
       "A5 . . . G5 . F5 . . . E5 . . . C5 .",
       "D5 . . . . . B4 . . . D5 . G5 . . .",
       "E5 . . . . . B4 . . . G4 . B4 . . .",
       "A4 . . . . . . . . . . . ^ . . ."},
      {// 2 over dark
       "D5 . F5 . A5 . . . G5 . F5 . E5 . D5 .",
       "E5 . . . C5 . . . A4 . . . . . . .",
       "F5 . . . E5 . . . C5 . . . A4 . C5 .",
       "B4 . . . . . G#4 . . . . . E4 . ^ ."},
      {// 3 over home, the answer to 0, higher
       "A5 . . . G5 . E5 . . . C5 . E5 . . .",
       "F5 . . . E5 . C5 . . . A4 . C5 . . .",
       "G5 . . . E5 . G5 . C6 . . . B5 . G5 .",
       "D5 . . . . . G5 . . . . . ^ . . ."},
  };
  return melodies;
}

const DrumBar& GrooveBar(Groove groove) {
  //                                kick                 snare line           hats
  static const DrumBar none      = {"................", "................", "................"};
  static const DrumBar heartbeat = {"K.......k.......", "................", "......h.......h."};
  static const DrumBar four      = {"K...K...K...K...", "................", "..h...h...h...hh"};
  static const DrumBar drive     = {"K...K...K...K...", "....C.......C...", "h.oHh.oHh.oHh.oh"};
  static const DrumBar peak      = {"K...K...K...K..k", "....C..s....C.s.", "hHoHhHoHhHoHhHoH"};
  static const DrumBar half      = {"K.........K.....", "........C.......", "h.h.h.h.h.h.h.h."};
  static const DrumBar build     = {"K...K...K...K...", "s.s.s.s.s.s.s.s.", "h.h.h.h.h.h.h.h."};
  switch (groove) {
    case Groove::None: return none;
    case Groove::Heartbeat: return heartbeat;
    case Groove::Four: return four;
    case Groove::Drive: return drive;
    case Groove::Peak: return peak;
    case Groove::Half: return half;
    case Groove::Build: return build;
  }
  return none;
}

BassBar BassFigure(BassLine line) {
  switch (line) {
    case BassLine::None: return "................";
    case BassLine::Drone: return "r...............";
    case BassLine::Offbeat: return "..r-..r-..r-..o-";
    case BassLine::Rolling: return ".rrr.rrr.rro.rrf";
    case BassLine::Syncopated: return "r..r..r...o.r.f-";
  }
  return "................";
}

const std::vector<Section>& Sections() {
  using enum Groove;
  using B = BassLine;
  using P = PadStyle;
  using A = ArpStyle;
  static const std::vector<Section> sections = {
      // start   name        chords groove     bass          pad       arp        lead cue           fill
      {0x0000, "dawn",       3, None,      B::None,       P::Swell, A::None,   -1, NoCue,        NoFill, Fade::In},
      {0x0020, "glimmer",    0, Heartbeat, B::Drone,      P::Swell, A::Sparse, -1, Crash,        Riser},
      {0x0100, "pulse",      0, Four,      B::Drone,      P::Swell, A::Sparse, -1, Crash,        Toms},
      {0x0200, "bassline",   0, Four,      B::Offbeat,    P::Swell, A::Sparse, -1, Crash,        Roll},
      {0x0220, "groove",     0, Drive,     B::Offbeat,    P::Swell, A::Up,     -1, Crash,        Stop | Toms},
      {0x0300, "rise",       1, Drive,     B::Rolling,    P::Swell, A::Up,     -1, Crash | Boom, Roll},
      {0x0320, "theme",      1, Peak,      B::Rolling,    P::Swell, A::Up,      1, Crash,        Stop},
      {0x0400, "haze",       0, None,      B::Drone,      P::Swell, A::UpDown, -1, Crash,        Riser | Roll},
      {0x0500, "drop",       0, Drive,     B::Rolling,    P::Swell, A::Up,      0, Crash | Boom, Toms},
      {0x0520, "invert",     2, Drive,     B::Syncopated, P::Stabs, A::Up,      2, Crash,        Roll},
      {0x0600, "inset",      2, Peak,      B::Rolling,    P::Stabs, A::UpDown,  2, Crash,        Stop},
      {0x0620, "ebb",        3, Heartbeat, B::Drone,      P::Swell, A::Sparse, -1, Crash,        Riser},
      {0x0700, "cylinder",   0, Drive,     B::Offbeat,    P::Stabs, A::Up,     -1, Crash | Boom, Roll},
      {0x0800, "column",     0, Drive,     B::Rolling,    P::Swell, A::Up,      0, Crash,        Toms},
      {0x0900, "surface",    1, Peak,      B::Rolling,    P::Stabs, A::UpDown,  1, Crash,        Roll},
      {0x0A00, "peak",       0, Peak,      B::Rolling,    P::Swell, A::Up,      0, Crash | Boom, Roll},
      {0x0B00, "answer",     0, Peak,      B::Rolling,    P::Swell, A::UpDown,  3, Crash,        Stop | Toms},
      {0x0C00, "kelmu",      2, Half,      B::Drone,      P::Stabs, A::None,   -1, Crash,        NoFill},
      {0x0C20, "build",      2, Build,     B::Offbeat,    P::Swell, A::Up,     -1, NoCue,        Riser | Roll},
      {0x0D00, "spikes",     2, Peak,      B::Rolling,    P::Stabs, A::Up,      2, Crash | Boom, Toms},
      {0x0E00, "mina",       1, Drive,     B::Syncopated, P::Swell, A::UpDown,  1, Crash,        Stop},
      {0x0F00, "playback",   0, Four,      B::Offbeat,    P::Stabs, A::Sparse, -1, Crash,        Riser | Roll},
      {0x1000, "talo",       0, Peak,      B::Rolling,    P::Swell, A::Up,      0, Crash | Boom, Toms},
      {0x1100, "summit",     1, Peak,      B::Rolling,    P::Swell, A::UpDown,  1, Crash,        Roll},
      {0x1200, "summit2",    2, Peak,      B::Rolling,    P::Stabs, A::Up,      2, Crash,        Stop},
      {0x1300, "homeward",   0, Four,      B::Drone,      P::Swell, A::Sparse, -1, Crash,        NoFill},
      {0x1400, "close",      4, None,      B::Drone,      P::Swell, A::Sparse, -1, Crash | Boom, NoFill, Fade::Out, 0},
      {0x1430, "silence",    4, None,      B::None,       P::None,  A::None,   -1, NoCue,        NoFill, Fade::None, 0},
  };
  return sections;
}

}  // namespace song
