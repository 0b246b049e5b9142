#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/clock.h"
#include "shell/scene_table.h"
#include "shell/shell.h"
#include "shell/timeline.h"

namespace {

// A table with the real end positions whose scenes only note which entry ran.
std::vector<int> Ran;
template <int K>
void Note() {
  Ran.push_back(K);
}

template <int... K>
std::vector<SceneTableEntry> MakeTable(std::integer_sequence<int, K...>) {
  return {SceneTableEntry{Note<K>, SceneTable[K].endPosition, SceneTable[K].name}...};
}

class Timeline : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = MakeTable(std::make_integer_sequence<int, SceneTableSize>{});
    Ran.clear();
    ResetTimeline();
    QuitFlag = 0;
    StartTick = 1000;
    platform::SetVirtualTickCount(1000);
  }
  void TearDown() override { platform::UseRealClock(); }

  int Step(MusicPosition position, DWORD now) {
    platform::SetVirtualTickCount(now);
    StepTimeline(table_.data(), position);
    return Ran.back();
  }

  std::vector<SceneTableEntry> table_;
};

TEST_F(Timeline, EntriesAdvancePastTheirEndAtMostOneAFrameAndNeverBack) {
  EXPECT_EQ(Step(0x0000, 1000), 0);
  EXPECT_EQ(Step(0x0020, 1010), 0) << "a position equal to the end keeps the entry";
  EXPECT_EQ(Step(0x0021, 1020), 1) << "passing the end advances in that very frame";
  EXPECT_EQ(Step(0x0021, 1030), 1);
  SetUp();
  EXPECT_EQ(Step(0x00F0, 1000), 1);
  EXPECT_EQ(Step(0x0230, 1010), 2) << "a jump over several ends passes only one";
  EXPECT_EQ(Step(0x0230, 1020), 3);
  EXPECT_EQ(Step(0x0230, 1030), 4);
  EXPECT_EQ(Step(0x0230, 1040), 4) << "0x0230 lies before the end of entry 4";
  EXPECT_EQ(Step(0x0000, 1050), 4) << "the song looping back does not go back";
  EXPECT_EQ(Step(0x0331, 1060), 5);
}

TEST_F(Timeline, FrameDeltaFromMilliseconds) {
  Step(0, 1000);
  EXPECT_EQ(FrameDelta, 0.0f) << "the first frame measures from StartTick";
  Step(0, 1200);
  EXPECT_FLOAT_EQ(FrameDelta, 3.0f);
  Step(0, 1200);
  EXPECT_EQ(FrameDelta, 0.0f);
  Step(0, 1201);
  EXPECT_EQ(FrameDelta, 0.015f);
  // A clock that went back gives a negative step, as signed milliseconds.
  Step(0, 1101);
  EXPECT_FLOAT_EQ(FrameDelta, -1.5f);
}

}  // namespace
