// The complete demo, headless, at a fixed frame rate with the project's own data and song: every
// scene-table entry runs, in order, and the demo stops by itself at the first frame past the end
// position. The sanitizer build runs this too (at a low frame rate, KORVO_TEST_FPS), so every
// buffer the scenes, the codec and the device touch is checked over the whole run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/shell.h"
#include "shell/timeline.h"
#include "tests/support/demo_run.h"

namespace {

TEST(WholeDemo, EveryEntryRunsInOrderAndTheDemoEndsByItselfPastTheEnd) {
  platform::Mode().presentation = platform::Presentation::Headless;
  platform::Mode().sound = platform::Sound::Virtual;
  platform::Mode().dataFolder = KORVO_BUILD_DIR;
  platform::UseVirtualClock(testsupport::TestFramesPerSecond(10));
  std::vector<std::string> boxes;
  platform::SetMessageBoxHook([&](const std::string& text, const std::string& caption) {
    boxes.push_back(caption + ": " + text);
  });
  std::vector<int> entries;
  std::vector<MusicPosition> positions;
  platform::SetFrameSink([&](const std::uint16_t*) {
    const MIDASplayStatus status = platform::LastPlayStatus();
    entries.push_back(SceneIndex);
    positions.push_back(static_cast<MusicPosition>(status.row | status.position << 8));
  });

  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  platform::SetFrameSink(nullptr);
  platform::SetMessageBoxHook(nullptr);
  platform::UseRealClock();
  for (const std::string& box : boxes) ADD_FAILURE() << box;

  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.front(), 0);
  EXPECT_EQ(entries.back(), SceneTableSize - 1);
  for (size_t frame = 1; frame < entries.size(); ++frame) {
    const int step = entries[frame] - entries[frame - 1];
    ASSERT_TRUE(step == 0 || step == 1) << "frame " << frame << ": entry " << entries[frame - 1]
                                        << " then " << entries[frame];
  }
  EXPECT_EQ(QuitFlag, 1);
  EXPECT_GT(positions.back(), EndPosition);
  for (size_t frame = 0; frame + 1 < positions.size(); ++frame) {
    ASSERT_LE(positions[frame], EndPosition) << "frame " << frame << " should have been the last";
  }
}

}  // namespace
