#include "tools/art/animations.h"

#include <cstdlib>

#include "tools/anim/animation_encoder.h"

namespace art {

const std::vector<AnimationInfo>& AnimationTable() {
  static const std::vector<AnimationInfo> table = {
      {"item", 128, 16}, {"kone", 256, 24}, {"3dfx", 256, 28},
      {"pullo", 128, 20}, {"kelmu", 256, 24}, {"mina", 256, 8},
  };
  return table;
}

static const AnimationInfo& Find(const std::string& name) {
  for (const AnimationInfo& info : AnimationTable())
    if (info.name == name) return info;
  std::abort();
}

std::vector<Canvas> MakeAnimationFrames(const std::string& name) {
  const AnimationInfo& info = Find(name);
  if (name == "item") return RenderItem(info.size, info.frames);
  if (name == "kone") return RenderKone(info.size, info.frames);
  if (name == "3dfx") return RenderEmblem(info.size, info.frames);
  if (name == "pullo") return RenderPullo(info.size, info.frames);
  if (name == "kelmu") return RenderKelmu(info.size, info.frames);
  return RenderMina(info.size, info.frames);
}

bool MakeAnimationFile(const std::string& name, std::vector<std::uint8_t>* bytes, std::string* fault) {
  return EncodeAnimationFrames(name, MakeAnimationFrames(name), bytes, fault);
}

bool EncodeAnimationFrames(const std::string& name, const std::vector<Canvas>& frames,
                           std::vector<std::uint8_t>* bytes, std::string* fault) {
  const AnimationInfo& info = Find(name);
  std::vector<anim::RgbPicture> pictures;
  for (const Canvas& frame : frames)
    pictures.push_back({frame.width, frame.height, ToRgb8(frame)});
  anim::AnimationSettings settings;
  settings.frame.width = settings.frame.height = info.size;
  if (!anim::EncodeAnimation(pictures, settings, bytes, fault)) {
    *fault = name + ": " + *fault;
    return false;
  }
  return true;
}

}  // namespace art
