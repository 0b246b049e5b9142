#include "tools/anim/prefix_code.h"

#include <algorithm>
#include <cassert>

namespace anim {

namespace {

// A coin of package-merge: its weight and how often each symbol is in it.
struct Coin {
  std::uint64_t weight;
  std::vector<std::uint8_t> symbolCounts;  // index into the occurring symbols
};

void AppendLittle32(std::vector<std::uint8_t>* out, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out->push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

}  // namespace

std::array<std::uint8_t, 256> LimitedCodeLengths(const std::array<std::uint64_t, 256>& counts,
                                                 int maxLength) {
  std::array<std::uint8_t, 256> lengths{};
  std::vector<int> symbols;
  for (int v = 0; v < 256; ++v) {
    if (counts[v] > 0) symbols.push_back(v);
  }
  if (symbols.empty()) return lengths;
  if (symbols.size() == 1) {
    lengths[symbols[0]] = 1;
    return lengths;
  }
  const int n = static_cast<int>(symbols.size());
  assert(maxLength >= 1 && maxLength <= 32 && (1ull << maxLength) >= static_cast<unsigned>(n));
  std::stable_sort(symbols.begin(), symbols.end(),
                   [&counts](int a, int b) { return counts[a] < counts[b]; });
  std::vector<Coin> leaves;
  for (int s = 0; s < n; ++s) {
    Coin coin{counts[symbols[s]], std::vector<std::uint8_t>(n, 0)};
    coin.symbolCounts[s] = 1;
    leaves.push_back(std::move(coin));
  }
  // Each level pairs the previous level's coins into packages and merges them with the leaves.
  std::vector<Coin> level = leaves;
  for (int depth = 1; depth < maxLength; ++depth) {
    std::vector<Coin> packages;
    for (std::size_t k = 0; k + 1 < level.size(); k += 2) {
      Coin package{level[k].weight + level[k + 1].weight, level[k].symbolCounts};
      for (int s = 0; s < n; ++s) package.symbolCounts[s] += level[k + 1].symbolCounts[s];
      packages.push_back(std::move(package));
    }
    std::vector<Coin> merged;
    std::merge(leaves.begin(), leaves.end(), packages.begin(), packages.end(),
               std::back_inserter(merged),
               [](const Coin& a, const Coin& b) { return a.weight < b.weight; });
    level = std::move(merged);
  }
  for (int k = 0; k < 2 * n - 2; ++k) {
    for (int s = 0; s < n; ++s) lengths[symbols[s]] += level[k].symbolCounts[s];
  }
  return lengths;
}

std::array<std::uint32_t, 256> CanonicalCodeWords(const std::array<std::uint8_t, 256>& lengths) {
  std::array<std::uint32_t, 256> words{};
  std::uint64_t code = 0;
  int previousLength = 0;
  for (int length = 1; length <= 32; ++length) {
    for (int v = 0; v < 256; ++v) {
      if (lengths[v] != length) continue;
      code <<= length - previousLength;
      previousLength = length;
      words[v] = static_cast<std::uint32_t>(code++);
    }
  }
  return words;
}

std::vector<std::uint8_t> EncodeCodedFrame(const std::vector<std::uint8_t>& record, int maxLength) {
  std::array<std::uint64_t, 256> counts{};
  for (std::uint8_t byte : record) ++counts[byte];
  const auto lengths = LimitedCodeLengths(counts, maxLength);
  const auto words = CanonicalCodeWords(lengths);

  std::vector<std::uint8_t> frame;
  AppendLittle32(&frame, static_cast<std::uint32_t>(record.size()));
  for (int v = 0; v < 256; ++v) AppendLittle32(&frame, words[v]);
  frame.insert(frame.end(), lengths.begin(), lengths.end());
  int bit = 8;
  for (std::uint8_t byte : record) {
    for (int n = lengths[byte] - 1; n >= 0; --n) {
      if (bit == 8) {
        frame.push_back(0);
        bit = 0;
      }
      frame.back() |= static_cast<std::uint8_t>(((words[byte] >> n) & 1u) << bit++);
    }
  }
  return frame;
}

}  // namespace anim
