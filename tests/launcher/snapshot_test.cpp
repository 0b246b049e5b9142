// Snapshots: a run that starts from a stored snapshot must be, from the frame it reaches on, the
// run that went there from the song's start, down to every byte of state and every sample of the
// song; damaged, cut or foreign snapshot files must be passed over, never trusted. Demo runs
// happen in child processes (the demo's state lives for the whole process), each with the
// cache folder in a temporary folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "launcher/modes.h"
#include "launcher/snapshot_run.h"
#include "launcher/snapshot_seek.h"
#include "platform/midas/midas_testing.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/shell.h"
#include "tests/support/demo_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int Fps = 60;
constexpr MusicPosition EntryStart = 0x0101;
constexpr MusicPosition BetweenSnapshots = 0x0138;

// The start of entry 1, and of entry 2 (a snapshot of its own); a place between two snapshots.
constexpr MusicPosition FirstEntryEnd = 0x0021;
launcher::SeekTarget AtPosition(std::int64_t p) { return {launcher::SeekTarget::Kind::Position, p}; }
launcher::SeekTarget AtTick(std::int64_t t) { return {launcher::SeekTarget::Kind::Tick, t}; }
// What the suite's whole run recorded, in this order.
enum WholeRecord { FirstFrame, EntryOne, FiveSeconds, EntryTwo, Between, WholeRecords };

struct Reached {
  std::uint64_t stateHash;  // every byte SaveDemoState gives, back buffer and textures included
  std::int32_t position, entry;
  std::uint32_t frame;  // of the 60 fps clock, counted from the song's start
  std::uint32_t padding = 0;  // the struct crosses a pipe whole
  bool operator==(const Reached&) const = default;
  friend void PrintTo(const Reached& r, std::ostream* out) {
    *out << "frame " << r.frame << " at " << std::hex << r.position << " entry " << std::dec << r.entry
         << " state " << std::hex << r.stateHash << std::dec;
  }
};

std::uint64_t Hash(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const std::uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

MusicPosition Heard() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  return static_cast<MusicPosition>(status.row | (status.position << 8));
}

Reached Take() {
  std::vector<std::uint8_t> state;
  EXPECT_TRUE(launcher::SaveDemoState(state));
  return {Hash(state), Heard(), SceneIndex, launcher::NextSnapshotFrame() - 1};
}

// Every test of this program writes its snapshots into a temporary folder, never the user's cache.
class TemporaryCache : public testing::Environment {
 public:
  void SetUp() override {
    folder_ = testsupport::FreshFolder("korvo-snapshot");
    setenv("XDG_CACHE_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

 private:
  fs::path folder_;
};
testing::Environment* const Cache = testing::AddGlobalTestEnvironment(new TemporaryCache);

class SnapshotTest : public testing::Test {
 protected:
  // One whole run for the suite; each test works on its own copy of the cache it wrote.
  static void SetUpTestSuite() {
    suiteCache_ = std::getenv("XDG_CACHE_HOME");
    wholeCache_ = testsupport::FreshFolder("korvo-snapshot");
    setenv("XDG_CACHE_HOME", wholeCache_.c_str(), 1);
    whole_ = RunTo({AtPosition(0), AtPosition(FirstEntryEnd), AtTick(5000), AtPosition(EntryStart),
                       AtPosition(BetweenSnapshots)});
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(wholeCache_, ignored);
    setenv("XDG_CACHE_HOME", suiteCache_.c_str(), 1);
  }
  void SetUp() override {
    cache_ = testsupport::FreshFolder("korvo-snapshot");
    fs::copy(wholeCache_, cache_, fs::copy_options::recursive);
    setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
  }
  void TearDown() override {
    setenv("XDG_CACHE_HOME", wholeCache_.c_str(), 1);
    std::error_code ignored;
    fs::remove_all(cache_, ignored);
  }
  fs::path Folder() const { return cache_ / "korvo" / (std::to_string(Fps) + "fps"); }

  using FrameCheck = std::function<bool(const std::uint16_t*, int)>;
  static constexpr auto RunInChild = testsupport::RunDemoInChild<Reached>;

  // On the 60 fps clock, writing snapshots: the state at the first frame at or past each target.
  // From the song's start, or as a capture from a position: from the latest snapshot before it.
  static std::vector<Reached> RunTo(std::vector<launcher::SeekTarget> targets, MusicPosition from = 0) {
    return RunInChild([targets, from] {
      platform::UseVirtualClock(Fps);
      launcher::BeginSnapshots(Fps);
      return FrameCheck([targets, from, next = std::size_t{0}](const std::uint16_t*, int out) mutable {
        launcher::NoteSnapshotFrame();
        if (from != 0 && launcher::NextSnapshotFrame() == 1) {
          const auto mark = launcher::RestoreSnapshotFor(AtPosition(from), false, true);
          if (!mark || mark->frame == 0 || mark->position >= from) _exit(4);
        }
        while (next < targets.size() && targets[next].ReachedAt(Heard(), GetTickCount())) {
          testsupport::Send(out, Take());
          ++next;
        }
        return next == targets.size();
      });
    });
  }

  // --start: the state at the frame the run reaches, and that of the first frame after it.
  static std::vector<Reached> Started(MusicPosition position) {
    return RunInChild([position] {
      SetUpStart(position);
      return FrameCheck([taken = 0](const std::uint16_t*, int out) mutable {
        if (!StartReached()) return false;
        testsupport::Send(out, Take());
        // The real clock runs from here; the first frame shows that the run goes on at all.
        return ++taken == 1;
      });
    });
  }

  // The latest stored snapshots before `position`, latest first.
  std::vector<fs::path> SnapshotsBefore(MusicPosition position, std::uint64_t key) {
    std::map<std::uint32_t, fs::path, std::greater<>> found;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      const auto mark = launcher::ReadSnapshotMark(entry.path(), key, Fps);
      if (mark && mark->position < position) found[mark->frame] = entry.path();
    }
    std::vector<fs::path> files;
    for (const auto& [frame, file] : found) files.push_back(file);
    return files;
  }

  static inline std::string suiteCache_;
  static inline fs::path wholeCache_;
  static inline std::vector<Reached> whole_;
  fs::path cache_;
};

// The build key at byte 16 of a snapshot file's header.
std::uint64_t KeyOf(const fs::path& file) {
  const std::string bytes = testsupport::ReadAll(file);
  std::uint64_t key = 0;
  if (bytes.size() >= 24) std::memcpy(&key, bytes.data() + 16, sizeof key);
  return key;
}

TEST_F(SnapshotTest, RestoredRunsMatchTheWholeRun) {
  ASSERT_EQ(whole_.size(), std::size_t{WholeRecords});
  const std::vector<Reached> whole = {whole_[EntryTwo], whole_[Between]};
  ASSERT_FALSE(fs::is_empty(Folder()));
  EXPECT_EQ(whole[0].entry, 2) << "the first position is where entry 2 begins";

  // --start lands on the entry's own snapshot.
  const std::vector<Reached> started = Started(EntryStart);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], whole[0]);
  // A run from the snapshot before the entry goes on through the entry's start and hundreds of
  // frames more exactly as the whole run did.
  const std::vector<Reached> resumed = RunTo({AtPosition(EntryStart), AtPosition(BetweenSnapshots)}, EntryStart);
  ASSERT_EQ(resumed.size(), 2u);
  EXPECT_EQ(resumed, whole);
}

TEST_F(SnapshotTest, DamagedCutAndForeignSnapshotsArePassedOver) {
  ASSERT_EQ(whole_.size(), std::size_t{WholeRecords});
  const Reached& whole = whole_[Between];
  const std::uint64_t key = KeyOf(Folder() / "0000000.snap");
  const std::vector<fs::path> files = SnapshotsBefore(BetweenSnapshots, key);
  ASSERT_GE(files.size(), 4u);

  // The three latest a start could use: one byte flipped, one cut short, one of another build.
  std::string bytes = testsupport::ReadAll(files[0]);
  bytes[bytes.size() / 2] ^= 0x20;
  std::ofstream(files[0], std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  fs::resize_file(files[1], fs::file_size(files[1]) - 1000);
  launcher::SnapshotMark mark;
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(launcher::ReadSnapshotFile(files[2], key, Fps, mark, state, nullptr));
  ASSERT_TRUE(launcher::WriteSnapshotFile(files[2], key ^ 1, Fps, mark, state, nullptr));

  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(launcher::ReadSnapshotFile(files[k], key, Fps, mark, state, nullptr)) << files[k];
  }
  EXPECT_FALSE(launcher::ReadSnapshotMark(files[2], key, Fps)) << "a foreign key is stale";
  EXPECT_FALSE(launcher::ReadSnapshotFile(files[3], key, Fps + 1, mark, state, nullptr))
      << "another frame rate's clock gives other states";

  const std::vector<Reached> started = Started(BetweenSnapshots);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], whole);
  // Passing them again, the run put whole ones in their place.
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(launcher::ReadSnapshotFile(files[k], key, Fps, mark, state, nullptr)) << files[k];
  }
}

// The viewer's jumps in a window that has no snapshots yet: Right runs ahead from the first
// frame, Left comes back to it, and 5 s is reached from the entry's snapshot the first jump left.
TEST_F(SnapshotTest, ViewerJumpsLandWhereTheWholeRunWas) {
  fs::remove_all(cache_);
  const std::vector<Reached> jumped = RunInChild([] {
    launcher::RunAheadTo(AtPosition(0), false);
    return FrameCheck([step = 0](const std::uint16_t*, int out) mutable {
      if (!launcher::RunAheadDone()) return false;
      testsupport::Send(out, Take());
      constexpr unsigned Right = 0x27, Left = 0x25;
      switch (step++) {
        case 0: return !launcher::ViewerKey(Right);
        case 1: return !launcher::ViewerKey(Left);
        case 2: return launcher::JumpTo(AtTick(5000)), false;
        default: return true;
      }
    });
  });
  ASSERT_EQ(jumped.size(), 4u);
  const std::vector<Reached>& whole = whole_;
  EXPECT_EQ(jumped, (std::vector<Reached>{whole[FirstFrame], whole[EntryOne], whole[FirstFrame], whole[FiveSeconds]}));
}

TEST_F(SnapshotTest, AStateThatDoesNotFitChangesNothing) {
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(launcher::SaveDemoState(state));
  const float clock = EffectClock;
  EffectClock = clock + 1.0f;
  std::vector<std::uint8_t> longer = state, badEntry = state;
  longer.push_back(0);
  const std::int32_t entry = 26;
  std::memcpy(badEntry.data() + sizeof(float), &entry, sizeof entry);
  using Bytes = std::span<const std::uint8_t>;
  const Bytes cut(state.data(), state.size() - 1);
  for (const Bytes wrong : {Bytes(state.data(), 7), cut, Bytes(longer), Bytes(badEntry)}) {
    std::string fault;
    EXPECT_FALSE(launcher::RestoreDemoState(wrong, &fault)) << wrong.size();
    EXPECT_FALSE(fault.empty());
    EXPECT_EQ(EffectClock, clock + 1.0f) << "a refused state changed the demo";
  }
  std::string fault;
  EXPECT_TRUE(launcher::RestoreDemoState(state, &fault)) << fault;
  EXPECT_EQ(EffectClock, clock);
}

TEST_F(SnapshotTest, CacheFolderFollowsXdgThenHome) {
  setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
  EXPECT_EQ(launcher::CacheFolder(), fs::path("/somewhere/cache/korvo"));
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: ignored, as XDG says
  const char* home = std::getenv("HOME");
  if (home && *home) { EXPECT_EQ(launcher::CacheFolder(), fs::path(home) / ".cache" / "korvo"); }
}

// The song rendered again up to a frame goes on exactly as the song that was never interrupted:
// the same play status every frame and the same samples in the sound file.
TEST_F(SnapshotTest, ReplayedSongContinuesSampleForSample) {
  const std::string song = std::string(KORVO_BUILD_DIR) + "/sotkux.xm";
  const auto run = [&](const fs::path& wav, int replayAt, int frames) {
    platform::ResetMidas();
    platform::Mode().sound = platform::Sound::Virtual;
    platform::Mode().wavPath = wav.string();
    platform::UseVirtualClock(Fps);
    MIDASstartup();
    EXPECT_TRUE(MIDASinit());
    EXPECT_TRUE(MIDASstartBackgroundPlay(0));
    MIDASmodule module = MIDASloadModule(song.c_str());
    const MIDASmodulePlayHandle handle = MIDASplayModule(module, TRUE);
    std::vector<std::uint32_t> statuses;
    MIDASplayStatus status{};
    for (int frame = 0; frame < frames; ++frame) {
      if (frame == 1 && replayAt > 0) {
        EXPECT_TRUE(platform::ReplaySongToFrame(Fps, static_cast<std::uint64_t>(replayAt)));
        for (int k = 1; k <= replayAt; ++k) platform::AdvanceVirtualFrame();
        frame = replayAt + 1;
      }
      MIDASgetPlayStatus(handle, &status);
      if (frame > 700) statuses.push_back(status.position << 8 | status.row);
      platform::AdvanceVirtualFrame();
    }
    MIDASstopModule(handle);
    MIDASfreeModule(module);
    MIDASstopBackgroundPlay();
    MIDASclose();
    platform::Mode() = platform::PlatformMode{};
    return statuses;
  };
  const auto whole = run(cache_ / "whole.wav", 0, 760);
  const auto replayed = run(cache_ / "replayed.wav", 700, 760);
  EXPECT_EQ(whole, replayed);
  const std::string a = testsupport::ReadAll(cache_ / "whole.wav"), b = testsupport::ReadAll(cache_ / "replayed.wav");
  EXPECT_GT(a.size(), 48000u * 4 * 12) << "12 s of song";
  EXPECT_TRUE(a == b) << a.size() << " vs " << b.size() << " bytes";
}

}  // namespace
