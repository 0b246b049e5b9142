// The software device's state between two frames as plain values: every render state, the three
// transforms and which surface is bound, plus the picture of any surface. Snapshots of the demo
// save it and put it back; drawing never uses this. The depth buffer is not part of it: every
// frame clears it before drawing. Demo thread only, between frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

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

// A texture or the back buffer as stored: its storage scale and its picture (R5G6B5 texels, or
// 8-bit channels for a true-colour surface) as bytes; empty for no surface.
std::vector<std::uint8_t> SaveSurface(IDirectDrawSurface7* surface);
// True when bytes from SaveSurface fit this surface (its kind, size and largest scale).
bool SurfaceFits(IDirectDrawSurface7* surface, std::span<const std::uint8_t> bytes);
// Puts the picture back, with what drawing samples from it; false, changing nothing, unless it fits.
bool RestoreSurface(IDirectDrawSurface7* surface, std::span<const std::uint8_t> bytes);

}  // namespace platform
