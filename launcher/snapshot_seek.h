// Going to a place in the demo through snapshots: --start, and in --window mode the viewer's
// jumps (Right and Left: next and previous scene-table entry; Page Down and Page Up: 10 s on or
// back). The demo runs ahead unseen and silent on the virtual clock at AheadFps from the latest
// snapshot that allows it, writing the snapshots it passes, and from the first frame at the place
// plays on in real time with the sound as it was. A jump lands where an uninterrupted run at
// AheadFps is at that place. Demo thread only; the jumps between frames.
#pragma once

#include "launcher/snapshot_run.h"

namespace launcher {

constexpr int AheadFps = 60;

// Before WinMain: the run goes to `target` from its first frame. `silent`: the sound stays on the
// virtual sink until the target (a target at the very start needs no such change).
void RunAheadTo(const SeekTarget& target, bool silent);
// True once the run reached its target and plays in real time.
bool RunAheadDone();

// Between frames of a run set up with RunAheadTo: goes to another place at the end of the next
// frame (the frame sink), from the latest snapshot that leads there; without one, it stays and
// says so on standard error.
void JumpTo(const SeekTarget& target);
// The viewer's keys (virtual-key codes): true when the key was one of them.
bool ViewerKey(unsigned virtualKey);

}  // namespace launcher
