// korvo-anim: encode PNG frames into a .dat animation; show a file's container and frame
// headers; extract one frame as the demo would upload it.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/animation_codec.h"
#include "assets/animation_stream.h"
#include "assets/frame_conversion.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "assets/post_process_maps.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/encode_options.h"
#include "tools/anim/png_frames.h"
#include "tools/anim/sample_picture.h"
#include "tools/common/file_bytes.h"
#include "tools/common/file_kind.h"
#include "tools/common/numbers.h"

namespace {

constexpr const char* Usage =
    "usage: korvo-anim encode OUT.dat FRAME.png|FOLDER... [options]\n"
    "         --size WxH            frame size (256x256)\n"
    "         --luma-block WxH|0    luma block, 0 stores luma raw (4x4)\n"
    "         --chroma-block WxH    chroma block (8x8)\n"
    "         --vertical on|off     vertical interpolation (on)\n"
    "         --shift N|auto        residual shift 0 to 7 (auto)\n"
    "         --psnr DB             luma quality target for the residuals, 1 to 100 (38)\n"
    "         --max-code-length N   longest prefix code, 8 to 32 (10)\n"
    "         --luma-only           no chroma planes\n"
    "         --for NAME            warn where the frames differ from what the scenes expect of\n"
    "                               that data file (item, kone, 3dfx, pullo, kelmu, mina)\n"
    "       korvo-anim info FILE.dat\n"
    "       korvo-anim extract FILE.dat INDEX OUT.png|OUT.raw [--post NAME]\n"
    "         NAME: PulsingContrast BoostContrast AnimatedContrast VividColour InvertLuma\n"
    "       korvo-anim sample OUT.png [WxH] [FRAME]   the synthetic test photograph\n"
    "       korvo-anim --help\n"
    "Status: 0 done, 1 a file could not be read, written or decoded, 2 wrong usage.\n";

// A file that could not be read, written or decoded.
int Fail(const std::string& message) {
  std::fprintf(stderr, "korvo-anim: %s\n", message.c_str());
  return 1;
}

// A command line that asks for something the tool does not do.
int WrongUsage(const std::string& message) {
  std::fprintf(stderr, "korvo-anim: %s\nTry 'korvo-anim --help' for the usage.\n", message.c_str());
  return 2;
}

std::string ShowPsnr(double psnr) {
  if (std::isinf(psnr)) return "exact";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f dB", psnr);
  return text;
}

int Encode(int argc, char** argv) {
  anim::EncodeRequest request;
  std::string fault;
  if (!anim::ParseEncodeArguments(argc, argv, &request, &fault)) return WrongUsage(fault);
  std::vector<std::string> files;
  if (!anim::ListFrameFiles(request.inputs, &files, &fault)) return Fail(fault);
  std::vector<anim::RgbPicture> pictures(files.size());
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (!anim::ReadPngPicture(files[k], &pictures[k], &fault)) return Fail(fault);
  }
  if (!request.forFile.empty()) {
    const anim::SceneUse& use = *anim::FindSceneUse(request.forFile);
    for (const std::string& warning :
         anim::SceneUseWarnings(use, request.settings.frame, static_cast<int>(pictures.size()))) {
      std::fprintf(stderr, "korvo-anim: warning: %s\n", warning.c_str());
    }
  }
  anim::AnimationQuality quality;
  if (!anim::WriteAnimationFile(request.out, pictures, request.settings, &fault, &quality)) {
    return Fail(fault.rfind(request.out, 0) == 0 ? fault : request.out + ": " + fault);
  }
  std::printf("%s: %zu frames, PSNR RGB %s, luma %s (lowest RGB %s, frame %d)\n", request.out.c_str(),
              pictures.size(), ShowPsnr(quality.rgbPsnr).c_str(), ShowPsnr(quality.lumaPsnr).c_str(),
              ShowPsnr(quality.worstRgbPsnr).c_str(), quality.worstFrame);
  return 0;
}

// The whole file, checked as the demo's loader checks it; another kind of file is named.
bool LoadStream(const std::string& path, std::vector<std::uint8_t>* image, std::string* fault) {
  if (!tools::ReadFileBytes(path, image, fault)) return false;
  if (image->empty()) {
    *fault = path + ": empty file";
    return false;
  }
  std::string streamFault;
  if (!CheckAnimationStream(image->data(), image->size(), &streamFault)) {
    if (!tools::IsOtherKind(path, *image, "an animation file", fault)) {
      *fault = path + ": not an animation file: " + streamFault;
    }
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
  if (argc != 1) return WrongUsage("info needs FILE.dat");
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

// Little-endian R5G6B5 pixels, as the demo's upload buffer holds them.
std::vector<std::uint8_t> RawPixels(const std::vector<std::uint16_t>& pixels) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t p : pixels) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8)});
  return bytes;
}

// Each channel widened to 8 bits by repeating its high bits, as the captures do.
anim::RgbPicture WidenedPicture(const std::vector<std::uint16_t>& pixels, int width, int height) {
  anim::RgbPicture picture{width, height, {}};
  for (std::uint16_t p : pixels) {
    const unsigned r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
    picture.rgb.insert(picture.rgb.end(), {static_cast<std::uint8_t>(r << 3 | r >> 2),
                                           static_cast<std::uint8_t>(g << 2 | g >> 4),
                                           static_cast<std::uint8_t>(b << 3 | b >> 2)});
  }
  return picture;
}

int Extract(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--post") == 0)) {
    return WrongUsage("extract needs FILE.dat INDEX OUT.png|OUT.raw [--post NAME]");
  }
  const std::string path = argv[0], out = argv[2];
  PostProcessMap post = [] {};
  if (argc == 5 && (post = PostProcessByName(argv[4])) == nullptr) {
    return WrongUsage(std::string("unknown post-process ") + argv[4]);
  }
  std::string fault;
  int index = 0;
  if (!tools::ParseInteger("INDEX", argv[1], 0, INT_MAX, &index, &fault)) return WrongUsage(fault);
  std::vector<std::uint8_t> image;
  if (!LoadStream(path, &image, &fault)) return Fail(fault);
  if (index >= AnimationFrameCount(image.data())) {
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
  const bool written = raw ? tools::WriteFileBytes(out, RawPixels(pixels), &fault)
                           : anim::WritePngPicture(out, WidenedPicture(pixels, FrameWidth, height), &fault);
  return written ? 0 : Fail(fault);
}

int Sample(int argc, char** argv) {
  if (argc < 1 || argc > 3) return WrongUsage("sample needs OUT.png [WxH] [FRAME]");
  int width = 256, height = 256, frame = 0;
  std::string fault;
  if ((argc >= 2 && !tools::ParseSize("WxH", argv[1], 1, anim::LargestSampleSide, true, &width, &height, &fault)) ||
      (argc == 3 && !tools::ParseInteger("FRAME", argv[2], INT_MIN, INT_MAX, &frame, &fault))) {
    return WrongUsage(fault);
  }
  const anim::RgbPicture picture = anim::SamplePicture(width, height, frame);
  if (!anim::WritePngPicture(argv[0], picture, &fault)) return Fail(fault);
  return 0;
}

bool AsksForHelp(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForHelp(argc, argv)) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc < 2) return WrongUsage("a command is needed: encode, info, extract or sample");
  const std::string command = argv[1];
  if (command == "encode") return Encode(argc - 2, argv + 2);
  if (command == "info") return Info(argc - 2, argv + 2);
  if (command == "extract") return Extract(argc - 2, argv + 2);
  if (command == "sample") return Sample(argc - 2, argv + 2);
  return WrongUsage("unknown command " + command);
}
