// The graphics objects: made once by GraphicsStartup and kept for the whole run. The context and
// the device are shared with every drawing routine, the back buffer with the feedback copy.
#pragma once

#include "platform/d3d/d3dx.h"

extern ID3DXContext* Context;
extern IDirect3DDevice7* Device;
extern IDirect3D7* Direct3D;
extern IDirectDraw7* DirectDraw;
extern IDirectDrawSurface7* PrimarySurface;
extern IDirectDrawSurface7* BackBuffer;

// Opens the context with the given flags and sets the render states every scene relies on.
bool GraphicsStartup(HWND window, DWORD contextFlags);
// Releases back buffer, primary, Direct3D, device and DirectDraw, in that order; closes D3DX.
void GraphicsShutdown();
