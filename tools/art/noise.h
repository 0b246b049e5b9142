// Deterministic noise for the art: an integer hash (no library random numbers, so every build
// makes the same bytes), 2-D gradient noise that can repeat with a given period (for tiles and
// looping animations), 3-D value noise, and fractal sums of them. Values lie roughly in -1..1.
#pragma once

#include <cstdint>

namespace art {

std::uint32_t Hash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0);
// A hash mapped to 0..1.
float HashUnit(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0);

// Gradient noise on the integer lattice; with period > 0 the lattice wraps every period cells.
float Noise2(float x, float y, int period = 0, std::uint32_t seed = 0);
// Octaves of Noise2, each twice the frequency (and period) of the last, half the amplitude.
float Fractal2(float x, float y, int octaves, int period = 0, std::uint32_t seed = 0);

float Noise3(float x, float y, float z, std::uint32_t seed = 0);
float Fractal3(float x, float y, float z, int octaves, std::uint32_t seed = 0);

}  // namespace art
