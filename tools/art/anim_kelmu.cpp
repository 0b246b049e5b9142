// "kelmu": crumpled foil that flows. A height field of ridged noise, warped by noise that moves
// round a circle in time (so the last frame leads back into the first), lit from above with
// thin-film colours that change with the surface slope, and hard glints along the creases.
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/noise.h"
#include "tools/art/parallel.h"

namespace art {

namespace {

float Height(float x, float y, float phase) {
  float cx = std::cos(phase) * 0.6f, cy = std::sin(phase) * 0.6f;
  float wx = Fractal3(x * 0.8f + cx, y * 0.8f, cy + 3.1f, 2, 41);
  float wy = Fractal3(x * 0.8f, y * 0.8f + cy, cx + 7.7f, 2, 42);
  float px = x + wx * 0.8f, py = y + wy * 0.8f;
  // Ridged sum: creases where the noise crosses zero.
  float h = 0, amplitude = 0.6f, frequency = 0.9f;
  for (int o = 0; o < 3; ++o) {
    h += (1 - std::fabs(Noise3(px * frequency, py * frequency, 11.0f * o + cx * 0.5f, 50 + o))) * amplitude;
    amplitude *= 0.5f;
    frequency *= 2.1f;
  }
  return h;
}

}  // namespace

std::vector<Canvas> RenderKelmu(int size, int frames) {
  std::vector<Canvas> out;
  const float aspect = 4.0f / 3.0f;
  for (int f = 0; f < frames; ++f) {
    float phase = 2 * Pi * f / frames;
    Canvas frame(size, size);
    ForEachRow(size, [&](int row) {
      for (int col = 0; col < size; ++col) {
        float x = (col + 0.5f) / size * 2.0f * aspect, y = (row + 0.5f) / size * 2.0f;
        const float e = 0.004f;
        float h = Height(x, y, phase);
        float dx = (Height(x + e, y, phase) - h) / e, dy = (Height(x, y + e, phase) - h) / e;
        Vec3 n = Normalize(Vec3{-dx * 0.25f, -dy * 0.25f, 1});
        Vec3 light = Normalize(Vec3{-0.5f, -0.6f, 0.8f});
        float diffuse = std::max(0.0f, Dot(n, light));
        Vec3 half = Normalize(light + Vec3{0, 0, 1});
        float glint = std::pow(std::max(0.0f, Dot(n, half)), 60.0f);
        // Thin film: hue from film thickness (height) and viewing slope.
        float film = h * 1.7f + (1 - n.z) * 4.0f;
        Vec3 hue{0.5f + 0.5f * std::cos(2 * Pi * film), 0.5f + 0.5f * std::cos(2 * Pi * (film - 0.33f)),
                 0.5f + 0.5f * std::cos(2 * Pi * (film - 0.67f))};
        // Mostly silver, tinted by the film.
        Vec3 tint = Lerp(Vec3{0.75f, 0.78f, 0.85f}, hue, 0.6f);
        // Shadows lifted and the whole kept light: one scene shows the foil as a negative, where
        // deep creases would turn to white and a dark foil to a washed-out pastel.
        Vec3 colour = tint * (0.42f + 0.55f * diffuse) + Vec3{1.0f, 0.95f, 0.9f} * (glint * 0.5f);
        frame.At(col, row) = colour;
      }
    });
    out.push_back(std::move(frame));
  }
  return out;
}

}  // namespace art
