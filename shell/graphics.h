// Start-up and shutdown of the graphics objects (declared in core/shared.h), made once and kept
// for the whole run.
#pragma once

#include "core/shared.h"

// Opens the context with the given flags and sets the render states every scene relies on.
bool GraphicsStartup(HWND window, DWORD contextFlags);
// Releases back buffer, primary, Direct3D, device and DirectDraw, in that order; closes D3DX.
void GraphicsShutdown();
