// The demo's six animations, rendered frame by frame and encoded with the demo's codec:
//   item   128 x 128, 16 frames: a twisted iridescent ring turning once
//   kone   256 x 256, 24 frames: brass gears and a crank-driven piston, one full turn
//   3dfx   256 x 256, 28 frames: our neon KP emblem; frames 0-22 loop, 23 flares up,
//          24-27 loop as a pulsing burst (the scenes play it through that way)
//   pullo  128 x 128, 20 frames: a green glass bottle with a label, one full turn
//   kelmu  256 x 256, 24 frames: crumpled iridescent foil flowing in a loop
//   mina   256 x 256, 8 frames: a face turning from left to right, frame 4 facing the viewer
// Every frame is drawn for a 4:3 screen (the textures are shown stretched to 640 x 480).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/art/canvas.h"

namespace art {

struct AnimationInfo {
  std::string name;
  int size;  // frames are size x size
  int frames;
};

const std::vector<AnimationInfo>& AnimationTable();

std::vector<Canvas> MakeAnimationFrames(const std::string& name);

// The encoded .dat file; false with the fault when encoding fails.
bool MakeAnimationFile(const std::string& name, std::vector<std::uint8_t>* bytes, std::string* fault);
// The same from frames already rendered for that animation.
bool EncodeAnimationFrames(const std::string& name, const std::vector<Canvas>& frames,
                           std::vector<std::uint8_t>* bytes, std::string* fault);

// Distance to the strokes of the emblem's letters K and P, y up, the letters about 1 tall and
// centred at the origin (the emblem animation and the icon share them).
float EmblemLetterDistance(float x, float y);

// The frame generators, one per animation.
std::vector<Canvas> RenderItem(int size, int frames);
std::vector<Canvas> RenderKone(int size, int frames);
std::vector<Canvas> RenderEmblem(int size, int frames);
std::vector<Canvas> RenderPullo(int size, int frames);
std::vector<Canvas> RenderKelmu(int size, int frames);
std::vector<Canvas> RenderMina(int size, int frames);

}  // namespace art
