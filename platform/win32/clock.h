// The millisecond clock behind GetTickCount: real time by default, or a virtual clock that
// advances exactly 1000 / N milliseconds per shown frame (captures, tests), so that every run of a
// capture is the same.
#pragma once

#include <cstdint>

namespace platform {

void UseRealClock();
// Real time from now on, continuing from the given tick count (a run that went ahead on the
// virtual clock and now plays in real time).
void UseRealClockFrom(std::uint32_t milliseconds);
// Virtual clock at framesPerSecond; time of frame k is k * 1000 / framesPerSecond ms (integer
// arithmetic on the exact product, so there is no drift).
void UseVirtualClock(int framesPerSecond);
// Virtual clock set directly by a test; AdvanceVirtualFrame then has no effect.
void SetVirtualTickCount(std::uint32_t milliseconds);
// One shown frame: the presenter calls this after every UpdateFrame.
void AdvanceVirtualFrame();
bool VirtualClockActive();
// Milliseconds of the virtual clock with the fraction kept (for the sound stand-in).
double VirtualMilliseconds();

// The viewer's pause: the real clock stands still from PauseClock(true) until PauseClock(false),
// and then goes on from where it stood. A virtual clock moves only with frames and is left alone.
void PauseClock(bool paused);
bool ClockPaused();
// While paused: moves the standing clock on by one shown frame's time (a single step).
void StepPausedClock(double milliseconds);

}  // namespace platform
