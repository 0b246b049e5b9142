// What the shell, the scenes, the rendering toolkit and the animation pipeline share: the graphics
// objects, the frame clock, the loop flags, the file and texture sets, the scene variables and the
// animation hand-offs. Declared here, on the ground floor, so that every layer can read them
// without including a layer above its own; each is defined by the code that owns it. Everything
// here lives for the whole run on the frame loop's thread and is never reset between scenes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d/d3dx.h"

// --- Graphics objects: made once by GraphicsStartup (shell), kept for the whole run. ---
extern ID3DXContext* Context;
extern IDirect3DDevice7* Device;
extern IDirect3D7* Direct3D;
extern IDirectDraw7* DirectDraw;
extern IDirectDrawSurface7* PrimarySurface;
// The 640 x 480 R5G6B5 picture being drawn; CopyBackBufferToTexture reads it.
extern IDirectDrawSurface7* BackBuffer;

// --- The timeline (shell). ---
// row | (song position << 8): 0x0520 is row 32 of song position 5.
using MusicPosition = std::int32_t;
// Time since the previous frame in units of 1/15 s (milliseconds x 0.015); written once per
// frame before the scene runs, read by every scene.
extern float FrameDelta;
// The current scene-table entry, 0 to 25; only grows.
extern std::int32_t SceneIndex;

// --- Loop flags (shell). ---
// The frame loop runs while this is 0; set by Escape or by the timeline's end rule.
extern std::uint8_t QuitFlag;
// Flipped by Home; the frame-statistics overlay is drawn while it is 1.
extern std::uint8_t StatsOverlay;

// --- Files and textures, loaded once at start-up (assets). ---
constexpr int ObjectFileCount = 5;
constexpr int AnimationFileCount = 6;
constexpr int TextureSlotCount = 6;
constexpr int RenderTextureCount = 3;
// 0 talo1, 1 talo2, 2 talo3, 3 cyl, 4 piikki: whole .obu files.
extern std::uint8_t* ObjectFileImages[ObjectFileCount];
// 0 item, 1 kone, 2 3dfx, 3 pullo, 4 kelmu, 5 mina: whole .dat files.
extern std::uint8_t* AnimationStreamImages[AnimationFileCount];
// Byte counts of the images above, kept for the load-time checks.
extern std::size_t ObjectFileSizes[ObjectFileCount];
extern std::size_t AnimationStreamSizes[AnimationFileCount];
// Slot k holds bitmap resource 1001 + k.
extern IDirectDrawSurface7* TextureSlots[TextureSlotCount];
// 0: 128 x 128, 1: 256 x 256 (animation uploads), 2: 256 x 256 (back-buffer copy).
extern IDirectDrawSurface7* RenderTextures[RenderTextureCount];

// --- Scene variables (scenes): 32-bit floats with fixed start values. Each scene advances them
// by its own multiple of FrameDelta (1 unit = 1/15 s), so what one entry leaves is where the next
// one starts. ---
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
// Contrast of the AnimatedContrast callback; starts at 1.2, lowered by the ring-tunnel scenes.
extern float LumaContrast;

// --- Animation hand-offs (assets): what the next UploadAnimationFrame does. ---
using PostProcessRoutine = void (*)();
// Runs on the decoded picture before each conversion. Starts as NoPostProcess; scenes assign
// it and nothing resets it.
extern PostProcessRoutine FramePostProcess;
// RenderTextures index replaced by the next upload: 0 (128 x 128) or 1 (256 x 256). Starts at 1.
extern int AnimationTarget;
