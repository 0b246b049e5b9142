// Sound building blocks for the song's instruments: a deterministic noise source, small filters,
// an additive tone generator whose loops are seamless, and the conversion to 16-bit sample data.
//
// Every wave is synthesised at SampleRate (8363 * 4 Hz): the tracker plays a sample at that rate
// when its note sits 24 semitones above the sample's relative note 0, so a tone made here at its
// base pitch plays back unchanged on its base note (see BaseNoteRelative). Waves are floats in
// -1..1 until they become sample data.
#pragma once

#include <cstdint>
#include <vector>

namespace song {

inline constexpr double SampleRate = 8363.0 * 4.0;  // Hz

using Wave = std::vector<float>;

// Frequency of a note in semitones, 60 = middle C (261.63 Hz), 69 = A 440 Hz.
double NoteFrequency(int note);

// Relative-note value that makes a wave made at SampleRate, whose pitch is `baseNote`, play at
// its own pitch when the tracker plays `baseNote`.
int BaseNoteRelative(int baseNote);

// White noise in -1..1 from a fixed seed: the same seed gives the same wave on every build.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 1u) {}
  float Next();

 private:
  uint32_t state_;
};

// Second-order filter (RBJ biquad). Cutoff and centre in Hz at SampleRate.
class Biquad {
 public:
  static Biquad LowPass(double cutoff, double q);
  static Biquad HighPass(double cutoff, double q);
  static Biquad BandPass(double centre, double q);
  float Process(float x);
  // Takes over another filter's response and keeps this one's history, for sweeps.
  void Retune(const Biquad& response);

 private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A wave with an optional forward loop [loopStart, loopStart + loopLength).
struct LoopedWave {
  Wave wave;
  int loopStart = 0;
  int loopLength = 0;  // 0: no loop
};

// Additive tone: every oscillator is a sum of harmonics k = 1, 2, ... below `ceiling` Hz with
// amplitude 1 / k^rolloff (odd harmonics weighted 1, even ones `evenWeight`: 1 is a saw,
// 0 a square). `detuneCents` lists the oscillators; with `loopSeconds` > 0 every oscillator is
// bent to a whole number of cycles over the loop so it repeats without a click. During the
// first `attackSeconds` the rolloff starts lower by `attackBrightness` and settles.
struct ToneRecipe {
  int baseNote = 60;
  std::vector<double> detuneCents = {0.0};
  double ceiling = 6000.0;
  double rolloff = 1.0;
  double evenWeight = 1.0;
  double attackSeconds = 0.0;
  double attackBrightness = 0.0;
  double loopSeconds = 0.0;      // sustained part, looped
  double lengthSeconds = 0.0;    // used only when not looped
  uint32_t phaseSeed = 1;
};

LoopedWave AdditiveTone(const ToneRecipe& recipe);

// Multiplies the wave by exp(-t / timeConstant), t in seconds from the start.
void ApplyDecay(Wave& wave, double timeConstant);

// Soft-clips the wave, scaled to a peak of 1 first, through tanh(drive * x): louder body,
// same peak.
void Saturate(Wave& wave, double drive);

// Ramps the first `inSeconds` up from and the last `outSeconds` down to silence, so a note
// neither starts nor stops with a click.
void FadeEdges(Wave& wave, double inSeconds, double outSeconds);

// Scales the wave so its largest magnitude is `peak` (0..1) and converts it to 16-bit data.
std::vector<int16_t> ToPcm16(const Wave& wave, float peak);

}  // namespace song
