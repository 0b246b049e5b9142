#include "shell/overlay.h"

#include <cstdio>

#include "shell/graphics.h"

namespace {

char OverlayText[128] = "";

}  // namespace

void DrawStatsOverlay(std::int32_t frameCounter, std::int32_t elapsedMilliseconds) {
  if (elapsedMilliseconds > 0) {
    std::snprintf(OverlayText, sizeof OverlayText,
                  " frame:%05d sec:%05d.%03d fps:%3.3f KORVO JA PELTA!", frameCounter,
                  elapsedMilliseconds / 1000, elapsedMilliseconds % 1000,
                  frameCounter * 1000.0 / elapsedMilliseconds);
  }
  // 2 pixels from the left and the top of 640 x 480, grey 127.
  Context->DrawDebugText(0.003125f, 0.0041666669f, 0x007F7F7F, OverlayText);
}

const char* StatsOverlayText() { return OverlayText; }

void ResetStatsOverlay() { OverlayText[0] = '\0'; }
