// Turns the song's description (arrangement.h) and its instruments (instruments.h) into a whole
// tracker module: one 64-row pattern per order, written section by section and layer by layer.
#pragma once

#include <array>
#include <cstdint>

#include "tools/xm/xm_writer.h"

namespace song {

// What each pattern channel carries.
enum Channel : int {
  KickChannel,
  SnareChannel,   // snare, clap and rolls
  HatChannel,     // closed and open hats
  TomChannel,     // tom fills
  BassChannel,
  PadChannel,     // two banks of three pad voices, low to high, on PadChannel .. PadChannel + 5:
                  // a new chord starts on the other bank while the last one rings out
  ArpChannel = PadChannel + 6,
  LeadChannel,
  EchoChannel,    // the lead again, three rows later, softer, on the other side
  CrashChannel,
  FxChannel,      // risers and sub booms
  ControlChannel, // global volume
  ChannelCount,
};

inline constexpr int EchoDelayRows = 3;

// Tracker note number (C-4 = 49) of a note in semitones (60 = C4).
constexpr uint8_t TrackerNote(int note) { return static_cast<uint8_t>(note - 11); }

// The song as a module, ready to be written; the description must pass CheckDescription.
xm::Module ComposeSong();

}  // namespace song
