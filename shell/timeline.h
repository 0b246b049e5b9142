// The timeline: once per frame the music position picks the scene-table entry, and the time since
// the previous frame becomes FrameDelta. Scenes never see the music position.
#pragma once

#include "core/shared.h"
#include "platform/win32/win32.h"
#include "shell/scene_table.h"

// Past this position the demo ends (song position 20, row 48), after that frame is drawn.
constexpr MusicPosition EndPosition = 0x1430;

// Measures the frame time, advances the table by at most one entry, sets QuitFlag past the end
// position, and calls the current scene.
void RunTimeline(MusicPosition position);
// The same step over any table of SceneTableSize entries (RunTimeline uses SceneTable).
void StepTimeline(const SceneTableEntry* table, MusicPosition position);
// Back to the state before the first frame (tests, and a demo started again in one process).
void ResetTimeline();
// The tick count the next step measures FrameDelta from, and whether a step ran yet (snapshots
// of the demo's state save and restore them).
struct TimelineClock {
  DWORD previousTick;
  bool stepped;
};
TimelineClock SavedTimelineClock();
void RestoreTimelineClock(const TimelineClock& clock);
