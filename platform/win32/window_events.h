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

// Forgets every class, window and queued message (tests).
void ResetWindowSystem();
std::size_t QueuedMessageCount();

}  // namespace platform
