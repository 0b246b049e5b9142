// The pictures are the same bit for bit on every processor, kernel table and thread count: every
// frame of the whole demo on a virtual clock of one frame a second (every scene-table entry, few
// frames) is hashed and compared with the value x86-64 gives. Where the processor has wide kernels, a second run with the plain loops on
// one thread must give the same hash. Each run is a child process, since the demo's state lives
// for the whole process.
//
// When the art or the scenes change on purpose, the failure message prints the new hash: put it in
// ExpectedFramesHash below (from an x86-64 run).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

#include "assets/codec_kernels.h"
#include "core/shared.h"
#include "platform/d3d/span_kernels.h"
#include "platform/d3d/worker_pool.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/scene_table.h"

namespace {

constexpr std::uint64_t ExpectedFramesHash = 0x2826BDA28F680A85;

constexpr int FramesPerSecond = 1;
constexpr std::size_t FrameBytes = 640 * 480 * 2;  // R5G6B5

constexpr std::uint64_t FnvStart = 0xCBF29CE484222325ull;

struct RunResult {
  std::uint64_t hash = FnvStart;
  std::int32_t frames = 0;
  std::int32_t messageBoxes = 0;
  // The same per scene-table entry, to tell where two processors part.
  std::uint64_t entryHash[SceneTableSize] = {};
};

// 64-bit FNV-1a, continued from hash.
std::uint64_t Fnv1a(std::uint64_t hash, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) hash = (hash ^ bytes[k]) * 0x100000001B3ull;
  return hash;
}

RunResult HashDemoFrames(bool wide) {
  SelectCodecKernels(wide);
  SelectSpanKernels(wide);
  if (!wide) SetWorkerThreadCount(1);
  platform::Mode().presentation = platform::Presentation::Headless;
  platform::Mode().sound = platform::Sound::Virtual;
  platform::Mode().dataFolder = KORVO_BUILD_DIR;
  platform::UseVirtualClock(FramesPerSecond);
  RunResult result;
  std::fill(std::begin(result.entryHash), std::end(result.entryHash), FnvStart);
  platform::SetMessageBoxHook([&](const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    ++result.messageBoxes;
  });
  platform::SetFrameSink([&](const std::uint16_t* pixels) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pixels);
    result.hash = Fnv1a(result.hash, bytes, FrameBytes);
    if (SceneIndex >= 0 && SceneIndex < SceneTableSize) {
      result.entryHash[SceneIndex] = Fnv1a(result.entryHash[SceneIndex], bytes, FrameBytes);
    }
    ++result.frames;
  });
  WinMain(nullptr, nullptr, nullptr, 0);
  return result;
}

// HashDemoFrames in a child process; frames -1 when the child did not report.
RunResult RunInChild(bool wide) {
  RunResult result;
  result.frames = -1;
  int ends[2];
  if (pipe(ends) != 0) return result;
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    const RunResult mine = HashDemoFrames(wide);
    const bool written = write(ends[1], &mine, sizeof mine) == static_cast<ssize_t>(sizeof mine);
    _exit(written ? 0 : 1);
  }
  close(ends[1]);
  if (child > 0 && read(ends[0], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) {
    result.frames = -1;
  }
  close(ends[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  return result;
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016" PRIX64, value);
  return text;
}

std::string EntryHashes(const RunResult& run) {
  std::string lines;
  for (int entry = 0; entry < SceneTableSize; ++entry) {
    lines += "  entry " + std::to_string(entry) + " " + SceneTable[entry].name + " " +
             Hex(run.entryHash[entry]) + "\n";
  }
  return lines;
}

TEST(FrameHashes, EveryFrameIsTheSameOnEveryProcessorPathAndThreadCount) {
  const bool wideCodec = SelectCodecKernels(true), wideSpans = SelectSpanKernels(true);
  const RunResult best = RunInChild(true);
  ASSERT_GT(best.frames, 0) << "the demo's run failed";
  EXPECT_EQ(best.messageBoxes, 0);
  EXPECT_EQ(Hex(best.hash), Hex(ExpectedFramesHash))
      << "frames of this processor's kernels differ from x86-64's; after an intended change of the "
         "pictures put the new hash into ExpectedFramesHash. Per entry:\n"
      << EntryHashes(best);
  if (!wideCodec && !wideSpans) return;
  const RunResult plain = RunInChild(false);
  ASSERT_EQ(plain.frames, best.frames);
  EXPECT_EQ(Hex(plain.hash), Hex(best.hash))
      << "the plain loops on one thread draw other pictures; per entry, wide:\n"
      << EntryHashes(best) << "plain:\n" << EntryHashes(plain);
}

}  // namespace
