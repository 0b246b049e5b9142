// "mina": a face, the sculpted bust in coloured light, turning its head from the viewer's
// right to left; frame 4 (shown as a still) looks straight at the viewer. The mouth moves as if
// speaking and the eyes blink once.
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/bust.h"

namespace art {

std::vector<Canvas> RenderMina(int size, int frames) {
  std::vector<Canvas> out;
  for (int f = 0; f < frames; ++f) {
    BustView view;
    view.width = view.height = size;
    view.shownAspect = 4.0f / 3.0f;
    view.samples = 2;
    view.eye = {0, 0.55f, -3.6f};
    view.target = {0, 0.42f, 0};
    view.fovDegrees = 23;
    BustPose pose;
    pose.headYaw = (f - 4) * 0.11f;
    pose.headPitch = 0.04f * std::sin(f * 0.9f);
    pose.bodyYaw = pose.headYaw * 0.3f;
    pose.mouthOpen = (f == 2 || f == 6) ? 0.5f : (f == 3) ? 0.25f : 0.0f;
    pose.eyesOpen = f == 7 ? 0.1f : 1.0f;
    BustLook look;
    look.key = {{-0.8f, 0.5f, -0.7f}, {1.1f, 0.55f, 0.9f}};
    look.fill = {{0.6f, -0.2f, -0.8f}, {0.15f, 0.25f, 0.35f}};
    look.rim = {{0.9f, 0.3f, 0.8f}, {0.3f, 0.9f, 1.3f}};
    look.ambient = {0.05f, 0.04f, 0.08f};
    look.skin = {0.85f, 0.7f, 0.6f};
    look.hair = {0.12f, 0.1f, 0.16f};
    look.cloth = {0.3f, 0.1f, 0.35f};
    look.lip = {0.85f, 0.4f, 0.45f};
    look.iris = {0.2f, 0.5f, 0.4f};
    BustPicture bust = RenderBust(view, pose, look);
    // A violet backdrop with a soft glow behind the head. Not dark: its one scene shows the
    // frame through a contrast that crushes darks, and the spike object there reflects this
    // picture at a sixth of its light, so a dark backdrop leaves the spikes unseen.
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        float dx = (x - size * 0.5f) / size, dy = (y - size * 0.38f) / size;
        float glow = 0.75f + std::exp(-(dx * dx + dy * dy) * 9.0f) * 0.5f;
        float c = bust.coverage[static_cast<size_t>(y) * size + x];
        bust.colour.At(x, y) += Vec3{0.28f, 0.22f, 0.52f} * (glow * (1 - c));
      }
    }
    out.push_back(std::move(bust.colour));
  }
  return out;
}

}  // namespace art
