// The command line of korvo-anim encode, and what the demo's scenes expect of each data file, so
// that an animation made for the demo can be checked against the scene that will show it.
#pragma once

#include <string>
#include <vector>

#include "tools/anim/animation_encoder.h"

namespace anim {

struct EncodeRequest {
  std::string out;                  // the .dat file to write
  std::vector<std::string> inputs;  // PNG files and folders of them, in order
  AnimationSettings settings;
  std::string forFile;              // --for: the data file the animation replaces, or empty
};

// argv holds what follows "encode". False with a fault naming the option and what is wrong.
bool ParseEncodeArguments(int argc, char** argv, EncodeRequest* request, std::string* fault);

// How the scenes show one of the six animation files.
struct SceneUse {
  const char* file;      // "item.dat"
  int textureSize;       // the render texture it is uploaded to: frames should be this square
  int fewestFrames;      // the scenes pick frames by number up to here
  const char* frameUse;  // why, in words
};

// The use of "item", "item.dat" or "data/item.dat"; nullptr for a name that is none of the six.
const SceneUse* FindSceneUse(const std::string& name);
std::string SceneFileNames();  // "item.dat, kone.dat, ..."

// One sentence per way the frames differ from what the scenes expect; empty when they fit.
std::vector<std::string> SceneUseWarnings(const SceneUse& use, const FrameSettings& frame, int frameCount);

}  // namespace anim
