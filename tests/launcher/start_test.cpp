// Starting part-way must show exactly what a whole run shows at that point: the run-ahead does
// all the work of the skipped scenes. Each run happens in a child process, since the demo's
// state lives for the whole process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "scenes/scene_vars.h"
#include "launcher/modes.h"
#include "shell/shell.h"
#include "shell/timeline.h"

namespace {

constexpr MusicPosition StartAt = 0x0110;

struct Snapshot {
  std::uint64_t pictureHash;
  std::int32_t position, entry;
  float clocks[10];
  bool operator==(const Snapshot& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

Snapshot Take(const std::uint16_t* pixels) {
  Snapshot s{};
  s.pictureHash = 1469598103934665603ull;
  for (int i = 0; i < 640 * 480; ++i) s.pictureHash = (s.pictureHash ^ pixels[i]) * 1099511628211ull;
  const MIDASplayStatus status = platform::LastPlayStatus();
  s.position = static_cast<std::int32_t>(status.row | (status.position << 8));
  s.entry = SceneIndex;
  const float clocks[10] = {EffectClock,     PhaseClock,      FadeA,           FadeB,
                            ScrollU,         ScrollV,         FrameStepTimerA, FrameStepTimerB,
                            FrameStepTimerC, FrameStepTimerD};
  std::memcpy(s.clocks, clocks, sizeof clocks);
  return s;
}

// Runs the demo in a child; `prepare` sets the mode up and returns when to take the snapshot.
template <typename Prepare>
Snapshot RunInChild(Prepare prepare) {
  int channel[2];
  EXPECT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    platform::Mode().presentation = platform::Presentation::Headless;
    platform::Mode().sound = platform::Sound::Virtual;
    platform::Mode().dataFolder = KORVO_BUILD_DIR;
    const auto due = prepare();
    const platform::FrameSink inner = platform::CurrentFrameSink();
    platform::SetFrameSink([&](const std::uint16_t* pixels) {
      if (inner) inner(pixels);
      if (QuitFlag == 0 && due()) {
        const Snapshot s = Take(pixels);
        if (write(channel[1], &s, sizeof s) != sizeof s) _exit(3);
        QuitFlag = 1;
      }
    });
    _exit(WinMain(nullptr, nullptr, nullptr, 0));
  }
  close(channel[1]);
  Snapshot s{};
  const bool got = read(channel[0], &s, sizeof s) == sizeof s;
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(got) << "the child ended without reaching the position";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return s;
}

TEST(StartPartWay, ReachesTheSamePictureAndStateAsAWholeRun) {
  const Snapshot whole = RunInChild([] {
    platform::UseVirtualClock(AheadFps);
    return [] {
      const MIDASplayStatus status = platform::LastPlayStatus();
      return static_cast<MusicPosition>(status.row | (status.position << 8)) >= StartAt;
    };
  });
  const Snapshot started = RunInChild([] {
    SetUpStart(StartAt);
    return [] { return StartReached(); };
  });
  EXPECT_GE(whole.position, StartAt);
  EXPECT_EQ(whole.entry, 2);
  EXPECT_TRUE(started == whole) << "position " << started.position << " vs " << whole.position
                                << ", EffectClock " << started.clocks[0] << " vs " << whole.clocks[0];
}

}  // namespace
