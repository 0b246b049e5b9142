#include "platform/win32/stop_signal.h"

#include <SDL.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/time.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include "platform/win32/window_events.h"

namespace platform {

namespace {

volatile std::sig_atomic_t Received = 0;
// Set while the program waits where no frame loop can see the signal (a message box on screen).
volatile std::sig_atomic_t WaitingBlocked = 0;
// Set once the program has asked for the signal (the frame loop, a capture): from then on the run
// ends by itself.
volatile std::sig_atomic_t Acknowledged = 0;

// How long a signal may wait for the frame loop (start-up, a frame that does not end).
constexpr long GraceMicroseconds = 800000;

void Note(int signal) {
  // A second signal, or one that arrives while a box waits for a click, ends the program at once:
  // nothing is left to finish there, and the viewer must never be trapped.
  if (Received != 0 || WaitingBlocked != 0) _exit(128 + signal);
  Received = signal;
  itimerval grace{};
  grace.it_value.tv_usec = GraceMicroseconds;
  setitimer(ITIMER_REAL, &grace, nullptr);
}

void GraceOver(int) {
  if (Acknowledged == 0 && Received != 0) _exit(128 + Received);
}

// SDL shows its box from a child process: the child must not outlive the program.
void ChildOfBlockingWait() {
  if (WaitingBlocked != 0) prctl(PR_SET_PDEATHSIG, SIGKILL);
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = GraceOver;
  sigaction(SIGALRM, &action, nullptr);
  // SDL would otherwise turn the signals into a quit event of its own.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  static bool forkHandled = false;
  if (!forkHandled) forkHandled = pthread_atfork(nullptr, nullptr, ChildOfBlockingWait) == 0;
}

int ReceivedStopSignal() {
  if (Received != 0) Acknowledged = 1;
  return Received;
}

void SetBlockingWait(bool waiting) {
  WaitingBlocked = waiting ? 1 : 0;
  // A signal that came just before the wait began ends the program as one during it would.
  if (waiting && Received != 0) _exit(128 + Received);
}

}  // namespace platform
