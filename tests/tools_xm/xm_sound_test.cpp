// A written module rendered through libopenmpt: the envelopes, loops and sample data the song
// uses must sound the way they were written, which they only do when every header field lands
// at its offset.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools_xm/render_helpers.h"

namespace {

using xmtest::kFramesPerTick;

double TickRms(const xmtest::Stereo& s, int tick) {
  return xmtest::Rms(s.left, tick * kFramesPerTick, (tick + 1) * kFramesPerTick);
}

TEST(XmSound, VolumeEnvelopeFadesOrHoldsAtItsSustainPoint) {
  for (int sustain : {-1, 1}) {
    xm::Instrument ins = xmtest::LoopedSquare();
    ins.volumeEnvelope.points = {{0, 64}, {6, 64}, {12, 0}};
    ins.volumeEnvelope.sustainPoint = sustain;
    xm::Module m = xmtest::OneNoteModule(ins);
    m.patterns[0].At(4, 0).note = xm::kKeyOff;  // tick 24
    auto mod = xmtest::Load(m);
    ASSERT_NE(mod, nullptr);
    const auto s = xmtest::Render(*mod, 40 * kFramesPerTick);
    const double full = TickRms(s, 2);
    EXPECT_GT(full, 0.05);
    if (sustain < 0) {
      EXPECT_TRUE(TickRms(s, 9) < full * 0.75 && TickRms(s, 20) < 1e-4) << "fades, looped or not";
    } else {
      EXPECT_NEAR(TickRms(s, 20), full, full * 0.02) << "held at the sustain point until key-off";
    }
    EXPECT_LT(TickRms(s, 36), 1e-4);
  }
}

TEST(XmSound, OnlyLoopedSamplesSoundPastTheirEnd) {
  // 800 frames at 8363 Hz (C-4) last about 0.1 s = 5 ticks.
  std::vector<std::int16_t> square = xmtest::LoopedSquare(16).samples[0].frames;
  std::vector<std::int16_t> frames;
  for (int i = 0; i < 800 / 64; ++i) frames.insert(frames.end(), square.begin(), square.end());
  for (xm::LoopType loop : {xm::LoopType::None, xm::LoopType::Forward, xm::LoopType::PingPong}) {
    xm::Instrument ins = xmtest::OneSampleInstrument(frames);
    ins.samples[0].loop = loop;
    ins.samples[0].loopStart = 64;
    ins.samples[0].loopLength = 128;
    auto mod = xmtest::Load(xmtest::OneNoteModule(ins));
    ASSERT_NE(mod, nullptr);
    const auto s = xmtest::Render(*mod, 20 * kFramesPerTick);
    EXPECT_GT(TickRms(s, 1), 0.05);
    const double late = TickRms(s, 15);
    EXPECT_TRUE(loop == xm::LoopType::None ? late < 1e-4 : late > 0.05) << "loop type " << static_cast<int>(loop);
  }
}

TEST(XmSound, SampleValuesSurviveDeltaCodingAtBothDepths) {
  // Extreme values side by side: the deltas between them wrap around the sample width.
  std::vector<std::int16_t> frames;
  for (int i = 0; i < 64; ++i) frames.push_back(i < 32 ? 32767 : -32768);
  std::vector<float> rendered[2];
  int k = 0;
  for (xm::SampleDepth depth : {xm::SampleDepth::Bits16, xm::SampleDepth::Bits8}) {
    xm::Instrument ins = xmtest::OneSampleInstrument(frames);
    ins.samples[0].depth = depth;
    ins.samples[0].loop = xm::LoopType::Forward;
    ins.samples[0].loopLength = 64;
    auto mod = xmtest::Load(xmtest::OneNoteModule(ins));
    ASSERT_NE(mod, nullptr);
    rendered[k++] = xmtest::Render(*mod, 10 * kFramesPerTick).left;
  }
  const std::vector<float>& v = rendered[0];
  const float high = *std::max_element(v.begin() + 2 * kFramesPerTick, v.end());
  const float low = *std::min_element(v.begin() + 2 * kFramesPerTick, v.end());
  EXPECT_GT(high, 0.05f);
  EXPECT_NEAR(high, -low, high * 0.01f);
  for (std::size_t i = 2 * kFramesPerTick; i < v.size(); ++i) {
    ASSERT_GT(std::abs(v[i]), high * 0.98f) << "a value between the two extremes at frame " << i;
    ASSERT_NEAR(rendered[1][i], v[i], high * 0.01f) << "8-bit differs from 16-bit at frame " << i;
  }
}

}  // namespace
