#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "scenes/patterns.h"
#include "scenes/scenes.h"

// The bitmaps trade places and roles; the 0.8 narrowing stays with bitmap 1003. The callback is
// in force from this frame's upload on and stays after the scene.
void KonePairSceneB() {
  FramePostProcess = PulsingContrast;
  KonePairFrame(TextureSlots[3], 1.0f, TextureSlots[2], 0.8f);
}
