// Captures without the demo: frames and a song of numbered samples are fed by hand, as the frame
// sink and the virtual sink would, so that numbering, the frame list and the exact sound window
// can be checked, and ffmpeg is a stand-in script that reads, dies or is killed.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/capture/frame_capture.h"
#include "platform/capture/png_writer.h"
#include "platform/capture/progress.h"
#include "platform/capture/video_pipe.h"
#include "platform/midas/wav_writer.h"
#include "platform/win32/clock.h"
#include "platform/win32/stop_signal.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

using testsupport::FreshFolder;
using testsupport::ReadAll;

// Writes a stand-in for ffmpeg and points KORVO_FFMPEG at it.
void StandIn(const fs::path& folder, const std::string& body) {
  const fs::path script = folder / "ffmpeg";
  std::ofstream(script) << "#!/bin/sh\n" << body;
  fs::permissions(script, fs::perms::owner_all);
  ::setenv("KORVO_FFMPEG", script.c_str(), 1);
}

// Runs a capture of `frames` frames at `fps` whose positions are their numbers, with the song's
// sample k holding the value k (both channels), rendered as the virtual sink does: through the
// frame at the next frame's time before each frame is captured.
struct FedCapture {
  int fps;
  int frames;
  platform::CaptureSettings settings;
  std::function<void(int frame, std::vector<std::uint16_t>& picture)> paint;

  bool Run() {
    platform::UseVirtualClock(fps);
    if (!platform::BeginCapture(settings)) return false;
    platform::WavWriter song;
    std::string error;
    song.Open("song.wav", error);  // taken by the capture's tap: no file
    std::vector<std::uint16_t> picture(640 * 480, 0x1234);
    bool going = true;
    for (int k = 0; k < frames && going; ++k) {
      if (paint) paint(k, picture);
      const std::uint64_t through = static_cast<std::uint64_t>(k + 1) * 48000 / fps;
      std::vector<std::int16_t> samples;
      for (std::uint64_t i = song.Frames(); i <= through; ++i) samples.insert(samples.end(), 2, static_cast<std::int16_t>(i));
      song.Append(samples.data(), samples.size() / 2, error);
      going = platform::CaptureFrame({picture.data(), k, 0, k / 10, "Scene", static_cast<std::uint32_t>(k * 1000 / fps)});
      platform::AdvanceVirtualFrame();
    }
    song.Close();
    return platform::EndCapture();
  }
};

// A 60 fps capture of `frames` frames into a video file.
FedCapture VideoTo(const std::string& video, int frames) {
  FedCapture capture{60, frames, {}, {}};
  capture.settings.video = video;
  capture.settings.fps = 60;
  return capture;
}

TEST(FrameCapture, PicturesListAndSoundCoverExactlyTheWrittenFrames) {
  const struct {
    int fps, from, to;
  } cases[] = {{30, 5, 14}, {60, 0, 7}, {7, 3, 9}, {25, 11, 11}};
  for (const auto& c : cases) {
    const fs::path folder = FreshFolder();
    FedCapture capture{c.fps, 40, {}, {}};
    capture.settings.folder = folder.string();
    capture.settings.fps = c.fps;
    capture.settings.from = c.from;
    capture.settings.to = c.to;
    ASSERT_TRUE(capture.Run()) << c.fps;

    const int written = c.to - c.from + 1;
    for (int n = 1; n <= written + 1; ++n) {
      char name[16];
      std::snprintf(name, sizeof name, "%06d.png", n);
      EXPECT_EQ(fs::exists(folder / name), n <= written) << name;
    }
    ASSERT_EQ(testsupport::LineCount(folder / "frames.tsv"), written + 1);
    std::istringstream list(ReadAll(folder / "frames.tsv"));
    std::string header, row;
    std::getline(list, header);
    std::getline(list, row);
    EXPECT_EQ(header, "picture\tframe\tms\tposition\tentry\tscene");
    char first[96];
    std::snprintf(first, sizeof first, "000001\t%d\t%d\t0x%04X\t%d\tScene", c.from + 1, c.from * 1000 / c.fps, c.from,
                  c.from / 10);
    EXPECT_EQ(row, first);

    // The sound runs from the first written frame's time to the end of the last one.
    const std::string wav = ReadAll(folder / "audio.wav");
    ASSERT_GE(wav.size(), 48u);
    const std::uint64_t start = static_cast<std::uint64_t>(c.from) * 48000 / c.fps;
    const std::uint64_t end = static_cast<std::uint64_t>(c.to + 1) * 48000 / c.fps;
    EXPECT_EQ(wav.size() - 44, (end - start) * 4) << c.fps;
    const auto sample = [&](std::size_t at) { std::int16_t v = 0; return std::memcpy(&v, wav.data() + at, 2), v; };
    EXPECT_TRUE(sample(44) == std::int16_t(start) && sample(wav.size() - 2) == std::int16_t(end - 1));
  }
}

TEST(FrameCapture, AnEarlierCaptureIsKeptUnlessOverwriteClearsIt) {
  const fs::path folder = FreshFolder();
  FedCapture first{30, 12, {}, {}};
  first.settings.folder = folder.string();
  ASSERT_TRUE(first.Run());
  std::ofstream(folder / "notes.txt") << "mine";

  FedCapture again{30, 3, {}, {}};
  again.settings.folder = folder.string();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(again.Run());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("already holds a capture"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder / "000012.png"));

  again.settings.overwrite = true;
  ASSERT_TRUE(again.Run());
  EXPECT_TRUE(fs::exists(folder / "000003.png"));
  EXPECT_FALSE(fs::exists(folder / "000004.png")) << "old pictures are cleared";
  EXPECT_TRUE(fs::exists(folder / "notes.txt")) << "other files are not";
}

TEST(FrameCapture, FullDevicesAreNamedWithTheCause) {
  const fs::path folder = FreshFolder();
  platform::CaptureSettings settings;
  settings.folder = folder.string();
  settings.frameListPath = "/dev/full";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::BeginCapture(settings));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("/dev/full: cannot be written (No space left on device)"),
            std::string::npos);

  const std::vector<std::uint16_t> picture(6 * 5, 0xF81F);
  std::string fault;
  EXPECT_FALSE(platform::WritePng("/dev/full", picture.data(), 6, 5, &fault));
  EXPECT_EQ(fault, "/dev/full: cannot be written (No space left on device)");

  platform::WavWriter wav;
  std::string error;
  EXPECT_FALSE(wav.Open("/dev/full", error));
  EXPECT_EQ(error, "/dev/full (No space left on device)");
}

TEST(VideoCapture, OnePassWithExactRateSoundOnItsOwnPipeAndTheNameOnlyWhenFinished) {
  const fs::path folder = FreshFolder();
  // Notes its arguments and the bytes of both pipes; writes the output it was given.
  StandIn(folder, "echo \"$@\" > " + (folder / "calls").string() + "\n" +
                      "wc -c <&3 > " + (folder / "sound").string() + " &\n" +
                      "wc -c > " + (folder / "pictures").string() + "\nwait\n" +
                      "for last; do :; done; echo video > \"$last\"\n");
  FedCapture capture = VideoTo((folder / "out.mp4").string(), 10);
  capture.settings.videoWidth = 1280;
  capture.settings.videoHeight = 960;
  capture.settings.from = 2;
  capture.settings.to = 6;
  ASSERT_TRUE(capture.Run());
  ::unsetenv("KORVO_FFMPEG");

  EXPECT_EQ(std::stol(ReadAll(folder / "pictures")), 5L * 640 * 480 * 3);
  EXPECT_EQ(std::stol(ReadAll(folder / "sound")), 5L * 800 * 4);
  const std::string calls = ReadAll(folder / "calls");
  for (const char* part : {"-framerate 60 ", "-i pipe:0", "-i pipe:3", "scale=1280:960:flags=neighbor",
                           "-c:v libx264 ", "-c:a aac", "-f mp4 "}) {
    EXPECT_NE(calls.find(part), std::string::npos) << part << " in " << calls;
  }
  EXPECT_EQ(calls.find("pad="), std::string::npos) << "a whole multiple is not letterboxed";
  EXPECT_EQ(ReadAll(folder / "out.mp4"), "video\n");
  EXPECT_FALSE(fs::exists(platform::PartialVideoPath((folder / "out.mp4").string())));
}

TEST(VideoCapture, AnFfmpegThatDiesOrIsKilledIsToldAndLeavesNoFile) {
  const struct {
    const char* body;
    const char* told;
  } cases[] = {
      {"head -c 2000000 > /dev/null; exit 3\n", "ffmpeg stopped after 2 frames (status 3)"},
      {"head -c 1000000 > /dev/null; kill -9 $$\n", "ffmpeg stopped after 1 frames (status 137)"},
      {"cat > /dev/null; cat <&3 > /dev/null; for last; do :; done; echo x > \"$last\"; exit 1\n",
       "ffmpeg stopped after 30 frames (status 1)"},
  };
  for (const auto& c : cases) {
    const fs::path folder = FreshFolder();
    StandIn(folder, c.body);
    FedCapture capture = VideoTo((folder / "out.mkv").string(), 30);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(capture.Run());
    const std::string told = testing::internal::GetCapturedStderr();
    ::unsetenv("KORVO_FFMPEG");
    EXPECT_NE(told.find(c.told), std::string::npos) << told;
    EXPECT_NE(told.find("out.mkv: not written"), std::string::npos) << told;
    EXPECT_FALSE(fs::exists(folder / "out.mkv"));
    EXPECT_FALSE(fs::exists(platform::PartialVideoPath((folder / "out.mkv").string())));
  }
}

// An ffmpeg (and a helper of its) that reads nothing and never ends must not hold a stopped run:
// the run gives it up a few seconds after the signal. In a child, as the signal stays noted.
TEST(VideoCapture, AStuckFfmpegIsGivenUpAfterAStopSignal) {
  const fs::path folder = FreshFolder();
  StandIn(folder, "sleep 60 & wait\n");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    platform::InstallStopSignals();
    raise(SIGTERM);
    FedCapture capture = VideoTo((folder / "out.mp4").string(), 30);
    const bool finished = capture.Run();
    _exit(!finished && !fs::exists(folder / "out.mp4") ? 0 : 1);
  }
  EXPECT_EQ(testsupport::ExitStatus(child), 0);
  ::unsetenv("KORVO_FFMPEG");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(VideoCapture, MissingFfmpegAndUnwritableTargetsAreToldBeforeTheFirstFrame) {
  const fs::path folder = FreshFolder();
  platform::CaptureSettings settings;
  settings.video = (folder / "x.mp4").string();
  ::setenv("KORVO_FFMPEG", "/nonexistent/ffmpeg", 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::BeginCapture(settings));
  ::unsetenv("KORVO_FFMPEG");
  settings.video = "/nonexistent/x.mp4";
  EXPECT_FALSE(platform::BeginCapture(settings));
  std::ofstream(folder / "old.mp4") << "keep";
  settings.video = (folder / "old.mp4").string();
  EXPECT_FALSE(platform::BeginCapture(settings));
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("needs ffmpeg, which is not installed"), std::string::npos) << told;
  EXPECT_NE(told.find("the folder /nonexistent does not exist"), std::string::npos) << told;
  EXPECT_NE(told.find("old.mp4 already exists"), std::string::npos) << told;
  EXPECT_EQ(ReadAll(folder / "old.mp4"), "keep");
}

// With the real ffmpeg: time stamps k / N exactly, and lossless frames equal to the pictures.
TEST(VideoCapture, RealFfmpegKeepsTheRateAndLosslessKeepsEveryPixel) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  const fs::path folder = FreshFolder();
  FedCapture capture = VideoTo((folder / "out.mkv").string(), 12);
  capture.settings.quality = platform::VideoQuality::Lossless;
  capture.paint = [&](int k, std::vector<std::uint16_t>& picture) {
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<std::uint16_t>(i * 7 + k * 2011);
    ASSERT_TRUE(platform::WritePng((folder / ("frame" + std::to_string(k) + ".png")).string(), picture.data(), 640, 480));
  };
  ASSERT_TRUE(capture.Run());
  const fs::path probe = folder / "probe";
  // Decoded frames and the PNGs, both as raw RGB.
  const std::string decode = "ffmpeg -v error -i " + capture.settings.video + " -f rawvideo -pix_fmt rgb24 " +
                             (folder / "video.rgb").string();
  const std::string pictures = "ffmpeg -v error -framerate 60 -start_number 0 -i " +
                               (folder / "frame%d.png").string() + " -f rawvideo -pix_fmt rgb24 " +
                               (folder / "pictures.rgb").string();
  ASSERT_EQ(std::system(decode.c_str()), 0);
  ASSERT_EQ(std::system(pictures.c_str()), 0);
  const std::string video = ReadAll(folder / "video.rgb");
  EXPECT_EQ(video.size(), 12u * 640 * 480 * 3);
  EXPECT_TRUE(video == ReadAll(folder / "pictures.rgb"));

  // The default (H.264 and AAC in MP4) keeps the rate exactly too.
  FedCapture high = VideoTo((folder / "out.mp4").string(), 45);
  ASSERT_TRUE(high.Run());
  ASSERT_EQ(std::system(("ffprobe -v error -select_streams v -show_entries stream=r_frame_rate,avg_frame_rate "
                         "-of csv=p=0 " + high.settings.video + " > " + probe.string()).c_str()), 0);
  EXPECT_EQ(ReadAll(probe), "60/1,60/1\n");
}

TEST(Progress, LineShowsShareFramesPositionRatesAndTimeLeft) {
  EXPECT_EQ(platform::RowsUpTo(0x1430), 20 * 64 + 48);
  const std::string line = platform::FormatProgress({664, 0x0A10, 0x1431, 59.5, 75.2}, 79);
  EXPECT_EQ(line.size(), 79u);
  EXPECT_NE(line.find(" 49% frame 664  0x0A10  59.5 fps  1:15 left"), std::string::npos) << line;
  EXPECT_EQ(line.front(), '[');
  EXPECT_NE(platform::FormatProgress({1, 0, 0x1431, 0, -1}, 79).find("-:-- left"), std::string::npos);
  const std::string video = platform::FormatProgress({664, 0x0A10, 0x1431, 61.0, 75.2, 58.5}, 79);
  EXPECT_NE(video.find("draw 61.0  encode 58.5 fps"), std::string::npos) << video;
}

}  // namespace
