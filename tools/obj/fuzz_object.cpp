// libFuzzer target for object files as the demo takes them: the load-time check, then DrawObject
// on the headless software device, which transforms, lights, clips and rasterizes every face.
// Each accepted input is drawn at a few placements the scenes use (near, far, crossing the near
// plane, scaled up), lit and unlit, textured from its normals and from its own coordinates.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/object_check.h"
#include "core/shared.h"
#include "platform/d3d/d3dx.h"
#include "platform/win32/platform_mode.h"
#include "render/object.h"

// The demo's device global; this target has no shell to define it.
IDirect3DDevice7* Device = nullptr;

namespace {

ID3DXContext* context = nullptr;

bool StartDevice() {
  platform::Mode().presentation = platform::Presentation::Headless;
  if (D3DXInitialize() < 0 ||
      D3DXCreateContextEx(D3DX_DEFAULT, D3DX_CONTEXT_FULLSCREEN, nullptr, nullptr, 16, D3DX_DEFAULT, D3DX_DEFAULT,
                          D3DX_DEFAULT, 1, 640, 480, D3DX_DEFAULT, &context) != S_OK) {
    return false;
  }
  Device = context->GetD3DDevice();
  Device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  Device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  Device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  // The demo's projection: the context's own, widened on both axes at start-up.
  D3DMATRIX projection;
  Device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
  projection._11 += 1.3955555f;
  projection._22 += 1.3955555f;
  Device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
  // A 4 x 4 texture with four different corners, so that sampling runs on every face.
  DWORD width = 4, height = 4;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* texture = nullptr;
  if (D3DXCreateTexture(Device, nullptr, &width, &height, &format, nullptr, &texture, nullptr) != S_OK) return false;
  std::uint16_t texels[16];
  for (int k = 0; k < 16; ++k) texels[k] = static_cast<std::uint16_t>(0x0841 * k + (k == 15 ? 0xF800 : 0));
  D3DXLoadTextureFromMemory(Device, texture, 0, texels, nullptr, D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT);
  Device->SetTexture(0, texture);
  return true;
}

struct Placement {
  float x, y, z, scale, yaw, viewYaw, viewPitch;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = StartDevice();
  if (!started) return 0;
  const std::vector<std::uint8_t> image(data, data + size);  // exactly sized, for ASan
  std::string fault;
  if (!CheckObjectImage(image.data(), image.size(), &fault)) return 0;
  static constexpr Placement placements[] = {
      {0, 0, 20, 7.5f, 0, 0, 0},          // the overflow was found here
      {-30, 10, 150, 1, 300, 40, -20},
      {0, -5, 1, 40, 100, 0, 10},         // across the near plane
      {5, 0, 60, 1e6f, 512, 700, 900},    // far beyond the screen
  };
  // Lit with a light that may darken and an ambient term past 255, or unlit, by the input's
  // length, so that each run draws once.
  const bool lit = size % 2 == 1;
  LightCount = lit ? 1 : 0;
  AmbientColour = lit ? ColourRGB{300, -10, 128} : ColourRGB{40, 30, 20};
  Lights[0] = {{10, -20, 5}, 900, 0.5f, 1, 0.8f, 0.6f, 1};
  ForceEnvMap = lit ? 1 : 0;
  context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  Device->BeginScene();
  for (const Placement& p : placements) DrawObject(image.data(), p.x, p.y, p.z, p.scale, p.yaw, p.viewYaw, p.viewPitch);
  Device->EndScene();
  // The device rasterizes queued draws when the frame is next used: use it now, so that a fault
  // is charged to the input that caused it.
  context->UpdateFrame(0);
  return 0;
}
