#include "scenes/scene_vars.h"

float EffectClock = 0.0f;
float PhaseClock = 50.0f;
float FadeA = 0.0f;
float FadeB = 0.0f;
float ScrollU = 0.0f;
float ScrollV = 0.0f;
float FrameStepTimerA = 0.0f;
float FrameStepTimerB = 0.0f;
float FrameStepTimerC = 0.0f;
float FrameStepTimerD = 0.0f;
