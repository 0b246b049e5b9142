// The timeline: once per frame the music position picks the scene-table entry, and the time since
// the previous frame becomes FrameDelta. Scenes never see the music position.
#pragma once

#include <cstdint>

#include "shell/scene_table.h"

// row | (song position << 8): 0x0520 is row 32 of song position 5.
using MusicPosition = std::int32_t;

// Past this position the demo ends (song position 20, row 48), after that frame is drawn.
constexpr MusicPosition EndPosition = 0x1430;

// Time since the previous frame in units of 1/15 s (milliseconds x 0.015); written once per
// frame before the scene runs, read by every scene.
extern float FrameDelta;
// The current scene-table entry, 0 to 25; only grows.
extern std::int32_t SceneIndex;

// Measures the frame time, advances the table by at most one entry, sets QuitFlag past the end
// position, and calls the current scene.
void RunTimeline(MusicPosition position);
// The same step over any table of SceneTableSize entries (RunTimeline uses SceneTable).
void StepTimeline(const SceneTableEntry* table, MusicPosition position);
// Back to the state before the first frame (tests, and a demo started again in one process).
void ResetTimeline();
