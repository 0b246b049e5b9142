#include "shell/graphics.h"

ID3DXContext* Context = nullptr;
IDirect3DDevice7* Device = nullptr;
IDirect3D7* Direct3D = nullptr;
IDirectDraw7* DirectDraw = nullptr;
IDirectDrawSurface7* PrimarySurface = nullptr;
IDirectDrawSurface7* BackBuffer = nullptr;

namespace {

// What the context's own perspective is widened by, on both axes.
constexpr float ProjectionWidening = 1.3955555f;

void SetDefaultStates() {
  Device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  Device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  Device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
  Device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
  Device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  Device->SetRenderState(D3DRENDERSTATE_CLIPPING, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
}

void WidenProjection() {
  D3DMATRIX projection;
  Device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
  projection._11 += ProjectionWidening;
  projection._22 += ProjectionWidening;
  Device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
}

}  // namespace

bool GraphicsStartup(HWND window, DWORD contextFlags) {
  const HRESULT result =
      D3DXCreateContextEx(D3DX_DEFAULT, contextFlags, window, nullptr, 16, D3DX_DEFAULT,
                          D3DX_DEFAULT, D3DX_DEFAULT, 1, 640, 480, D3DX_DEFAULT, &Context);
  char text[40];
  D3DXGetErrorString(result, sizeof text, text);
  if (result != S_OK) {
    MessageBoxA(window, text, "It wont work! Reboot might help?", MB_OK);
    return false;
  }
  Device = Context->GetD3DDevice();
  Direct3D = Context->GetD3D();
  DirectDraw = Context->GetDD();
  PrimarySurface = Context->GetPrimary();
  BackBuffer = Context->GetBackBuffer(0);
  SetDefaultStates();
  WidenProjection();
  return true;
}

void GraphicsShutdown() {
  BackBuffer->Release();
  PrimarySurface->Release();
  Direct3D->Release();
  Device->Release();
  DirectDraw->Release();
  D3DXUninitialize();
}
