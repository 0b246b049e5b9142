#include "platform/midas/midas_errors.h"

namespace platform {

namespace {

constexpr const char* ErrorTexts[MidasErrorCount] = {
    "OK",
    "Sound library not started",
    "Sound library not initialized",
    "Sound library already initialized",
    "Unable to open the audio device",
    "Background play is not running",
    "Background play is already running",
    "Unable to open file",
    "Unable to read file",
    "Invalid module file",
    "Invalid function argument",
    "A song is already playing",
    "The module is still playing",
    "Unable to write the sound file",
    "Failure requested by a test",
};

struct ErrorState {
  int code = MidasOk;
  std::string text;  // code's text with the detail
};

ErrorState& State() {
  static ErrorState state;
  return state;
}

}  // namespace

bool SetMidasError(MidasError code, const std::string& detail) {
  State().code = code;
  State().text = ErrorTexts[code];
  if (!detail.empty()) State().text += ": " + detail;
  return false;
}

int LastMidasError() { return State().code; }

const char* MidasErrorText(int code) {
  if (code < 0 || code >= MidasErrorCount) return "Unknown sound library error";
  if (code == State().code && !State().text.empty()) return State().text.c_str();
  return ErrorTexts[code];
}

void ClearMidasError() { State() = ErrorState{}; }

}  // namespace platform
