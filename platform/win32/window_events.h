// Hooks between the window stand-in and the rest of the platform layer (and tests).
#pragma once

#include <cstddef>
#include <functional>

#include "platform/win32/win32.h"

namespace platform {

// F11 and Alt+Enter are the platform's own keys: the presenter registers what they do.
void SetFullscreenToggle(std::function<void()> toggle);
void NotifyFullscreenToggle();

// Keys the launcher takes before the demo sees them (virtual-key codes): the filter returns true
// for a key it took, which is then not posted.
void SetKeyFilter(std::function<bool(WPARAM)> filter);
bool TakenByKeyFilter(WPARAM virtualKey);

// Turns waiting window events into messages. The presenter calls it while its thread is idle, just
// before it hands that thread the next frame; the queue's own look skips events while it is busy.
void PumpWindowEvents();

// While true, a stop signal ends the program at once (a message box waits for a click and no frame
// loop can see the signal).
void SetBlockingWait(bool waiting);

// The viewer's controls in a window (platform mode viewerControls): Space pauses and resumes picture
// and song together, '.' shows one more frame while paused. While paused the queue holds the frame
// loop at its next look: a key for the demo (Escape, Home) or a stop signal lets one frame through.
void TogglePause();
bool Paused();
void StepOneFrame();

// Forgets every class, window and queued message (tests).
void ResetWindowSystem();
std::size_t QueuedMessageCount();

}  // namespace platform
