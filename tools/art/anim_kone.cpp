// "kone": a machine at work. Three brass gears mesh on an iron plate, and a crank pin on the
// big gear drives a steel rod and a piston in its cylinder. Drawn as layered flat shapes with
// bevelled edges (a height from each shape's distance field) lit by a warm lamp and the glow
// of a furnace below, each layer casting a soft shadow on those behind. Over the loop the big
// gear turns once, so every part returns to where it started.
#include <cmath>
#include <functional>

#include "tools/art/animations.h"
#include "tools/art/noise.h"
#include "tools/art/parallel.h"

namespace art {

namespace {

struct P2 {
  float x, y;
};

float Len(float x, float y) { return std::sqrt(x * x + y * y); }

// Gear of pitch radius r with n teeth, turned by angle, with a hub hole and `holes` windows.
float GearDistance(P2 p, P2 centre, float r, int teeth, float angle, int holes) {
  float x = p.x - centre.x, y = p.y - centre.y;
  float d = Len(x, y);
  float a = std::atan2(y, x) - angle;
  float tooth = std::clamp(std::cos(a * teeth) * 2.2f, -1.0f, 1.0f);
  float outer = d - (r + 0.045f * tooth);
  outer *= 0.7f;  // the tooth profile stretches distances; keep it an underestimate
  float hub = 0.06f - d;
  float shape = std::max(outer, hub);
  for (int k = 0; k < holes; ++k) {
    float ha = angle + 2 * Pi * k / holes;
    float hx = x - std::cos(ha) * r * 0.55f, hy = y - std::sin(ha) * r * 0.55f;
    shape = std::max(shape, r * 0.2f - Len(hx, hy));
  }
  return shape;
}

float BoxDistance(P2 p, P2 centre, float hw, float hh, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  float x = (p.x - centre.x) * c + (p.y - centre.y) * s, y = -(p.x - centre.x) * s + (p.y - centre.y) * c;
  float qx = std::fabs(x) - hw, qy = std::fabs(y) - hh;
  return Len(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f);
}

float RodDistance(P2 p, P2 a, P2 b, float radius) {
  float px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
  float h = Clamp01((px * bx + py * by) / (bx * bx + by * by));
  return Len(px - bx * h, py - by * h) - radius;
}

struct Layer {
  std::function<float(P2)> distance;
  Vec3 albedo;
  float shininess;
};

}  // namespace

std::vector<Canvas> RenderKone(int size, int frames) {
  const float aspect = 4.0f / 3.0f;
  std::vector<Canvas> out;
  const P2 gearA{-0.55f, -0.1f}, gearB{0.3f + 0.02f, 0.28f}, gearC{0.62f, -0.42f};
  const float rA = 0.5f, rB = 0.3f, rC = 0.25f;  // 0.025 per tooth on all three
  const int nA = 20, nB = 12, nC = 10;
  // Centres sit at the sum of pitch radii; B and C are placed on circles round A and B.
  const float abAngle = std::atan2(gearB.y - gearA.y, gearB.x - gearA.x);
  const P2 b{gearA.x + std::cos(abAngle) * (rA + rB), gearA.y + std::sin(abAngle) * (rA + rB)};
  const float bcAngle = std::atan2(gearC.y - b.y, gearC.x - b.x);
  const P2 c{b.x + std::cos(bcAngle) * (rB + rC), b.y + std::sin(bcAngle) * (rB + rC)};
  const Vec3 brass{0.85f, 0.62f, 0.28f}, copper{0.8f, 0.45f, 0.3f}, steel{0.62f, 0.65f, 0.7f};
  for (int f = 0; f < frames; ++f) {
    float turn = 2 * Pi * f / frames;
    float angleA = turn;
    // Meshing: rims move together, so angles scale with tooth counts, and a tooth of one gear
    // meets a gap of the next on the line between their centres.
    float angleB = -angleA * nA / nB + abAngle * (1 + static_cast<float>(nA) / nB) + Pi - Pi / nB;
    float angleC = -angleB * nB / nC + bcAngle * (1 + static_cast<float>(nB) / nC) + Pi - Pi / nC;
    P2 pin{gearA.x + std::cos(angleA) * rA * 0.6f, gearA.y + std::sin(angleA) * rA * 0.6f};
    // The piston slides up and down above the big gear's centre.
    const float rodLength = 0.7f;
    float dx = pin.x - gearA.x;
    P2 crosshead{gearA.x, pin.y + std::sqrt(rodLength * rodLength - dx * dx)};
    const P2 gauge{0.98f, 0.62f};
    std::vector<Layer> layers = {
        {[&](P2 p) {
           return std::min(RodDistance(p, {gearA.x, 0.98f}, {gauge.x, 0.98f}, 0.035f),
                           RodDistance(p, {gauge.x, 0.98f}, gauge, 0.035f));
         }, copper * 0.8f, 30},
        {[&](P2 p) { return BoxDistance(p, {gearA.x, 1.2f}, 0.17f, 0.32f, 0); }, steel * 0.75f, 30},
        {[&](P2 p) { return Len(p.x - gauge.x, p.y - gauge.y) - 0.21f; }, brass, 50},
        {[&](P2 p) { return GearDistance(p, c, rC, nC, angleC, 4); }, copper, 40},
        {[&](P2 p) { return GearDistance(p, b, rB, nB, angleB, 3); }, brass, 40},
        {[&](P2 p) { return GearDistance(p, gearA, rA, nA, angleA, 5); }, brass, 40},
        {[&](P2 p) { return BoxDistance(p, crosshead, 0.12f, 0.1f, 0); }, steel, 60},
        {[&](P2 p) { return RodDistance(p, crosshead, pin, 0.035f); }, steel, 60},
        {[&](P2 p) { return Len(p.x - pin.x, p.y - pin.y) - 0.05f; }, brass * 1.1f, 60},
        {[&](P2 p) {
           return std::min({Len(p.x - gearA.x, p.y - gearA.y), Len(p.x - b.x, p.y - b.y), Len(p.x - c.x, p.y - c.y)}) - 0.045f;
         }, steel, 80},
    };
    Canvas frame(size, size);
    const float pixel = 1.9f / size;
    ForEachRow(size, [&](int row) {
      for (int col = 0; col < size; ++col) {
        P2 p{((col + 0.5f) / size * 2 - 1) * 0.95f * aspect + 0.02f, (1 - (row + 0.5f) / size * 2) * 0.95f + 0.1f};
        // Iron plate with rivets, lit from the furnace below.
        float plate = 0.5f + 0.25f * Fractal2(p.x * 3, p.y * 3, 4, 0, 7);
        float rx = p.x * 2.5f - std::round(p.x * 2.5f), ry = p.y * 2.5f - std::round(p.y * 2.5f);
        float rivet = SmoothStep(0.06f, 0.03f, Len(rx, ry));
        float furnace = std::exp(-(p.y + 1.4f) * 1.6f) * (0.8f + 0.2f * std::sin(turn * 3 + p.x * 4));
        // A dark plate and a low furnace glow: two scenes add this picture over bright ones.
        Vec3 colour = Vec3{0.12f, 0.11f, 0.11f} * plate + Vec3{0.25f, 0.22f, 0.2f} * rivet;
        colour += Vec3{1.0f, 0.35f, 0.08f} * (furnace * 0.3f);
        for (const Layer& layer : layers) {
          float d = layer.distance(p);
          // Shadow cast down and right onto what lies behind.
          float shadow = layer.distance({p.x - 0.05f, p.y + 0.06f});
          colour = colour * (1 - 0.6f * SmoothStep(0.04f, -0.02f, shadow));
          float coverage = Clamp01(0.5f - d / pixel);
          if (coverage <= 0) continue;
          const float e = 0.004f, bevel = 0.05f;
          auto height = [&](P2 q) { return std::min(-layer.distance(q), bevel) / bevel; };
          float h = height(p);
          Vec3 n = Normalize(Vec3{-(height({p.x + e, p.y}) - h) / e * 0.03f, -(height({p.x, p.y + e}) - h) / e * 0.03f, 1});
          Vec3 key = Normalize(Vec3{-0.5f, 0.6f, 0.7f});
          float diffuse = std::max(0.0f, Dot(n, key));
          float highlight = std::pow(std::max(0.0f, Dot(n, Normalize(key + Vec3{0, 0, 1}))), layer.shininess);
          float below = std::max(0.0f, -n.y) * furnace;
          Vec3 lit = layer.albedo * (0.18f + 0.9f * diffuse) + Vec3{1.0f, 0.9f, 0.75f} * (highlight * 0.9f) +
                     Vec3{1.0f, 0.4f, 0.1f} * (below * 1.5f);
          colour = Lerp(colour, lit, coverage);
        }
        // The gauge's face: ticks and a needle that trembles with the piston's strokes.
        float gx = p.x - gauge.x, gy = p.y - gauge.y, gr = Len(gx, gy);
        if (gr < 0.165f) {
          float shade = Clamp01(1 - gr * 2.2f) * 0.25f + 0.7f;
          Vec3 face = Vec3{0.92f, 0.88f, 0.76f} * shade;
          float a = std::atan2(gy, gx);
          float tick = std::fabs(a * 12 / Pi - std::round(a * 12 / Pi));
          if (gr > 0.12f && gr < 0.15f && tick < 0.12f && gy > -0.08f) face = Vec3{0.15f, 0.12f, 0.1f};
          float needle = Pi * 0.5f + 0.8f * std::sin(turn * 2) + 0.1f * std::sin(turn * 6);
          float nd = RodDistance(p, gauge, {gauge.x + std::cos(needle) * 0.13f, gauge.y + std::sin(needle) * 0.13f}, 0.008f);
          face = Lerp(face, Vec3{0.75f, 0.08f, 0.05f}, Clamp01(0.5f - nd / pixel));
          colour = Lerp(colour, face, Clamp01((0.165f - gr) / pixel));
        }
        frame.At(col, row) = colour;
      }
    });
    out.push_back(std::move(frame));
  }
  return out;
}

}  // namespace art
