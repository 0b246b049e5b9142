// A demo run in a child process, as the demo's state lives for the whole process.
#pragma once

#include <cstdlib>
#include <functional>
#include <vector>

#include "core/shared.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "tests/support/files.h"

namespace testsupport {

// Frames a second of the virtual clock for whole-demo runs: KORVO_TEST_FPS where set (slow
// builds run few frames), else fallback.
inline int TestFramesPerSecond(int fallback) {
  const char* value = std::getenv("KORVO_TEST_FPS");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Runs the demo headless with virtual sound and the built data in a child. `prepare` runs first
// and returns the frame check, which is given each frame's pixels and the write end of a pipe and
// says when the run is done; the records it wrote come back in order.
template <typename Record>
std::vector<Record> RunDemoInChild(
    const std::function<std::function<bool(const std::uint16_t*, int)>()>& prepare) {
  int channel[2];
  EXPECT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    platform::Mode().presentation = platform::Presentation::Headless;
    platform::Mode().sound = platform::Sound::Virtual;
    platform::Mode().dataFolder = KORVO_BUILD_DIR;
    const auto frame = prepare();
    const platform::FrameSink inner = platform::CurrentFrameSink();
    const int out = channel[1];
    platform::SetFrameSink([inner, frame, out](const std::uint16_t* pixels) {
      if (inner) inner(pixels);
      if (QuitFlag == 0 && frame(pixels, out)) QuitFlag = 1;
    });
    _exit(WinMain(nullptr, nullptr, nullptr, 0));
  }
  close(channel[1]);
  std::vector<Record> records;
  Record r{};
  while (read(channel[0], &r, sizeof r) == sizeof r) records.push_back(r);
  close(channel[0]);
  EXPECT_EQ(ExitStatus(child), 0);
  return records;
}

// Writes one record to the pipe of RunDemoInChild; a child that cannot is ended.
template <typename Record>
void Send(int out, const Record& r) {
  if (write(out, &r, sizeof r) != sizeof r) _exit(3);
}

}  // namespace testsupport
