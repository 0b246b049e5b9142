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

void Head(const SeekTarget& target) {
  Seek& seek = State();
  seek.target = target;
  seek.reached = false;
  seek.restoreAtFirstFrame = false;
  platform::Mode().presenting = false;
  platform::Mode().aheadTo = target.kind == SeekTarget::Kind::Position ? static_cast<int>(target.value) : -1;
}

// From the frame sink: the state is the frame's own, before the clock moves on.
void MakeJump(const SeekTarget& target) {
  Seek& seek = State();
  if (!seek.reached && !target.ReachedAt(HeardPosition(), GetTickCount())) {
    // Still on the way and not past the new place: on from here, or from a later snapshot.
    Head(target);
    RestoreSnapshotFor(target, true, true);
  } else {
    const platform::PlatformMode before = platform::Mode();
    platform::Mode().sound = platform::Sound::Virtual;
    BeginSnapshots(AheadFps);
    if (!RestoreSnapshotFor(target, true, true)) {
      platform::Mode() = before;
      if (seek.reached) EndSnapshots();
      std::fprintf(stderr, "korvo: no snapshot leads there\n");
      return;
    }
    if (seek.reached) seek.sound = before.sound;
    Head(target);
    // Song time counts from the virtual clock's zero, the song's start, from now on.
    StartTick = 0;
  }
  if (target.ReachedAt(HeardPosition(), GetTickCount())) Arrive(GetTickCount());
}

void AheadSink(const std::uint16_t*) {
  Seek& seek = State();
  // Every frame on the virtual clock counts, the one a jump starts from included.
  if (!seek.reached) NoteSnapshotFrame();
  if (seek.jump) {
    const SeekTarget target = *seek.jump;
    seek.jump.reset();
    return MakeJump(target);
  }
  if (seek.reached) return;
  if (seek.restoreAtFirstFrame) {
    seek.restoreAtFirstFrame = false;
    RestoreSnapshotFor(seek.target, true, true);
  }
  if (seek.target.ReachedAt(HeardPosition(), GetTickCount())) Arrive(GetTickCount());
}

// The entry a music position lies in.
int EntryOf(std::int64_t position) {
  int entry = 0;
  while (entry + 1 < SceneTableSize && position > SceneTable[entry].endPosition) ++entry;
  return entry;
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
  // Keys pressed on the way to a place count from that place, so that Right twice goes two on.
  const Seek& seek = State();
  const std::optional<SeekTarget> going = seek.jump ? seek.jump : seek.reached ? std::nullopt
                                                                               : std::optional(seek.target);
  const bool byPosition = going && going->kind == SeekTarget::Kind::Position;
  const bool byTime = going && going->kind == SeekTarget::Kind::Tick;
  const int entry = byPosition ? EntryOf(going->value) : SceneIndex;
  const std::int64_t now = byTime ? going->value : static_cast<std::int64_t>(GetTickCount() - StartTick);
  switch (virtualKey) {
    case KeyRight:
      if (entry + 1 < SceneTableSize) JumpTo({SeekTarget::Kind::Position, EntryStart(entry + 1)});
      return true;
    case KeyLeft:
      JumpTo({SeekTarget::Kind::Position, EntryStart(std::max(0, entry - 1))});
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
