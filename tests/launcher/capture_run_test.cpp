// Whole captures as a user starts them, each in a child process (the demo's state lives for the
// whole process): a stop signal mid-way leaves pictures, list and sound that agree, and a song
// that ends before the demo does ends the capture with a fault instead of running for ever.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "launcher/modes.h"
#include "launcher/options.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "tests/support/demo_run.h"

namespace {

namespace fs = std::filesystem;

using testsupport::ExitStatus;
using testsupport::FreshFolder;
using testsupport::LineCount;
using testsupport::ReadAll;

// Starts `korvo --capture folder --fps fps --data data` in a child whose standard error goes to
// folder/../stderr; returns its process id.
pid_t StartCapture(const fs::path& folder, int fps, const std::string& data, int to = 0xFFFF) {
  const pid_t child = fork();
  if (child == 0) {
    const int err = open((folder.parent_path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, STDERR_FILENO);
    setenv("XDG_CACHE_HOME", (folder.parent_path() / "cache").c_str(), 1);
    launcher::Options options;
    options.capture = folder.string();
    options.fps = fps;
    options.dataFolder = data;
    if (to != 0xFFFF) options.to = to;
    std::fflush(stdout);
    _exit(RunDemo(options));
  }
  return child;
}

TEST(CaptureRun, StopSignalLeavesPicturesListAndSoundThatAgree) {
  const fs::path folder = FreshFolder() / "capture";
  const pid_t child = StartCapture(folder, 10, KORVO_BUILD_DIR);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (LineCount(folder / "frames.tsv") < 6 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child, SIGTERM);
  EXPECT_EQ(ExitStatus(child), 128 + SIGTERM);

  int pictures = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("partial"), std::string::npos) << name;
    pictures += name.ends_with(".png");
  }
  EXPECT_GE(pictures, 5);
  EXPECT_EQ(LineCount(folder / "frames.tsv"), pictures + 1);
  EXPECT_EQ(fs::file_size(folder / "audio.wav"), 44u + static_cast<std::uintmax_t>(pictures) * 4800 * 4);
}

// The capture takes the song through its tap and renders each written frame's sound ahead; the
// demo must still see every frame at the same music position and entry as a plain run.
TEST(CaptureRun, CapturingChangesNothingTheDemoSees) {
  constexpr MusicPosition To = 0x0080;
  const fs::path base = FreshFolder();
  struct Seen {
    int position, entry;
  };
  const std::vector<Seen> plain = testsupport::RunDemoInChild<Seen>([] {
    platform::UseVirtualClock(20);
    return [](const std::uint16_t*, int out) {
      const MIDASplayStatus status = platform::LastPlayStatus();
      const Seen seen{static_cast<int>(status.row | status.position << 8), SceneIndex};
      if (seen.position > To) return true;
      testsupport::Send(out, seen);
      return false;
    };
  });
  std::string expected;
  for (const Seen& seen : plain) {
    char row[32];
    std::snprintf(row, sizeof row, "0x%04X\t%d\n", seen.position, seen.entry);
    expected += row;
  }
  ASSERT_EQ(ExitStatus(StartCapture(base / "capture", 20, KORVO_BUILD_DIR, To)), 0);

  std::istringstream list(ReadAll(base / "capture" / "frames.tsv"));
  std::string line, captured;
  std::getline(list, line);
  while (std::getline(list, line)) {
    // picture, frame, ms, then position and entry
    std::size_t at = 0;
    for (int tab = 0; tab < 3; ++tab) at = line.find('\t', at) + 1;
    captured += line.substr(at, line.rfind('\t') - at) + "\n";
  }
  EXPECT_GT(plain.size(), 50u);
  EXPECT_TRUE(captured == expected) << "the capture saw other positions or entries than a plain run";
}

bool WriteText(const char* path, const std::string& text) {
  const int file = open(path, O_WRONLY);
  const bool ok = file >= 0 && write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (file >= 0) close(file);
  return ok;
}

// A real full file system: a 3 MB tmpfs in a user and mount namespace of the child's own, where
// the sandbox allows one.
TEST(CaptureRun, AFullFileSystemIsNamedAndTheFolderStillAgrees) {
  constexpr int NoNamespace = 77;
  const fs::path base = FreshFolder();
  const fs::path small = base / "small";
  fs::create_directory(small);
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  const pid_t child = fork();
  if (child == 0) {
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !WriteText("/proc/self/setgroups", "deny") ||
        !WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") ||
        mount("none", small.c_str(), "tmpfs", 0, "size=3m") != 0) {
      _exit(NoNamespace);
    }
    const pid_t capture = StartCapture(small / "capture", 30, KORVO_BUILD_DIR);
    const int status = ExitStatus(capture);
    // What the capture left, listed outside the namespace's tmpfs for the test to read.
    std::ofstream seen(base / "seen");
    seen << status << "\n" << LineCount(small / "capture" / "frames.tsv") << "\n";
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(small / "capture")) pictures += entry.path().extension() == ".png";
    seen << pictures << "\n" << fs::file_size(small / "capture" / "audio.wav") << "\n"
         << ReadAll(small / "stderr");
    seen.close();
    _exit(0);
  }
  const int status = ExitStatus(child);
  if (status == NoNamespace) GTEST_SKIP() << "no user namespace to mount a small tmpfs in";
  ASSERT_EQ(status, 0);
  std::istringstream seen(ReadAll(base / "seen"));
  int captureStatus = 0, rows = 0, pictures = 0;
  std::uintmax_t wavBytes = 0;
  seen >> captureStatus >> rows >> pictures >> wavBytes;
  const std::string told(std::istreambuf_iterator<char>(seen), {});
  EXPECT_EQ(captureStatus, 1);
  EXPECT_NE(told.find("No space left on device"), std::string::npos) << told;
  EXPECT_GT(pictures, 3);
  EXPECT_EQ(rows, pictures + 1);
  EXPECT_EQ(wavBytes, 44u + static_cast<std::uintmax_t>(pictures) * 1600 * 4);
}

TEST(CaptureRun, ASongEndingBeforeTheDemoEndsTheCaptureWithAFault) {
  const fs::path data = FreshFolder();
  fs::create_directory_symlink(fs::path(KORVO_BUILD_DIR) / "data", data / "data");
  // The demo's song with its order list cut to 10 entries (song length at byte 64 of the header).
  std::string song = ReadAll(fs::path(KORVO_BUILD_DIR) / "sotkux.xm");
  ASSERT_GT(song.size(), 66u);
  song[64] = 10;
  song[65] = 0;
  std::ofstream(data / "sotkux.xm", std::ios::binary) << song;

  const fs::path folder = data / "capture";
  const pid_t child = StartCapture(folder, 1, data.string());
  EXPECT_EQ(ExitStatus(child), 1);
  const std::string told = ReadAll(data / "stderr");
  EXPECT_NE(told.find("the song went back to its start after 0x09"), std::string::npos) << told;
  EXPECT_LT(LineCount(folder / "frames.tsv"), 200);
}

}  // namespace
