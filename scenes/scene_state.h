// Everything the scenes and the toolkit under them carry from one frame to the next, listed in one
// place: the scene variables, the animation hand-offs, the object drawer's and the quad's
// parameters, the lights and the last decoded picture. A snapshot of the demo saves these fields
// as bytes and puts them back; the scenes themselves never use the list.
//
// Not listed: the device (render states, transforms, bound texture, surfaces) and the timeline,
// which have owners of their own, and buffers every frame rewrites before reading.
#pragma once

#include <cstddef>
#include <span>

#include "core/shared.h"

struct SceneStateField {
  const char* name;
  void* data;
  std::size_t size;
};

// Every carried field, in a fixed order; FramePostProcess is not among them (a code address),
// see the two functions below.
std::span<const SceneStateField> SceneStateFields();

// FramePostProcess as its place among the known callbacks (0 is NoPostProcess), -1 if unknown.
int PostProcessIndex(PostProcessRoutine routine);
// The callback at that place, or nullptr for an index out of range.
PostProcessRoutine PostProcessAt(int index);
