// A sculpted head and shoulders, traced as a signed distance shape: skull, face with brow,
// eyes, nose, lips and chin, ears, short hair, neck and shoulders with a V-necked garment.
// The same bust serves every portrait of the demo: the bitmaps 1003, 1004 and 1005 and the
// frames of the "mina" animation, each with its own pose, lights and colouring.
// Model units: the head is about 0.9 tall, y up, the face looks towards -z.
#pragma once

#include "tools/art/canvas.h"
#include "tools/art/vec.h"

namespace art {

struct BustPose {
  float headYaw = 0;    // radians, positive turns the face to the viewer's left
  float headPitch = 0;  // radians, positive lifts the chin
  float headRoll = 0;   // radians
  float bodyYaw = 0;
  float eyesOpen = 1;   // 1 open, 0 closed
  float mouthOpen = 0;  // 0 closed .. 1 open
};

struct DirectionalLight {
  Vec3 direction;  // towards the light
  Vec3 colour;
};

struct BustLook {
  DirectionalLight key, fill, rim;
  Vec3 ambient{0.05f, 0.05f, 0.05f};
  Vec3 skin{0.8f, 0.62f, 0.5f};
  Vec3 hair{0.25f, 0.15f, 0.1f};
  Vec3 iris{0.2f, 0.35f, 0.5f};
  Vec3 lip{0.7f, 0.35f, 0.35f};
  Vec3 cloth{0.2f, 0.2f, 0.25f};
  float specular = 0.25f;
  float exposure = 1.4f;
};

struct BustView {
  int width = 256;
  int height = 256;
  float shownAspect = 1;  // width / height of the picture as it appears on screen
  Vec3 eye{0, 0.35f, -4.2f};
  Vec3 target{0, 0.3f, 0};
  float fovDegrees = 30;
  int samples = 2;  // per axis, per pixel
};

// The picture (black background) and, per pixel, how much of it the bust covers (0..1).
struct BustPicture {
  Canvas colour;
  std::vector<float> coverage;
};

BustPicture RenderBust(const BustView& view, const BustPose& pose, const BustLook& look);

}  // namespace art
