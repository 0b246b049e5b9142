#include "platform/win32/clock.h"

#include <chrono>

#include "platform/win32/win32.h"

namespace platform {

namespace {

enum class ClockKind { Real, VirtualFrames, VirtualSet };

struct ClockState {
  ClockKind kind = ClockKind::Real;
  std::chrono::steady_clock::time_point realStart = std::chrono::steady_clock::now();
  int framesPerSecond = 30;
  std::uint64_t frames = 0;
  std::uint32_t setMilliseconds = 0;
  bool paused = false;
  double pausedMilliseconds = 0.0;  // real clock: where it stands while paused
};

ClockState& State() {
  static ClockState state;
  return state;
}

}  // namespace

void UseRealClock() {
  State().kind = ClockKind::Real;
  State().paused = false;
  State().realStart = std::chrono::steady_clock::now();
}

void UseRealClockFrom(std::uint32_t milliseconds) {
  State().kind = ClockKind::Real;
  State().paused = false;
  State().realStart = std::chrono::steady_clock::now() - std::chrono::milliseconds(milliseconds);
}

void UseVirtualClock(int framesPerSecond) {
  State().kind = ClockKind::VirtualFrames;
  State().paused = false;
  State().framesPerSecond = framesPerSecond > 0 ? framesPerSecond : 30;
  State().frames = 0;
}

void SetVirtualTickCount(std::uint32_t milliseconds) {
  State().kind = ClockKind::VirtualSet;
  State().setMilliseconds = milliseconds;
}

void AdvanceVirtualFrame() {
  if (State().kind == ClockKind::VirtualFrames) ++State().frames;
}

bool VirtualClockActive() { return State().kind != ClockKind::Real; }

double VirtualMilliseconds() {
  const ClockState& s = State();
  switch (s.kind) {
    case ClockKind::VirtualFrames:
      return static_cast<double>(s.frames) * 1000.0 / s.framesPerSecond;
    case ClockKind::VirtualSet:
      return s.setMilliseconds;
    case ClockKind::Real:
      if (s.paused) return s.pausedMilliseconds;
      break;
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - s.realStart)
      .count();
}

void PauseClock(bool paused) {
  ClockState& s = State();
  if (s.kind != ClockKind::Real || paused == s.paused) return;
  if (paused) {
    s.pausedMilliseconds = VirtualMilliseconds();
    s.paused = true;
  } else {
    s.paused = false;
    s.realStart = std::chrono::steady_clock::now() -
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double, std::milli>(s.pausedMilliseconds));
  }
}

bool ClockPaused() { return State().paused; }

void StepPausedClock(double milliseconds) {
  if (State().paused) State().pausedMilliseconds += milliseconds;
}

}  // namespace platform

DWORD GetTickCount() {
  const platform::ClockState& s = platform::State();
  if (s.kind == platform::ClockKind::VirtualFrames) {
    // Exact integer time of the frame: no drift however long the run.
    return static_cast<DWORD>(s.frames * 1000 / static_cast<std::uint64_t>(s.framesPerSecond));
  }
  if (s.kind == platform::ClockKind::VirtualSet) return s.setMilliseconds;
  return static_cast<DWORD>(platform::VirtualMilliseconds());
}
