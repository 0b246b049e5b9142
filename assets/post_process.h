// The five post-process callbacks a scene installs into FramePostProcess: the maps of
// assets/post_process_maps.h with their parameters taken from the scene variables at each upload.
#pragma once

// The empty callback, FramePostProcess's start value.
void NoPostProcess();

void PulsingContrast();   // contrast 2 sin(EffectClock x 0.10466667)
void BoostContrast();
void AnimatedContrast();  // contrast LumaContrast
void VividColour();
void InvertLuma();
