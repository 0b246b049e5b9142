// korvo-anim: encode PNG frames into a .dat animation; show a file's container and frame
// headers; extract one frame as the demo would upload it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/animation_codec.h"
#include "assets/animation_stream.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "assets/frame_conversion.h"
#include "assets/post_process_maps.h"
#include "platform/capture/png_writer.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/png_frames.h"
#include "tools/anim/sample_picture.h"

namespace {

constexpr const char* Usage =
    "usage: korvo-anim encode OUT.dat FRAME.png|FOLDER... [options]\n"
    "         --size WxH            frame size (256x256)\n"
    "         --luma-block WxH|0    luma block, 0 stores luma raw (4x4)\n"
    "         --chroma-block WxH    chroma block (8x8)\n"
    "         --vertical on|off     vertical interpolation (on)\n"
    "         --shift N|auto        residual shift 0 to 7 (auto)\n"
    "         --psnr DB             luma quality target for the residuals (40)\n"
    "         --max-code-length N   longest prefix code, 8 to 32 (12)\n"
    "         --luma-only           no chroma planes\n"
    "       korvo-anim info FILE.dat\n"
    "       korvo-anim extract FILE.dat INDEX OUT.png|OUT.raw [--post NAME]\n"
    "         NAME: PulsingContrast BoostContrast AnimatedContrast VividColour InvertLuma\n"
    "       korvo-anim sample OUT.png [WxH] [FRAME]   the synthetic test photograph\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "korvo-anim: %s\n", message.c_str());
  return 1;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *fault = path + ": cannot open the file";
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// "WxH" or "N" (N x N).
bool ParseSize(const char* text, int* width, int* height) {
  char* end = nullptr;
  *width = static_cast<int>(std::strtol(text, &end, 10));
  if (end == text) return false;
  if (*end == '\0') {
    *height = *width;
    return true;
  }
  if (*end != 'x') return false;
  const char* rest = end + 1;
  *height = static_cast<int>(std::strtol(rest, &end, 10));
  return end != rest && *end == '\0';
}

bool ParseInt(const char* text, int* value) {
  char* end = nullptr;
  *value = static_cast<int>(std::strtol(text, &end, 10));
  return end != text && *end == '\0';
}

bool ParseEncodeOption(const std::string& option, const char* value, anim::AnimationSettings* s) {
  anim::FrameSettings& f = s->frame;
  if (option == "--size") return ParseSize(value, &f.width, &f.height);
  if (option == "--luma-block") {
    if (std::strcmp(value, "0") == 0) {
      f.lumaBlockWidth = f.lumaBlockHeight = 0;
      return true;
    }
    return ParseSize(value, &f.lumaBlockWidth, &f.lumaBlockHeight);
  }
  if (option == "--chroma-block") return ParseSize(value, &f.chromaBlockWidth, &f.chromaBlockHeight);
  if (option == "--vertical") {
    f.verticalInterpolation = std::strcmp(value, "on") == 0;
    return f.verticalInterpolation || std::strcmp(value, "off") == 0;
  }
  if (option == "--shift") {
    if (std::strcmp(value, "auto") == 0) {
      f.residualShift = -1;
      return true;
    }
    return ParseInt(value, &f.residualShift);
  }
  if (option == "--psnr") {
    char* end = nullptr;
    f.targetPsnr = std::strtod(value, &end);
    return end != value && *end == '\0';
  }
  if (option == "--max-code-length") return ParseInt(value, &s->maxCodeLength);
  return false;
}

int Encode(int argc, char** argv) {
  if (argc < 2) return Fail(std::string("encode needs OUT.dat and frames\n") + Usage);
  const std::string out = argv[0];
  anim::AnimationSettings settings;
  std::vector<std::string> inputs;
  for (int k = 1; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--luma-only") {
      settings.frame.lumaOnly = true;
    } else if (argument.rfind("--", 0) == 0) {
      if (k + 1 >= argc || !ParseEncodeOption(argument, argv[k + 1], &settings)) {
        return Fail("bad option " + argument + (k + 1 < argc ? std::string(" ") + argv[k + 1] : ""));
      }
      ++k;
    } else {
      inputs.push_back(argument);
    }
  }
  std::string fault;
  std::vector<std::string> files;
  if (!anim::ListFrameFiles(inputs, &files, &fault)) return Fail(fault);
  std::vector<anim::RgbPicture> pictures(files.size());
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (!anim::ReadPngPicture(files[k], &pictures[k], &fault)) return Fail(fault);
  }
  if (!anim::WriteAnimationFile(out, pictures, settings, &fault)) return Fail(out + ": " + fault);
  std::printf("%s: %zu frames\n", out.c_str(), pictures.size());
  return 0;
}

bool LoadStream(const std::string& path, std::vector<std::uint8_t>* image, std::string* fault) {
  if (!ReadFile(path, image, fault)) return false;
  std::string streamFault;
  if (!CheckAnimationStream(image->data(), image->size(), &streamFault)) {
    *fault = path + ": " + streamFault;
    return false;
  }
  return true;
}

int CountResidualBlocks(const std::uint8_t* record, const FrameHeader& h, const FrameLayout& layout) {
  int count = 0;
  const int blocks = (h.width / h.lumaBlockWidth) * (h.height / h.lumaBlockHeight);
  const int residualBytes = h.lumaBlockHeight * (h.lumaBlockWidth / 2);
  for (int block = 0, p = layout.residuals; block < blocks; ++block) {
    const bool withResidual = record[p] == 0;
    p += withResidual ? 1 + residualBytes : 1;
    count += withResidual;
  }
  return count;
}

// One line per frame; false when the frame cannot be decoded.
bool PrintFrame(int index, const CodedFrameSpan& frame) {
  std::printf("frame %d: coded %d bytes", index, frame.size);
  AnimationFrameDecoder.Load(frame.data, frame.size);
  const std::uint8_t* record = AnimationFrameDecoder.Decode();
  FrameLayout layout;
  std::string fault;
  if (record == nullptr) fault = AnimationFrameDecoder.fault();
  if (record != nullptr &&
      !CheckFrameRecord(record, AnimationFrameDecoder.recordSize(), &layout, &fault)) {
    record = nullptr;
  }
  if (record == nullptr) {
    std::printf(": undecodable: %s\n", fault.c_str());
    return false;
  }
  const FrameHeader h = ReadFrameHeader(record);
  std::printf(", record %d bytes, %d x %d", AnimationFrameDecoder.recordSize(), h.width, h.height);
  if (h.lumaBlockWidth == 0) {
    std::printf(", luma raw");
  } else {
    std::printf(", luma block %d x %d, shift %d, residual blocks %d of %d", h.lumaBlockWidth,
                h.lumaBlockHeight, h.residualShift, CountResidualBlocks(record, h, layout),
                (h.width / h.lumaBlockWidth) * (h.height / h.lumaBlockHeight));
  }
  if (h.lumaOnly) {
    std::printf(", luma only");
  } else {
    std::printf(", chroma block %d x %d", h.chromaBlockWidth, h.chromaBlockHeight);
  }
  std::printf(", vertical interpolation %s\n", h.verticalInterpolation ? "on" : "off");
  return true;
}

int Info(int argc, char** argv) {
  if (argc != 1) return Fail(std::string("info needs FILE.dat\n") + Usage);
  std::vector<std::uint8_t> image;
  std::string fault;
  if (!LoadStream(argv[0], &image, &fault)) return Fail(fault);
  if (InitAnimationDecoder() != 1) return Fail("cannot allocate the decoder's buffers");
  const int frames = AnimationFrameCount(image.data());
  std::printf("%s: %zu bytes, offsetCount %d, %d frames\n", argv[0], image.size(), frames + 1, frames);
  bool allDecodable = true;
  for (int k = 0; k < frames; ++k) allDecodable &= PrintFrame(k, LocateCodedFrame(image.data(), k));
  return allDecodable ? 0 : 1;
}

using PostProcessMap = void (*)();

// The demo's callbacks with their animated parameters at their start values.
PostProcessMap PostProcessByName(const std::string& name) {
  static const struct {
    const char* name;
    PostProcessMap map;
  } maps[] = {{"PulsingContrast", [] { PulsingContrastEffect(0.0f); }},
              {"BoostContrast", BoostContrastEffect},
              {"AnimatedContrast", [] { AnimatedContrastEffect(1.2f); }},
              {"VividColour", VividColourEffect},
              {"InvertLuma", InvertLumaEffect}};
  for (const auto& entry : maps) {
    if (name == entry.name) return entry.map;
  }
  return nullptr;
}

bool WriteRaw(const std::string& path, const std::uint16_t* pixels, int count) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = true;
  for (int k = 0; k < count; ++k) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(pixels[k]),
                                   static_cast<std::uint8_t>(pixels[k] >> 8)};
    written &= std::fwrite(bytes, 1, 2, file) == 2;
  }
  return std::fclose(file) == 0 && written;
}

int Extract(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--post") == 0)) {
    return Fail(std::string("extract needs FILE.dat INDEX OUT\n") + Usage);
  }
  const std::string path = argv[0], out = argv[2];
  PostProcessMap post = [] {};
  if (argc == 5 && (post = PostProcessByName(argv[4])) == nullptr) {
    return Fail(std::string("unknown post-process ") + argv[4]);
  }
  std::vector<std::uint8_t> image;
  std::string fault;
  if (!LoadStream(path, &image, &fault)) return Fail(fault);
  int index = 0;
  if (!ParseInt(argv[1], &index) || index < 0 || index >= AnimationFrameCount(image.data())) {
    return Fail(path + ": no frame " + argv[1] + " (the file holds " +
                std::to_string(AnimationFrameCount(image.data())) + ")");
  }
  if (InitAnimationDecoder() != 1) return Fail("cannot allocate the decoder's buffers");
  const CodedFrameSpan frame = LocateCodedFrame(image.data(), index);
  if (DecodeFrame(frame.data, DecodedPicture, frame.size, &fault) != 1) {
    return Fail(path + ": frame " + std::to_string(index) + " is undecodable: " + fault);
  }
  if (FrameIsLumaOnly) WidenLumaPicture(DecodedPicture, FrameWidth, FrameHeight);
  post();
  const int height = std::min(FrameHeight, DecodedPictureBytes / 4 / std::max(FrameWidth, 1));
  std::vector<std::uint16_t> pixels(static_cast<std::size_t>(FrameWidth) * height);
  ConvertPicture(DecodedPicture, pixels.data(), 2 * FrameWidth, FrameWidth, height);
  const bool raw = out.size() >= 4 && out.compare(out.size() - 4, 4, ".raw") == 0;
  if (raw ? !WriteRaw(out, pixels.data(), static_cast<int>(pixels.size()))
          : !platform::WritePng(out, pixels.data(), FrameWidth, height)) {
    return Fail(out + ": cannot write the file");
  }
  return 0;
}

int Sample(int argc, char** argv) {
  int width = 256, height = 256, frame = 0;
  if (argc < 1 || argc > 3 || (argc >= 2 && !ParseSize(argv[1], &width, &height)) ||
      (argc == 3 && !ParseInt(argv[2], &frame)) || width < 1 || height < 1) {
    return Fail(std::string("sample needs OUT.png [WxH] [FRAME]\n") + Usage);
  }
  const anim::RgbPicture picture = anim::SamplePicture(width, height, frame);
  std::string fault;
  if (!anim::WritePngPicture(argv[0], picture, &fault)) return Fail(fault);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "encode") == 0) return Encode(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return Info(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "extract") == 0) return Extract(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "sample") == 0) return Sample(argc - 2, argv + 2);
  std::fputs(Usage, stderr);
  return 2;
}
