// The D3DX utility library stand-in: the context (device, back buffer, presentation), texture
// creation and loading with conversion to R5G6B5, and error strings.
//
// One context exists at a time. UpdateFrame hands the finished frame to the presenter of the
// platform mode (an SDL2 window, or headless with the frame sink of platform_mode.h) and, with the
// virtual clock, advances it by one frame.
#pragma once

#include "platform/d3d/d3d7.h"

constexpr DWORD D3DX_DEFAULT = 0xFFFFFFFF;
constexpr DWORD D3DX_CONTEXT_FULLSCREEN = 0x1;

enum D3DX_SURFACEFORMAT : DWORD {
  D3DX_SF_UNKNOWN = 0,
  D3DX_SF_X8R8G8B8 = 3,
  D3DX_SF_R5G6B5 = 4,
};

enum D3DX_FILTERTYPE : DWORD {
  D3DX_FT_POINT = 0x01,
  D3DX_FT_LINEAR = 0x02,
};

constexpr HRESULT D3DXERR_NODIRECTDRAWAVAILABLE = static_cast<HRESULT>(0x8876080B);
constexpr HRESULT D3DXERR_NODIRECT3DDEVICEAVAILABLE = static_cast<HRESULT>(0x8876080E);
constexpr HRESULT D3DXERR_INVALIDPARAMETER = static_cast<HRESULT>(0x8876080F);
constexpr HRESULT D3DXERR_NOTINITIALIZED = static_cast<HRESULT>(0x88760806);
constexpr HRESULT D3DXERR_STARTUPFAILED = static_cast<HRESULT>(0x88760807);
constexpr HRESULT D3DXERR_TEXTURENOTFOUND = static_cast<HRESULT>(0x88760825);

class ID3DXContext {
 public:
  IDirect3DDevice7* GetD3DDevice();
  IDirect3D7* GetD3D();
  IDirectDraw7* GetDD();
  IDirectDrawSurface7* GetPrimary();
  IDirectDrawSurface7* GetBackBuffer(DWORD which);
  HRESULT Clear(DWORD flags);
  HRESULT UpdateFrame(DWORD flags);
  // x and y in 0..1 of the screen; text in the project's own 8 x 8 bitmap font.
  HRESULT DrawDebugText(float x, float y, D3DCOLOR colour, const char* text);
  ULONG AddRef();
  ULONG Release();
};

HRESULT D3DXInitialize();
HRESULT D3DXUninitialize();
HRESULT D3DXCreateContextEx(DWORD deviceIndex, DWORD flags, HWND window, HWND focusWindow,
                            DWORD colourBits, DWORD alphaBits, DWORD depthBits, DWORD stencilBits,
                            DWORD backBufferCount, DWORD width, DWORD height, DWORD refreshRate,
                            ID3DXContext** context);
HRESULT D3DXGetErrorString(HRESULT result, DWORD bufferSize, char* buffer);

// width, height and format are in-out: they receive what was created.
HRESULT D3DXCreateTexture(IDirect3DDevice7* device, DWORD* flags, DWORD* width, DWORD* height,
                          D3DX_SURFACEFORMAT* format, PALETTEENTRY* palette,
                          IDirectDrawSurface7** texture, DWORD* mipMapCount);
// sourceName is a resource id (MAKEINTRESOURCEA): the texture holds that bitmap resource.
HRESULT D3DXCreateTextureFromFile(IDirect3DDevice7* device, DWORD* flags, DWORD* width,
                                  DWORD* height, D3DX_SURFACEFORMAT* format, PALETTEENTRY* palette,
                                  IDirectDrawSurface7** texture, DWORD* mipMapCount,
                                  const char* sourceName, D3DX_FILTERTYPE filter);
// Packed R5G6B5 or X8R8G8B8 rows (pitch 0 = packed at the texture's width) into the whole level.
HRESULT D3DXLoadTextureFromMemory(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                                  DWORD mipLevel, void* source, PALETTEENTRY* palette,
                                  D3DX_SURFACEFORMAT sourceFormat, DWORD sourcePitch,
                                  RECT* destination, D3DX_FILTERTYPE filter);
// Point filtering samples the source at the centre of each target texel.
HRESULT D3DXLoadTextureFromSurface(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                                   DWORD mipLevel, IDirectDrawSurface7* source, RECT* sourceRect,
                                   RECT* destinationRect, D3DX_FILTERTYPE filter);
