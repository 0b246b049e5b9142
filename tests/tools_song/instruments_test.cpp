// The synthesised instruments: in tune on the notes they are played on, seamless loops, and no
// click where a sample starts or stops.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdlib>

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

TEST(SongInstruments, LoopsJoinWithoutAJump) {
  int looped = 0;
  for (const xm::Instrument& instrument : Instruments()) {
    const xm::Sample& s = instrument.samples.at(0);
    if (s.loop == xm::LoopType::None) continue;
    ++looped;
    SCOPED_TRACE(instrument.name);
    const uint32_t first = s.loopStart, last = s.loopStart + s.loopLength - 1;
    ASSERT_LT(last, s.frames.size());
    int largestStep = 0;
    for (uint32_t n = first; n < last; ++n) largestStep = std::max(largestStep, std::abs(s.frames[n + 1] - s.frames[n]));
    EXPECT_LE(std::abs(s.frames[first] - s.frames[last]), largestStep);
  }
  EXPECT_GE(looped, 3) << "bass, pad and lead hold their notes";
}

TEST(SongInstruments, SamplesStartAndStopQuietly) {
  constexpr int Quiet = 32767 / 50;
  for (const xm::Instrument& instrument : Instruments()) {
    const xm::Sample& s = instrument.samples.at(0);
    SCOPED_TRACE(instrument.name);
    ASSERT_FALSE(s.frames.empty());
    const bool startsInLoop = s.loop != xm::LoopType::None && s.loopStart == 0;
    const bool silentStart = instrument.volumeEnvelope.points.size() > 0 && instrument.volumeEnvelope.points[0].value == 0;
    if (!startsInLoop || !silentStart) {
      EXPECT_LE(std::abs(s.frames.front()), Quiet);
    }
    if (s.loop == xm::LoopType::None) {
      EXPECT_LE(std::abs(s.frames.back()), Quiet);
    }
  }
}

}  // namespace
