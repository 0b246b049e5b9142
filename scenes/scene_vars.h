// The scene variables shared across the scene table: process-wide 32-bit floats with fixed start
// values, never reset between scenes. Each scene advances them by its own multiple of FrameDelta
// (1 unit = 1/15 s), so what one entry leaves is where the next one starts. Scene-private state
// stays in the scene's own file. Also the few rules by which scenes step fades and frame timers.
#pragma once

// Common animation clock, FrameDelta units; starts 0.0. Every scene adds its own multiple of
// FrameDelta (entries 9 to 11 run it backwards). Unbounded.
extern float EffectClock;

// Second clock, FrameDelta units; starts 50.0. Advanced by entry 11 and later scenes, some of
// which cap it at 256.0.
extern float PhaseClock;

// Fade level 0..1 of entries 0 to 2 and 24 (written by entries 0 and 1, read by 2 and 24).
extern float FadeA;

// Fade level 0..1 of entries 5 to 11: rises in entry 6, falls in 7, set to 0 by 8, rises in 9,
// falls in 10 and 11.
extern float FadeB;

// Fade level 0..1 of the three overlay quads of entry 1; only that scene uses it.
extern float OverlayFade;

// Texture scroll offsets of the Scroller, in texture widths/heights, kept in 0..1 by wrapping.
extern float ScrollU;
extern float ScrollV;

// Animation frame positions, in frames; the truncation is the frame index uploaded.
extern float FrameStepTimerA;  // kone stream in entries 0 to 4 and 24, item stream in 5 to 7
extern float FrameStepTimerB;  // 3dfx stream, entries 8 to 10
extern float FrameStepTimerC;  // pullo stream, entries 9 to 12 and 14
extern float FrameStepTimerD;  // shared by entries 16, 18, 20 and 21

// level + amount, set to 1.0 if above it.
void RaiseFade(float& level, float amount);
// level - amount, set to 0.0 if below it.
void LowerFade(float& level, float amount);

// timer + step; once the result is at least limit it becomes restart (never below 0, so a
// stream too short for its loop shows frame 0 instead of running the timer negative).
void AdvanceFrameStep(float& timer, float step, int limit, int restart);
