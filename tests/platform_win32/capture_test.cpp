#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/capture/frame_capture.h"
#include "platform/capture/progress.h"
#include "platform/capture/video_pipe.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path FreshFolder(const char* name) {
  const fs::path folder = fs::temp_directory_path() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(FrameCapture, ListsEveryFrameAndWritesOnlyTheRangeThenStops) {
  const fs::path folder = FreshFolder("korvo-capture-test");
  platform::CaptureSettings settings;
  settings.folder = folder.string();
  settings.from = 0x0002;
  settings.to = 0x0003;
  ASSERT_TRUE(platform::BeginCapture(settings));
  const std::vector<std::uint16_t> frame(640 * 480, 0xF800);
  EXPECT_TRUE(platform::CaptureFrame(frame.data(), 0x0001, 0, 0));
  EXPECT_TRUE(platform::CaptureFrame(frame.data(), 0x0002, 0, 33));
  EXPECT_TRUE(platform::CaptureFrame(frame.data(), 0x0003, 1, 66));
  EXPECT_FALSE(platform::CaptureFrame(frame.data(), 0x0004, 1, 100)) << "past `to`: stop";
  EXPECT_TRUE(platform::EndCapture());

  EXPECT_FALSE(fs::exists(folder / "000001.png"));
  EXPECT_TRUE(fs::exists(folder / "000002.png"));
  EXPECT_TRUE(fs::exists(folder / "000003.png"));
  EXPECT_FALSE(fs::exists(folder / "000004.png"));
  EXPECT_EQ(ReadAll(folder / "frames.tsv"),
            "frame\tms\tposition\tentry\n"
            "000001\t0\t0x0001\t0\n000002\t33\t0x0002\t0\n000003\t66\t0x0003\t1\n"
            "000004\t100\t0x0004\t1\n");
}

TEST(VideoCapture, FramesGoThroughTheProgramAndTheSoundIsLaidUnder) {
  // A stand-in for ffmpeg that notes its arguments and how many bytes it was given.
  const fs::path folder = FreshFolder("korvo-video-test");
  const fs::path standIn = folder / "fake-ffmpeg";
  {
    std::ofstream script(standIn);
    script << "#!/bin/sh\necho \"$@\" >> " << (folder / "calls").string() << "\n"
           << "case \"$*\" in *rawvideo*) wc -c >> " << (folder / "bytes").string() << ";; esac\n";
  }
  fs::permissions(standIn, fs::perms::owner_all);
  ::setenv("KORVO_FFMPEG", standIn.c_str(), 1);

  platform::CaptureSettings settings;
  settings.folder = (folder / "work").string();
  settings.video = (folder / "out.mp4").string();
  settings.fps = 60;
  settings.videoWidth = 1280;
  settings.videoHeight = 720;
  ASSERT_TRUE(platform::BeginCapture(settings));
  const std::vector<std::uint16_t> frame(640 * 480, 0x07E0);
  for (int i = 0; i < 3; ++i) platform::CaptureFrame(frame.data(), i, 0, i * 16);
  EXPECT_TRUE(platform::EndCapture());
  ::unsetenv("KORVO_FFMPEG");

  EXPECT_EQ(std::stol(ReadAll(folder / "bytes")), 3L * 640 * 480 * 3);
  const std::string calls = ReadAll(folder / "calls");
  EXPECT_NE(calls.find("-r 60"), std::string::npos) << calls;
  EXPECT_NE(calls.find("scale=1280:720:force_original_aspect_ratio=decrease:flags=neighbor"),
            std::string::npos);
  EXPECT_NE(calls.find("pad=1280:720"), std::string::npos);
  EXPECT_NE(calls.find("audio.wav"), std::string::npos) << "second pass lays the WAV under";
  EXPECT_NE(calls.find("out.mp4"), std::string::npos);
}

TEST(VideoCapture, MissingFfmpegIsToldPlainly) {
  ::setenv("KORVO_FFMPEG", "/nonexistent/ffmpeg", 1);
  std::string error;
  EXPECT_FALSE(platform::OpenVideo({"x.mp4", 60, 640, 480}, "/tmp", &error));
  ::unsetenv("KORVO_FFMPEG");
  EXPECT_NE(error.find("needs ffmpeg, which is not installed"), std::string::npos) << error;
}

TEST(VideoSizes, OnlyPlainWidthByHeight) {
  int w = 0, h = 0;
  EXPECT_TRUE(platform::ParseVideoSize("1920x1080", &w, &h));
  EXPECT_EQ(w, 1920);
  EXPECT_EQ(h, 1080);
  for (const char* bad : {"1920", "1920x", "x1080", "1920x1080p", "8x8", "99999x99999", ""}) {
    EXPECT_FALSE(platform::ParseVideoSize(bad, &w, &h)) << bad;
  }
}

TEST(Progress, LineShowsShareFramesPositionRateAndTimeLeft) {
  EXPECT_EQ(platform::RowsUpTo(0x1430), 20 * 64 + 48);
  const std::string line = platform::FormatProgress({664, 0x0A10, 0x1431, 59.5, 75.2}, 79);
  EXPECT_EQ(line.size(), 79u);
  EXPECT_NE(line.find(" 49% frame 664  0x0A10  59.5 fps  1:15 left"), std::string::npos) << line;
  EXPECT_EQ(line.front(), '[');
  EXPECT_NE(platform::FormatProgress({1, 0, 0x1431, 0, -1}, 79).find("-:-- left"), std::string::npos);
}

}  // namespace
