// Black skipping for additive layers: a texture is cut into 4 x 4 texel blocks, and a block is
// live under a diffuse colour when some texel channel in it, modulated by that colour, is above
// zero. A bilinear sample never exceeds the largest of its four texels, so a pixel whose texels
// all lie in dead blocks adds exactly nothing and may be left out.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/texture.h"

constexpr int kLiveBlockShift = 2;

// Power-of-two textures of at least 4 x 4 only.
bool CanSkipBlack(const Texture& texture);
// One byte per block, rows of width >> 2 blocks.
void FindLiveBlocks(const Texture& texture, std::uint32_t diffuse, std::vector<std::uint8_t>& live);
