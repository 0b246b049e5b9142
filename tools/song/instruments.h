// The song's instruments, all synthesised here from their recipes: drums from shaped noise and
// swept sines, the pitched ones (bass, pad, stab, lead, arpeggio) from additive tones, with
// loops where a note is held and envelopes that shape attack and release in the tracker.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/xm/xm_writer.h"

namespace song {

// Instrument numbers as the patterns use them (1-based, in the module's order).
enum Instrument : uint8_t {
  Kick = 1,
  Snare,
  Clap,
  ClosedHat,
  OpenHat,
  CrashCymbal,
  NoiseRiser,
  SubBoom,
  Tom,
  Bass,
  Pad,
  Stab,
  Lead,
  Arp,
  InstrumentCount = Arp,
};

// The note, in semitones (60 = middle C = the tracker's C-4), at which each instrument plays its
// wave at the pitch it was made with; drums are played on this note.
int BaseNote(Instrument instrument);

// Volume (0..64) of an accented note of the instrument in the mix; softer notes scale it.
int MixLevel(Instrument instrument);

// Every instrument, index i holding instrument i + 1.
std::vector<xm::Instrument> BuildInstruments();

}  // namespace song
