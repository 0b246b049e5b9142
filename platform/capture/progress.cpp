#include "platform/capture/progress.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

struct ProgressState {
  bool started = false;
  bool drawn = false;
  Clock::time_point start;
  Clock::time_point lastDraw;
};

ProgressState& State() {
  static ProgressState state;
  return state;
}

}  // namespace

int RowsUpTo(int position) { return (position >> 8) * 64 + (position & 0xFF); }

std::string FormatProgress(const ProgressLine& line, int width) {
  const int done = RowsUpTo(line.position);
  const int total = std::max(1, RowsUpTo(line.endPosition));
  const double fraction = std::clamp(static_cast<double>(done) / total, 0.0, 1.0);

  char left[96];
  if (line.secondsLeft >= 0) {
    const int seconds = static_cast<int>(line.secondsLeft + 0.5);
    std::snprintf(left, sizeof left, "%d:%02d left", seconds / 60, seconds % 60);
  } else {
    std::snprintf(left, sizeof left, "-:-- left");
  }
  char rates[64];
  if (line.encodedPerSecond >= 0) {
    std::snprintf(rates, sizeof rates, "draw %.1f  encode %.1f fps", line.framesPerSecond, line.encodedPerSecond);
  } else {
    std::snprintf(rates, sizeof rates, "%.1f fps", line.framesPerSecond);
  }
  char tail[200];
  std::snprintf(tail, sizeof tail, " %3d%% frame %d  0x%04X  %s  %s", static_cast<int>(fraction * 100),
                line.frames, line.position, rates, left);
  const int barWidth = std::max(0, width - static_cast<int>(std::string(tail).size()) - 2);
  const int filled = static_cast<int>(fraction * barWidth);
  std::string text = "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "]" + tail;
  if (static_cast<int>(text.size()) > width) text.resize(std::max(0, width));
  return text;
}

void ReportProgress(int frames, int position, int endPosition, int encoded) {
  ProgressState& s = State();
  const Clock::time_point now = Clock::now();
  if (!s.started) {
    s.started = true;
    s.start = s.lastDraw = now;
  }
  if (!isatty(STDERR_FILENO) || now - s.lastDraw < std::chrono::milliseconds(200)) return;
  s.lastDraw = now;
  const double seconds = std::chrono::duration<double>(now - s.start).count();
  ProgressLine line{frames, position, endPosition, seconds > 0 ? frames / seconds : 0.0, -1.0, -1.0};
  if (encoded >= 0) line.encodedPerSecond = seconds > 0 ? encoded / seconds : 0.0;
  const int done = RowsUpTo(position);
  if (done > 0 && seconds > 1.0) {
    line.secondsLeft = seconds * std::max(0, RowsUpTo(endPosition) - done) / done;
  }
  std::fprintf(stderr, "\r%s", FormatProgress(line, 79).c_str());
  std::fflush(stderr);
  s.drawn = true;
}

void FinishProgress() {
  if (State().drawn) std::fprintf(stderr, "\n");
  State() = ProgressState{};
}

}  // namespace platform
