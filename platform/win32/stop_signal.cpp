#include "platform/win32/stop_signal.h"

#include <signal.h>

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t Received = 0;

void Note(int signal) { Received = signal; }

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int ReceivedStopSignal() { return Received; }

}  // namespace platform
