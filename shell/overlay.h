// The frame-statistics overlay: frame count, time since the first frame and mean frame rate, and
// below it where the demo is: the music position (0xPPRR), the scene-table entry and its scene
// function. Both lines stand on a dark band across the top of the picture, so that they read over
// any scene.
#pragma once

#include <cstdint>

#include "core/shared.h"

// Formats the statistics when elapsed > 0 (otherwise the previous text stays), the position line
// always, and draws both.
void DrawStatsOverlay(std::int32_t frameCounter, std::int32_t elapsedMilliseconds, MusicPosition position);
// The statistics as last formatted (empty before the first formatting).
const char* StatsOverlayText();
// The position line as last drawn.
const char* StatsOverlayPositionText();
void ResetStatsOverlay();
