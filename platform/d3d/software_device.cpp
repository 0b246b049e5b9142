#include "platform/d3d/software_device.h"

#include <algorithm>
#include <cassert>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/near_far_clip.h"

namespace {

constexpr D3DMATRIX kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void UnpackColour(D3DCOLOR colour, float q, float* rgb) {
  rgb[0] = static_cast<float>((colour >> 16) & 0xFF) * q;
  rgb[1] = static_cast<float>((colour >> 8) & 0xFF) * q;
  rgb[2] = static_cast<float>(colour & 0xFF) * q;
}

// scale: the frame's pixels per screen pixel (1 keeps the coordinates exactly).
ScreenVertex FromTransformed(const D3DTLVERTEX& t, float scale) {
  ScreenVertex v{t.sx * scale, t.sy * scale, t.sz, t.rhw, {}};
  v.attributes[0] = t.tu * t.rhw;
  v.attributes[1] = t.tv * t.rhw;
  UnpackColour(t.color, t.rhw, v.attributes + 2);
  UnpackColour(t.specular, t.rhw, v.attributes + 5);
  return v;
}

}  // namespace

SoftwareDevice::SoftwareDevice() : backBuffer_(kWidth, kHeight), depth_(kWidth * kHeight, 0xFFFF) {
  Reset();
}

// The workers may still be writing the frame and the depth buffer.
SoftwareDevice::~SoftwareDevice() { FlushDraws(); }

SoftwareDevice& SoftwareDevice::Instance() {
  static SoftwareDevice device;
  return device;
}

void SoftwareDevice::Configure(int scale, bool trueColour) {
  scale = std::clamp(scale, 1, Texture::kMaxScale);
  if (scale == scale_ && trueColour == trueColour_) return;
  FlushDraws();
  scale_ = scale;
  trueColour_ = trueColour;
  backBuffer_ = Texture(kWidth, kHeight, scale, trueColour);
  backBuffer_.SetScale(scale);
  depth_.assign(static_cast<std::size_t>(frameWidth()) * frameHeight(), 0xFFFF);
}

void SoftwareDevice::Reset() {
  renderStates_.fill(0);
  renderStates_[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = TRUE;
  renderStates_[D3DRENDERSTATE_ZENABLE] = D3DZB_TRUE;  // the context has a depth buffer
  renderStates_[D3DRENDERSTATE_FILLMODE] = 3;          // D3DFILL_SOLID
  renderStates_[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
  renderStates_[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
  renderStates_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates_[D3DRENDERSTATE_CLIPPING] = TRUE;
  renderStates_[D3DRENDERSTATE_LIGHTING] = TRUE;
  BindTexture(nullptr);
  world_ = view_ = projection_ = kIdentity;
  Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
}

bool SoftwareDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= kRenderStateCount) return false;
  // Only the blends the demo draws with are rasterized: none, and ONE/ONE.
  assert(state != D3DRENDERSTATE_SRCBLEND || value == D3DBLEND_ONE);
  assert(state != D3DRENDERSTATE_DESTBLEND || value == D3DBLEND_ONE || value == D3DBLEND_ZERO);
  assert(state != D3DRENDERSTATE_ZFUNC || value == D3DCMP_LESSEQUAL);
  assert(state != D3DRENDERSTATE_FOGENABLE || value == FALSE);
  assert(state != D3DRENDERSTATE_ALPHATESTENABLE || value == FALSE);
  renderStates_[state] = value;
  return true;
}

bool SoftwareDevice::SetTextureStageState(D3DTEXTURESTAGESTATETYPE state, DWORD value) {
  // Sampling is always bilinear with wrapping; the demo only ever asks for that.
  assert(state != D3DTSS_MINFILTER || value == D3DTFN_LINEAR);
  assert(state != D3DTSS_MAGFILTER || value == D3DTFG_LINEAR);
  (void)state;
  (void)value;
  return true;
}

void SoftwareDevice::BindTexture(IDirectDrawSurface7* surface) {
  if (surface == boundTexture_) return;
  if (surface) surface->AddRef();
  if (boundTexture_) boundTexture_->Release();
  boundTexture_ = surface;
}

D3DMATRIX* SoftwareDevice::transform(D3DTRANSFORMSTATETYPE state) {
  switch (state) {
    case D3DTRANSFORMSTATE_WORLD: return &world_;
    case D3DTRANSFORMSTATE_VIEW: return &view_;
    case D3DTRANSFORMSTATE_PROJECTION: return &projection_;
  }
  return nullptr;
}

void SoftwareDevice::Clear(DWORD flags) {
  FlushDraws();
  if (flags & D3DCLEAR_TARGET) {
    const std::size_t count = static_cast<std::size_t>(frameWidth()) * frameHeight();
    if (trueColour_) {
      std::fill_n(backBuffer_.widened(), count, 0);
    } else {
      std::fill_n(backBuffer_.pixels(), count, 0);
    }
  }
  if (flags & D3DCLEAR_ZBUFFER) std::fill(depth_.begin(), depth_.end(), 0xFFFF);
}

DrawSettings SoftwareDevice::settings() const {
  DrawSettings s;
  s.texture = boundTexture_ ? boundTexture_->sampledTexture() : nullptr;
  s.additive = renderStates_[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE &&
               renderStates_[D3DRENDERSTATE_DESTBLEND] == D3DBLEND_ONE;
  s.depthTest = renderStates_[D3DRENDERSTATE_ZENABLE] != D3DZB_FALSE;
  s.depthWrite = s.depthTest && renderStates_[D3DRENDERSTATE_ZWRITEENABLE] != FALSE;
  s.colourKey = renderStates_[D3DRENDERSTATE_COLORKEYENABLE] != FALSE && s.texture &&
                s.texture->hasSourceKey;
  s.specular = renderStates_[D3DRENDERSTATE_SPECULARENABLE] != FALSE;
  s.cullMode = renderStates_[D3DRENDERSTATE_CULLMODE];
  return s;
}

void SoftwareDevice::DrawTriangleStrip(const D3DTLVERTEX* vertices, DWORD count) {
  batch_.Clear();
  const float scale = static_cast<float>(scale_);
  for (DWORD i = 0; i < count; ++i) batch_.AddVertex(FromTransformed(vertices[i], scale));
  // Odd triangles of a strip run the other way round; swapping two keeps every winding alike.
  for (DWORD i = 2; i < count; ++i) {
    int a = static_cast<int>(i - 2), b = static_cast<int>(i - 1), c = static_cast<int>(i);
    if (i % 2 == 1) std::swap(a, b);
    batch_.AddTriangle(a, b, c);
  }
  DrawSettings s = settings();
  if (s.additive && s.texture && !s.colourKey && count > 0 && CanSkipBlack(*s.texture)) {
    s.liveDiffuse = vertices[0].color & 0xFFFFFF;
    if (s.texture->generation() != liveGeneration_ || s.liveDiffuse != liveDiffuse_) {
      // Testing blocks costs every step; it pays only where a good share of them adds nothing.
      liveWorthTesting_ = FindLiveBlocks(*s.texture, s.liveDiffuse, liveBlocks_) * 4 >= liveBlocks_.size();
      liveGeneration_ = s.texture->generation();
      liveDiffuse_ = s.liveDiffuse;
    }
    if (liveWorthTesting_) s.liveBlocks = liveBlocks_.data();
  }
  QueueDraw(batch_, s, renderTarget());
}

void SoftwareDevice::DrawIndexedTriangleList(const D3DLVERTEX* vertices, DWORD vertexCount,
                                             const WORD* indices, DWORD indexCount) {
  batch_.Clear();
  ClipTrianglesToScreen(vertices, vertexCount, indices, indexCount, projection_,
                        static_cast<float>(frameWidth()), static_cast<float>(frameHeight()), batch_);
  QueueDraw(batch_, settings(), renderTarget());
}

RenderTarget SoftwareDevice::renderTarget() {
  return {backBuffer_.pixels(), depth_.data(), frameWidth(), frameHeight(),
          trueColour_ ? backBuffer_.widened() : nullptr};
}
