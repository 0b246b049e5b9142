// The D3DX context: one at a time, over the process-wide software device.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/d3d/call_recorder.h"
#include "platform/d3d/d3dx.h"
#include "platform/d3d/debug_font.h"
#include "platform/d3d/presenter.h"
#include "platform/d3d/software_device.h"
#include "platform/win32/platform_mode.h"

namespace {

// The start-up perspective: near 1, far 10000.
constexpr float kNear = 1.0f, kFar = 10000.0f;
constexpr float kProjection22 = 0.6173696f;

struct ContextState {
  bool initialized = false;
  bool alive = false;
  ULONG references = 0;
  std::string presenterFailure;  // the cause behind D3DXERR_NODIRECTDRAWAVAILABLE
};

ContextState state;

// The interfaces live as long as the process, so pointers handed out stay valid across contexts.
struct Interfaces {
  IDirect3DDevice7 device{&SoftwareDevice::Instance()};
  IDirect3D7 direct3d;
  IDirectDraw7 directDraw;
  Texture shownFrame{SoftwareDevice::kWidth, SoftwareDevice::kHeight};
  IDirectDrawSurface7 primary{&shownFrame, true};
  IDirectDrawSurface7 backBuffer{&SoftwareDevice::Instance().backBuffer(), true};
  ID3DXContext context;
};

Interfaces& Objects() {
  static Interfaces objects;
  return objects;
}

D3DMATRIX StartupProjection() {
  D3DMATRIX m{};
  m._22 = kProjection22;
  m._11 = 0.75f * kProjection22;
  m._33 = kFar / (kFar - kNear);
  m._34 = 1.0f;
  m._43 = -kNear * kFar / (kFar - kNear);
  return m;
}

void DestroyContext() {
  if (!state.alive) return;
  ClosePresenter();
  state.alive = false;
  state.references = 0;
}

const char* ErrorText(HRESULT result) {
  switch (result) {
    case S_OK: return "No error";
    case D3DXERR_NODIRECTDRAWAVAILABLE:
      return state.presenterFailure.empty() ? "No DirectDraw available" : state.presenterFailure.c_str();
    case D3DXERR_NODIRECT3DDEVICEAVAILABLE: return "No Direct3D device available";
    case D3DXERR_INVALIDPARAMETER: return "Invalid parameter";
    case D3DXERR_NOTINITIALIZED: return "D3DX not initialized";
    case D3DXERR_STARTUPFAILED: return "D3DX start-up failed";
    case D3DXERR_TEXTURENOTFOUND: return "Texture not found";
    case DDERR_INVALIDPARAMS: return "Invalid parameters";
    case DDERR_OUTOFMEMORY: return "Out of memory";
  }
  return "Unknown error";
}

}  // namespace

HRESULT D3DXInitialize() {
  state.initialized = true;
  return S_OK;
}

HRESULT D3DXUninitialize() {
  DestroyContext();
  state.initialized = false;
  return S_OK;
}

HRESULT D3DXCreateContextEx(DWORD /*deviceIndex*/, DWORD /*flags*/, HWND /*window*/,
                            HWND /*focusWindow*/, DWORD colourBits, DWORD /*alphaBits*/,
                            DWORD /*depthBits*/, DWORD /*stencilBits*/, DWORD backBufferCount,
                            DWORD width, DWORD height, DWORD /*refreshRate*/,
                            ID3DXContext** context) {
  if (!context) return D3DXERR_INVALIDPARAMETER;
  *context = nullptr;
  if (!state.initialized) return D3DXERR_NOTINITIALIZED;
  bool nativeSize = (width == SoftwareDevice::kWidth || width == D3DX_DEFAULT) &&
                    (height == SoftwareDevice::kHeight || height == D3DX_DEFAULT);
  if (!nativeSize || (colourBits != 16 && colourBits != D3DX_DEFAULT) ||
      (backBufferCount != 1 && backBufferCount != D3DX_DEFAULT)) {
    return D3DXERR_INVALIDPARAMETER;
  }
  DestroyContext();
  // The rendering is chosen before the presenter opens, which shows frames of its size.
  SoftwareDevice& device = SoftwareDevice::Instance();
  const platform::PlatformMode& mode = platform::Mode();
  device.Configure(mode.renderScale, mode.colourBits == 32);
  Texture& shown = Objects().shownFrame;
  if (shown.scale() != device.scale() || shown.trueColour() != device.trueColour()) {
    shown = Texture(SoftwareDevice::kWidth, SoftwareDevice::kHeight, device.scale(), device.trueColour());
    shown.SetScale(device.scale());
  }
  if (!OpenPresenter(state.presenterFailure)) return D3DXERR_NODIRECTDRAWAVAILABLE;
  device.Reset();
  *device.transform(D3DTRANSFORMSTATE_PROJECTION) = StartupProjection();
  state.alive = true;
  state.references = 1;
  *context = &Objects().context;
  return S_OK;
}

HRESULT D3DXGetErrorString(HRESULT result, DWORD bufferSize, char* buffer) {
  if (!buffer || bufferSize == 0) return D3DXERR_INVALIDPARAMETER;
  const char* text = ErrorText(result);
  std::size_t length = std::min<std::size_t>(std::strlen(text), bufferSize - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return S_OK;
}

IDirect3DDevice7* ID3DXContext::GetD3DDevice() {
  Objects().device.AddRef();
  return &Objects().device;
}

IDirect3D7* ID3DXContext::GetD3D() {
  Objects().direct3d.AddRef();
  return &Objects().direct3d;
}

IDirectDraw7* ID3DXContext::GetDD() {
  Objects().directDraw.AddRef();
  return &Objects().directDraw;
}

IDirectDrawSurface7* ID3DXContext::GetPrimary() {
  Objects().primary.AddRef();
  return &Objects().primary;
}

IDirectDrawSurface7* ID3DXContext::GetBackBuffer(DWORD which) {
  if (which != 0) return nullptr;
  Objects().backBuffer.AddRef();
  return &Objects().backBuffer;
}

HRESULT ID3DXContext::Clear(DWORD flags) {
  d3drec::Call call(d3drec::Call::Kind::Clear);
  call.value = flags;
  d3drec::Append(std::move(call));
  if (d3drec::Rasterizing()) SoftwareDevice::Instance().Clear(flags);
  return S_OK;
}

HRESULT ID3DXContext::UpdateFrame(DWORD /*flags*/) {
  SoftwareDevice& device = SoftwareDevice::Instance();
  const std::size_t count = static_cast<std::size_t>(device.frameWidth()) * device.frameHeight();
  Texture& frame = device.backBuffer();
  if (device.trueColour()) {
    std::copy_n(frame.widened(), count, Objects().shownFrame.widened());
    // True-colour frames travel as their 32-bit words (platform::CurrentFrameLayout).
    PresentFrame(reinterpret_cast<const std::uint16_t*>(frame.widened()));
  } else {
    std::copy_n(frame.pixels(), count, Objects().shownFrame.pixels());
    PresentFrame(frame.pixels());
  }
  return S_OK;
}

HRESULT ID3DXContext::DrawDebugText(float x, float y, D3DCOLOR colour, const char* text) {
  if (!text) return D3DXERR_INVALIDPARAMETER;
  SoftwareDevice& device = SoftwareDevice::Instance();
  Texture& target = device.backBuffer();
  // Placed in screen pixels, then drawn at the frame's scale so the text keeps its size.
  const int scale = device.scale();
  const FontTarget font{device.trueColour() ? nullptr : target.pixels(),
                        device.trueColour() ? target.widened() : nullptr, target.width(), target.height(), scale};
  DrawFontText(font, static_cast<int>(x * static_cast<float>(SoftwareDevice::kWidth)) * scale,
               static_cast<int>(y * static_cast<float>(SoftwareDevice::kHeight)) * scale, colour, text);
  return S_OK;
}

ULONG ID3DXContext::AddRef() { return ++state.references; }

ULONG ID3DXContext::Release() {
  if (state.references == 0) return 0;
  if (--state.references == 0) DestroyContext();
  return state.references;
}
