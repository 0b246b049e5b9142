// The synthesised instruments: in tune on the notes they are played on. Clicks at starts, loop
// points and ends are found in the whole song by the click finder.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>

#include "tools/song/arrangement.h"
#include "tools/song/compose.h"
#include "tools/song/instruments.h"
#include "tools/song/synth.h"

namespace {

const std::vector<xm::Instrument>& Instruments() {
  static const std::vector<xm::Instrument> all = song::BuildInstruments();
  return all;
}

// Mono render at 48 kHz of one note of one instrument, alone in a one-channel module.
std::vector<float> RenderNote(song::Instrument instrument, int note, double seconds) {
  xm::Module module;
  module.channels = 1;
  module.orders = {0};
  module.patterns.emplace_back(64, 1);
  module.patterns[0].At(0, 0) = {song::TrackerNote(note), 1, xm::SetVolume(64), 0, 0};
  module.instruments = {Instruments()[instrument - 1]};
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(xm::EncodeXm(module, bytes, error)) << error;
  openmpt::module player(bytes);
  std::vector<float> out(static_cast<size_t>(seconds * 48000));
  out.resize(player.read(48000, out.size(), out.data()));
  return out;
}

// The shortest period (in frames, refined between frames) at which the signal repeats itself
// closely, searched from a third to three times the expected period.
double MeasuredPeriod(const std::vector<float>& x, size_t from, size_t length, double expected) {
  auto correlation = [&](int lag) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t n = from; n < from + length; ++n) {
      xy += x[n] * x[n + lag];
      xx += x[n] * x[n];
      yy += x[n + lag] * x[n + lag];
    }
    return xy / std::sqrt(xx * yy + 1e-30);
  };
  for (int lag = static_cast<int>(expected / 3); lag < 3 * expected; ++lag) {
    const double here = correlation(lag), before = correlation(lag - 1), after = correlation(lag + 1);
    if (here > 0.8 && here >= before && here >= after) {
      const double bend = 0.5 * (before - after) / (before - 2 * here + after);
      return lag + bend;
    }
  }
  return 0.0;
}

TEST(SongInstruments, PitchedOnesPlayInTune) {
  const std::pair<song::Instrument, int> notes[] = {
      {song::Bass, 33}, {song::Bass, 45}, {song::Pad, 57}, {song::Stab, 64},
      {song::Lead, 69}, {song::Lead, 76}, {song::Arp, 69}, {song::Arp, 81}};
  for (auto [instrument, note] : notes) {
    SCOPED_TRACE(testing::Message() << "instrument " << int(instrument) << " note " << note);
    const std::vector<float> out = RenderNote(instrument, note, 0.5);
    const double expected = 48000.0 / song::NoteFrequency(note);
    ASSERT_GT(out.size(), 9600 + 4800 + 3 * expected);
    const double period = MeasuredPeriod(out, 9600, 4800, expected);
    ASSERT_GT(period, 0.0) << "no steady pitch";
    EXPECT_NEAR(1200.0 * std::log2(expected / period), 0.0, 15.0) << "cents off";
  }
}

TEST(SongInstruments, RiserLastsTwoBars) {
  const xm::Sample& riser = Instruments()[song::NoiseRiser - 1].samples.at(0);
  const double bars = riser.frames.size() / song::SampleRate / (song::RowSeconds * song::RowsPerBar);
  EXPECT_NEAR(bars, 2.0, 0.01);
}

}  // namespace
