// "3dfx": our neon emblem, the letters K and P inside a double ring, on a mid-tone steel plate
// so that the scenes that invert its luma show it on a dark ground.
// Frames 0 to frames-6 form a loop: a ring of dashes turns by one dash, a bright sweep crosses
// the letters and the colours breathe. Frame frames-5 flares up, and the last four frames loop
// as a burst whose rings move outward by one spacing per four frames.
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/parallel.h"
#include "tools/art/sdf.h"

namespace art {

namespace {

struct Point {
  float x, y;
};

float SegmentDistance(Point p, Point a, Point b) {
  float px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
  float h = Clamp01((px * bx + py * by) / (bx * bx + by * by));
  float dx = px - bx * h, dy = py - by * h;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

float EmblemLetterDistance(float x, float y) {
  const Point p{x, y};
  const Point k[][2] = {{{-0.62f, -0.5f}, {-0.62f, 0.5f}}, {{-0.6f, -0.02f}, {-0.12f, 0.5f}},
                        {{-0.47f, 0.12f}, {-0.1f, -0.5f}}};
  const Point pl[][2] = {{{0.12f, -0.5f}, {0.12f, 0.5f}}, {{0.12f, 0.5f}, {0.38f, 0.5f}}, {{0.12f, 0.0f}, {0.38f, 0.0f}}};
  float d = 1e9f;
  for (const auto& s : k) d = std::min(d, SegmentDistance(p, s[0], s[1]));
  for (const auto& s : pl) d = std::min(d, SegmentDistance(p, s[0], s[1]));
  // The bowl of the P: the right half of a circle through its two bars.
  float cx = p.x - 0.38f, cy = p.y - 0.25f;
  float bowl = cx >= 0 ? std::fabs(std::sqrt(cx * cx + cy * cy) - 0.25f) : 1e9f;
  return std::min(d, bowl);
}

namespace {

float LetterDistance(Point p) { return EmblemLetterDistance(p.x, p.y); }

// One neon stroke laid onto the plate: a dark rim, a coloured tube and a white-hot core. The
// rim keeps the stroke readable when a scene inverts the picture's luma (it turns light there,
// while the core turns dark).
Vec3 Stroke(Vec3 under, float distance, float width, Vec3 colour, float strength) {
  float rim = SmoothStep(width * 2.4f, width * 1.6f, distance);
  float tube = SmoothStep(width * 1.5f, width * 0.9f, distance);
  float core = SmoothStep(width * 0.8f, width * 0.3f, distance);
  Vec3 c = Lerp(under, Vec3{0.12f, 0.04f, 0.16f}, rim * 0.85f * strength);
  c = Lerp(c, colour, tube * strength);
  return Lerp(c, Vec3{1, 1, 1}, core * strength);
}

}  // namespace

std::vector<Canvas> RenderEmblem(int size, int frames) {
  const int loopFrames = frames - 5;
  const float aspect = 4.0f / 3.0f;
  std::vector<Canvas> out;
  for (int f = 0; f < frames; ++f) {
    bool burst = f >= loopFrames;
    float phase = burst ? 0 : static_cast<float>(f) / loopFrames;  // 0..1 round the loop
    float flare = f == loopFrames ? 0.6f : burst ? 1.0f : 0.0f;
    float burstPhase = burst ? static_cast<float>((f - loopFrames - 1 + 4) % 4) / 4 : 0;
    Canvas frame(size, size);
    ForEachRow(size, [&](int row) {
      for (int col = 0; col < size; ++col) {
        Point p{((col + 0.5f) / size * 2 - 1) * aspect * 1.25f, (1 - (row + 0.5f) / size * 2) * 1.25f};
        float r = std::sqrt(p.x * p.x + p.y * p.y), angle = std::atan2(p.y, p.x);
        float breathe = 0.5f + 0.5f * std::cos(2 * Pi * phase);
        Vec3 cyan{0.1f, 0.75f, 1.0f}, magenta{1.0f, 0.2f, 0.8f};
        Vec3 ringColour = Lerp(cyan, magenta, breathe * 0.6f);
        // A mid-tone steel plate: straight it is a light ground, inverted a dark one.
        float groove = 0.02f * std::sin(r * 150.0f);
        Vec3 colour = Vec3{0.55f, 0.62f, 0.72f} * (1.0f + groove + 0.04f * r * r);
        // Dashes between the rings, turning by one dash over the loop.
        const int dashes = 24;
        float a = angle / (2 * Pi) * dashes - phase;
        float dash = std::fabs(a - std::round(a));
        if (dash < 0.22f) colour = Stroke(colour, std::fabs(r - 0.97f), 0.02f, ringColour, 0.7f);
        colour = Stroke(colour, std::fabs(r - 0.86f), 0.018f, ringColour, 0.9f);
        colour = Stroke(colour, std::fabs(r - 1.08f), 0.012f, ringColour, 0.6f);
        // A bright sweep crossing the letters once per loop.
        float sweep = p.x + p.y * 0.4f - (phase * 3.2f - 1.6f);
        Vec3 letterColour = Lerp(Lerp(magenta, cyan, breathe * 0.5f), Vec3{1.0f, 0.9f, 0.7f},
                                 std::exp(-sweep * sweep * 30.0f));
        colour = Stroke(colour, LetterDistance(p), 0.035f, letterColour, 1.0f);
        if (flare > 0) {
          float rings = r * 4.0f - burstPhase;
          float wave = std::pow(0.5f + 0.5f * std::cos(2 * Pi * rings), 8.0f) * std::exp(-r * 1.2f);
          colour += Lerp(magenta, Vec3{1, 0.9f, 0.6f}, 0.5f) * (wave * 0.6f * flare);
          colour += Vec3{1, 1, 1} * (std::exp(-r * 3.0f) * 0.3f * flare);
        }
        frame.At(col, row) = Vec3{Clamp01(colour.x), Clamp01(colour.y), Clamp01(colour.z)};
      }
    });
    out.push_back(std::move(frame));
  }
  return out;
}

}  // namespace art
