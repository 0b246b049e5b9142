#include "tools/song/levels.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <exception>

#include "tools/song/arrangement.h"

namespace song {
namespace {

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

double Level::PeakDb() const { return 20.0 * std::log10(peak + 1e-10); }
double Level::RmsDb() const { return 10.0 * std::log10(sumSquares / std::max<size_t>(count, 1) + 1e-20); }

bool MeasureLevels(const std::vector<uint8_t>& module, SongLevels& levels, std::string& error) {
  try {
    openmpt::module player(module);
    levels = SongLevels{};
    levels.sections.resize(Sections().size());
    std::vector<float> block(2 * BlockFrames);
    for (;;) {
      const int position = player.get_current_order() << 8 | player.get_current_row();
      const size_t got = player.read_interleaved_stereo(LevelRate, BlockFrames, block.data());
      if (got == 0) break;
      Level& level = position > EndPosition ? levels.afterEnd : levels.sections[SectionAt(position)];
      for (size_t i = 0; i < 2 * got; ++i) {
        Add(level, block[i]);
        Add(levels.whole, block[i]);
      }
    }
    return true;
  } catch (const std::exception& e) {
    error = std::string("the module does not load: ") + e.what();
    return false;
  }
}

}  // namespace song
