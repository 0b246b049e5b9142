#include "platform/d3d/device_state.h"

#include "platform/d3d/software_device.h"
#include "platform/d3d/texture.h"

namespace platform {

static_assert(DeviceRenderStateCount == SoftwareDevice::kRenderStateCount);

bool SaveDeviceState(std::span<IDirectDrawSurface7* const> surfaces, DeviceState& state) {
  SoftwareDevice& device = SoftwareDevice::Instance();
  for (DWORD i = 0; i < DeviceRenderStateCount; ++i) {
    state.renderStates[i] = device.renderState(static_cast<D3DRENDERSTATETYPE>(i));
  }
  state.world = *device.transform(D3DTRANSFORMSTATE_WORLD);
  state.view = *device.transform(D3DTRANSFORMSTATE_VIEW);
  state.projection = *device.transform(D3DTRANSFORMSTATE_PROJECTION);
  state.boundTexture = -1;
  IDirectDrawSurface7* bound = device.boundTexture();
  if (!bound) return true;
  for (std::size_t i = 0; i < surfaces.size(); ++i) {
    if (surfaces[i] == bound) {
      state.boundTexture = static_cast<std::int32_t>(i);
      return true;
    }
  }
  return false;
}

bool RestoreDeviceState(const DeviceState& state, std::span<IDirectDrawSurface7* const> surfaces) {
  if (state.boundTexture < -1 || state.boundTexture >= static_cast<std::int32_t>(surfaces.size())) {
    return false;
  }
  SoftwareDevice& device = SoftwareDevice::Instance();
  for (DWORD i = 0; i < DeviceRenderStateCount; ++i) {
    device.SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), state.renderStates[i]);
  }
  *device.transform(D3DTRANSFORMSTATE_WORLD) = state.world;
  *device.transform(D3DTRANSFORMSTATE_VIEW) = state.view;
  *device.transform(D3DTRANSFORMSTATE_PROJECTION) = state.projection;
  device.BindTexture(state.boundTexture < 0 ? nullptr : surfaces[state.boundTexture]);
  return true;
}

std::span<std::uint16_t> SurfacePixels(IDirectDrawSurface7* surface) {
  Texture* texture = surface ? surface->texture() : nullptr;
  if (!texture) return {};
  return {texture->pixels(), static_cast<std::size_t>(texture->width()) * texture->height()};
}

void SurfaceWritten(IDirectDrawSurface7* surface) {
  if (Texture* texture = surface ? surface->texture() : nullptr) texture->Widen();
}

}  // namespace platform
