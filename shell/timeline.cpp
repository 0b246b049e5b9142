#include "shell/timeline.h"

#include "platform/win32/win32.h"
#include "shell/shell.h"

float FrameDelta = 0.0f;
std::int32_t SceneIndex = 0;

namespace {

DWORD PrevTick = 0;
bool FirstStepDone = false;

}  // namespace

void RunTimeline(MusicPosition position) { StepTimeline(SceneTable, position); }

void StepTimeline(const SceneTableEntry* table, MusicPosition position) {
  const DWORD now = GetTickCount();
  const DWORD reference = FirstStepDone ? PrevTick : StartTick;
  FirstStepDone = true;
  const std::int32_t elapsed = static_cast<std::int32_t>(now - reference);
  PrevTick = now;
  FrameDelta = static_cast<float>(elapsed * 0.015f);

  // At most one entry per frame: after a jump the table catches up over the next frames.
  if (static_cast<float>(position) > table[SceneIndex].endPosition &&
      SceneIndex < SceneTableSize - 1) {
    ++SceneIndex;
  }
  if (position > EndPosition) QuitFlag = 1;
  table[SceneIndex].scene();
}

void ResetTimeline() {
  FrameDelta = 0.0f;
  SceneIndex = 0;
  PrevTick = 0;
  FirstStepDone = false;
}

TimelineClock SavedTimelineClock() { return {PrevTick, FirstStepDone}; }

void RestoreTimelineClock(const TimelineClock& clock) {
  PrevTick = clock.previousTick;
  FirstStepDone = clock.stepped;
}
