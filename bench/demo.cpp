// korvo-bench demo [--fps N] [--data DIR] [--render-scale K] [--colour 32]: the whole demo
// headless from its start, in the rendering asked for (the exact one by default), with the
// project's data and song, on a virtual clock of N frames per second (default 30). Each frame's
// cost is the wall time from one finished frame to the next (clear, timeline, scene, the song
// rendered for that frame, hand-over), with the device's worker threads on all cores; cpu_ms is
// the processor time of all threads in that interval, which a busy machine inflates less. Prints
// "demo entry=K median_ms=M worst_ms=W cpu_median_ms=C frames=F" per scene-table entry and
// "demo all ...", after a line "demo rendering=WxH colour=B".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct FrameTimes {
  std::vector<double> wall, cpu;
};

double Median(std::vector<double> times) {
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

void PrintTimes(const std::string& label, const FrameTimes& times) {
  if (times.wall.empty()) {
    std::printf("demo %s frames=0\n", label.c_str());
    return;
  }
  std::printf("demo %s median_ms=%.2f worst_ms=%.2f cpu_median_ms=%.2f frames=%zu\n", label.c_str(),
              Median(times.wall), *std::max_element(times.wall.begin(), times.wall.end()),
              Median(times.cpu), times.wall.size());
}

int DemoBench(int argc, char** argv) {
  int fps = 30;
  std::string data = KORVO_BUILD_DIR;
  int scale = 1, colourBits = 16;
  for (int k = 1; k + 1 < argc; k += 2) {
    if (std::strcmp(argv[k], "--fps") == 0) fps = std::max(1, std::atoi(argv[k + 1]));
    if (std::strcmp(argv[k], "--data") == 0) data = argv[k + 1];
    if (std::strcmp(argv[k], "--render-scale") == 0) scale = std::atoi(argv[k + 1]);
    if (std::strcmp(argv[k], "--colour") == 0) colourBits = std::atoi(argv[k + 1]);
  }
  if (scale < 1 || scale > 4 || (colourBits != 16 && colourBits != 32)) {
    std::fprintf(stderr, "demo: --render-scale takes 1 to 4 and --colour 16 or 32\n");
    return 2;
  }
  platform::Mode().renderScale = scale;
  platform::Mode().colourBits = colourBits;
  const platform::FrameLayout layout = platform::CurrentFrameLayout();
  std::printf("demo rendering=%dx%d colour=%d\n", layout.width, layout.height, colourBits);
  platform::Mode().presentation = platform::Presentation::Headless;
  platform::Mode().sound = platform::Sound::Virtual;
  platform::Mode().dataFolder = data;
  platform::UseVirtualClock(fps);

  // The first frame's interval would hold the start-up, so timing begins at its end.
  std::vector<FrameTimes> perEntry(SceneTableSize);
  FrameTimes all;
  bool started = false;
  Clock::time_point previous;
  double previousCpu = 0.0;
  platform::SetFrameSink([&](const std::uint16_t*) {
    const Clock::time_point now = Clock::now();
    const double cpu = ProcessCpuMilliseconds();
    if (started) {
      const double ms = std::chrono::duration<double, std::milli>(now - previous).count();
      for (FrameTimes* times : {&perEntry[SceneIndex], &all}) {
        times->wall.push_back(ms);
        times->cpu.push_back(cpu - previousCpu);
      }
    }
    started = true;
    previous = now;
    previousCpu = cpu;
  });
  const int status = WinMain(nullptr, nullptr, nullptr, 0);
  platform::SetFrameSink(nullptr);
  if (status != 0) {
    std::fprintf(stderr, "demo: the program stopped with status %d (data in %s)\n", status, data.c_str());
    return 1;
  }
  for (int entry = 0; entry < SceneTableSize; ++entry) {
    PrintTimes("entry=" + std::to_string(entry), perEntry[entry]);
  }
  PrintTimes("all", all);
  return 0;
}

}  // namespace

KORVO_BENCH(demo, DemoBench);
