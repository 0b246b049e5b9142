// The decoder against a literal, slow reading of the format (word reads, bit-by-bit tree walks,
// 16.16 accumulators, pixels written in place) on random input, malformed code tables included:
// the fast paths must give the same bytes for every input.
#include <algorithm>
#include <cstring>
#include <map>
#include <random>

#include "assets/frame_reconstruction.h"
#include "codec_test_support.h"

namespace {

// Entropy stage, step by step.
void ReferenceEntropyDecode(const Bytes& frame, std::uint8_t* out) {
  const auto word = [&frame](std::size_t at) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) value |= (at + k < frame.size() ? frame[at + k] : 0u) << (8 * k);
    return value;
  };
  const std::int32_t n = static_cast<std::int32_t>(word(0));
  const int payloadSize = static_cast<int>(frame.size()) - CodeTableBytes;
  const auto byteAt = [&](int position) { return position < payloadSize ? frame[CodeTableBytes + position] : 0; };
  std::uint8_t tableSymbol[1024] = {}, tableLength[1024] = {};
  struct Node { int symbol = 0; std::map<int, int> child; };
  std::vector<Node> nodes(1);
  for (int v = 0; v < 256; ++v) {
    const int length = frame[1028 + v];
    const std::uint32_t w = word(4 + 4 * v);
    if (length >= 1 && length <= 10) {
      int r = 0;
      for (int b = 0; b < length; ++b) r |= ((w >> b) & 1) << (length - 1 - b);
      for (int i = r; i < 1024; i += 1 << length) tableSymbol[i] = v, tableLength[i] = length;
      continue;
    }
    int cursor = 0;
    for (int b = length - 1; b >= 0; --b) {
      const int bit = (w >> b) & 1;
      if (!nodes[cursor].child.count(bit)) {
        nodes.emplace_back();
        nodes[cursor].child[bit] = static_cast<int>(nodes.size()) - 1;
      }
      cursor = nodes[cursor].child[bit];
    }
    nodes[cursor].symbol = v;
  }
  int count = 0, bytePosition = 0, bitPosition = 0;
  if (payloadSize <= 0) return;
  while (count < n) {
    std::uint32_t window = 0;
    for (int k = 0; k < 4; ++k) window |= static_cast<std::uint32_t>(byteAt(bytePosition + k)) << (8 * k);
    const int i = (window >> bitPosition) & 1023;
    if (tableLength[i] != 0) {
      out[count++] = tableSymbol[i];
      bitPosition += tableLength[i];
      bytePosition += bitPosition / 8;
      bitPosition %= 8;
    } else {
      int cursor = 0;
      for (;;) {
        const int bit = (byteAt(bytePosition) >> bitPosition) & 1;
        if (!nodes[cursor].child.count(bit)) break;
        cursor = nodes[cursor].child[bit];
        if (++bitPosition == 8) bitPosition = 0, ++bytePosition;
      }
      out[count++] = static_cast<std::uint8_t>(nodes[cursor].symbol);
    }
    if (bytePosition >= payloadSize) break;
  }
}

// Random frames: mostly short codes, some long, many absent, and random words, so the code is
// rarely prefix-free. Then the encoder's frames, prefix-free, so most stream positions decode two
// symbols per wide step: whole ones must give their record back, and damaged payloads, record
// sizes and code lengths stop or derail the stream anywhere.
TEST_F(DecoderTest, EntropyStageMatchesTheLiteralReading) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 700; ++trial) {
    Bytes frame, record;
    if (trial < 400) {
      frame.resize(CodeTableBytes + random() % 300);
      for (auto& b : frame) b = static_cast<std::uint8_t>(random());
      PutLittle32(&frame, 0, random() % 3000);
      for (int v = 0; v < 256; ++v) {
        const int kind = random() % 8;
        frame[1028 + v] = static_cast<std::uint8_t>(kind < 3 ? 0 : kind < 6 ? 1 + random() % 10 : 11 + random() % 22);
      }
    } else {
      record.resize(1 + random() % 2500);
      std::geometric_distribution<int> skewed(0.02 + 0.5 * (trial % 7) / 7.0);
      for (auto& b : record) b = static_cast<std::uint8_t>(skewed(random));
      frame = CodedFrameOf(record, 8 + trial % 25);
      const int payload = static_cast<int>(frame.size()) - CodeTableBytes;
      switch (trial % 5) {
        case 0: break;
        case 1:  // a few flipped payload bits
          for (int k = 0; k < 3 && payload > 0; ++k) frame[CodeTableBytes + random() % payload] ^= 1 << (random() % 8);
          break;
        case 2:  // payload cut short, more bytes asked for than it holds
          frame.resize(CodeTableBytes + random() % (payload + 1));
          PutLittle32(&frame, 0, static_cast<std::uint32_t>(record.size() + random() % 40));
          break;
        case 3:  // one code length changed: the code is no longer prefix-free or complete
          frame[1028 + record[random() % record.size()]] = static_cast<std::uint8_t>(random() % 33);
          break;
        default:  // a code word changed
          PutLittle32(&frame, 4 + 4 * record[random() % record.size()], random());
          break;
      }
    }
    Bytes expected(3000, 0xA7);
    std::fill(DecodeBuffer, DecodeBuffer + 3000, 0xA7);
    ReferenceEntropyDecode(frame, expected.data());
    AnimationFrameDecoder.Load(frame.data(), static_cast<int>(frame.size()));
    ASSERT_NE(AnimationFrameDecoder.Decode(), nullptr);
    ASSERT_EQ(Bytes(DecodeBuffer, DecodeBuffer + 3000), expected) << "trial " << trial;
    if (trial >= 400 && trial % 5 == 0) {
      ASSERT_TRUE(std::equal(record.begin(), record.end(), DecodeBuffer)) << "round trip " << trial;
    }
  }
}

int Log2(int d) {
  int l = 0;
  while ((1 << l) < d) ++l;
  return l;
}

// Reconstruction as the format reads: accumulators stepped per sample, pixels written in place.
void ReferenceReconstruct(const Bytes& record, std::uint8_t* picture) {
  const FrameHeader h = ReadFrameHeader(record.data());
  const int w = h.width, ht = h.height, pixelShift = h.lumaOnly ? 0 : 2;
  const std::uint8_t* data = record.data() + FrameHeaderBytes;
  const auto run = [](int a, int b, int d, bool stepOn, auto store) {
    const int step = stepOn ? (b - a) * (1 << (16 - Log2(d))) : 0;
    int accumulator = a * 65536;
    for (int k = 0; k < d; ++k, accumulator += step) store(k, static_cast<std::uint8_t>(accumulator >> 16));
  };
  // A plane from its grid: samples (times scale) interpolated along each grid row, then down the
  // columns, the row results read back as unsigned bytes for luma and signed ones for chroma.
  const auto fromGrid = [&](const std::uint8_t* g, int bw, int bh, int scale, bool signedRows, auto store) {
    const int gw = w / bw, gh = ht / bh;
    Bytes scratch((gh + 1) * w);
    const auto sample = [](std::uint8_t v, bool isSigned) { return isSigned ? int{std::int8_t(v)} : int{v}; };
    for (int j = 0; j <= gh; ++j) {
      for (int i = 0; i < gw; ++i) {
        run(scale * sample(g[j * (gw + 1) + i], true), scale * sample(g[j * (gw + 1) + i + 1], true), bw, true,
            [&](int k, std::uint8_t v) { scratch[j * w + i * bw + k] = v; });
      }
    }
    for (int j = 0; j < gh; ++j) {
      for (int x = 0; x < w; ++x) {
        run(sample(scratch[j * w + x], signedRows), sample(scratch[(j + 1) * w + x], signedRows), bh,
            h.verticalInterpolation, [&](int k, std::uint8_t v) { store((j * bh + k) * w + x, v); });
      }
    }
  };
  int lumaSize = w * ht;
  if (h.lumaBlockWidth == 0) {
    for (int g = 0; g < w * ht; ++g) picture[g << pixelShift] = data[g];
  } else {
    const int bw = h.lumaBlockWidth, bh = h.lumaBlockHeight, gw = w / bw, gh = ht / bh;
    Bytes base(w * ht);
    fromGrid(data, bw, bh, 4, false, [&](int m, std::uint8_t v) { base[m] = v; });
    const std::uint8_t* residuals = data + (gw + 1) * (gh + 1);
    int p = 0;
    for (int j = 0; j < gh; ++j) {
      for (int i = 0; i < gw; ++i) {
        const bool flag = residuals[p++] != 0;
        for (int ky = 0; ky < bh; ++ky) {
          const int m0 = (j * bh + ky) * w + i * bw;
          if (flag) {
            for (int kx = 0; kx < bw; ++kx) picture[(m0 + kx) << pixelShift] = base[m0 + kx];
            continue;
          }
          for (int q = 0; q < bw / 2; ++q) {
            const int r = residuals[p++], m = m0 + 2 * q;
            picture[m << pixelShift] = static_cast<std::uint8_t>(base[m] - static_cast<std::uint8_t>(((r & 15) - 8) * (1 << h.residualShift)));
            picture[(m + 1) << pixelShift] = static_cast<std::uint8_t>(base[m + 1] - static_cast<std::uint8_t>(((r >> 4) - 8) * (1 << h.residualShift)));
          }
        }
      }
    }
    lumaSize = (gw + 1) * (gh + 1) + p;
  }
  if (h.lumaOnly) return;
  const int bw = h.chromaBlockWidth, bh = h.chromaBlockHeight, gw = w / bw, gh = ht / bh;
  for (int plane = 1; plane <= 2; ++plane) {
    fromGrid(data + lumaSize + (plane - 1) * (gw + 1) * (gh + 1), bw, bh, 1, true,
             [&](int m, std::uint8_t v) { picture[4 * m + plane] = v; });
  }
}

// A random record the decoder accepts: any block dimensions, shift, flags and sample bytes.
Bytes RandomRecord(std::mt19937& random) {
  const int dimensions[] = {1, 2, 4, 8, 16};
  const auto pick = [&] { return dimensions[random() % 5]; };
  const bool lumaOnly = random() % 4 == 0, raw = random() % 5 == 0;
  const int bw = raw ? 0 : pick(), bh = raw ? 0 : pick(), cw = pick(), ch = pick();
  const int unitW = std::max({bw, lumaOnly ? 1 : cw, 1}), unitH = std::max({bh, lumaOnly ? 1 : ch, 1});
  // Up to 11 blocks of 16 across, so that every block width fills the eight-block vector steps.
  const int w = unitW * (1 + random() % (176 / unitW)), h = unitH * (1 + random() % (40 / unitH + 1));
  Bytes record = {static_cast<std::uint8_t>(w), 0, static_cast<std::uint8_t>(h), 0,
                  static_cast<std::uint8_t>(bw), static_cast<std::uint8_t>(bh),
                  static_cast<std::uint8_t>(cw), static_cast<std::uint8_t>(ch),
                  static_cast<std::uint8_t>(random() % 3), 0, static_cast<std::uint8_t>(random() % 8),
                  static_cast<std::uint8_t>(lumaOnly ? 255 : random() % 255)};
  const auto bytes = [&](int count) {
    for (int k = 0; k < count; ++k) record.push_back(static_cast<std::uint8_t>(random()));
  };
  if (raw) {
    bytes(w * h);
  } else {
    bytes((w / bw + 1) * (h / bh + 1));
    for (int block = 0; block < (w / bw) * (h / bh); ++block) {
      const bool withResidual = random() % 2 == 0;
      record.push_back(withResidual ? 0 : static_cast<std::uint8_t>(1 + random() % 255));
      if (withResidual) bytes(bh * (bw / 2));
    }
  }
  if (!lumaOnly) bytes(2 * (w / cw + 1) * (h / ch + 1));
  return record;
}

TEST_F(DecoderTest, ReconstructionMatchesTheLiteralReadingOnRandomRecords) {
  OnBothVectorPaths([] {
    std::mt19937 random(3);
    Bytes expected(DecodedPictureBytes);
    for (int trial = 0; trial < 300; ++trial) {
      const Bytes record = RandomRecord(random);
      for (int k = 0; k < DecodedPictureBytes; ++k) expected[k] = DecodedPicture[k] = static_cast<std::uint8_t>(k * 13 + trial);
      ReferenceReconstruct(record, expected.data());
      const Bytes frame = CodedFrameOf(record);
      std::string fault;
      ASSERT_EQ(DecodeFrame(frame.data(), DecodedPicture, static_cast<int>(frame.size()), &fault), 1) << fault;
      ASSERT_EQ(std::memcmp(DecodedPicture, expected.data(), DecodedPictureBytes), 0)
          << "trial " << trial << ": " << ReadFrameHeader(record.data()).width << " x "
          << ReadFrameHeader(record.data()).height;
    }
  });
}

}  // namespace
