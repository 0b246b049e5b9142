// The frame-statistics overlay: frame count, time since the first frame and mean frame rate.
#pragma once

#include <cstdint>

// Formats the text when elapsed > 0 (otherwise the previous text stays) and draws it.
void DrawStatsOverlay(std::int32_t frameCounter, std::int32_t elapsedMilliseconds);
// The text as last formatted (empty before the first formatting).
const char* StatsOverlayText();
void ResetStatsOverlay();
