// Hooks between the window stand-in and the rest of the platform layer (and tests).
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// F11 and Alt+Enter are the platform's own keys: the presenter registers what they do.
void SetFullscreenToggle(std::function<void()> toggle);
void NotifyFullscreenToggle();

// Forgets every class, window and queued message (tests).
void ResetWindowSystem();
std::size_t QueuedMessageCount();

}  // namespace platform
