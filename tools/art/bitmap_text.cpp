// Bitmap 1002: lines of our own text in our own font, crisp and light, over a dark glow of
// large blurred words. It scrolls with wrapping, so every part of it repeats without a seam.
#include <cassert>
#include <cmath>

#include "tools/art/bitmaps.h"
#include "tools/art/font.h"
#include "tools/art/noise.h"

namespace art {

namespace {

constexpr int kSize = 256;

struct TextBlock {
  const char* title;
  const char* lines[4];
};

constexpr TextBlock kBlocks[] = {
    {"KORVO AND PELTA",
     {"A DEMO MADE OF CODE, LIGHT AND NOISE", "EVERY PIXEL DRAWN BY OUR OWN PROGRAMS",
      "NO CAMERA, NO SCANNER, NO BORROWED ART", "JUST ARITHMETIC AND A LOT OF PATIENCE"}},
    {"640 X 480 X 16",
     {"THE MACHINE TURNS, THE BOTTLE SPINS", "THE FOIL FLOWS AND THE TOWERS STAND",
      "A FACE WATCHES FROM BEHIND THE GLASS", "SPIKES ORBIT THE CAMERA IN THE DARK"}},
    {"GREETINGS",
     {"TO EVERYONE WHO STILL COUNTS CYCLES", "TO THE TRACKERS AND THE PIXEL PUSHERS",
      "TO THE ONES WHO STAY UP UNTIL SUNRISE", "AND TO YOU, WATCHING THIS SCROLL BY"}},
    {"KEEP IT REAL",
     {"TALO KONE PULLO KELMU MINA PIIKKI", "ZOOM, TURN, TINT, ADD, COPY, REPEAT",
      "BLACK ADDS NOTHING, LIGHT ADDS UP", "SEE YOU AT THE NEXT PARTY. BYE!"}},
};

constexpr const char* kBackgroundWords[] = {"KORVO", "PELTA", "LIGHT", "NOISE"};

}  // namespace

Canvas MakeTextGlow() {
  Mask titles(kSize, kSize), small(kSize, kSize), big(kSize, kSize);
  for (int b = 0; b < 4; ++b) {
    int top = b * 64;
    StampText(titles, kBlocks[b].title, 4, top + 4, 2, true);
    for (int l = 0; l < 4; ++l) {
      assert(TextWidth(kBlocks[b].lines[l], 1) <= kSize);
      StampText(small, kBlocks[b].lines[l], 2, top + 24 + l * 10, 1, true);
    }
    // Large words behind, staggered, to be blurred into a glow.
    StampText(big, kBackgroundWords[b], b * 37, top + 14, 5, true);
  }
  Canvas bigLayer(kSize, kSize), titleLayer(kSize, kSize);
  for (size_t i = 0; i < bigLayer.pixels.size(); ++i) {
    bigLayer.pixels[i].x = big.values[i];
    titleLayer.pixels[i].x = titles.values[i];
  }
  Canvas haze = Blur(bigLayer, 4.5f, true);
  Canvas halo = Blur(titleLayer, 1.4f, true);
  Canvas out(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      size_t i = static_cast<size_t>(y) * kSize + x;
      float cloud = std::max(0.0f, Fractal2(x / 64.0f, y / 64.0f, 4, 4, 1002) + 0.2f);
      Vec3 colour = Vec3{0.06f, 0.12f, 0.2f} * cloud;
      colour += Vec3{0.3f, 0.16f, 0.55f} * haze.pixels[i].x;
      colour += Vec3{0.4f, 0.3f, 0.15f} * halo.pixels[i].x;
      if (small.values[i] > 0) colour = Vec3{0.72f, 0.84f, 1.0f};
      if (titles.values[i] > 0) colour = Vec3{1.0f, 0.94f, 0.82f};
      // The scroller adds two copies and the tunnels feed on them: three quarters leaves room.
      out.At(x, y) = colour * 0.75f;
    }
  }
  return out;
}

}  // namespace art
