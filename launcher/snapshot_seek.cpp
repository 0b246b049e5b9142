#include "launcher/snapshot_seek.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/scene_table.h"
#include "shell/shell.h"

namespace launcher {

namespace {

constexpr WPARAM KeyPageUp = 0x21, KeyPageDown = 0x22, KeyLeft = 0x25, KeyRight = 0x27;
constexpr std::int64_t PageMs = 10000;

struct Seek {
  SeekTarget target;
  bool reached = true;
  bool restoreAtFirstFrame = false;
  platform::Sound sound = platform::Sound::Device;  // the run's own, given back at the target
  std::optional<SeekTarget> jump;  // asked for between frames, made at the next frame's end
};

Seek& State() {
  static Seek seek;
  return seek;
}

std::int64_t HeardPosition() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  return status.row | (status.position << 8);
}

// From the reached frame on the demo runs in real time, continuing the virtual clock's count.
void Arrive(std::uint32_t tick) {
  Seek& seek = State();
  seek.reached = true;
  EndSnapshots();
  platform::UseRealClockFrom(tick);
  platform::Mode().sound = seek.sound;
  platform::Mode().presenting = true;
}

// From the frame sink: the state is the frame's own, before the clock moves on.
bool MakeJump(const SeekTarget& target) {
  Seek& seek = State();
  const platform::PlatformMode before = platform::Mode();
  if (seek.reached) seek.sound = before.sound;
  platform::Mode().sound = platform::Sound::Virtual;
  BeginSnapshots(AheadFps);
  const std::optional<SnapshotMark> mark = RestoreSnapshotFor(target, true, true);
  if (!mark) {
    platform::Mode() = before;
    if (seek.reached) EndSnapshots();
    std::fprintf(stderr, "korvo: no snapshot leads there\n");
    return false;
  }
  seek.target = target;
  seek.reached = false;
  seek.restoreAtFirstFrame = false;
  platform::Mode().presenting = false;
  // Song time counts from the virtual clock's zero, the song's start, from now on.
  StartTick = 0;
  if (target.ReachedAt(mark->position, mark->tick)) Arrive(mark->tick);
  return true;
}

void AheadSink(const std::uint16_t*) {
  Seek& seek = State();
  if (seek.jump) {
    const SeekTarget target = *seek.jump;
    seek.jump.reset();
    MakeJump(target);
    return;
  }
  if (seek.reached) return;
  NoteSnapshotFrame();
  if (seek.restoreAtFirstFrame) {
    seek.restoreAtFirstFrame = false;
    RestoreSnapshotFor(seek.target, true, true);
  }
  if (seek.target.ReachedAt(HeardPosition(), GetTickCount())) Arrive(GetTickCount());
}

// The first music position of entry `index`: just past the end of the one before.
std::int64_t EntryStart(int index) {
  if (index <= 0) return 0;
  return static_cast<std::int64_t>(std::floor(SceneTable[index - 1].endPosition)) + 1;
}

}  // namespace

void RunAheadTo(const SeekTarget& target, bool silent) {
  Seek& seek = State();
  seek.target = target;
  seek.reached = false;
  seek.restoreAtFirstFrame = true;
  seek.sound = platform::Mode().sound;
  platform::Mode().presenting = false;
  if (silent) platform::Mode().sound = platform::Sound::Virtual;
  platform::UseVirtualClock(AheadFps);
  BeginSnapshots(AheadFps);
  platform::SetFrameSink(AheadSink);
}

bool RunAheadDone() { return State().reached; }

void JumpTo(const SeekTarget& target) { State().jump = target; }

bool ViewerKey(unsigned virtualKey) {
  const std::int64_t now = GetTickCount() - StartTick;
  switch (virtualKey) {
    case KeyRight:
      if (SceneIndex + 1 < SceneTableSize) JumpTo({SeekTarget::Kind::Position, EntryStart(SceneIndex + 1)});
      return true;
    case KeyLeft:
      JumpTo({SeekTarget::Kind::Position, EntryStart(std::max(0, SceneIndex - 1))});
      return true;
    case KeyPageDown:
      JumpTo({SeekTarget::Kind::Tick, now + PageMs});
      return true;
    case KeyPageUp:
      JumpTo({SeekTarget::Kind::Tick, std::max<std::int64_t>(0, now - PageMs)});
      return true;
  }
  return false;
}

}  // namespace launcher
