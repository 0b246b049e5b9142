#include "scenes/scene_state.h"

#include <iterator>

#include "assets/animation_codec.h"
#include "assets/frame_reconstruction.h"
#include "assets/post_process.h"
#include "assets/post_process_maps.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"

namespace {

#define FIELD(variable) SceneStateField{#variable, &(variable), sizeof(variable)}

const SceneStateField Fields[] = {
    FIELD(EffectClock),     FIELD(PhaseClock),      FIELD(FadeA),           FIELD(FadeB),
    FIELD(OverlayFade),     FIELD(ScrollU),         FIELD(ScrollV),         FIELD(FrameStepTimerA),
    FIELD(FrameStepTimerB), FIELD(FrameStepTimerC), FIELD(FrameStepTimerD), FIELD(LumaContrast),
    FIELD(AnimationTarget), FIELD(FrameUploadCount), FIELD(QuadStretch),    FIELD(QuadTexOrigin),
    FIELD(ViewOffset),      FIELD(ScaleBias),       FIELD(UVScale),         FIELD(NormalScale),
    FIELD(AmbientColour),   FIELD(LightCount),      FIELD(Lights),          FIELD(CullingOff),
    FIELD(ForceEnvMap),     FIELD(LightParams),     FIELD(WorkVector),      FIELD(LumaMap),
    FIELD(ChromaMap),       FIELD(FrameWidth),      FIELD(FrameHeight),     FIELD(FrameIsLumaOnly),
    // A refused frame uploads the previous picture again.
    FIELD(DecodedPicture),
};

#undef FIELD

const PostProcessRoutine PostProcessRoutines[] = {NoPostProcess,    PulsingContrast, BoostContrast,
                                                  AnimatedContrast, VividColour,     InvertLuma};

}  // namespace

std::span<const SceneStateField> SceneStateFields() { return Fields; }

int PostProcessIndex(PostProcessRoutine routine) {
  for (int i = 0; i < static_cast<int>(std::size(PostProcessRoutines)); ++i) {
    if (PostProcessRoutines[i] == routine) return i;
  }
  return -1;
}

PostProcessRoutine PostProcessAt(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(PostProcessRoutines))) return nullptr;
  return PostProcessRoutines[index];
}
