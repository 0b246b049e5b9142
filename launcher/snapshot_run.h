// Snapshots in a running demo: writing them as a run on a virtual clock passes the start of each
// scene-table entry and every 5 s, and going to a place through the latest one that allows it,
// then running ahead unseen and silent on the virtual clock until the place is reached.
//
// Frames of a run are counted from 0 by the frame sink, which calls NoteSnapshotFrame once per
// frame while a virtual clock runs. Demo thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "launcher/snapshot.h"

namespace launcher {

// Where a run goes: the first frame whose music position, or whose tick count, is at least value.
struct SeekTarget {
  enum class Kind { Position, Tick };
  Kind kind = Kind::Position;
  std::int64_t value = 0;
  bool ReachedAt(std::int64_t position, std::int64_t tick) const {
    return (kind == Kind::Position ? position : tick) >= value;
  }
};

// Song time between two snapshots that a run passes.
constexpr std::uint32_t SnapshotIntervalMs = 5000;

// This run's frames from here on are frames 0, 1, ... of the virtual clock at fps, and their
// snapshots are wanted. A cache folder that cannot be made or written is told once on standard
// error; snapshots are then kept in memory for this run only.
void BeginSnapshots(int fps);
// No more snapshots in this run (its clock is no longer the virtual one).
void EndSnapshots();
// From the frame sink, once per frame while snapshots are wanted: writes one when this frame
// starts a scene-table entry or passes a multiple of SnapshotIntervalMs, unless the cache holds
// it already.
void NoteSnapshotFrame();
// The frame NoteSnapshotFrame counts next.
std::uint32_t NextSnapshotFrame();

// Restores the latest snapshot of this frame rate from which a run reaches `target` exactly: one
// before the target's frame, or (landOn) the target's frame itself. The clock and the song move
// to that frame; `inSink` tells that the caller is the frame sink, before the clock moved on.
// Damaged or stale files are removed and passed over. nullopt, changing nothing, when none fits.
std::optional<SnapshotMark> RestoreSnapshotFor(const SeekTarget& target, bool landOn, bool inSink);

}  // namespace launcher
