// The MIDAS sound library stand-in: the eleven MIDAS calls the demo makes, over libopenmpt (loads
// and renders the XM song, which loops) and an SDL2 audio device whose callback is the background
// player. Without an audio device (platform mode Sound::Virtual) a virtual sink renders the song as
// the clock advances, so positions and sound are the same on every run.
//
// MIDASgetPlayStatus reports the song position and row audible at the moment of the call: what
// the device still holds in its buffers is accounted for.
#pragma once

#include "platform/win32/win32.h"

using MIDASmodule = struct MidasSong*;
using MIDASmodulePlayHandle = DWORD;

struct MIDASplayStatus {
  DWORD position;  // index in the song's order list
  DWORD pattern;
  DWORD row;
  int syncInfo;
  BOOL songLoopCount;
};

BOOL MIDASstartup();
BOOL MIDASinit();
BOOL MIDASstartBackgroundPlay(DWORD pollRate);
MIDASmodule MIDASloadModule(const char* fileName);
MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, BOOL loopSong);
BOOL MIDASgetPlayStatus(MIDASmodulePlayHandle playHandle, MIDASplayStatus* status);
BOOL MIDASstopModule(MIDASmodulePlayHandle playHandle);
BOOL MIDASfreeModule(MIDASmodule module);
BOOL MIDASstopBackgroundPlay();
BOOL MIDASclose();
int MIDASgetLastError();
const char* MIDASgetErrorMessage(int errorCode);
