// Turns an RGB picture into an 8-bit palette picture: palette entry 0 is black and holds every
// pixel that is exactly black (so see-through areas stay exactly 0); the other 255 entries come
// from a median cut of the remaining colours, and each pixel takes its nearest entry.
#pragma once

#include "tools/art/bmp.h"

namespace art {

IndexedImage Quantize(const RgbImage& image);

}  // namespace art
