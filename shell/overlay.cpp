#include "shell/overlay.h"

#include <cstdio>

#include "platform/d3d/texture.h"
#include "shell/graphics.h"
#include "shell/scene_table.h"

namespace {

// Two text lines of 8-pixel cells from y = 2, with a pixel to spare below.
constexpr int BandRows = 22;

char OverlayText[128] = "";
char PositionText[128] = "";

// Each channel at an eighth: white becomes darker than the grey text. A high-definition frame
// has its band scale times as tall, in 16 or 32 bits.
void DarkenBand() {
  Texture* picture = BackBuffer->texture();
  const int rows = BandRows * picture->scale();
  const int count = picture->width() * (rows < picture->height() ? rows : picture->height());
  if (picture->trueColour()) {
    std::uint32_t* colours = picture->widened();
    for (int i = 0; i < count; ++i) colours[i] = (colours[i] >> 3) & 0x1F1F1F;
    return;
  }
  std::uint16_t* pixels = picture->pixels();
  for (int i = 0; i < count; ++i) pixels[i] = static_cast<std::uint16_t>((pixels[i] >> 3) & 0x18E3);
}

// Nothing for the exact rendering; else its frame size and depth, as " 1280x960 32-bit".
const char* RenderingText() {
  static char text[32];
  const Texture* picture = BackBuffer->texture();
  if (picture->scale() == 1 && !picture->trueColour()) return "";
  std::snprintf(text, sizeof text, " %dx%d %s", picture->width(), picture->height(),
                picture->trueColour() ? "32-bit" : "16-bit");
  return text;
}

}  // namespace

void DrawStatsOverlay(std::int32_t frameCounter, std::int32_t elapsedMilliseconds, MusicPosition position) {
  if (elapsedMilliseconds > 0) {
    std::snprintf(OverlayText, sizeof OverlayText,
                  " frame:%05d sec:%05d.%03d fps:%3.3f KORVO JA PELTA!", frameCounter,
                  elapsedMilliseconds / 1000, elapsedMilliseconds % 1000,
                  frameCounter * 1000.0 / elapsedMilliseconds);
  }
  std::snprintf(PositionText, sizeof PositionText, " pos:0x%04X entry:%02d %s%s", static_cast<unsigned>(position),
                static_cast<int>(SceneIndex), SceneTable[SceneIndex].name, RenderingText());
  DarkenBand();
  // 2 pixels from the left and the top of 640 x 480, grey 127; the position line 10 pixels lower.
  Context->DrawDebugText(0.003125f, 0.0041666669f, 0x007F7F7F, OverlayText);
  Context->DrawDebugText(0.003125f, 0.025f, 0x007F7F7F, PositionText);
}

const char* StatsOverlayText() { return OverlayText; }

const char* StatsOverlayPositionText() { return PositionText; }

void ResetStatsOverlay() {
  OverlayText[0] = '\0';
  PositionText[0] = '\0';
}
