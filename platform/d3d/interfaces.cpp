// The COM-style interfaces of the stand-in: argument checks, the call recorder, then the device.
#include <cstring>
#include <utility>

#include "platform/d3d/call_recorder.h"
#include "platform/d3d/draw_queue.h"
#include "platform/d3d/software_device.h"
#include "platform/d3d/texture.h"

namespace {

using Kind = d3drec::Call::Kind;

d3drec::Call MakeCall(Kind kind, DWORD state = 0, DWORD value = 0) {
  d3drec::Call call(kind);
  call.state = state;
  call.value = value;
  return call;
}

d3drec::Call MakeDrawCall(Kind kind, SoftwareDevice& device) {
  d3drec::Call call = MakeCall(kind);
  call.texture = device.boundTexture();
  call.matrix = *device.transform(D3DTRANSFORMSTATE_PROJECTION);
  d3drec::RenderStates& s = call.states;
  s.alphaBlend = device.renderState(D3DRENDERSTATE_ALPHABLENDENABLE);
  s.srcBlend = device.renderState(D3DRENDERSTATE_SRCBLEND);
  s.destBlend = device.renderState(D3DRENDERSTATE_DESTBLEND);
  s.zEnable = device.renderState(D3DRENDERSTATE_ZENABLE);
  s.zWrite = device.renderState(D3DRENDERSTATE_ZWRITEENABLE);
  s.colorKey = device.renderState(D3DRENDERSTATE_COLORKEYENABLE);
  s.specular = device.renderState(D3DRENDERSTATE_SPECULARENABLE);
  s.cullMode = device.renderState(D3DRENDERSTATE_CULLMODE);
  return call;
}

}  // namespace

Texture* IDirectDrawSurface7::texture() {
  FlushDraws();
  return texture_;
}

HRESULT IDirectDrawSurface7::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
  FlushDraws();  // queued draws keep the keys they were drawn with
  if (flags == DDCKEY_SRCBLT) {
    // Keys are compared with 16-bit texels: 0x02020202 is the pixel value 0x0202.
    texture_->hasSourceKey = key != nullptr;
    texture_->sourceKeyLow = key ? static_cast<std::uint16_t>(key->dwColorSpaceLowValue) : 0;
    texture_->sourceKeyHigh = key ? static_cast<std::uint16_t>(key->dwColorSpaceHighValue) : 0;
  } else {
    texture_->hasDestinationKey = key != nullptr;
    texture_->destinationKey = key ? *key : DDCOLORKEY{};
  }
  return DD_OK;
}

ULONG IDirectDrawSurface7::AddRef() { return ++references_; }

ULONG IDirectDrawSurface7::Release() {
  if (references_ == 0) return 0;
  ULONG left = --references_;
  if (left == 0 && !permanent_) {
    FlushDraws();
    delete texture_;
    delete this;
  }
  return left;
}

HRESULT IDirect3DDevice7::BeginScene() {
  d3drec::Append(MakeCall(Kind::BeginScene));
  return D3D_OK;
}

HRESULT IDirect3DDevice7::EndScene() {
  d3drec::Append(MakeCall(Kind::EndScene));
  return D3D_OK;
}

HRESULT IDirect3DDevice7::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  d3drec::Append(MakeCall(Kind::SetRenderState, state, value));
  return device_->SetRenderState(state, value) ? D3D_OK : DDERR_INVALIDPARAMS;
}

HRESULT IDirect3DDevice7::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || state >= SoftwareDevice::kRenderStateCount) return DDERR_INVALIDPARAMS;
  *value = device_->renderState(state);
  return D3D_OK;
}

HRESULT IDirect3DDevice7::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                               DWORD value) {
  if (stage != 0) return DDERR_INVALIDPARAMS;
  d3drec::Append(MakeCall(Kind::SetTextureStageState, state, value));
  return device_->SetTextureStageState(state, value) ? D3D_OK : DDERR_INVALIDPARAMS;
}

HRESULT IDirect3DDevice7::SetTexture(DWORD stage, IDirectDrawSurface7* texture) {
  if (stage != 0) return DDERR_INVALIDPARAMS;
  d3drec::Call call = MakeCall(Kind::SetTexture);
  call.texture = texture;
  d3drec::Append(std::move(call));
  device_->BindTexture(texture);
  return D3D_OK;
}

HRESULT IDirect3DDevice7::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  D3DMATRIX* target = device_->transform(state);
  if (!matrix || !target) return DDERR_INVALIDPARAMS;
  d3drec::Call call = MakeCall(Kind::SetTransform, state);
  call.matrix = *matrix;
  d3drec::Append(std::move(call));
  *target = *matrix;
  return D3D_OK;
}

HRESULT IDirect3DDevice7::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  D3DMATRIX* source = device_->transform(state);
  if (!matrix || !source) return DDERR_INVALIDPARAMS;
  *matrix = *source;
  return D3D_OK;
}

HRESULT IDirect3DDevice7::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                                        DWORD vertexCount, DWORD /*flags*/) {
  if (type != D3DPT_TRIANGLESTRIP || vertexFormat != D3DFVF_TLVERTEX) return DDERR_INVALIDPARAMS;
  if (!vertices && vertexCount > 0) return DDERR_INVALIDPARAMS;
  const auto* tl = static_cast<const D3DTLVERTEX*>(vertices);
  if (d3drec::Recording()) {
    d3drec::Call call = MakeDrawCall(Kind::DrawPrimitive, *device_);
    call.tlVertices.assign(tl, tl + vertexCount);
    d3drec::Append(std::move(call));
  }
  if (d3drec::Rasterizing()) device_->DrawTriangleStrip(tl, vertexCount);
  return D3D_OK;
}

HRESULT IDirect3DDevice7::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                               void* vertices, DWORD vertexCount, WORD* indices,
                                               DWORD indexCount, DWORD /*flags*/) {
  if (type != D3DPT_TRIANGLELIST || vertexFormat != D3DFVF_LVERTEX) return DDERR_INVALIDPARAMS;
  if ((!vertices && vertexCount > 0) || (!indices && indexCount > 0)) return DDERR_INVALIDPARAMS;
  const auto* lit = static_cast<const D3DLVERTEX*>(vertices);
  if (d3drec::Recording()) {
    d3drec::Call call = MakeDrawCall(Kind::DrawIndexedPrimitive, *device_);
    call.lVertices.assign(lit, lit + vertexCount);
    call.indices.assign(indices, indices + indexCount);
    d3drec::Append(std::move(call));
  }
  if (d3drec::Rasterizing()) device_->DrawIndexedTriangleList(lit, vertexCount, indices, indexCount);
  return D3D_OK;
}

// The device, the Direct3D and DirectDraw objects live as long as the process (the context resets
// them); their counts only mirror the references handed out.
ULONG IDirect3DDevice7::AddRef() { return ++references_; }
ULONG IDirect3DDevice7::Release() { return references_ > 0 ? --references_ : 0; }
ULONG IDirect3D7::AddRef() { return ++references_; }
ULONG IDirect3D7::Release() { return references_ > 0 ? --references_ : 0; }
ULONG IDirectDraw7::AddRef() { return ++references_; }
ULONG IDirectDraw7::Release() { return references_ > 0 ? --references_ : 0; }
