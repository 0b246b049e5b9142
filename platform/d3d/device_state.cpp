#include "platform/d3d/device_state.h"

#include <cstring>

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

namespace {

struct SurfaceHeader {
  std::int32_t scale;
  std::int32_t trueColour;
};

// A true-colour surface's picture is its widened texels; a 16-bit one's its R5G6B5 texels.
std::size_t PictureBytes(const Texture& texture, int scale) {
  const std::size_t texels = static_cast<std::size_t>(texture.logicalWidth()) * scale *
                             texture.logicalHeight() * scale;
  return texels * (texture.trueColour() ? sizeof(std::uint32_t) : sizeof(std::uint16_t));
}

}  // namespace

std::vector<std::uint8_t> SaveSurface(IDirectDrawSurface7* surface) {
  Texture* texture = surface ? surface->texture() : nullptr;
  if (!texture) return {};
  const SurfaceHeader header{texture->scale(), texture->trueColour() ? 1 : 0};
  const auto* picture = texture->trueColour() ? static_cast<const void*>(texture->widened())
                                              : static_cast<const void*>(texture->pixels());
  std::vector<std::uint8_t> bytes(sizeof header + PictureBytes(*texture, header.scale));
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + sizeof header, picture, bytes.size() - sizeof header);
  return bytes;
}

bool SurfaceFits(IDirectDrawSurface7* surface, std::span<const std::uint8_t> bytes) {
  Texture* texture = surface ? surface->texture() : nullptr;
  if (!texture) return bytes.empty();
  SurfaceHeader header{};
  if (bytes.size() < sizeof header) return false;
  std::memcpy(&header, bytes.data(), sizeof header);
  return header.scale >= 1 && header.scale <= texture->maxScale() &&
         header.trueColour == (texture->trueColour() ? 1 : 0) &&
         bytes.size() == sizeof header + PictureBytes(*texture, header.scale);
}

bool RestoreSurface(IDirectDrawSurface7* surface, std::span<const std::uint8_t> bytes) {
  if (!SurfaceFits(surface, bytes)) return false;
  Texture* texture = surface ? surface->texture() : nullptr;
  if (!texture) return true;
  SurfaceHeader header{};
  std::memcpy(&header, bytes.data(), sizeof header);
  texture->SetScale(header.scale);
  auto* picture = texture->trueColour() ? static_cast<void*>(texture->widened())
                                        : static_cast<void*>(texture->pixels());
  std::memcpy(picture, bytes.data() + sizeof header, bytes.size() - sizeof header);
  if (texture->trueColour()) {
    texture->Narrow(0, texture->height());
  } else {
    texture->Widen();
  }
  return true;
}

}  // namespace platform
