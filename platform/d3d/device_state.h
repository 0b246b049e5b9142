// The software device's state between two frames as plain values: every render state, the three
// transforms and which surface is bound, plus the pixels of any surface. Snapshots of the demo
// save it and put it back; drawing never uses this. The depth buffer is not part of it: every
// frame clears it before drawing. Demo thread only, between frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/d3d/d3d7.h"

namespace platform {

constexpr int DeviceRenderStateCount = 256;

struct DeviceState {
  std::array<DWORD, DeviceRenderStateCount> renderStates;
  D3DMATRIX world, view, projection;
  std::int32_t boundTexture;  // place in the surface list given, -1 for none
};

// False when a texture outside `surfaces` is bound.
bool SaveDeviceState(std::span<IDirectDrawSurface7* const> surfaces, DeviceState& state);
// False, changing nothing, when the bound-texture place lies outside `surfaces`.
bool RestoreDeviceState(const DeviceState& state, std::span<IDirectDrawSurface7* const> surfaces);

// The R5G6B5 pixels of a texture or of the back buffer, rows packed; call SurfaceWritten after
// changing them, so that drawing samples the new pixels.
std::span<std::uint16_t> SurfacePixels(IDirectDrawSurface7* surface);
void SurfaceWritten(IDirectDrawSurface7* surface);

}  // namespace platform
