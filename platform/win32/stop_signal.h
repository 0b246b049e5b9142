// Ctrl+C and SIGTERM: the handler only notes the signal; the program ends its run through the
// normal stop sequence and reports it in its exit status (128 + the signal, as a shell does).
#pragma once

namespace platform {

// Installs the handlers for SIGINT and SIGTERM (interrupted calls are restarted).
void InstallStopSignals();
// 0 while none came, else the signal number (SIGINT or SIGTERM). A signal that nobody asks for
// within 0.8 s (a start-up still loading, a frame that hangs) ends the program by itself.
int ReceivedStopSignal();

}  // namespace platform
