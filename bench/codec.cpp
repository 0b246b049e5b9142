// korvo-bench codec: one 256 x 256 colour frame of the sample photograph, encoded at the default
// settings, decoded again and again on one core. Prints "codec decode256 median_us=M" for
// entropy stage + reconstruction + VividColour + conversion, one line per stage, the colour
// table build, the encoding of a 64-frame animation and the picture's PSNR after the round trip.
// "korvo-bench codec --plain" times the paths taken on processors without AVX-512.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/colour_table.h"
#include "assets/codec_kernels.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "assets/post_process.h"
#include "bench/bench.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/sample_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMicroseconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int k = 0; k < runs; ++k) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[runs / 2];
}

// PSNR over R, G, B of the R5G6B5 pixels (widened by repeating high bits) against the original.
double Psnr(const anim::RgbPicture& original, const std::vector<std::uint16_t>& pixels) {
  double error = 0.0;
  for (std::size_t p = 0; p < pixels.size(); ++p) {
    const int r5 = pixels[p] >> 11, g6 = (pixels[p] >> 5) & 63, b5 = pixels[p] & 31;
    const int rgb[3] = {r5 << 3 | r5 >> 2, g6 << 2 | g6 >> 4, b5 << 3 | b5 >> 2};
    for (int c = 0; c < 3; ++c) {
      const double d = rgb[c] - original.rgb[3 * p + c];
      error += d * d;
    }
  }
  return 10.0 * std::log10(255.0 * 255.0 / (error / (3.0 * pixels.size())));
}

int RunCodecBench(int argc, char** argv) {
  const bool plain = argc > 1 && std::string(argv[1]) == "--plain";
  if (argc > 2 || (argc > 1 && !plain)) {
    std::fprintf(stderr, "codec: unknown option \"%s\" (the only one is --plain)\n", argv[argc - 1]);
    return 2;
  }
  std::printf("codec wide_vectors=%s\n", SelectCodecKernels(!plain) ? "yes" : "no");
  const auto tableStart = Clock::now();
  if (InitAnimationDecoder() != 1) {
    std::fprintf(stderr, "codec: cannot allocate the decoder's buffers\n");
    return 1;
  }
  std::printf("codec colour_table_ms=%.2f\n",
              std::chrono::duration<double, std::milli>(Clock::now() - tableStart).count());
  std::vector<std::uint16_t> table(ColourTableEntries);
  std::printf("codec colour_table_build_median_us=%.0f\n",
              MedianMicroseconds(9, [&] { BuildColourTable(table.data()); }));

  const anim::AnimationSettings settings;
  const anim::RgbPicture picture = anim::SamplePicture(256, 256, 0);
  std::vector<std::uint8_t> coded;
  std::string fault;
  if (!anim::EncodeFrame(picture, settings, &coded, &fault)) {
    std::fprintf(stderr, "codec: %s\n", fault.c_str());
    return 1;
  }
  const int size = static_cast<int>(coded.size());
  std::vector<std::uint16_t> pixels(256 * 256);
  constexpr int Runs = 501;

  const double total = MedianMicroseconds(Runs, [&] {
    DecodeFrame(coded.data(), DecodedPicture, size);
    VividColour();
    ConvertPicture(DecodedPicture, pixels.data(), 512, 256, 256);
  });
  const double entropy = MedianMicroseconds(Runs, [&] {
    AnimationFrameDecoder.Load(coded.data(), size);
    AnimationFrameDecoder.Decode();
  });
  const double decode = MedianMicroseconds(Runs, [&] { DecodeFrame(coded.data(), DecodedPicture, size); });
  const double post = MedianMicroseconds(Runs, [] { VividColour(); });
  const double convert = MedianMicroseconds(
      Runs, [&] { ConvertPicture(DecodedPicture, pixels.data(), 512, 256, 256); });
  std::printf("codec decode256 median_us=%.1f coded_bytes=%d record_bytes=%d\n", total, size,
              AnimationFrameDecoder.recordSize());
  std::printf("codec entropy median_us=%.1f\n", entropy);
  std::printf("codec reconstruction median_us=%.1f\n", decode - entropy);
  std::printf("codec post_process median_us=%.1f\n", post);
  std::printf("codec conversion median_us=%.1f\n", convert);

  DecodeFrame(coded.data(), DecodedPicture, size);
  ConvertPicture(DecodedPicture, pixels.data(), 512, 256, 256);
  std::printf("codec psnr_db=%.2f\n", Psnr(picture, pixels));

  std::vector<anim::RgbPicture> frames;
  for (int k = 0; k < 64; ++k) frames.push_back(anim::SamplePicture(256, 256, k));
  std::vector<std::uint8_t> stream;
  const auto encodeStart = Clock::now();
  if (!anim::EncodeAnimation(frames, settings, &stream, &fault)) {
    std::fprintf(stderr, "codec: %s\n", fault.c_str());
    return 1;
  }
  std::printf("codec encode64 seconds=%.2f bytes=%zu\n",
              std::chrono::duration<double>(Clock::now() - encodeStart).count(), stream.size());
  return 0;
}

}  // namespace

KORVO_BENCH(codec, RunCodecBench);
