// The portrait bitmaps, all of the one sculpted bust: 1003 warm and lit from the side, 1004
// turned the other way in green and yellow, 1005 a faint blue face crossed by thin bright
// diagonals. 1003 and 1004 are drawn with colour keying, so their background is exactly black
// and the edges of the bust stay bright enough to be kept.
#include <cmath>

#include "tools/art/bitmaps.h"
#include "tools/art/bust.h"
#include "tools/art/noise.h"

namespace art {

namespace {

// Bust pixels are scaled by coverage; then keyed-out dark edge pixels are dropped or raised.
Canvas KeySafe(const BustPicture& bust) {
  Canvas out = bust.colour;
  for (size_t i = 0; i < out.pixels.size(); ++i)
    if (bust.coverage[i] < 0.35f) out.pixels[i] = Vec3{};
  SeparateFromKey(out, 0.0f);
  return out;
}

Vec3 Gradient(float t, const Vec3* stops, int count) {
  t = Clamp01(t) * (count - 1);
  int i = std::min(static_cast<int>(t), count - 2);
  return Lerp(stops[i], stops[i + 1], t - i);
}

}  // namespace

Canvas MakePortrait() {
  BustView view;
  view.shownAspect = 1.0667f;
  view.samples = 3;
  view.eye = {0.6f, 0.45f, -4.1f};
  view.target = {0, 0.16f, 0};
  BustPose pose;
  pose.headYaw = 0.32f;
  pose.headPitch = 0.06f;
  pose.bodyYaw = 0.12f;
  BustLook look;
  look.key = {{-0.7f, 0.6f, -0.6f}, {1.25f, 0.95f, 0.7f}};
  look.fill = {{0.8f, -0.1f, -0.5f}, {0.12f, 0.16f, 0.3f}};
  look.rim = {{0.9f, 0.35f, 0.9f}, {0.5f, 0.75f, 1.2f}};
  look.ambient = {0.07f, 0.06f, 0.07f};
  look.skin = {0.86f, 0.6f, 0.46f};
  look.hair = {0.32f, 0.14f, 0.07f};
  look.cloth = {0.12f, 0.16f, 0.32f};
  look.lip = {0.8f, 0.45f, 0.4f};
  return KeySafe(RenderBust(view, pose, look));
}

Canvas MakeGreenPortrait() {
  BustView view;
  view.width = 720;
  view.height = 576;
  view.shownAspect = 4.0f / 3.0f;
  view.samples = 2;
  view.eye = {-0.5f, 0.5f, -3.6f};
  view.target = {0, 0.3f, 0};
  view.fovDegrees = 30;
  BustPose pose;
  pose.headYaw = -0.42f;
  pose.headPitch = 0.1f;
  pose.headRoll = 0.05f;
  pose.bodyYaw = -0.2f;
  BustLook look;
  look.key = {{0.8f, 0.7f, -0.5f}, {1.25f, 1.25f, 1.25f}};
  look.fill = {{-0.7f, 0.0f, -0.6f}, {0.1f, 0.1f, 0.1f}};
  look.rim = {{-0.8f, 0.4f, 1.0f}, {0.9f, 0.9f, 0.9f}};
  look.ambient = {0.05f, 0.05f, 0.05f};
  look.skin = {0.8f, 0.8f, 0.8f};
  look.hair = {0.35f, 0.35f, 0.35f};
  look.cloth = {0.45f, 0.45f, 0.45f};
  look.lip = {0.6f, 0.6f, 0.6f};
  BustPicture bust = RenderBust(view, pose, look);
  const Vec3 stops[] = {{0.05f, 0.12f, 0.03f}, {0.12f, 0.34f, 0.05f}, {0.42f, 0.66f, 0.08f},
                        {0.88f, 0.9f, 0.22f}, {1.0f, 1.0f, 0.72f}};
  for (size_t i = 0; i < bust.colour.pixels.size(); ++i) {
    float c = bust.coverage[i];
    if (c <= 0) continue;
    float l = Luminance(bust.colour.pixels[i]) / c;
    bust.colour.pixels[i] = Gradient(std::pow(l, 1.15f), stops, 5) * c;
  }
  return KeySafe(bust);
}

Canvas MakeLineFace() {
  BustView view;
  view.shownAspect = 4.0f / 3.0f;
  view.samples = 2;
  view.eye = {0, 0.55f, -3.2f};
  view.target = {0, 0.5f, 0};
  view.fovDegrees = 26;
  BustPose pose;
  BustLook look;
  look.key = {{-0.3f, 0.5f, -1.0f}, {0.9f, 0.9f, 1.0f}};
  look.fill = {{0.6f, 0.0f, -0.6f}, {0.2f, 0.2f, 0.3f}};
  look.rim = {{0.5f, 0.5f, 1.0f}, {0.4f, 0.4f, 0.6f}};
  look.skin = look.hair = look.cloth = look.lip = {0.7f, 0.7f, 0.75f};
  BustPicture face = RenderBust(view, pose, look);
  Canvas out(256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      float l = Luminance(face.colour.At(x, y));
      out.At(x, y) = Vec3{0.2f, 0.25f, 0.5f} * (l * 0.12f);
    }
  }
  // The ring tunnel adds thirty-one enlarged copies at 40/255 each, so the picture must stay
  // almost black: its light is a few thin lines. Rings round the centre (ellipses here, circles
  // on the 4:3 screen), which every enlarged copy shows at its own radius: a tunnel of rings.
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      float dx = (x + 0.5f - 128) / 0.75f, dy = y + 0.5f - 128;
      float r = std::sqrt(dx * dx + dy * dy);
      for (int k = 0; k < 5; ++k) {
        float radius = 12.0f + 15.0f * k + 1.5f * k * k;
        float d = std::fabs(r - radius);
        if (d > 1.5f) continue;
        Vec3 colour = (k % 2 == 0) ? Vec3{0.55f, 0.85f, 1.0f} : Vec3{1.0f, 0.5f, 0.85f};
        out.At(x, y) += colour * (Clamp01(1.1f - d) * 0.85f);
      }
    }
  }
  // Thin diagonals, most through the middle, which the tunnel enlarges most.
  for (int k = 0; k < 7; ++k) {
    float along = (HashUnit(1005, k) - 0.5f) * (k < 4 ? 150.0f : 400.0f);
    bool rising = (k % 3) != 0;
    Vec3 colour = (k % 5 == 0) ? Vec3{1.0f, 0.55f, 0.9f} : Vec3{0.6f, 0.9f, 1.0f};
    float brightness = 0.35f + 0.35f * HashUnit(1005, k, 1);
    float phase = HashUnit(1005, k, 2) * 6.28f;
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        float d = rising ? (x + y - 256 - along) : (x - y - along);
        d = std::fabs(d) * 0.7071f;
        if (d > 1.5f) continue;
        float cover = Clamp01(1.2f - d);
        float pulse = 0.55f + 0.45f * std::sin((x - y) * 0.045f + phase);
        out.At(x, y) += colour * (cover * brightness * pulse);
      }
    }
  }
  for (Vec3& p : out.pixels) {
    p = Vec3{Clamp01(p.x), Clamp01(p.y), Clamp01(p.z)};
    if (Luminance(p) < 0.012f) p = Vec3{};
  }
  return out;
}

}  // namespace art
