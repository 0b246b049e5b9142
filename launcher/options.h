// The command line of the portable main. The demo itself takes none; these options choose how the
// platform stand-ins run (window, capture, start position, data folder).
#pragma once

#include <optional>
#include <string>

#include "platform/capture/video_pipe.h"

namespace launcher {

struct Options {
  enum class Action { Run, Help, Version, ListScenes };
  Action action = Action::Run;
  bool window = false;         // --window: a desktop window instead of full screen
  int scale = 0;               // --scale N: window size in multiples of 640 x 480; 0 = fit the desktop
  bool noSound = false;        // --no-sound: the song plays on a silent sink, paced by the real clock
  bool stats = false;          // --stats: a line of frame statistics on exit
  std::string capture;         // --capture DIR (PNG frames + audio.wav) or FILE.mp4 / FILE.mkv
  int fps = 0;                 // --fps N; 0 = the capture's default
  std::optional<int> from;     // --from POS: first music position written by a capture
  std::optional<int> to;       // --to POS: last music position run by a capture
  std::optional<int> start;    // --start POS: run unseen up to POS, then play in real time
  int videoWidth = 640;        // --size WxH: video frame size
  int videoHeight = 480;
  platform::VideoQuality quality = platform::VideoQuality::High;  // --quality
  bool overwrite = false;      // --overwrite: replace an earlier capture in the same place
  std::string dataFolder;      // --data DIR
  int renderScale = 1;         // --render-scale K: draw at 640K x 480K (1 to 4)
  int colourBits = 16;         // --colour 16|32: R5G6B5 (the exact picture) or 8 bits a channel
};

// False with a message naming the option when the command line is not understood.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// A music position as 0xPPRR (one to four hexadecimal digits, as the scene table writes it) or
// "PP:RR" (decimal song position and row); nothing else, no signs or spaces.
std::optional<int> ParsePosition(const std::string& text);
// Empty when the demo can reach the position, else why not: a row above 63, or past the end.
std::string PositionFault(int position);

// A capture target naming a video file (.mp4, .mkv) rather than a folder.
bool IsVideoCapture(const std::string& target);

const char* UsageText();

}  // namespace launcher
