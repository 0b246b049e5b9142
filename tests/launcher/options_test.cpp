#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "launcher/options.h"

namespace {

struct Parsed {
  bool ok;
  launcher::Options options;
  std::string error;
};

Parsed Parse(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"korvo"};
  argv.insert(argv.end(), arguments);
  Parsed parsed{};
  parsed.ok = launcher::ParseOptions(static_cast<int>(argv.size()), argv.data(), &parsed.options,
                                     &parsed.error);
  return parsed;
}

TEST(Positions, HexAndSongRowForms) {
  EXPECT_EQ(launcher::ParsePosition("0x0C00"), 0x0C00);
  EXPECT_EQ(launcher::ParsePosition("0x1430"), 0x1430);
  EXPECT_EQ(launcher::ParsePosition("12:0"), 0x0C00);
  EXPECT_EQ(launcher::ParsePosition("20:48"), 0x1430);
  EXPECT_EQ(launcher::ParsePosition("0x5"), 0x0005);
  for (const char* bad : {"", "12", "0x", "0xZZ", "1:256", "a:b", "-1:0", "0x10000", "12:", "0x0x10", "0x+10",
                          "0x-1", " 0x10", "0x10 ", "+1:0", "1:+2", "1: 2", "0x00010", "1:2:3"}) {
    EXPECT_FALSE(launcher::ParsePosition(bad).has_value()) << bad;
  }
  // Well formed, but not a place the demo reaches.
  EXPECT_EQ(launcher::PositionFault(0x1430), "");
  EXPECT_NE(launcher::PositionFault(0x1431).find("past the end"), std::string::npos);
  EXPECT_NE(launcher::PositionFault(0x0A46).find("row 70"), std::string::npos);
}

TEST(Options, EachOptionLandsInItsSetting) {
  const Parsed plain = Parse({});
  ASSERT_TRUE(plain.ok);
  EXPECT_TRUE(plain.options.action == launcher::Options::Action::Run && !plain.options.window &&
              plain.options.capture.empty()) << "no options: a plain full-screen run";
  const Parsed p = Parse({"--capture", "out", "--fps", "15", "--from", "0x0100", "--to", "2:0", "--data", "/d"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.capture, "out");
  EXPECT_EQ(p.options.fps, 15);
  EXPECT_EQ(p.options.from, 0x0100);
  EXPECT_EQ(p.options.to, 0x0200);
  EXPECT_EQ(p.options.dataFolder, "/d");
  const Parsed lossless = Parse({"--capture", "a.mkv", "--quality", "lossless", "--size", "17x17", "--overwrite"});
  ASSERT_TRUE(lossless.ok) << lossless.error;
  EXPECT_TRUE(lossless.options.quality == platform::VideoQuality::Lossless && lossless.options.overwrite);
  EXPECT_EQ(Parse({"--capture", "a.mp4"}).options.quality, platform::VideoQuality::High);
  EXPECT_TRUE(Parse({"--scale", "3"}).options.scale == 3 && Parse({"--scale", "3"}).options.window);
  EXPECT_EQ(Parse({"--help"}).options.action, launcher::Options::Action::Help);
  EXPECT_EQ(Parse({"--version"}).options.action, launcher::Options::Action::Version);
  EXPECT_EQ(Parse({"--list-scenes"}).options.action, launcher::Options::Action::ListScenes);
  EXPECT_EQ(Parse({"--start", "0x1110"}).options.start, 0x1110);
}

TEST(Options, BadCommandLinesNameTheProblem) {
  const struct {
    std::initializer_list<const char*> arguments;
    const char* expected;
  } cases[] = {
      {{"--frobnicate"}, "unknown option \"--frobnicate\""},
      {{"--capture"}, "--capture needs a value"},
      {{"--capture", "x", "--fps", "0"}, "--fps: \"0\" is not a number from 1 to 1000"},
      {{"--capture", "x", "--fps", "ten"}, "--fps: \"ten\""},
      {{"--capture", "x", "--to", "later"}, "--to: \"later\" is not a music position"},
      {{"--fps", "30"}, "need --capture"},
      {{"--capture", "x", "--window"}, "--capture runs without a window"},
      {{"--capture", "x", "--start", "0x0100"}, "use --from instead of --start"},
      {{"--capture", "x", "--from", "0x0200", "--to", "0x0100"}, "--from lies after --to"},
      {{"--capture", "x", "--size", "1280x960"}, "--size applies to video captures"},
      {{"--capture", "x", "--quality", "web"}, "--quality applies to video captures"},
      {{"--capture", "x.mp4", "--quality", "best"}, "--quality: \"best\" is not lossless, high or web"},
      {{"--capture", "x.mp4", "--size", "641x481"}, "--size 641x481: H.264 needs an even width and height"},
      {{"--capture", ""}, "--capture needs a folder or a video file name"},
      {{"--overwrite"}, "need --capture"},
      {{"--start", "10:70"}, "--start 10:70: row 70 does not exist"},
      {{"--capture", "x", "--from", "0x1500"}, "--from 0x1500: 0x1500 lies past the end"},
      {{"--capture", "x", "--to", "21:0"}, "--to 21:0: 0x1500 lies past the end"},
      {{"--capture", "x.mp4", "--size", "big"}, "--size: \"big\" is not a frame size WxH"},
      {{"--scale", "0"}, "--scale: \"0\""},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.arguments);
    EXPECT_FALSE(p.ok) << c.expected;
    EXPECT_NE(p.error.find(c.expected), std::string::npos) << p.error;
  }
}

}  // namespace
