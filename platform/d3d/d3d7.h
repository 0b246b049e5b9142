// The Direct3D 7 and DirectDraw 7 stand-in: a software device with Direct3D 7's names, arguments
// and results, and only the operations the demo uses.
//
// Owns the back buffer (640 x 480 R5G6B5, or larger and in true colour in a high-definition
// rendering: software_device.h), the 16-bit depth buffer and every texture surface.
// All calls come from the demo's one thread; a draw may be spread over worker threads inside the
// device, with the same picture bit for bit for any thread count (KORVO_THREADS).
// Glossary: TL vertex = transformed and lit, already in screen pixels (pixel centres at integer
// coordinates); L vertex = lit but untransformed, projected by the projection transform only.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

using D3DCOLOR = DWORD;  // 0x00RRGGBB; alpha unused
using D3DVALUE = float;

struct D3DMATRIX {  // row vectors: a point is multiplied from the left
  float _11, _12, _13, _14;
  float _21, _22, _23, _24;
  float _31, _32, _33, _34;
  float _41, _42, _43, _44;
};

struct D3DTLVERTEX {
  float sx, sy, sz;  // screen pixels, depth 0..1
  float rhw;         // 1 / w
  D3DCOLOR color;
  D3DCOLOR specular;
  float tu, tv;
};

struct D3DLVERTEX {
  float x, y, z;  // camera space
  DWORD dwReserved;
  D3DCOLOR color;
  D3DCOLOR specular;
  float tu, tv;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct PALETTEENTRY {
  BYTE peRed, peGreen, peBlue, peFlags;
};

enum D3DRENDERSTATETYPE : DWORD {
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_CLIPPING = 136,
  D3DRENDERSTATE_LIGHTING = 137,
};

enum D3DTEXTURESTAGESTATETYPE : DWORD {
  D3DTSS_COLOROP = 1,
  D3DTSS_ADDRESS = 12,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
};

enum D3DTRANSFORMSTATETYPE : DWORD {
  D3DTRANSFORMSTATE_WORLD = 1,
  D3DTRANSFORMSTATE_VIEW = 2,
  D3DTRANSFORMSTATE_PROJECTION = 3,
};

enum D3DPRIMITIVETYPE : DWORD {
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
};

constexpr DWORD D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3;
constexpr DWORD D3DZB_FALSE = 0, D3DZB_TRUE = 1;
constexpr DWORD D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2;
constexpr DWORD D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DCMP_LESSEQUAL = 4;
constexpr DWORD D3DTFG_POINT = 1, D3DTFG_LINEAR = 2;
constexpr DWORD D3DTFN_POINT = 1, D3DTFN_LINEAR = 2;

constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_RESERVED1 = 0x020;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_LVERTEX = D3DFVF_XYZ | D3DFVF_RESERVED1 | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
constexpr DWORD D3DFVF_TLVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;

constexpr DWORD DDCKEY_DESTBLT = 0x2;
constexpr DWORD DDCKEY_SRCBLT = 0x8;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);

class SoftwareDevice;  // platform/d3d internals
class Texture;

// A texture, or the primary surface and back buffer.
class IDirectDrawSurface7 {
 public:
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
  ULONG AddRef();
  ULONG Release();

  // The texels, for reading or writing them: draws still queued are rasterized first.
  Texture* texture();
  // The texels a draw queued now will sample (the device's own use).
  const Texture* sampledTexture() const { return texture_; }
  // A permanent surface (primary, back buffer) belongs to the device and outlives its references;
  // any other is deleted, with its texture, by the last Release.
  explicit IDirectDrawSurface7(Texture* texture, bool permanent = false)
      : texture_(texture), permanent_(permanent) {}

 private:
  Texture* texture_;
  bool permanent_;
  ULONG references_ = 1;
};

class IDirect3DDevice7 {
 public:
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value);
  HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture);
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix);
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix);
  // Transformed, lit triangle strips (D3DFVF_TLVERTEX).
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices, DWORD vertexCount,
                        DWORD flags);
  // Lit, untransformed triangle lists (D3DFVF_LVERTEX) with 16-bit indices.
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                               DWORD vertexCount, WORD* indices, DWORD indexCount, DWORD flags);
  ULONG AddRef();
  ULONG Release();

  explicit IDirect3DDevice7(SoftwareDevice* device) : device_(device) {}
  SoftwareDevice* device() { return device_; }

 private:
  SoftwareDevice* device_;
  ULONG references_ = 1;
};

class IDirect3D7 {
 public:
  ULONG AddRef();
  ULONG Release();

 private:
  ULONG references_ = 1;
};

class IDirectDraw7 {
 public:
  ULONG AddRef();
  ULONG Release();

 private:
  ULONG references_ = 1;
};
