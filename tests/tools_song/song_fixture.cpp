#include "song_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace song_test {

const std::vector<std::uint8_t>& SongBytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_TRUE(xm::EncodeXm(song::ComposeSong(), out, error)) << error;
    return out;
  }();
  return bytes;
}

std::unique_ptr<openmpt::module> OpenSong() { return std::make_unique<openmpt::module>(SongBytes()); }

int NoteAt(openmpt::module& module, int order, int row, int channel) {
  return module.get_pattern_row_channel_command(module.get_order_pattern(order), row, channel,
                                                openmpt::module::command_note);
}

int InstrumentAt(openmpt::module& module, int order, int row, int channel) {
  return module.get_pattern_row_channel_command(module.get_order_pattern(order), row, channel,
                                                openmpt::module::command_instrument);
}

const Rendering& RenderedSong() {
  static const Rendering rendering = [] {
    Rendering r;
    auto module = OpenSong();
    std::vector<float> block(2 * BlockFrames);
    for (;;) {
      const int position = module->get_current_order() << 8 | module->get_current_row();
      const size_t got = module->read_interleaved_stereo(RenderRate, BlockFrames, block.data());
      if (got == 0) break;
      r.positions.push_back(position);
      r.samples.insert(r.samples.end(), block.begin(), block.begin() + 2 * got);
    }
    return r;
  }();
  return rendering;
}

}  // namespace song_test
