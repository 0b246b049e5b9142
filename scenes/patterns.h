// Drawing patterns that several scenes draw the same way: the Scroller (two crossed, scrolling
// layers of bitmap 1002), the FeedbackTunnel (nineteen turned, zoomed, drifting copies of the
// frame drawn so far) and the RingTunnel (thirty-one enlarged, swirling copies of bitmap 1005).
// Each is drawn with DrawQuad and leaves additive blending on; the tunnels read EffectClock as
// it stands when they are drawn.
#pragma once

// Draws texture slot 1 twice, additively, at brightness (integer)(FadeA x 128), then advances
// ScrollU by FrameDelta x 0.02 and ScrollV by FrameDelta x 0.01, wrapping each above 1.0.
// Leaves QuadTexOrigin at (0, 0) and the depth test off.
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
