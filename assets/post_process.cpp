#include "assets/post_process.h"

#include "assets/post_process_maps.h"
#include "core/shared.h"

float LumaContrast = 1.2f;

void NoPostProcess() {}

void PulsingContrast() { PulsingContrastEffect(EffectClock); }

void BoostContrast() { BoostContrastEffect(); }

void AnimatedContrast() { AnimatedContrastEffect(LumaContrast); }

void VividColour() { VividColourEffect(); }

void InvertLuma() { InvertLumaEffect(); }
