// The sound stand-in's error codes and texts. Every failing MIDAS call sets the last error
// through SetMidasError, with a detail (file name, device message) where there is one; the
// text MIDASgetErrorMessage gives for the last error includes that detail.
#pragma once

#include <string>

namespace platform {

enum MidasError : int {
  MidasOk = 0,
  MidasNotStarted,        // MIDASstartup not called, or the library was closed
  MidasNotInitialized,    // MIDASinit not called (or failed)
  MidasAlreadyInitialized,
  MidasDeviceFailure,     // the audio device could not be opened
  MidasNoBackgroundPlay,  // background play not running
  MidasBackgroundPlayRunning,
  MidasFileOpen,          // song file missing or unreadable
  MidasFileRead,
  MidasInvalidModule,     // empty, truncated or not a module
  MidasInvalidArgument,   // null, unknown or stale module or play handle
  MidasAlreadyPlaying,    // only one song plays at a time
  MidasModuleInUse,       // freeing the playing module
  MidasSoundFileWrite,    // the WAV file of the virtual sink
  MidasInjectedFailure,   // a failure requested by a test
  MidasErrorCount
};

// Records the error (and its detail, may be empty) as the last one; returns false for chaining.
bool SetMidasError(MidasError code, const std::string& detail = "");
int LastMidasError();
// The readable text of a code; for the last error code with the last error's detail.
const char* MidasErrorText(int code);
void ClearMidasError();

}  // namespace platform
