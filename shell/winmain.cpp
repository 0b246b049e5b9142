// Program entry: start-up in its fixed order, the frame loop, and the stop sequence.
#include "assets/loader.h"
#include "platform/midas/midas.h"
#include "shell/graphics.h"
#include "shell/overlay.h"
#include "shell/shell.h"
#include "shell/timeline.h"

DWORD StartTick = 0;

namespace {

constexpr const char* Title = "Korvo and Pelta";
constexpr int IconResource = 666;
// Start-up failures end the program with this status, so that a shell or script sees them.
constexpr int FailureStatus = 1;

HINSTANCE Instance = nullptr;
MIDASmodule Module = nullptr;
MIDASmodulePlayHandle PlayHandle = 0;
MIDASplayStatus PlayStatus{};
bool MidasClosed = false;

bool RegisterWindowClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = Instance;
  windowClass.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IconResource));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = Title;
  return RegisterClassExA(&windowClass) != 0;
}

// Each step runs only while the sound library is still open.
bool StartMusic(HWND window) {
  MIDASstartup();
  if (!MIDASinit()) return MidasFailure(window), false;
  if (!MIDASstartBackgroundPlay(0)) return MidasFailure(window), false;
  Module = MIDASloadModule("sotkux.xm");
  if (!Module) return MidasFailure(window), false;
  PlayHandle = MIDASplayModule(Module, TRUE);
  if (PlayHandle == 0) return MidasFailure(window), false;
  return true;
}

bool StopMusic(HWND window) {
  if (!MIDASstopModule(PlayHandle)) return MidasFailure(window), false;
  if (!MIDASfreeModule(Module)) return MidasFailure(window), false;
  if (!MIDASstopBackgroundPlay()) return MidasFailure(window), false;
  if (!MIDASclose()) return MidasFailure(window), false;
  return true;
}

// One frame. Returns true when WM_QUIT was taken from the queue: the program ends at once.
bool RunFrame(std::int32_t& frameCounter, MSG& msg) {
  const std::int32_t elapsed = static_cast<std::int32_t>(GetTickCount() - StartTick);
  ++frameCounter;
  Context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  Device->BeginScene();
  MIDASgetPlayStatus(PlayHandle, &PlayStatus);
  const MusicPosition position = static_cast<MusicPosition>(PlayStatus.row | (PlayStatus.position << 8));
  RunTimeline(position);
  if (StatsOverlay == 1) DrawStatsOverlay(frameCounter, elapsed, position);
  Device->EndScene();
  Context->UpdateFrame(0);

  if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (GetMessageA(&msg, nullptr, 0, 0) == 0) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return false;
}

}  // namespace

void MidasFailure(HWND window) {
  MessageBoxA(window, MIDASgetErrorMessage(MIDASgetLastError()), Title, MB_OK);
  MIDASclose();
  MidasClosed = true;
  GraphicsShutdown();
  PostMessageA(window, WM_QUIT, 0, 0);
}

bool MidasFailed() { return MidasClosed; }

int WinMain(HINSTANCE instance, HINSTANCE, char*, int showCommand) {
  Instance = instance;
  MidasClosed = false;
  if (D3DXInitialize() < 0) return FailureStatus;
  if (!RegisterWindowClass()) return FailureStatus;
  // Height 0: the full-screen context covers the screen.
  HWND window = CreateWindowExA(0, Title, Title, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, 0, 640, 0, nullptr, nullptr, Instance, nullptr);
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  if (!GraphicsStartup(window, D3DX_CONTEXT_FULLSCREEN)) {
    MessageBoxA(window, "Direct3D Init error.", Title, MB_OK);
    return FailureStatus;
  }
  if (!LoadAssets(window)) {
    MessageBoxA(window, "Init error.", Title, MB_OK);
    return FailureStatus;
  }
  if (!StartMusic(window)) return FailureStatus;
  StartTick = GetTickCount();

  std::int32_t frameCounter = 0;
  MSG msg{};
  while (QuitFlag == 0) {
    if (RunFrame(frameCounter, msg)) return static_cast<int>(msg.wParam);
  }
  if (!StopMusic(window)) return FailureStatus;
  GraphicsShutdown();
  PostMessageA(window, WM_QUIT, 0, 0);
  // The quit message's value, 0: a normal end. (The last message taken is usually the Escape
  // key press, whose wParam 27 would tell a shell the demo had failed.)
  return 0;
}
