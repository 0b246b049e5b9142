// The first song: a metronome to watch and hear the timeline by. A kick on every beat (every
// fourth row), a bell on row 0 of every order whose pitch climbs with the order, and a click on
// row 32. Speed 6 at 125 BPM: 120 ms per row, 7.68 s per order.
//
// Usage: korvo-first-song OUTPUT.xm

#include <cmath>
#include <cstdio>

#include "tools/xm/xm_writer.h"

namespace {

constexpr int kOrders = 24;
constexpr int kRows = 64;
constexpr int kChannels = 4;
constexpr double kRate = 8363.0 * 2.0;  // samples are made at this rate ...
constexpr std::int8_t kRelativeNote = 12;  // ... and sound as made when played at C-4
constexpr double kPi = 3.14159265358979323846;

enum InstrumentNumber : std::uint8_t { kKick = 1, kBell = 2, kClick = 3 };

std::int16_t ToPcm(double v) {
  v = std::fmax(-1.0, std::fmin(1.0, v));
  return static_cast<std::int16_t>(std::lround(v * 32000.0));
}

// A sine whose pitch falls from 150 Hz to 45 Hz, with a fast decay: 0.25 s.
xm::Sample KickSample() {
  xm::Sample s;
  s.name = "kick";
  double phase = 0.0;
  const int n = static_cast<int>(kRate * 0.25);
  for (int i = 0; i < n; ++i) {
    const double t = i / kRate;
    phase += 2.0 * kPi * (45.0 + 105.0 * std::exp(-t * 30.0)) / kRate;
    s.frames.push_back(ToPcm(std::sin(phase) * std::exp(-t * 9.0)));
  }
  return s;
}

// Two detuned partials, looped, shaped by the volume envelope: pitch follows the note.
xm::Sample BellSample() {
  xm::Sample s;
  s.name = "bell";
  const int period = 64;  // 64 frames per cycle at kRate: about 261 Hz, C-4
  for (int i = 0; i < period * 8; ++i) {
    const double x = 2.0 * kPi * i / period;
    s.frames.push_back(ToPcm(0.6 * std::sin(x) + 0.25 * std::sin(3.0 * x)));
  }
  s.loop = xm::LoopType::Forward;
  s.loopStart = 0;
  s.loopLength = static_cast<std::uint32_t>(s.frames.size());
  return s;
}

// A short burst of noise (deterministic generator).
xm::Sample ClickSample() {
  xm::Sample s;
  s.name = "click";
  s.depth = xm::SampleDepth::Bits8;
  std::uint32_t seed = 12345;
  const int n = static_cast<int>(kRate * 0.03);
  for (int i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = static_cast<int>(seed >> 16) / 32768.0 - 1.0;
    s.frames.push_back(ToPcm(noise * (1.0 - static_cast<double>(i) / n)));
  }
  return s;
}

xm::Instrument MakeInstrument(const char* name, xm::Sample sample) {
  xm::Instrument ins;
  ins.name = name;
  sample.relativeNote = kRelativeNote;
  ins.samples.push_back(std::move(sample));
  return ins;
}

xm::Instrument BellInstrument() {
  xm::Instrument ins = MakeInstrument("bell", BellSample());
  ins.volumeEnvelope.points = {{0, 64}, {4, 48}, {30, 12}, {60, 0}};
  ins.fadeout = 0x200;
  return ins;
}

xm::Pattern OrderPattern(int order) {
  xm::Pattern p(kRows, kChannels);
  for (int row = 0; row < kRows; row += 4) p.At(row, 0) = {xm::NoteNumber(4, 0), kKick, xm::SetVolume(64), 0, 0};
  p.At(0, 1) = {static_cast<std::uint8_t>(xm::NoteNumber(4, 0) + order % 24), kBell, xm::SetVolume(48), 0, 0};
  p.At(32, 2) = {xm::NoteNumber(5, 0), kClick, xm::SetVolume(40), 0, 0};
  return p;
}

xm::Module FirstSong() {
  xm::Module m;
  m.name = "sotkux (first song)";
  m.channels = kChannels;
  m.speed = 6;
  m.bpm = 125;
  for (int order = 0; order < kOrders; ++order) {
    m.orders.push_back(static_cast<std::uint8_t>(order));
    m.patterns.push_back(OrderPattern(order));
  }
  m.instruments.push_back(MakeInstrument("kick", KickSample()));
  m.instruments.push_back(BellInstrument());
  m.instruments.push_back(MakeInstrument("click", ClickSample()));
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!xm::WriteXm(argv[1], FirstSong(), error)) {
    std::fprintf(stderr, "korvo-first-song: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
