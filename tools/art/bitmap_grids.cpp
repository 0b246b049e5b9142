// The two tiling grids: 1001 (orange and yellow streaks of light running along a grid, on
// black) and 1006 (a green grid of cells filled with code-like text). Everything is drawn
// modulo the picture size, so both repeat without a seam.
#include <cmath>
#include <string>

#include "tools/art/bitmaps.h"
#include "tools/art/font.h"
#include "tools/art/noise.h"

namespace art {

namespace {

constexpr int kSize = 256;

Vec3 ToneMap(Vec3 c, float exposure) {
  return {1 - std::exp(-c.x * exposure), 1 - std::exp(-c.y * exposure), 1 - std::exp(-c.z * exposure)};
}

// Adds light along a grid line; lines sit on the pixel boundary at `offset`, two pixels wide,
// so that a sample exactly on the boundary (u or v of 0) lands on the line.
void AddAlongLine(Canvas& core, bool horizontal, int offset, int along, float value) {
  for (int w = -1; w <= 0; ++w) {
    Vec3& p = horizontal ? core.Wrapped(along, offset + w) : core.Wrapped(offset + w, along);
    p.x += value;
  }
}

}  // namespace

Canvas MakeStreakGrid() {
  constexpr int kSpacing = 32;
  Canvas core(kSize, kSize);
  std::uint32_t seed = 1001;
  for (int line = 0; line < kSize / kSpacing; ++line) {
    for (int horizontal = 0; horizontal < 2; ++horizontal) {
      int offset = line * kSpacing;
      for (int i = 0; i < kSize; ++i) AddAlongLine(core, horizontal, offset, i, 0.1f);
      int streaks = 2 + static_cast<int>(HashUnit(seed, line, horizontal) * 3);
      for (int s = 0; s < streaks; ++s) {
        std::uint32_t h = Hash(seed, static_cast<std::uint32_t>(line * 2 + horizontal), static_cast<std::uint32_t>(s));
        int start = static_cast<int>(h % kSize);
        int length = 24 + static_cast<int>(HashUnit(h, 1) * 90);
        int direction = (h & 0x100) ? 1 : -1;
        float brightness = 0.6f + HashUnit(h, 2) * 0.9f;
        for (int i = 0; i <= length; ++i) {
          float f = static_cast<float>(i) / length;
          AddAlongLine(core, horizontal, offset, start + direction * i, brightness * std::pow(f, 1.6f));
        }
        // The streak's head flares across the line.
        int head = start + direction * length;
        for (int k = -3; k <= 3; ++k)
          AddAlongLine(core, !horizontal, head, offset + k, brightness * 0.5f / (1 + std::abs(k)));
      }
    }
  }
  // Sparks where some lines cross.
  for (int gy = 0; gy < kSize / kSpacing; ++gy) {
    for (int gx = 0; gx < kSize / kSpacing; ++gx) {
      if (HashUnit(seed, 77, static_cast<std::uint32_t>(gy * 16 + gx)) > 0.35f) continue;
      for (int k = -6; k <= 6; ++k) {
        float v = 1.2f / (1 + std::abs(k) * 0.7f);
        AddAlongLine(core, true, gy * kSpacing, gx * kSpacing + k, v);
        AddAlongLine(core, false, gx * kSpacing, gy * kSpacing + k, v);
      }
    }
  }
  Canvas nearGlow = Blur(core, 1.6f, true);
  Canvas farGlow = Blur(core, 5.0f, true);
  Canvas out(kSize, kSize);
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    float c = core.pixels[i].x, g = nearGlow.pixels[i].x * 0.9f + farGlow.pixels[i].x * 0.7f;
    Vec3 colour = Vec3{1.0f, 0.86f, 0.42f} * c + Vec3{1.0f, 0.42f, 0.06f} * g;
    colour = ToneMap(colour, 1.5f);
    // Between the streaks a stone so dark it reads as black, yet with red just high enough
    // (8 of 255) to survive the colour key: keyed objects textured with this grid stand as solid
    // silhouettes, not as loose lines, while objects added onto the frame gain next to nothing.
    const int x = static_cast<int>(i % kSize), y = static_cast<int>(i / kSize);
    float grain = 0.8f + 0.4f * (0.5f + 0.5f * Fractal2(x / 8.0f, y / 8.0f, 3, 32, 1011));
    Vec3 stone = Vec3{0.045f, 0.04f, 0.05f} * grain;
    out.pixels[i] = Vec3{std::max(colour.x, stone.x), std::max(colour.y, stone.y), std::max(colour.z, stone.z)};
  }
  SeparateFromKey(out, 0.0f);
  return out;
}

Canvas MakeCodeGrid() {
  constexpr int kCell = 32;
  Mask ink(kSize, kSize), boxes(kSize, kSize), lines(kSize, kSize);
  const char* words[] = {"KORVO", "PELTA", "TALO", "KONE", "MINA", "PULLO", "KELMU", "ITEM", "3DFX", "PIIKKI",
                         "CYL", "SYNC", "LOOP", "ZOOM", "GLOW", "FADE"};
  const char hex[] = "0123456789ABCDEF";
  for (int gy = 0; gy < kSize / kCell; ++gy) {
    for (int gx = 0; gx < kSize / kCell; ++gx) {
      std::uint32_t h = Hash(1006, static_cast<std::uint32_t>(gx), static_cast<std::uint32_t>(gy));
      int x0 = gx * kCell + 2, y0 = gy * kCell + 3;
      float kind = HashUnit(h, 1);
      if (gy == 4) continue;  // the row of large text
      if (kind < 0.18f) {
        for (int y = 1; y < kCell - 1; ++y)
          for (int x = 1; x < kCell - 1; ++x) boxes.At(gx * kCell + x, gy * kCell + y) = 1;
        StampText(ink, words[h % 16], x0, y0 + 9, 1, true);
      } else if (kind < 0.8f) {
        for (int row = 0; row < 3; ++row) {
          std::string code;
          for (int k = 0; k < 4; ++k) code += hex[Hash(h, static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(k)) % 16];
          if (HashUnit(h, 9, static_cast<std::uint32_t>(row)) < 0.25f) code = words[Hash(h, 5, static_cast<std::uint32_t>(row)) % 16];
          StampText(ink, code.substr(0, 5), x0, y0 + row * 9, 1, true);
        }
      }
    }
  }
  // One large line of text across the tile, wrapping.
  StampText(ink, "KORVO AND PELTA * ", 0, 4 * kCell + 9, 2, true);
  for (int i = 0; i < kSize; ++i) {
    for (int k = 0; k < kSize; k += 8) {
      float weight = (k % kCell == 0) ? 1.0f : 0.3f;
      lines.At(k, i) = std::max(lines.At(k, i), weight);
      lines.At(i, k) = std::max(lines.At(i, k), weight);
    }
  }
  Canvas glowSource(kSize, kSize);
  for (size_t i = 0; i < glowSource.pixels.size(); ++i)
    glowSource.pixels[i].x = (lines.values[i] >= 1 ? 1.0f : 0.0f) + ink.values[i] * 0.6f;
  Canvas glow = Blur(glowSource, 2.5f, true);
  Canvas out(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      size_t i = static_cast<size_t>(y) * kSize + x;
      float cloud = 0.5f + 0.5f * Fractal2(x / 32.0f, y / 32.0f, 3, 8, 1006);
      Vec3 colour = Vec3{0.02f, 0.09f, 0.04f} * (0.6f + 0.8f * cloud);
      // Held below full brightness: the cylinder scenes smear the frame with eight added trails.
      colour += Vec3{0.08f, 0.45f, 0.16f} * lines.values[i];
      colour += Vec3{0.08f, 0.48f, 0.2f} * glow.pixels[i].x;
      if (boxes.values[i] > 0) colour = Vec3{0.26f, 0.66f, 0.3f} * (0.8f + 0.2f * cloud);
      if (ink.values[i] > 0) colour = boxes.values[i] > 0 ? Vec3{0.02f, 0.12f, 0.04f} : Vec3{0.58f, 0.8f, 0.54f};
      out.At(x, y) = colour;
    }
  }
  return out;
}

}  // namespace art
