// The mix as a player renders it: it never clips, holds one loudness through its full sections,
// is quieter where the pictures are calm, and is silent once the demo has ended.
#include <gtest/gtest.h>

#include <algorithm>

#include "song_fixture.h"
#include "tools/song/levels.h"

namespace {

bool IsFull(const song::Section& s) {
  return s.fade == song::Fade::None && (s.groove == song::Groove::Four || s.groove == song::Groove::Drive ||
                                        s.groove == song::Groove::Peak || s.groove == song::Groove::Build);
}

TEST(SongLevels, NeverClipAndStaySteady) {
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
  }
  EXPECT_LT(levels.afterEnd.RmsDb(), -60.0) << "the song still sounds after the demo's end";
}

TEST(SongLevels, RefuseWhatIsNotAModule) {
  song::SongLevels levels;
  std::string error;
  const std::vector<std::uint8_t> truncated(song_test::SongBytes().begin(), song_test::SongBytes().begin() + 40);
  EXPECT_FALSE(song::MeasureLevels(truncated, levels, error));
  EXPECT_NE(error.find("does not load"), std::string::npos) << error;
}

}  // namespace
