// Modules that break a format limit are refused with a reason instead of being written broken.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "tests/support/files.h"
#include "tests/tools_xm/render_helpers.h"

namespace {

xm::Module Valid() { return xmtest::OneNoteModule(xmtest::LoopedSquare()); }

TEST(XmValidation, FaultyModulesAreRefusedWithAReasonAndWriteNamesTheFile) {
  const struct {
    const char* fault;
    std::function<void(xm::Module&)> spoil;
  } cases[] = {
      {"names a missing pattern", [](xm::Module& m) { m.orders.push_back(1); }},
      {"order count", [](xm::Module& m) { m.orders.clear(); }},
      {"restart position", [](xm::Module& m) { m.restartPosition = 1; }},
      {"channel count differs", [](xm::Module& m) { m.patterns.emplace_back(64, 2); }},
      {"rows not in", [](xm::Module& m) { m.patterns[0] = xm::Pattern(257, 1); }},
      {"missing instrument", [](xm::Module& m) { m.patterns[0].At(1, 0).instrument = 2; }},
      {"note number", [](xm::Module& m) { m.patterns[0].At(1, 0).note = 98; }},
      {"loop past the end", [](xm::Module& m) { m.instruments[0].samples[0].loopStart = 1; }},
      {"loop of length 0", [](xm::Module& m) { m.instruments[0].samples[0].loopLength = 0; }},
      {"missing sample", [](xm::Module& m) { m.instruments[0].noteSample[40] = 1; }},
      {"ticks not increasing",
       [](xm::Module& m) { m.instruments[0].volumeEnvelope.points = {{0, 64}, {5, 10}, {5, 0}}; }},
      {"value above 64", [](xm::Module& m) { m.instruments[0].panningEnvelope.points = {{0, 65}}; }},
      {"sustain or loop point",
       [](xm::Module& m) {
         m.instruments[0].volumeEnvelope.points = {{0, 64}};
         m.instruments[0].volumeEnvelope.sustainPoint = 1;
       }},
      {"BPM", [](xm::Module& m) { m.bpm = 300; }},
  };
  for (const auto& c : cases) {
    xm::Module m = Valid();
    c.spoil(m);
    std::vector<std::uint8_t> bytes{1, 2, 3};
    std::string error;
    EXPECT_FALSE(xm::EncodeXm(m, bytes, error)) << c.fault;
    EXPECT_NE(error.find(c.fault), std::string::npos) << "expected \"" << c.fault << "\", got \"" << error << "\"";
    EXPECT_TRUE(bytes.empty()) << c.fault;
  }
  std::string error;
  EXPECT_FALSE(xm::WriteXm("/nonexistent-folder/song.xm", Valid(), error));
  EXPECT_NE(error.find("/nonexistent-folder/song.xm"), std::string::npos) << error;

  xm::Module broken = Valid();
  broken.orders.clear();
  const std::string path = (testsupport::FreshFolder("korvo-xm") / "refused.xm").string();
  EXPECT_FALSE(xm::WriteXm(path, broken, error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr) << "a refused module leaves no file";
}

}  // namespace
