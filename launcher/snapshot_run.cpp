#include "launcher/snapshot_run.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"

namespace launcher {

namespace {

constexpr std::size_t MemoryBudget = std::size_t{256} << 20;

struct Kept {
  SnapshotMark mark;
  std::vector<std::uint8_t> state;
};

struct SnapshotRun {
  bool active = false;
  int fps = 0;
  bool prepared = false;
  std::uint64_t key = 0;
  std::filesystem::path folder;  // empty: snapshots in memory only
  std::map<std::uint32_t, SnapshotMark> onDisk;
  std::map<std::uint32_t, Kept> inMemory;
  std::size_t memoryBytes = 0;
  std::uint32_t nextFrame = 0;
  SnapshotMark previous;  // the frame noted last
};

SnapshotRun& Run() {
  static SnapshotRun run;
  return run;
}

void WarnOnce(const std::string& text) {
  static bool warned = false;
  if (warned) return;
  warned = true;
  std::fprintf(stderr, "korvo: %s; positions are reached without stored snapshots\n", text.c_str());
}

std::int32_t HeardPosition() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  return static_cast<std::int32_t>(status.row | (status.position << 8));
}

std::filesystem::path FileOf(std::uint32_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "%07u.snap", frame);
  return Run().folder / name;
}

// Files of other builds, data or damage are removed as they are found: they will never fit.
void ScanFolder() {
  SnapshotRun& run = Run();
  std::error_code error;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const auto& entry : std::filesystem::directory_iterator(run.folder, error)) {
    // A file half written by a run that died: another run writes its own under its own name.
    if (entry.path().filename().string().find(".snap.part") != std::string::npos &&
        now - entry.last_write_time(error) > std::chrono::hours(1)) {
      std::filesystem::remove(entry.path(), error);
    }
    if (entry.path().extension() != ".snap") continue;
    const std::optional<SnapshotMark> mark = ReadSnapshotMark(entry.path(), run.key, run.fps);
    if (mark && FileOf(mark->frame) == entry.path()) {
      run.onDisk[mark->frame] = *mark;
    } else {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// The key needs the loaded data, so it is taken at the first frame, not at set-up.
void Prepare() {
  SnapshotRun& run = Run();
  if (run.prepared) return;
  run.prepared = true;
  run.key = ProgramDataKey();
  const std::filesystem::path cache = CacheFolder();
  if (cache.empty()) return WarnOnce("no cache folder (neither XDG_CACHE_HOME nor HOME is set)");
  // Another rendering (scale, colour depth) keeps other pictures: a folder of its own.
  std::string name = std::to_string(run.fps) + "fps";
  const platform::PlatformMode& mode = platform::Mode();
  if (mode.renderScale != 1 || mode.colourBits != 16) {
    name += "-" + std::to_string(mode.renderScale) + "x-" + std::to_string(mode.colourBits) + "bit";
  }
  run.folder = cache / name;
  std::error_code error;
  std::filesystem::create_directories(run.folder, error);
  if (error || access(run.folder.c_str(), W_OK | X_OK) != 0) {
    WarnOnce("the cache folder " + run.folder.string() + " cannot be written" +
             (error ? " (" + error.message() + ")" : ""));
    run.folder.clear();
    return;
  }
  ScanFolder();
}

void Keep(const SnapshotMark& mark, std::vector<std::uint8_t>&& state) {
  SnapshotRun& run = Run();
  if (!run.folder.empty()) {
    std::string fault;
    if (WriteSnapshotFile(FileOf(mark.frame), run.key, run.fps, mark, state, &fault)) {
      run.onDisk[mark.frame] = mark;
    } else {
      WarnOnce("a snapshot cannot be written: " + fault);
      run.folder.clear();
    }
  }
  // The first frame stays at hand in memory: every jump back can start from it. Without a folder
  // the others are kept there too, up to a bound (a rendering at 4x in 32 bits takes 30 MB each).
  if (mark.frame == 0 || (run.folder.empty() && run.memoryBytes + state.size() <= MemoryBudget)) {
    run.memoryBytes += state.size();
    run.inMemory[mark.frame] = Kept{mark, std::move(state)};
  }
}

bool Usable(const SnapshotMark& mark, const SeekTarget& target, bool landOn) {
  if (!target.ReachedAt(mark.position, mark.tick)) return true;
  const bool before = mark.frame == 0 || !target.ReachedAt(mark.previousPosition, mark.previousTick);
  return landOn && before;
}

bool Load(std::uint32_t frame, SnapshotMark& mark, std::vector<std::uint8_t>& state) {
  SnapshotRun& run = Run();
  if (const auto kept = run.inMemory.find(frame); kept != run.inMemory.end()) {
    mark = kept->second.mark;
    state = kept->second.state;
    return true;
  }
  std::string fault;
  if (ReadSnapshotFile(FileOf(frame), run.key, run.fps, mark, state, &fault) && mark.frame == frame) {
    return true;
  }
  std::error_code ignored;
  std::filesystem::remove(FileOf(frame), ignored);
  run.onDisk.erase(frame);
  return false;
}

}  // namespace

void BeginSnapshots(int fps) {
  SnapshotRun& run = Run();
  if (run.fps != fps) {
    run.prepared = false;
    run.onDisk.clear();
    run.inMemory.clear();
    run.memoryBytes = 0;
    run.folder.clear();
  }
  run.fps = fps;
  run.active = true;
  run.nextFrame = 0;
  run.previous = SnapshotMark{};
}

void EndSnapshots() { Run().active = false; }

std::uint32_t NextSnapshotFrame() { return Run().nextFrame; }

void NoteSnapshotFrame() {
  SnapshotRun& run = Run();
  if (!run.active) return;
  SnapshotMark mark;
  mark.frame = run.nextFrame++;
  mark.position = HeardPosition();
  mark.tick = GetTickCount();
  mark.entry = SceneIndex;
  const bool first = mark.frame == 0;
  mark.previousPosition = first ? -1 : run.previous.position;
  mark.previousTick = first ? 0 : run.previous.tick;
  const bool wanted = first || mark.entry != run.previous.entry ||
                      mark.tick / SnapshotIntervalMs != run.previous.tick / SnapshotIntervalMs;
  run.previous = mark;
  if (!wanted || QuitFlag != 0) return;
  Prepare();
  if (run.onDisk.contains(mark.frame) || run.inMemory.contains(mark.frame)) return;
  std::vector<std::uint8_t> state;
  if (SaveDemoState(state)) Keep(mark, std::move(state));
}

std::optional<SnapshotMark> RestoreSnapshotFor(const SeekTarget& target, bool landOn, bool inSink) {
  SnapshotRun& run = Run();
  if (run.fps <= 0) return std::nullopt;
  Prepare();
  std::vector<std::uint32_t> frames;
  for (const auto& [frame, mark] : run.onDisk) {
    if (Usable(mark, target, landOn)) frames.push_back(frame);
  }
  for (const auto& [frame, kept] : run.inMemory) {
    if (Usable(kept.mark, target, landOn)) frames.push_back(frame);
  }
  std::sort(frames.begin(), frames.end(), std::greater<>());
  SnapshotMark mark;
  std::vector<std::uint8_t> state;
  for (const std::uint32_t frame : frames) {
    // From the frame sink, a snapshot no later than the frame just drawn gains nothing.
    if (inSink && frame < run.nextFrame) break;
    if (!Load(frame, mark, state)) continue;
    std::string fault;
    if (!RestoreDemoState(state, &fault)) {
      std::error_code ignored;
      std::filesystem::remove(FileOf(frame), ignored);
      run.onDisk.erase(frame);
      run.inMemory.erase(frame);
      continue;
    }
    // The presenter moves the clock on after the sink; elsewhere it has already.
    platform::UseVirtualClock(run.fps);
    for (std::uint32_t k = 0; k < frame + (inSink ? 0u : 1u); ++k) platform::AdvanceVirtualFrame();
    platform::ReplaySongToFrame(run.fps, frame);
    run.nextFrame = frame + 1;
    run.previous = mark;
    return mark;
  }
  return std::nullopt;
}

}  // namespace launcher
