// Helpers for the XM writer tests: load written bytes in libopenmpt and render them at 48 kHz
// with nearest-sample interpolation, so sample values reach the output unblurred.
#pragma once

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/xm/xm_writer.h"

namespace xmtest {

constexpr int kRate = 48000;
constexpr int kFramesPerTick = 960;  // at 125 BPM

inline std::unique_ptr<openmpt::module> Load(const xm::Module& m) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!xm::EncodeXm(m, bytes, error)) return nullptr;
  auto mod = std::make_unique<openmpt::module>(bytes);
  mod->set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 1);
  mod->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, 0);
  return mod;
}

struct Stereo {
  std::vector<float> left, right;
};

inline Stereo Render(openmpt::module& mod, int frames) {
  Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
  int done = 0;
  while (done < frames) {
    const std::size_t n = mod.read(kRate, frames - done, out.left.data() + done, out.right.data() + done);
    if (n == 0) break;
    done += static_cast<int>(n);
  }
  return out;
}

// Root mean square of left[from, to).
inline double Rms(const std::vector<float>& v, int from, int to) {
  double sum = 0.0;
  for (int i = from; i < to; ++i) sum += double{v[i]} * v[i];
  return to > from ? std::sqrt(sum / (to - from)) : 0.0;
}

// A one-channel, one-pattern module at speed 6, 125 BPM, playing `ins` at C-4 on row 0.
inline xm::Module OneNoteModule(xm::Instrument ins, int channels = 1) {
  xm::Module m;
  m.channels = channels;
  m.orders = {0};
  m.patterns.emplace_back(64, channels);
  m.patterns[0].At(0, 0) = {xm::NoteNumber(4, 0), 1, 0, 0, 0};
  m.instruments.push_back(std::move(ins));
  return m;
}

inline xm::Instrument OneSampleInstrument(std::vector<std::int16_t> frames) {
  xm::Instrument ins;
  ins.samples.emplace_back();
  ins.samples[0].frames = std::move(frames);
  return ins;
}

// A looped square wave of the given half period and amplitude.
inline xm::Instrument LoopedSquare(int halfPeriod = 16, std::int16_t amplitude = 16000) {
  std::vector<std::int16_t> frames;
  for (int i = 0; i < 4 * halfPeriod; ++i) frames.push_back((i / halfPeriod) % 2 ? -amplitude : amplitude);
  xm::Instrument ins = OneSampleInstrument(frames);
  ins.samples[0].loop = xm::LoopType::Forward;
  ins.samples[0].loopLength = static_cast<std::uint32_t>(frames.size());
  return ins;
}

}  // namespace xmtest
