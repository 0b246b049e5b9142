// Runs of steps that the scenes of entries 12 to 25 share: the glow trails (the frame copied
// into render texture 2 and added back slightly enlarged), the breathing field of view, the
// animation frame laid out for adding, and the clocks' advance. Angles in AngleUnits, sizes in
// screen sizes, brightness 0..255.
#pragma once

#include <cstdint>

#include "assets/animation.h"

// Copies the frame drawn so far into render texture 2 and adds it back count times, with the
// blend state and texture binding the caller chose: the k-th copy (k from 1) at size 1 + 0.05 k,
// turned by firstAngle + (k - 1) x angleStep, centred, at the given brightness.
void GlowTrails(int count, float firstAngle, float angleStep, int brightness);

// Projection with the vertical field of view in degrees (converted with 3.14 / 180 in double
// precision, then rounded to a float), near 0.01, far 10000.
void SetFieldOfView(double degrees);

// Uploads frame of stream into render texture 1 through postProcess (colour keying, depth test
// and blending off), then binds that texture with additive blending on and the depth test off.
void AdditiveAnimationLayer(PostProcessRoutine postProcess, const std::uint8_t* stream, int frame);

// The picture bound to stage 0 turned half a turn at the upper right (140 right, 170 up of the
// centre), its size 0.7 swelling by swell with cos(0.03925 x EffectClock).
void CornerPicture(float swell);

// PhaseClock and EffectClock each advanced by step.
void AdvanceSceneClocks(float step);

// Frames drawn by CylinderSceneFrame (entry 13), which uploads its picture only while this is
// 0. Starts at 0, never reset.
extern std::int32_t FrameUploadCount;
