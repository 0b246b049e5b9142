#include "platform/d3d/live_blocks.h"

bool CanSkipBlack(const Texture& texture) {
  return texture.powerOfTwo() && texture.width() >= 4 && texture.height() >= 4;
}

std::size_t FindLiveBlocks(const Texture& texture, std::uint32_t diffuse, std::vector<std::uint8_t>& live) {
  int columns = texture.width() >> kLiveBlockShift, rows = texture.height() >> kLiveBlockShift;
  live.assign(static_cast<std::size_t>(columns) * rows, 0);
  // (c * (d + 1)) >> 8 is above zero from c = ceil(256 / (d + 1)) on.
  std::uint32_t threshold[3];
  for (int k = 0; k < 3; ++k) {
    std::uint32_t d = (diffuse >> (16 - 8 * k)) & 0xFF;
    threshold[k] = (256 + d) / (d + 1);
  }
  const std::vector<std::uint32_t>& maxima = texture.blockMaxima();
  std::size_t dead = 0;
  for (std::size_t b = 0; b < maxima.size(); ++b) {
    std::uint32_t m = maxima[b];
    live[b] = ((m >> 16) & 0xFF) >= threshold[0] || ((m >> 8) & 0xFF) >= threshold[1] || (m & 0xFF) >= threshold[2];
    dead += !live[b];
  }
  return dead;
}
