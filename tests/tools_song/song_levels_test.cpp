// The mix as a player renders it: it never clips, holds one loudness through its full sections,
// is quieter where the pictures are calm, spreads over the bands and is silent once the demo ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "song_fixture.h"
#include "tools/song/levels.h"
#include "tools/xm/xm_writer.h"

namespace {

bool IsFull(const song::Section& s) {
  return s.fade == song::Fade::None && (s.groove == song::Groove::Four || s.groove == song::Groove::Drive ||
                                        s.groove == song::Groove::Peak || s.groove == song::Groove::Build);
}

TEST(SongLevels, NeverClipStaySteadyAndKeepBandsAndWidth) {
  song::SongLevels levels;
  std::string error;
  ASSERT_TRUE(song::MeasureLevels(song_test::SongBytes(), levels, error)) << error;
  EXPECT_LT(levels.whole.PeakDb(), -1.0) << "less than 1 dB of headroom";

  const auto& sections = song::Sections();
  std::vector<double> full;
  for (size_t i = 0; i < sections.size(); ++i)
    if (IsFull(sections[i])) full.push_back(levels.sections[i].RmsDb());
  ASSERT_GE(full.size(), 10u);
  std::nth_element(full.begin(), full.begin() + full.size() / 2, full.end());
  const double median = full[full.size() / 2];
  EXPECT_GT(median, -24.0) << "the mix is too quiet";

  EXPECT_LT(levels.afterEnd.RmsDb(), -60.0) << "the song still sounds after the demo's end";
  ASSERT_EQ(levels.spectra.size(), sections.size());
  for (size_t i = 0; i < sections.size(); ++i) {
    const song::Section& s = sections[i];
    const double rms = levels.sections[i].RmsDb();
    SCOPED_TRACE(std::string(s.name));
    if (IsFull(s)) {
      EXPECT_NEAR(rms, median, 3.0);
    } else if (s.fade == song::Fade::None && s.level > 0) {
      EXPECT_LT(rms, median - 1.5) << "a calm section as loud as the full ones";
      EXPECT_GT(rms, median - 12.0) << "a calm section that drops out";
    }
    if (levels.sections[i].count == 0 || s.level == 0) continue;
    // Every band carries something where the section sounds and none outweighs the mix; panning
    // gives some width, but the mix is never wider than it is deep.
    const song::Spectrum& spectrum = levels.spectra[i];
    for (double band : {spectrum.LowDb(), spectrum.MidDb(), spectrum.HighDb()}) {
      EXPECT_TRUE(band > rms - 40.0 && band < rms + 3.0) << "band at " << band << " dB";
    }
    EXPECT_TRUE(spectrum.Width() > 0.02 && spectrum.Width() < 1.0) << "width " << spectrum.Width();
  }
}

// A module of one instrument playing one note, from the given sample.
std::vector<std::uint8_t> OneSampleModule(xm::Sample sample) {
  xm::Module module;
  module.channels = 2;
  module.orders = {0};
  module.patterns.emplace_back(4, 2);
  module.patterns[0].At(0, 0) = xm::Note{49, 1, 0, 0, 0};
  xm::Instrument instrument;
  instrument.name = "probe";
  instrument.samples.push_back(std::move(sample));
  module.instruments.push_back(std::move(instrument));
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(xm::EncodeXm(module, bytes, error)) << error;
  return bytes;
}

std::vector<std::int16_t> Sine(int frames, double cycles, double phase) {
  std::vector<std::int16_t> wave;
  for (int n = 0; n < frames; ++n) wave.push_back(static_cast<std::int16_t>(20000 * std::sin(phase + 6.2831853 * cycles * n / frames)));
  return wave;
}

TEST(SongClicks, TheSongsSamplesPlayWithoutClicks) {
  std::vector<song::Click> clicks;
  std::string error;
  ASSERT_TRUE(song::FindClicks(song_test::SongBytes(), song::ClickThreshold, clicks, error)) << error;
  for (const song::Click& c : clicks) ADD_FAILURE() << c.instrument << ": " << c.where << " " << c.jump;
}

TEST(SongClicks, FindJumpsAtNoteStartLoopPointAndSampleEnd) {
  std::vector<song::Click> clicks;
  std::string error;
  xm::Sample smooth;
  smooth.frames = Sine(400, 4.0, 0.0);  // whole cycles from silence: a seamless loop
  smooth.loop = xm::LoopType::Forward;
  smooth.loopLength = 400;
  ASSERT_TRUE(song::FindClicks(OneSampleModule(smooth), song::ClickThreshold, clicks, error)) << error;
  EXPECT_TRUE(clicks.empty());

  xm::Sample broken = smooth;
  broken.frames = Sine(400, 4.25, 1.5);  // starts near the top; the loop ends a quarter cycle off
  ASSERT_TRUE(song::FindClicks(OneSampleModule(broken), song::ClickThreshold, clicks, error)) << error;
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].where, "note start");
  EXPECT_EQ(clicks[0].instrument, "probe");
  EXPECT_NEAR(clicks[0].jump, 20000 * std::sin(1.5) / 32768, 0.01);
  EXPECT_EQ(clicks[1].where, "loop point");

  xm::Sample cut = smooth;
  cut.loop = xm::LoopType::None;
  cut.loopLength = 0;
  cut.frames.resize(350);  // stops mid-cycle
  ASSERT_TRUE(song::FindClicks(OneSampleModule(cut), song::ClickThreshold, clicks, error)) << error;
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].where, "sample end");
}

TEST(SongClicks, BothMeasuresRefuseTruncatedModules) {
  std::vector<song::Click> clicks;
  song::SongLevels levels;
  std::string error;
  const auto& whole = song_test::SongBytes();
  for (size_t size : {size_t{0}, size_t{40}, whole.size() / 2, whole.size() - 1}) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(song::FindClicks(part, song::ClickThreshold, clicks, error)) << size;
    if (size == 40) {
      EXPECT_FALSE(song::MeasureLevels(part, levels, error));
      EXPECT_NE(error.find("does not load"), std::string::npos) << error;
    }
  }
}

}  // namespace
