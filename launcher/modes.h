// How the demo runs this time, as the command line chose: full screen, a window, a capture to
// pictures or video, or a start part-way through the song. Sets up the platform stand-ins, runs
// WinMain and finishes what the mode started. The demo code itself never sees any of it.
#pragma once

#include "launcher/options.h"

// The folder holding data/ and sotkux.xm: the working directory, failing that the program's own,
// failing that share/korvo beside the program's bin/ folder (an installed copy).
std::string DefaultDataFolder();

// Runs the whole demo in the chosen mode; the program's exit status.
int RunDemo(const launcher::Options& options);

// --start: the demo runs from its beginning unseen and silent on the virtual clock at this frame
// rate, so every scene's state is built as in a whole run; from the first frame at or past the
// position on it is the normal real-time demo.
constexpr int AheadFps = 60;
void SetUpStart(int startPosition);
// True once a run set up with SetUpStart has reached its position.
bool StartReached();
