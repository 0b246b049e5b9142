#include "tools/song/levels.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <exception>

#include "tools/song/arrangement.h"

namespace song {
namespace {

// RBJ second-order low- and high-pass at the render rate.
struct Filter {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  static Filter Make(double cutoff, bool high) {
    const double w = 2 * 3.14159265358979 * cutoff / LevelRate, alpha = std::sin(w) / (2 * 0.7071), c = std::cos(w);
    const double a0 = 1 + alpha;
    Filter f;
    f.b0 = (high ? (1 + c) / 2 : (1 - c) / 2) / a0;
    f.b1 = (high ? -(1 + c) : 1 - c) / a0;
    f.b2 = f.b0;
    f.a1 = -2 * c / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
  }
  double Process(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

double Db(double sumSquares, size_t count) { return 10.0 * std::log10(sumSquares / std::max<size_t>(count, 1) + 1e-20); }

// Frames rendered at a time; the position is read between blocks, so a block must be shorter
// than a row (0.12 s) for every block to fall in the right section.
constexpr size_t BlockFrames = 240;

void Add(Level& level, float v) {
  level.peak = std::max(level.peak, static_cast<double>(std::abs(v)));
  level.sumSquares += static_cast<double>(v) * v;
  ++level.count;
}

size_t SectionAt(int position) {
  const auto& sections = Sections();
  size_t index = 0;
  while (index + 1 < sections.size() && sections[index + 1].start <= position) ++index;
  return index;
}

}  // namespace

double Spectrum::LowDb() const { return Db(low, frames); }
double Spectrum::MidDb() const { return Db(mid, frames); }
double Spectrum::HighDb() const { return Db(high, frames); }
double Spectrum::Width() const { return middle > 0 ? std::sqrt(side / middle) : 0.0; }

bool IsBreak(size_t section) {
  const Section& s = Sections()[section];
  return s.fade != Fade::None || s.level == 0 || s.groove == Groove::None || s.groove == Groove::Heartbeat ||
         s.groove == Groove::Half;
}

double Level::PeakDb() const { return 20.0 * std::log10(peak + 1e-10); }
double Level::RmsDb() const { return 10.0 * std::log10(sumSquares / std::max<size_t>(count, 1) + 1e-20); }

bool MeasureLevels(const std::vector<uint8_t>& module, SongLevels& levels, std::string& error) {
  try {
    openmpt::module player(module);
    levels = SongLevels{};
    levels.sections.resize(Sections().size());
    levels.spectra.resize(Sections().size());
    Filter lowPass = Filter::Make(LowBandTop, false), highPass = Filter::Make(HighBandBottom, true);
    Spectrum unused;
    std::vector<float> block(2 * BlockFrames);
    for (;;) {
      const int position = player.get_current_order() << 8 | player.get_current_row();
      const size_t got = player.read_interleaved_stereo(LevelRate, BlockFrames, block.data());
      if (got == 0) break;
      const bool after = position > EndPosition;
      Level& level = after ? levels.afterEnd : levels.sections[SectionAt(position)];
      Spectrum& spectrum = after ? unused : levels.spectra[SectionAt(position)];
      for (size_t i = 0; i < 2 * got; ++i) {
        Add(level, block[i]);
        Add(levels.whole, block[i]);
      }
      for (size_t i = 0; i < got; ++i) {
        const double middle = 0.5 * (block[2 * i] + block[2 * i + 1]), side = 0.5 * (block[2 * i] - block[2 * i + 1]);
        const double low = lowPass.Process(middle), high = highPass.Process(middle), mid = middle - low - high;
        spectrum.low += low * low;
        spectrum.mid += mid * mid;
        spectrum.high += high * high;
        spectrum.middle += middle * middle;
        spectrum.side += side * side;
        ++spectrum.frames;
      }
    }
    return true;
  } catch (const std::exception& e) {
    error = std::string("the module does not load: ") + e.what();
    return false;
  }
}

namespace {

// Little-endian reads that refuse to go past the end.
struct Reader {
  const std::vector<uint8_t>& bytes;
  bool ok = true;
  uint32_t At(size_t offset, int size) {
    if (offset + size > bytes.size()) {
      ok = false;
      return 0;
    }
    uint32_t v = 0;
    for (int k = size - 1; k >= 0; --k) v = v << 8 | bytes[offset + k];
    return v;
  }
};

struct SampleHeader {
  uint32_t length, loopStart, loopLength;
  uint8_t type;
};

std::vector<double> DecodeSample(const std::vector<uint8_t>& bytes, size_t offset, const SampleHeader& h) {
  std::vector<double> frames;
  const bool wide = (h.type & 0x10) != 0;
  int value = 0;
  for (size_t i = 0; i + (wide ? 1 : 0) < h.length; i += wide ? 2 : 1) {
    if (wide) {
      value = static_cast<int16_t>(value + static_cast<int16_t>(bytes[offset + i] | bytes[offset + i + 1] << 8));
      frames.push_back(value / 32768.0);
    } else {
      value = static_cast<int8_t>(value + static_cast<int8_t>(bytes[offset + i]));
      frames.push_back(value / 128.0);
    }
  }
  return frames;
}

void CheckSample(const std::string& name, const std::vector<double>& f, const SampleHeader& h, double threshold,
                 std::vector<Click>& clicks) {
  if (f.empty()) return;
  const int unit = (h.type & 0x10) ? 2 : 1;
  if (std::abs(f.front()) > threshold) clicks.push_back({name, "note start", std::abs(f.front())});
  const size_t loopStart = h.loopStart / unit, loopLength = h.loopLength / unit;
  if ((h.type & 3) != 0 && loopLength >= 2 && loopStart + loopLength <= f.size()) {
    const size_t end = loopStart + loopLength - 1;
    // The wrap may step as far as the wave steps next to it.
    const double own = std::max(std::abs(f[end] - f[end - 1]), std::abs(f[loopStart + 1] - f[loopStart]));
    const double jump = std::abs(f[loopStart] - f[end]);
    if (jump - own > threshold) clicks.push_back({name, "loop point", jump});
  } else if (std::abs(f.back()) > threshold) {
    clicks.push_back({name, "sample end", std::abs(f.back())});
  }
}

}  // namespace

bool FindClicks(const std::vector<uint8_t>& module, double threshold, std::vector<Click>& clicks, std::string& error) {
  static const char kMagic[] = "Extended Module: ";
  clicks.clear();
  if (module.size() < 80 || !std::equal(kMagic, kMagic + 17, module.begin())) {
    error = "not an XM module";
    return false;
  }
  Reader r{module};
  size_t p = 60 + r.At(60, 4);
  const uint32_t patterns = r.At(70, 2), instruments = r.At(72, 2);
  for (uint32_t k = 0; k < patterns && r.ok; ++k) p += r.At(p, 4) + r.At(p + 7, 2);
  for (uint32_t k = 0; k < instruments && r.ok; ++k) {
    const uint32_t size = r.At(p, 4), count = r.At(p + 27, 2);
    std::string name(module.begin() + std::min(p + 4, module.size()), module.begin() + std::min(p + 26, module.size()));
    name = name.substr(0, name.find('\0'));
    const uint32_t sampleHeaderSize = count ? r.At(p + 29, 4) : 0;
    if (size < 29 || count > 16) r.ok = false;
    p += size;
    std::vector<SampleHeader> headers;
    for (uint32_t s = 0; s < count && r.ok; ++s, p += sampleHeaderSize)
      headers.push_back({r.At(p, 4), r.At(p + 4, 4), r.At(p + 8, 4), static_cast<uint8_t>(r.At(p + 14, 1))});
    for (const SampleHeader& h : headers) {
      if (!r.ok || p + h.length > module.size()) {
        r.ok = false;
        break;
      }
      CheckSample(name, DecodeSample(module, p, h), h, threshold, clicks);
      p += h.length;
    }
  }
  if (!r.ok) {
    error = "truncated or corrupt XM module";
    return false;
  }
  return true;
}

}  // namespace song
