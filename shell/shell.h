// The demo shell: program entry, window procedure, the frame loop with its overlay, and the
// sound library's start and stop. Everything here runs on the one thread that enters WinMain.
#pragma once

#include <cstdint>

#include "core/shared.h"
#include "platform/win32/win32.h"

// Tick count taken just before the first frame: zero of the overlay clock and of the first
// frame's FrameDelta.
extern DWORD StartTick;

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the sound library's error, closes it and the graphics, and posts the quit message.
void MidasFailure(HWND window);
// True once MidasFailure has run: the sound library is closed and must not be called again.
bool MidasFailed();
