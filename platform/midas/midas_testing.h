// Test hooks of the sound stand-in, for tests of the code above it (the shell's failure paths).
#pragma once

namespace platform {

// The next call of the MIDAS function with this name ("MIDASstopModule", ...) fails with its
// failure result and sets the last error, without changing anything else. One call only.
void FailNextMidasCall(const char* functionName);

// Back to the state before MIDASstartup: songs freed, device closed, errors and the last play
// status cleared, no failure pending.
void ResetMidas();

}  // namespace platform
