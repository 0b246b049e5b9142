// FastTracker 2 module writer (XM version 0x0104). A Module is built in memory as plain data
// (order list, patterns of rows x channels of Note, instruments with samples and envelopes) and
// written in one call; the writer checks every count and index against the format's limits first
// and reports the first fault, so a module it writes is one any tracker opens.
//
// Glossary: an order is an index into the pattern list (the song plays orders in turn); speed is
// ticks per row, BPM sets the tick length (2.5 / BPM seconds); a note number is 1..96 (C-0 = 1,
// C-4 = 49), 97 is key-off; the volume column byte is 0x10 + volume (0..64) to set a volume.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int kMaxChannels = 32;
constexpr int kMaxOrders = 256;
constexpr int kMaxPatterns = 256;
constexpr int kMaxRows = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxSamplesPerInstrument = 16;
constexpr int kMaxEnvelopePoints = 12;
constexpr int kNoteCount = 96;
constexpr std::uint8_t kKeyOff = 97;

// Note number of a pitch: octave 0..7, semitone 0..11 (0 = C). NoteNumber(4, 0) is C-4 = 49.
constexpr std::uint8_t NoteNumber(int octave, int semitone) {
  return static_cast<std::uint8_t>(octave * 12 + semitone + 1);
}
// Volume column byte that sets a volume of 0..64.
constexpr std::uint8_t SetVolume(int volume) { return static_cast<std::uint8_t>(0x10 + volume); }

// One cell of a pattern; a zero field is left out of the file.
struct Note {
  std::uint8_t note = 0;        // 0 none, 1..96 pitch, 97 key-off
  std::uint8_t instrument = 0;  // 0 none, 1..instrument count
  std::uint8_t volume = 0;      // volume column byte, 0 none
  std::uint8_t effect = 0;      // effect number (0x0F speed/tempo, 0x0B jump, ...)
  std::uint8_t param = 0;       // effect parameter
};

struct Pattern {
  Pattern() = default;
  Pattern(int rowCount, int channelCount);

  Note& At(int row, int channel) { return cells[Index(row, channel)]; }
  const Note& At(int row, int channel) const { return cells[Index(row, channel)]; }

  int rows = 0;
  int channels = 0;
  std::vector<Note> cells;  // rows x channels, row after row

 private:
  std::size_t Index(int row, int channel) const {
    assert(row >= 0 && row < rows && channel >= 0 && channel < channels);
    return static_cast<std::size_t>(row) * channels + channel;
  }
};

struct EnvelopePoint {
  std::uint16_t tick = 0;   // ticks since the note started; strictly increasing along the envelope
  std::uint16_t value = 0;  // 0..64 (panning: 32 is centre)
};

// An envelope is on when it has points; sustain and loop refer to point indices, -1 = none.
struct Envelope {
  std::vector<EnvelopePoint> points;  // at most kMaxEnvelopePoints
  int sustainPoint = -1;
  int loopStart = -1;                 // loop is on when both ends are set
  int loopEnd = -1;
};

enum class LoopType : std::uint8_t { None = 0, Forward = 1, PingPong = 2 };
enum class SampleDepth : std::uint8_t { Bits8, Bits16 };

struct Sample {
  std::string name;                  // at most 22 characters are kept
  std::vector<std::int16_t> frames;  // mono PCM; an 8-bit sample keeps the high byte of each
  SampleDepth depth = SampleDepth::Bits16;
  LoopType loop = LoopType::None;
  std::uint32_t loopStart = 0;       // in frames
  std::uint32_t loopLength = 0;      // in frames; a loop must lie inside the sample
  std::uint8_t volume = 64;          // 0..64
  std::int8_t finetune = 0;          // -128..127, 1/128 semitone
  std::uint8_t panning = 128;        // 0 left .. 255 right
  std::int8_t relativeNote = 0;      // semitones added to the played note; 0 = sample at C-4
};

struct Instrument {
  std::string name;                        // at most 22 characters are kept
  std::vector<Sample> samples;             // at most kMaxSamplesPerInstrument; none = silent
  std::array<std::uint8_t, kNoteCount> noteSample{};  // sample index played for each note
  Envelope volumeEnvelope;
  Envelope panningEnvelope;
  std::uint16_t fadeout = 0;               // volume fade per tick after key-off, 0..0xFFF
  std::uint8_t vibratoType = 0;            // 0 sine, 1 square, 2 ramp down, 3 ramp up
  std::uint8_t vibratoSweep = 0;
  std::uint8_t vibratoDepth = 0;
  std::uint8_t vibratoRate = 0;
};

struct Module {
  std::string name;                          // at most 20 characters are kept
  std::string tracker = "Korvo XM writer";   // at most 20 characters are kept
  int channels = 8;                          // 1..kMaxChannels; an odd count gains an empty one
  int speed = 6;                             // default ticks per row, 1..31
  int bpm = 125;                             // default tempo, 32..255
  bool linearFrequencies = true;
  int restartPosition = 0;                   // order the song loops back to
  std::vector<std::uint8_t> orders;          // pattern index per order, 1..kMaxOrders entries
  std::vector<Pattern> patterns;             // each with `channels` channels
  std::vector<Instrument> instruments;       // referred to as 1..count in notes
};

// The module as XM bytes; false with a reason in `error` if the module breaks a format limit.
bool EncodeXm(const Module& module, std::vector<std::uint8_t>& bytes, std::string& error);
// Encodes and writes the file; false with the file name and the fault in `error`.
bool WriteXm(const std::string& path, const Module& module, std::string& error);

}  // namespace xm
