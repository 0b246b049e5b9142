// Drawing patterns that several scenes draw the same way: the Scroller (two crossed, scrolling
// layers of bitmap 1002), the FeedbackTunnel (nineteen turned, zoomed, drifting copies of the
// frame drawn so far) and the RingTunnel (thirty-one enlarged, swirling copies of bitmap 1005),
// plus the runs of steps that neighbouring scenes share. Each is drawn with DrawQuad; the
// tunnels read EffectClock as it stands when they are drawn and leave additive blending on.
#pragma once

#include "platform/d3d/d3d7.h"

// Two crossed layers of texture slot 1, added: the first upright scrolling in v, the second
// half-turned by a negative size and turned by secondAngle more (AngleUnits), 100 pixels left,
// scrolling in u. Then advances ScrollV by FrameDelta x 0.01 and ScrollU by FrameDelta x 0.02,
// each losing 1.0 once above it. Leaves QuadTexOrigin at (0, 0) and the depth test off.
void Scroller(int firstBrightness, int secondBrightness, float secondAngle);
// The opening's Scroller (entries 0 to 2, 24): both layers at (integer)(FadeA x 128), the
// second a quarter turn on.
void Scroller();

// One row of the FeedbackTunnel's table of variants: the brightness is
// (integer)(*fadeLevel x brightnessScale); angleAmplitude is in AngleUnits, the x and y
// amplitudes in pixels (scaled by each quad's size).
struct FeedbackTunnelVariant {
  float angleAmplitude;
  const float* fadeLevel;
  float brightnessScale;
  float xAmplitude;
  float yAmplitude;
};

extern const FeedbackTunnelVariant OpeningTunnel;  // entries 0 to 2 and 24: FadeA
extern const FeedbackTunnelVariant TrioTunnel;     // entries 5 to 7: FadeB

// Copies the back buffer into render texture 2 and adds it back nineteen times, sizes 0.7 to
// 1.78 in single-precision steps of 0.06.
void FeedbackTunnel(const FeedbackTunnelVariant& variant);

// Adds texture slot 4 thirty-one times at the given brightness (0..255), sizes 2.3 to 4.7, each
// turned by EffectClock plus a swing growing with its size.
void RingTunnel(int brightness);

// The opening frame's first layer (entries 0 to 2, 24): specular and culling off, depth test
// off, then render texture 2 (last frame's feedback copy) at (integer)(FadeA x 60), drawn with
// the blend state the previous frame left.
void OpeningEcho();

// The opening frame's upper layers: specular on, blending off, the Scroller, then the
// FeedbackTunnel in its opening variant.
void OpeningLayers();

// The frame of entries 3 and 4: the kone stream (FrameStepTimerA) full screen, bitmap `added`
// added on top right of the centre and bitmap `keyed` colour-keyed below left, each swelling
// with EffectClock (advanced by FrameDelta); the stretches are their QuadStretch.x.
void KonePairFrame(IDirectDrawSurface7* added, float addedStretch, IDirectDrawSurface7* keyed,
                   float keyedStretch);

// The background of entries 9 and 10: the 3dfx stream (FrameStepTimerB, looping over its last
// four frames) full screen through AnimatedContrast, with LumaContrast falling by
// contrastFall per FrameDelta unit down to -1.7, and the RingTunnel at (integer)(FadeB x 40).
void ContrastTunnelFrame(float contrastFall);

// The pullo step of entries 10 and 11: BoostContrast into render texture 0, EffectClock back by
// 2 x FrameDelta, the frame of FrameStepTimerC uploaded, then the timer advanced by FrameDelta,
// looping over all frames.
void PulloStep();
