// The mix as a player renders it: it never clips, holds one loudness through its full sections,
// is quieter where the pictures are calm, and is silent once the demo has ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "shell/timeline.h"
#include "song_fixture.h"

namespace {

struct Level {
  double peak = 0.0;
  double sumSquares = 0.0;
  size_t count = 0;
  double RmsDb() const { return 10.0 * std::log10(sumSquares / std::max<size_t>(count, 1) + 1e-20); }
};

// Level of each section, by its index in the description, and of everything after `EndPosition`.
std::map<size_t, Level> SectionLevels(Level& afterEnd, Level& whole) {
  const auto& r = song_test::RenderedSong();
  const auto& sections = song::Sections();
  std::map<size_t, Level> levels;
  for (size_t block = 0; block < r.positions.size(); ++block) {
    const int position = r.positions[block];
    size_t index = 0;
    while (index + 1 < sections.size() && sections[index + 1].start <= position) ++index;
    Level& section = position > EndPosition ? afterEnd : levels[index];
    for (size_t i = 2 * block * song_test::BlockFrames;
         i < std::min(r.samples.size(), 2 * (block + 1) * song_test::BlockFrames); ++i) {
      const double v = r.samples[i];
      for (Level* level : {&section, &whole}) {
        level->peak = std::max(level->peak, std::abs(v));
        level->sumSquares += v * v;
        ++level->count;
      }
    }
  }
  return levels;
}

bool IsFull(const song::Section& s) {
  return s.fade == song::Fade::None && (s.groove == song::Groove::Four || s.groove == song::Groove::Drive ||
                                        s.groove == song::Groove::Peak || s.groove == song::Groove::Build);
}

TEST(SongLevels, NeverClipAndStaySteady) {
  Level afterEnd, whole;
  const auto levels = SectionLevels(afterEnd, whole);
  EXPECT_LT(whole.peak, 0.89) << "less than 1 dB of headroom";

  std::vector<double> full;
  for (auto& [index, level] : levels)
    if (IsFull(song::Sections()[index])) full.push_back(level.RmsDb());
  ASSERT_GE(full.size(), 10u);
  std::nth_element(full.begin(), full.begin() + full.size() / 2, full.end());
  const double median = full[full.size() / 2];
  EXPECT_GT(median, -24.0) << "the mix is too quiet";

  for (auto& [index, level] : levels) {
    const song::Section& s = song::Sections()[index];
    SCOPED_TRACE(std::string(s.name));
    if (IsFull(s)) {
      EXPECT_NEAR(level.RmsDb(), median, 3.0);
    } else if (s.fade == song::Fade::None && s.level > 0) {
      EXPECT_LT(level.RmsDb(), median - 1.5) << "a calm section as loud as the full ones";
      EXPECT_GT(level.RmsDb(), median - 12.0) << "a calm section that drops out";
    }
  }
  EXPECT_LT(afterEnd.RmsDb(), -60.0) << "the song still sounds after the demo's end";
}

}  // namespace
