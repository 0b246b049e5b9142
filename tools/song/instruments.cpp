#include "tools/song/instruments.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>

#include "tools/song/arrangement.h"
#include "tools/song/synth.h"

namespace song {
namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

Wave Blank(double seconds) { return Wave(static_cast<size_t>(seconds * SampleRate), 0.0f); }
double Seconds(size_t n) { return n / SampleRate; }

// Sine gliding from floor + drop Hz down to floor Hz (time constant dropTime), decaying, soft-clipped.
Wave SweptSine(double seconds, double floor, double drop, double dropTime, double decay, double drive) {
  Wave w = Blank(seconds);
  double phase = 0.0;
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = Seconds(n);
    phase += TwoPi * (floor + drop * std::exp(-t / dropTime)) / SampleRate;
    const double attack = std::min(1.0, t / 0.002);
    w[n] = static_cast<float>(std::tanh(drive * attack * std::exp(-t / decay) * std::sin(phase)));
  }
  return w;
}

// The six detuned square waves of a classic metallic hat, times `scale`.
float Metal(double t, double scale) {
  static constexpr double freqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  float sum = 0.0f;
  for (double f : freqs) sum += std::fmod(t * f * scale, 1.0) < 0.5 ? 1.0f : -1.0f;
  return sum / 6.0f;
}

Wave KickWave() {
  Wave w = SweptSine(0.5, 42.0, 120.0, 0.035, 0.22, 1.6);
  Noise noise(11);
  Biquad click = Biquad::HighPass(1500.0, 0.7);
  for (size_t n = 0; n < w.size(); ++n)
    w[n] += 0.35f * click.Process(noise.Next()) * static_cast<float>(std::exp(-Seconds(n) / 0.002));
  return w;
}

Wave SnareWave() {
  Wave w = Blank(0.35);
  Noise noise(23);
  Biquad body = Biquad::BandPass(2500.0, 0.6), sizzle = Biquad::HighPass(5000.0, 0.7);
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = Seconds(n);
    const double tone = (0.6 * std::sin(TwoPi * 180.0 * t) + 0.3 * std::sin(TwoPi * 330.0 * t)) * std::exp(-t / 0.045);
    const float x = noise.Next();
    const double hiss = (body.Process(x) + 0.4 * sizzle.Process(x)) * std::exp(-t / 0.11);
    w[n] = static_cast<float>(tone + 1.4 * hiss);
  }
  Saturate(w, 2.5);
  return w;
}

Wave ClapWave() {
  Wave w = Blank(0.45);
  Noise noise(37);
  Biquad band = Biquad::BandPass(1200.0, 1.2);
  static constexpr double bursts[] = {0.0, 0.011, 0.022, 0.031};
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = Seconds(n);
    double envelope = 0.0;
    for (double b : bursts)
      if (t >= b) envelope = std::max(envelope, std::exp(-(t - b) / 0.006));
    if (t >= bursts[3]) envelope += 0.6 * std::exp(-(t - bursts[3]) / 0.16);
    w[n] = static_cast<float>(band.Process(noise.Next()) * envelope);
  }
  Saturate(w, 3.0);
  return w;
}

// Hats and cymbal: metal and noise through high-pass filters, decaying with `decay`.
Wave CymbalWave(double seconds, double decay, double cutoff, double metalScale, uint32_t seed) {
  Wave w = Blank(seconds);
  Noise noise(seed);
  Biquad first = Biquad::HighPass(cutoff, 0.7), second = Biquad::HighPass(cutoff, 0.7);
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = Seconds(n);
    const float x = 0.35f * Metal(t, metalScale) + 0.65f * noise.Next();
    const double attack = std::min(1.0, t / 0.001);
    w[n] = static_cast<float>(second.Process(first.Process(x)) * attack * std::exp(-t / decay));
  }
  return w;
}

// Noise through a band-pass sweeping up over exactly two bars, swelling towards its end.
Wave RiserWave() {
  Wave w = Blank(2 * RowsPerBar * RowSeconds);
  Noise noise(53);
  Biquad band = Biquad::BandPass(250.0, 1.5);
  for (size_t n = 0; n < w.size(); ++n) {
    const double progress = static_cast<double>(n) / w.size();
    if (n % 64 == 0) band.Retune(Biquad::BandPass(250.0 * std::pow(28.0, progress), 1.5));
    w[n] = static_cast<float>(band.Process(noise.Next()) * progress * progress);
  }
  return w;
}

Wave TomWave() {
  Wave w = SweptSine(0.5, 110.0, 66.0, 0.05, 0.18, 1.2);
  Noise noise(71);
  Biquad hit = Biquad::HighPass(2000.0, 0.7);
  for (size_t n = 0; n < w.size(); ++n)
    w[n] += 0.2f * hit.Process(noise.Next()) * static_cast<float>(std::exp(-Seconds(n) / 0.01));
  return w;
}

// Tone of a pitched instrument, looped where it is held.
LoopedWave BassTone() {
  return AdditiveTone({.baseNote = BaseNote(Bass), .detuneCents = {0.0}, .ceiling = 2600.0, .rolloff = 1.35,
                       .evenWeight = 0.6, .attackSeconds = 0.15, .attackBrightness = 0.55,
                       .loopSeconds = 1.0, .phaseSeed = 3});
}

// The stab is the pad with a brighter onset of `attackSeconds`.
LoopedWave PadTone(double attackSeconds) {
  return AdditiveTone({.baseNote = BaseNote(Pad), .detuneCents = {-14.0, -6.0, 0.0, 7.0, 15.0}, .ceiling = 5000.0,
                       .rolloff = 1.15, .evenWeight = 1.0, .attackSeconds = attackSeconds,
                       .attackBrightness = 0.3, .loopSeconds = 2.0, .phaseSeed = 5});
}

LoopedWave LeadTone() {
  return AdditiveTone({.baseNote = BaseNote(Lead), .detuneCents = {-5.0, 5.0}, .ceiling = 7000.0, .rolloff = 1.0,
                       .evenWeight = 0.35, .attackSeconds = 0.05, .attackBrightness = 0.3,
                       .loopSeconds = 1.0, .phaseSeed = 7});
}

LoopedWave ArpTone() {
  LoopedWave tone = AdditiveTone({.baseNote = BaseNote(Arp), .detuneCents = {0.0}, .ceiling = 8000.0, .rolloff = 1.25,
                                  .evenWeight = 0.25, .attackSeconds = 0.5, .attackBrightness = 0.7,
                                  .lengthSeconds = 0.5, .phaseSeed = 9});
  ApplyDecay(tone.wave, 0.15);
  return tone;
}

// Envelope from (tick, value) pairs; `sustain` is a point index or -1.
xm::Envelope MakeEnvelope(std::initializer_list<std::pair<int, int>> points, int sustain) {
  xm::Envelope envelope;
  for (auto [tick, value] : points)
    envelope.points.push_back({static_cast<uint16_t>(tick), static_cast<uint16_t>(value)});
  envelope.sustainPoint = sustain;
  return envelope;
}

struct Recipe {
  Instrument instrument;
  std::string name;
  LoopedWave tone;
  int panning = 128;
  xm::Envelope volume{};
  uint16_t fadeout = 0;
  bool vibrato = false;
};

constexpr double EdgeSeconds = 0.002;

xm::Instrument Build(Recipe recipe) {
  LoopedWave& tone = recipe.tone;
  // A loop from the first frame must keep its start, and a looped end never sounds.
  if (tone.loopLength == 0 || tone.loopStart > 0) FadeEdges(tone.wave, EdgeSeconds, tone.loopLength ? 0.0 : 4 * EdgeSeconds);
  // Such a loop is turned round to begin where its wave is nearest silence, so a note does not
  // start with a jump; the loop is seamless, so any turn of it is as well.
  if (tone.loopLength > 0 && tone.loopStart == 0) {
    const auto loopEnd = tone.wave.begin() + tone.loopLength;
    const auto quietest = std::min_element(tone.wave.begin(), loopEnd, [](float a, float b) { return std::abs(a) < std::abs(b); });
    std::rotate(tone.wave.begin(), quietest, loopEnd);
  }
  xm::Sample sample;
  sample.name = recipe.name;
  sample.frames = ToPcm16(recipe.tone.wave, 0.95f);
  if (recipe.tone.loopLength > 0) {
    sample.loop = xm::LoopType::Forward;
    sample.loopStart = static_cast<uint32_t>(recipe.tone.loopStart);
    sample.loopLength = static_cast<uint32_t>(recipe.tone.loopLength);
  }
  sample.volume = static_cast<uint8_t>(MixLevel(recipe.instrument));
  sample.panning = static_cast<uint8_t>(recipe.panning);
  sample.relativeNote = static_cast<int8_t>(BaseNoteRelative(BaseNote(recipe.instrument)));

  xm::Instrument instrument;
  instrument.name = recipe.name;
  instrument.samples.push_back(std::move(sample));
  instrument.volumeEnvelope = std::move(recipe.volume);
  instrument.fadeout = recipe.fadeout;
  if (recipe.vibrato) {
    instrument.vibratoSweep = 40;
    instrument.vibratoDepth = 3;
    instrument.vibratoRate = 8;
  }
  return instrument;
}

LoopedWave Unlooped(Wave wave) { return LoopedWave{std::move(wave), 0, 0}; }

}  // namespace

int MixLevel(Instrument instrument) {
  switch (instrument) {
    case Kick: return 56;
    case Snare: return 60;
    case Clap: return 64;
    case ClosedHat: return 40;
    case OpenHat: return 34;
    case CrashCymbal: return 34;
    case NoiseRiser: return 30;
    case SubBoom: return 48;
    case Tom: return 48;
    case Bass: return 56;
    case Pad: return 24;
    case Stab: return 30;
    case Lead: return 40;
    case Arp: return 32;
  }
  return 0;
}

int BaseNote(Instrument instrument) {
  switch (instrument) {
    case Bass: return 48;
    case Lead:
    case Arp: return 72;
    default: return 60;
  }
}

std::vector<xm::Instrument> BuildInstruments() {
  std::vector<xm::Instrument> all;
  all.push_back(Build({.instrument = Kick, .name = "kick", .tone = Unlooped(KickWave())}));
  all.push_back(Build({.instrument = Snare, .name = "snare", .tone = Unlooped(SnareWave()), .panning = 120}));
  all.push_back(Build({.instrument = Clap, .name = "clap", .tone = Unlooped(ClapWave()), .panning = 136}));
  all.push_back(Build({.instrument = ClosedHat, .name = "closed hat", .tone = Unlooped(CymbalWave(0.15, 0.03, 7000.0, 1.0, 41)), .panning = 160}));
  all.push_back(Build({.instrument = OpenHat, .name = "open hat", .tone = Unlooped(CymbalWave(0.7, 0.22, 6500.0, 1.0, 43)), .panning = 150}));
  all.push_back(Build({.instrument = CrashCymbal, .name = "crash", .tone = Unlooped(CymbalWave(2.6, 0.7, 3500.0, 1.8, 47)), .panning = 100}));
  all.push_back(Build({.instrument = NoiseRiser, .name = "riser", .tone = Unlooped(RiserWave())}));
  all.push_back(Build({.instrument = SubBoom, .name = "sub boom", .tone = Unlooped(SweptSine(1.6, 32.0, 40.0, 0.25, 0.7, 1.4))}));
  all.push_back(Build({.instrument = Tom, .name = "tom", .tone = Unlooped(TomWave()), .panning = 110}));
  all.push_back(Build({.instrument = Bass, .name = "bass", .tone = BassTone(),
                       .volume = MakeEnvelope({{0, 64}, {6, 52}, {30, 40}}, 2), .fadeout = 0x0C00}));
  all.push_back(Build({.instrument = Pad, .name = "pad", .tone = PadTone(0.0),
                       .volume = MakeEnvelope({{0, 0}, {24, 64}}, 1), .fadeout = 0x0400}));
  all.push_back(Build({.instrument = Stab, .name = "stab", .tone = PadTone(0.03),
                       .volume = MakeEnvelope({{0, 64}, {4, 40}, {12, 20}, {30, 0}}, -1), .fadeout = 0x0800}));
  all.push_back(Build({.instrument = Lead, .name = "lead", .tone = LeadTone(),
                       .volume = MakeEnvelope({{0, 0}, {2, 64}, {12, 48}}, 2), .fadeout = 0x0600, .vibrato = true}));
  all.push_back(Build({.instrument = Arp, .name = "arp", .tone = ArpTone(),
                       .volume = MakeEnvelope({{0, 64}, {8, 36}, {24, 12}, {48, 0}}, -1), .fadeout = 0x0800}));
  return all;
}

}  // namespace song
