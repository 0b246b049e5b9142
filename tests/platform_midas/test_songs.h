// Small songs for the sound stand-in's tests, written with the XM writer into a temporary folder:
// a kick-like looped square on row 0 of every order, so the sound is never silent for long.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/midas/midas.h"
#include "platform/midas/midas_testing.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "tests/support/files.h"
#include "tools/xm/xm_writer.h"

namespace midastest {

// One temporary folder for the test program's songs.
inline std::string TestFolder() {
  static const std::string folder = testsupport::FreshFolder("korvo-midas").string();
  return folder;
}

// `orders` orders of 64-row patterns (order k plays pattern k), at the given speed and BPM.
// `jumpAtRow` >= 0 puts a jump to order 0 at that row of the last order.
inline xm::Module CountingSong(int orders, int speed, int bpm, int jumpAtRow = -1) {
  xm::Module m;
  m.channels = 2;
  m.speed = speed;
  m.bpm = bpm;
  for (int k = 0; k < orders; ++k) {
    m.orders.push_back(static_cast<std::uint8_t>(k));
    m.patterns.emplace_back(64, 2);
    m.patterns.back().At(0, 0) = {xm::NoteNumber(4, 0), 1, 0, 0, 0};
  }
  if (jumpAtRow >= 0) m.patterns.back().At(jumpAtRow, 1) = {0, 0, 0, 0x0B, 0x00};
  xm::Instrument ins;
  ins.samples.emplace_back();
  for (int i = 0; i < 64; ++i) ins.samples[0].frames.push_back(i < 32 ? 12000 : -12000);
  ins.samples[0].loop = xm::LoopType::Forward;
  ins.samples[0].loopLength = 64;
  ins.volumeEnvelope.points = {{0, 64}, {10, 0}};
  m.instruments.push_back(ins);
  return m;
}

inline std::string WriteSong(const std::string& name, const xm::Module& m) {
  const std::string path = TestFolder() + "/" + name;
  std::string error;
  EXPECT_TRUE(xm::WriteXm(path, m, error)) << error;
  return path;
}

// Each test starts from a closed library in virtual mode at virtual time 0.
class MidasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMidas();
    platform::Mode() = platform::PlatformMode{};
    platform::Mode().sound = platform::Sound::Virtual;
    platform::SetVirtualTickCount(0);
  }
  void TearDown() override {
    platform::ResetMidas();
    platform::Mode() = platform::PlatformMode{};
    platform::UseRealClock();
  }

  // Start-up as the demo does it, up to a playing song; returns the play handle.
  MIDASmodulePlayHandle StartSong(const std::string& path, bool loop = true) {
    MIDASstartup();
    EXPECT_TRUE(MIDASinit()) << MIDASgetErrorMessage(MIDASgetLastError());
    EXPECT_TRUE(MIDASstartBackgroundPlay(0));
    module_ = MIDASloadModule(path.c_str());
    EXPECT_NE(module_, nullptr) << MIDASgetErrorMessage(MIDASgetLastError());
    const MIDASmodulePlayHandle handle = MIDASplayModule(module_, loop ? TRUE : FALSE);
    EXPECT_NE(handle, 0u);
    return handle;
  }

  static std::string LastErrorText() { return MIDASgetErrorMessage(MIDASgetLastError()); }

  MIDASmodule module_ = nullptr;
};

// The status at virtual time `ms` since the song started at time 0.
inline MIDASplayStatus StatusAt(MIDASmodulePlayHandle handle, std::uint32_t ms) {
  platform::SetVirtualTickCount(ms);
  MIDASplayStatus status{};
  EXPECT_TRUE(MIDASgetPlayStatus(handle, &status)) << MIDASgetErrorMessage(MIDASgetLastError());
  return status;
}

}  // namespace midastest
