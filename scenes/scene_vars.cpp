#include "scenes/scene_vars.h"

float EffectClock = 0.0f;
float PhaseClock = 50.0f;
float FadeA = 0.0f;
float FadeB = 0.0f;
float OverlayFade = 0.0f;
float ScrollU = 0.0f;
float ScrollV = 0.0f;
float FrameStepTimerA = 0.0f;
float FrameStepTimerB = 0.0f;
float FrameStepTimerC = 0.0f;
float FrameStepTimerD = 0.0f;

void RaiseFade(float& level, float amount) {
  level = level + amount;
  if (level > 1.0f) level = 1.0f;
}

void LowerFade(float& level, float amount) {
  level = level - amount;
  if (level < 0.0f) level = 0.0f;
}

void AdvanceFrameStep(float& timer, float step, int limit, int restart) {
  timer = timer + step;
  if (timer >= static_cast<float>(limit)) timer = restart > 0 ? static_cast<float>(restart) : 0.0f;
}
