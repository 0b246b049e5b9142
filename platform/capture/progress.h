// The one-line progress of a capture on a terminal: frames done, music position, frames drawn
// per second, for a video the frames per second ffmpeg takes, and time left. When standard error
// is not a terminal nothing is shown.
#pragma once

#include <string>

namespace platform {

struct ProgressLine {
  int frames = 0;
  int position = 0;      // 0xPPRR
  int endPosition = 0;   // where the run will stop
  double framesPerSecond = 0.0;
  double secondsLeft = -1.0;  // negative: not known yet
  double encodedPerSecond = -1.0;  // frames ffmpeg takes per second; negative: no video
};

// The text of the line (without the carriage return), at most width characters.
std::string FormatProgress(const ProgressLine& line, int width);
// Song rows from 0x0000 up to a position (64 rows per song position).
int RowsUpTo(int position);

// Called once per frame; redraws at most a few times per second. `encoded`: frames ffmpeg has
// taken so far, or negative without a video.
void ReportProgress(int frames, int position, int endPosition, int encoded = -1);
void FinishProgress();

}  // namespace platform
