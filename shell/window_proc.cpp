#include "shell/shell.h"

std::uint8_t QuitFlag = 0;
std::uint8_t StatsOverlay = 0;

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR) {
    SetCursor(nullptr);
    return TRUE;
  }
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) QuitFlag = 1;
  if (message == WM_KEYDOWN && wParam == VK_HOME) StatsOverlay ^= 1;
  return DefWindowProcA(window, message, wParam, lParam);
}
