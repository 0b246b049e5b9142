#include "tools/song/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace song {
namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

// The loop length near `seconds` on which `frequency` completes the closest to a whole number of
// cycles, so the undetuned oscillator keeps its exact pitch when bent to whole cycles.
int BestLoopLength(double frequency, double seconds) {
  const int centre = static_cast<int>(std::lround(seconds * SampleRate));
  int best = centre;
  double bestError = 1.0;
  for (int length = centre - centre / 8; length <= centre + centre / 8; ++length) {
    const double cycles = frequency * length / SampleRate;
    const double error = std::abs(cycles - std::round(cycles)) / cycles;
    if (error < bestError) {
      bestError = error;
      best = length;
    }
  }
  return best;
}

}  // namespace

double NoteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// The tracker's C-4 (note 48 counted from C-0) plays relative note 0 at 8363 Hz; our middle C
// (60) is that C-4, and SampleRate is two octaves above 8363 Hz.
int BaseNoteRelative(int baseNote) { return 24 - (baseNote - 60); }

float Noise::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<float>(static_cast<int32_t>(state_) / 2147483648.0);
}

Biquad Biquad::LowPass(double cutoff, double q) {
  const double w = TwoPi * cutoff / SampleRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
  Biquad f;
  const double a0 = 1 + alpha;
  f.b0_ = (1 - c) / 2 / a0;
  f.b1_ = (1 - c) / a0;
  f.b2_ = f.b0_;
  f.a1_ = -2 * c / a0;
  f.a2_ = (1 - alpha) / a0;
  return f;
}

Biquad Biquad::HighPass(double cutoff, double q) {
  const double w = TwoPi * cutoff / SampleRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
  Biquad f;
  const double a0 = 1 + alpha;
  f.b0_ = (1 + c) / 2 / a0;
  f.b1_ = -(1 + c) / a0;
  f.b2_ = f.b0_;
  f.a1_ = -2 * c / a0;
  f.a2_ = (1 - alpha) / a0;
  return f;
}

Biquad Biquad::BandPass(double centre, double q) {
  const double w = TwoPi * centre / SampleRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
  Biquad f;
  const double a0 = 1 + alpha;
  f.b0_ = alpha / a0;
  f.b1_ = 0;
  f.b2_ = -alpha / a0;
  f.a1_ = -2 * c / a0;
  f.a2_ = (1 - alpha) / a0;
  return f;
}

void Biquad::Retune(const Biquad& response) {
  b0_ = response.b0_;
  b1_ = response.b1_;
  b2_ = response.b2_;
  a1_ = response.a1_;
  a2_ = response.a2_;
}

float Biquad::Process(float x) {
  const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_;
  x1_ = x;
  y2_ = y1_;
  y1_ = y;
  return static_cast<float>(y);
}

LoopedWave AdditiveTone(const ToneRecipe& recipe) {
  const double base = NoteFrequency(recipe.baseNote);
  const bool looped = recipe.loopSeconds > 0.0;
  const int attack = static_cast<int>(recipe.attackSeconds * SampleRate);
  const int loop = looped ? BestLoopLength(base, recipe.loopSeconds) : 0;
  const int total = looped ? attack + loop
                           : std::max(attack, static_cast<int>(recipe.lengthSeconds * SampleRate));

  LoopedWave out;
  out.wave.assign(total, 0.0f);
  out.loopStart = looped ? attack : 0;
  out.loopLength = loop;

  Noise phases(recipe.phaseSeed);
  for (double cents : recipe.detuneCents) {
    double frequency = base * std::pow(2.0, cents / 1200.0);
    if (looped) frequency = std::max(1.0, std::round(frequency * loop / SampleRate)) * SampleRate / loop;
    const double start = TwoPi * phases.Next();
    for (int k = 1; k * frequency < recipe.ceiling; ++k) {
      const double weight = (k % 2 == 1) ? 1.0 : recipe.evenWeight;
      if (weight == 0.0) continue;
      const double logK = std::log(static_cast<double>(k));
      const double step = TwoPi * frequency * k / SampleRate;
      const double phase = start * k;
      for (int n = 0; n < total; ++n) {
        double rolloff = recipe.rolloff;
        if (n < attack) rolloff -= recipe.attackBrightness * (1.0 - static_cast<double>(n) / attack);
        const double amplitude = weight * std::exp(-rolloff * logK);
        out.wave[n] += static_cast<float>(amplitude * std::sin(phase + step * n));
      }
    }
  }
  return out;
}

void ApplyDecay(Wave& wave, double timeConstant) {
  for (size_t n = 0; n < wave.size(); ++n) wave[n] *= static_cast<float>(std::exp(-(n / SampleRate) / timeConstant));
}

void Saturate(Wave& wave, double drive) {
  float largest = 0.0f;
  for (float v : wave) largest = std::max(largest, std::abs(v));
  if (largest == 0.0f) return;
  for (float& v : wave) v = static_cast<float>(std::tanh(drive * v / largest));
}

void FadeEdges(Wave& wave, double inSeconds, double outSeconds) {
  const size_t in = std::min(wave.size(), static_cast<size_t>(inSeconds * SampleRate));
  const size_t out = std::min(wave.size(), static_cast<size_t>(outSeconds * SampleRate));
  for (size_t n = 0; n < in; ++n) wave[n] *= static_cast<float>(n) / in;
  for (size_t n = 0; n < out; ++n) wave[wave.size() - 1 - n] *= static_cast<float>(n) / out;
}

std::vector<int16_t> ToPcm16(const Wave& wave, float peak) {
  float largest = 0.0f;
  for (float v : wave) largest = std::max(largest, std::abs(v));
  const float scale = largest > 0.0f ? peak * 32767.0f / largest : 0.0f;
  std::vector<int16_t> pcm(wave.size());
  for (size_t n = 0; n < wave.size(); ++n)
    pcm[n] = static_cast<int16_t>(std::lround(std::clamp(wave[n] * scale, -32767.0f, 32767.0f)));
  return pcm;
}

}  // namespace song
