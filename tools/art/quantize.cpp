#include "tools/art/quantize.h"

#include <algorithm>
#include <climits>

namespace art {

namespace {

using Colour = std::array<std::uint8_t, 3>;

struct Box {
  std::vector<Colour> colours;
  int WidestChannel(int* range) const {
    int best = 0;
    *range = -1;
    for (int c = 0; c < 3; ++c) {
      int lo = 255, hi = 0;
      for (const Colour& col : colours) {
        lo = std::min<int>(lo, col[c]);
        hi = std::max<int>(hi, col[c]);
      }
      if (hi - lo > *range) {
        *range = hi - lo;
        best = c;
      }
    }
    return best;
  }
  Colour Mean() const {
    long sum[3] = {0, 0, 0};
    for (const Colour& col : colours)
      for (int c = 0; c < 3; ++c) sum[c] += col[c];
    Colour m{};
    for (int c = 0; c < 3; ++c)
      m[c] = static_cast<std::uint8_t>((sum[c] + static_cast<long>(colours.size()) / 2) / static_cast<long>(colours.size()));
    return m;
  }
};

std::vector<Colour> MedianCut(std::vector<Colour> colours, int wanted) {
  std::vector<Box> boxes;
  if (!colours.empty()) boxes.push_back(Box{std::move(colours)});
  while (static_cast<int>(boxes.size()) < wanted) {
    // Split the box with the widest channel range, weighted by how many pixels it holds.
    int pick = -1, pickChannel = 0;
    long pickScore = 0;
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
      if (boxes[i].colours.size() < 2) continue;
      int range;
      int channel = boxes[i].WidestChannel(&range);
      long score = static_cast<long>(range) * static_cast<long>(std::min<size_t>(boxes[i].colours.size(), 4096));
      if (range > 0 && score > pickScore) {
        pickScore = score;
        pick = i;
        pickChannel = channel;
      }
    }
    if (pick < 0) break;
    std::vector<Colour>& v = boxes[pick].colours;
    std::sort(v.begin(), v.end(), [pickChannel](const Colour& a, const Colour& b) {
      if (a[pickChannel] != b[pickChannel]) return a[pickChannel] < b[pickChannel];
      return a < b;
    });
    size_t half = v.size() / 2;
    Box upper{std::vector<Colour>(v.begin() + static_cast<long>(half), v.end())};
    v.resize(half);
    boxes.push_back(std::move(upper));
  }
  std::vector<Colour> palette;
  for (const Box& b : boxes) palette.push_back(b.Mean());
  return palette;
}

}  // namespace

IndexedImage Quantize(const RgbImage& image) {
  IndexedImage out;
  out.width = image.width;
  out.height = image.height;
  size_t count = static_cast<size_t>(image.width) * image.height;
  std::vector<Colour> colours;
  for (size_t i = 0; i < count; ++i) {
    Colour c{image.rgb[3 * i], image.rgb[3 * i + 1], image.rgb[3 * i + 2]};
    if (c[0] | c[1] | c[2]) colours.push_back(c);
  }
  std::vector<Colour> palette = MedianCut(std::move(colours), 255);
  out.palette[0] = {0, 0, 0};
  for (size_t i = 0; i < palette.size(); ++i) out.palette[i + 1] = palette[i];
  int used = static_cast<int>(palette.size()) + 1;
  out.indices.assign(count, 0);
  for (size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = &image.rgb[3 * i];
    if (!(p[0] | p[1] | p[2])) continue;
    int best = 1, bestDistance = INT_MAX;
    for (int e = 1; e < used; ++e) {
      int dr = p[0] - out.palette[e][0], dg = p[1] - out.palette[e][1], db = p[2] - out.palette[e][2];
      int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = e;
      }
    }
    out.indices[i] = static_cast<std::uint8_t>(best);
  }
  return out;
}

}  // namespace art
