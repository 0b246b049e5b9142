#include "tools/anim/encode_options.h"

#include <cstring>

#include "tools/common/numbers.h"

namespace anim {

namespace {

// Frame records keep sizes as 16-bit numbers; the encoder checks the decoder's own limits.
constexpr int LargestFrameSide = 32767;

bool ParseOption(const std::string& option, const char* value, EncodeRequest* request, std::string* fault) {
  FrameSettings& f = request->settings.frame;
  if (option == "--size") {
    return tools::ParseSize(option, value, 1, LargestFrameSide, true, &f.width, &f.height, fault);
  }
  if (option == "--luma-block") {
    if (std::strcmp(value, "0") == 0) {
      f.lumaBlockWidth = f.lumaBlockHeight = 0;
      return true;
    }
    return tools::ParseSize(option, value, 1, 16, true, &f.lumaBlockWidth, &f.lumaBlockHeight, fault);
  }
  if (option == "--chroma-block") {
    return tools::ParseSize(option, value, 1, 16, true, &f.chromaBlockWidth, &f.chromaBlockHeight, fault);
  }
  if (option == "--vertical") {
    f.verticalInterpolation = std::strcmp(value, "on") == 0;
    if (f.verticalInterpolation || std::strcmp(value, "off") == 0) return true;
    *fault = option + " " + value + ": must be on or off";
    return false;
  }
  if (option == "--shift") {
    if (std::strcmp(value, "auto") == 0) {
      f.residualShift = -1;
      return true;
    }
    return tools::ParseInteger(option, value, 0, 7, &f.residualShift, fault);
  }
  if (option == "--psnr") return tools::ParseReal(option, value, 1.0, 100.0, &f.targetPsnr, fault);
  if (option == "--max-code-length") {
    return tools::ParseInteger(option, value, 8, 32, &request->settings.maxCodeLength, fault);
  }
  if (option == "--for") {
    if (FindSceneUse(value) != nullptr) {
      request->forFile = FindSceneUse(value)->file;
      return true;
    }
    *fault = option + " " + value + ": not one of the demo's animations (" + SceneFileNames() + ")";
    return false;
  }
  *fault = "unknown option " + option;
  return false;
}

// Entries 0 to 24 in the order the scenes first use them; sizes follow AnimationTarget.
constexpr SceneUse SceneUses[] = {
    {"item.dat", 128, 1, "any number of frames plays in a loop"},
    {"kone.dat", 256, 3, "the opening and the cylinder scenes show its frame 2"},
    {"3dfx.dat", 256, 6, "the scenes play frames 0 to count - 6, then loop the last four"},
    {"pullo.dat", 128, 1, "any number of frames plays in a loop"},
    {"kelmu.dat", 256, 1, "any number of frames plays in a loop"},
    {"mina.dat", 256, 1, "any number of frames plays in a loop"},
};

}  // namespace

bool ParseEncodeArguments(int argc, char** argv, EncodeRequest* request, std::string* fault) {
  for (int k = 0; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--luma-only") {
      request->settings.frame.lumaOnly = true;
    } else if (argument.rfind("--", 0) == 0) {
      if (k + 1 >= argc) {
        *fault = argument + " needs a value";
        return false;
      }
      if (!ParseOption(argument, argv[++k], request, fault)) return false;
    } else if (request->out.empty()) {
      request->out = argument;
    } else {
      request->inputs.push_back(argument);
    }
  }
  if (request->out.empty() || request->inputs.empty()) {
    *fault = "encode needs OUT.dat and at least one frame";
    return false;
  }
  return true;
}

const SceneUse* FindSceneUse(const std::string& name) {
  std::string file = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
  if (file.find('.') == std::string::npos) file += ".dat";
  for (const SceneUse& use : SceneUses) {
    if (file == use.file) return &use;
  }
  return nullptr;
}

std::string SceneFileNames() {
  std::string names;
  for (const SceneUse& use : SceneUses) names += (names.empty() ? "" : ", ") + std::string(use.file);
  return names;
}

std::vector<std::string> SceneUseWarnings(const SceneUse& use, const FrameSettings& frame, int frameCount) {
  std::vector<std::string> warnings;
  const std::string size = std::to_string(use.textureSize);
  if (frame.width != use.textureSize || frame.height != use.textureSize) {
    warnings.push_back(std::string("the scenes show ") + use.file + " in a " + size + " x " + size +
                       " texture, but the frames are " + std::to_string(frame.width) + " x " +
                       std::to_string(frame.height) + " (" +
                       (frame.width > use.textureSize || frame.height > use.textureSize
                            ? "only the top-left corner is shown"
                            : "the rest of the texture stays black") +
                       "); give --size " + size + "x" + size);
  }
  if (frameCount < use.fewestFrames) {
    warnings.push_back(std::string(use.file) + " needs at least " + std::to_string(use.fewestFrames) +
                       " frames, but has " + std::to_string(frameCount) + ": " + use.frameUse);
  }
  return warnings;
}

}  // namespace anim
