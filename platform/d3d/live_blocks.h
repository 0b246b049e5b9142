// Black skipping for additive layers: a texture is cut into 4 x 4 texel blocks, and a block is
// live under a diffuse colour when some texel channel in it, modulated by that colour, is above
// zero. A bilinear sample never exceeds the largest of its four texels, so a pixel whose texels
// all lie in dead blocks adds exactly nothing and may be left out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d/texture.h"

constexpr int kLiveBlockShift = 2;

// Power-of-two textures of at least 4 x 4 only.
bool CanSkipBlack(const Texture& texture);
// One byte per block, rows of width >> 2 blocks. Returns how many blocks are dead.
std::size_t FindLiveBlocks(const Texture& texture, std::uint32_t diffuse, std::vector<std::uint8_t>& live);

// True when count pixels of a span from 16.16 position (s, t) on, stepping (ds, dt) modulo 2^32,
// sample only dead blocks of the texture's live blocks. Steps of more than a texel and wide
// footprints (minified or wrapped positions) are simply said to be live: only then does the box
// of the run's ends hold every texel between them.
[[gnu::always_inline]] inline bool RunSamplesOnlyDeadBlocks(const std::uint8_t* live, const Texture& texture,
                                                            std::uint32_t s, std::uint32_t t, std::uint32_t ds,
                                                            std::uint32_t dt, int count) {
  const auto small = [](std::uint32_t d) {
    return static_cast<std::int32_t>(d) >= -(1 << 16) && static_cast<std::int32_t>(d) <= (1 << 16);
  };
  if (!small(ds) || !small(dt)) return false;
  const std::uint32_t steps = static_cast<std::uint32_t>(count - 1);
  std::int32_t iA = static_cast<std::int32_t>(s) >> 16, iB = static_cast<std::int32_t>(s + steps * ds) >> 16;
  std::int32_t jA = static_cast<std::int32_t>(t) >> 16, jB = static_cast<std::int32_t>(t + steps * dt) >> 16;
  std::int32_t iMin = iA < iB ? iA : iB, iMax = (iA < iB ? iB : iA) + 1;
  std::int32_t jMin = jA < jB ? jA : jB, jMax = (jA < jB ? jB : jA) + 1;
  if (iMax - iMin > count || jMax - jMin > count) return false;
  const int columns = texture.width() >> kLiveBlockShift, rows = texture.height() >> kLiveBlockShift;
  const std::int32_t left = iMin >> kLiveBlockShift, right = iMax >> kLiveBlockShift;
  const std::int32_t top = jMin >> kLiveBlockShift, bottom = jMax >> kLiveBlockShift;
  if (right - left <= 1 && bottom - top <= 1) {
    // At most two blocks each way, as magnified runs mostly are: its four corners, with one branch
    // where a loop would mispredict its count.
    const std::uint8_t* upper = live + (top & (rows - 1)) * columns;
    const std::uint8_t* lower = live + (bottom & (rows - 1)) * columns;
    const int a = left & (columns - 1), b = right & (columns - 1);
    return !(upper[a] | upper[b] | lower[a] | lower[b]);
  }
  for (std::int32_t bj = jMin >> kLiveBlockShift; bj <= jMax >> kLiveBlockShift; ++bj) {
    const std::uint8_t* row = live + (bj & (rows - 1)) * columns;
    for (std::int32_t bi = iMin >> kLiveBlockShift; bi <= iMax >> kLiveBlockShift; ++bi) {
      if (row[bi & (columns - 1)]) return false;
    }
  }
  return true;
}

// Which steps of a span's wide loop to leave out: Skip tells how many steps from here on sample
// only dead blocks (0 when this one is live). Dead runs of magnified layers are long, so after a
// dead step four are tried at once. Power-of-two textures only (positions modulo 2^32).
//
// A test costs about as much as half a step, and where dead blocks lie scattered among live ones
// (or outside the part of the texture a layer shows) few steps are left out: each thread keeps,
// per live-block map, the share of steps its spans left out, and stops testing while that is
// under two fifths, trying again one span in kProbeSpans to follow the layer.
class DeadSteps {
 public:
  static constexpr int kRunSteps = 4;
  DeadSteps(const std::uint8_t* live, const Texture& texture, std::uint32_t ds, std::uint32_t dt, int stepPixels)
      : live_(live), texture_(texture), ds_(ds), dt_(dt), stepPixels_(stepPixels) {
    if (!live) return;
    Record& record = ThreadRecord();
    if (record.live != live) record = {live, 0, 0, 0};
    testing_ = record.steps < kTrialSteps || record.skipped * 5 >= record.steps * 2 ||
               ++record.spans % kProbeSpans == 0;
  }

  // Whether this span tests its steps at all.
  bool testing() const { return testing_; }

  [[gnu::always_inline]] int Skip(std::uint32_t s, std::uint32_t t, int pixelsLeft) {
    if (lastDead_ && pixelsLeft >= kRunSteps * stepPixels_ &&
        RunSamplesOnlyDeadBlocks(live_, texture_, s, t, ds_, dt_, kRunSteps * stepPixels_)) {
      return kRunSteps;
    }
    lastDead_ = RunSamplesOnlyDeadBlocks(live_, texture_, s, t, ds_, dt_, std::min(stepPixels_, pixelsLeft));
    return lastDead_ ? 1 : 0;
  }

  // After a span that tested: of its steps, how many were left out.
  void Count(int steps, int skipped) const {
    Record& record = ThreadRecord();
    record.steps += steps;
    record.skipped += skipped;
    if (record.steps > 4 * kTrialSteps) {  // the layer's recent spans weigh most
      record.steps /= 2;
      record.skipped /= 2;
    }
  }

 private:
  static constexpr std::int64_t kTrialSteps = 512;
  static constexpr int kProbeSpans = 32;
  struct Record {
    const std::uint8_t* live;
    std::int64_t steps, skipped;
    int spans;
  };
  static Record& ThreadRecord() {
    static thread_local Record record{};
    return record;
  }

  const std::uint8_t* live_;
  const Texture& texture_;
  std::uint32_t ds_, dt_;
  int stepPixels_;
  bool lastDead_ = false;
  bool testing_ = false;
};
