// Window classes, the one window and its message queue. SDL events are turned into messages when
// the queue is looked at, so a message waits in the queue exactly as it would on Windows.
#include <SDL.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/d3d/presenter.h"
#include "platform/midas/audio_device.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/resources.h"
#include "platform/win32/stop_signal.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"

namespace {

struct WindowRecord {
  WNDPROC procedure = nullptr;
  std::string title;
};

struct WindowSystem {
  std::map<std::string, WNDCLASSEXA> classes;
  std::map<HWND, WindowRecord> windows;
  std::deque<MSG> queue;
  std::uintptr_t nextHandle = 0x100;
  bool stopPosted = false;  // a stop signal was turned into an Escape key press
  bool stepPending = false;  // '.' while paused
};

WindowSystem& System() {
  static WindowSystem system;
  return system;
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  System().queue.push_back(MSG{window, message, wParam, lParam, GetTickCount(), {0, 0}});
}

HWND MainWindow() { return System().windows.empty() ? nullptr : System().windows.begin()->first; }

WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_HOME: return VK_HOME;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_F11: return VK_F11;
    case SDLK_SPACE: return 0x20;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    default: return 0;
  }
}

// Once SDL shows the window it takes the icon its class names: a resource id, as LoadIconA hands
// it back, whose bitmap (32 bits with alpha) SDL reads.
void ShowClassIcon(Uint32 windowId) {
  if (System().classes.empty()) return;
  const auto id = reinterpret_cast<std::uintptr_t>(System().classes.begin()->second.hIcon);
  const platform::ResourceBlock icon = platform::FindBitmapResource(id <= 0xFFFF ? static_cast<int>(id) : 0);
  SDL_Window* shown = SDL_GetWindowFromID(windowId);
  if (!shown || !icon.data) return;
  if (SDL_Surface* surface = SDL_LoadBMP_RW(SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size)), 1)) {
    SDL_SetWindowIcon(shown, surface);
    SDL_FreeSurface(surface);
  }
}

void TranslateSdlEvent(const SDL_Event& event) {
  HWND window = MainWindow();
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SHOWN) ShowClassIcon(event.window.windowID);
  switch (event.type) {
    case SDL_QUIT:
      // The close box and Alt+F4: the demo knows only Escape, so they arrive as Escape.
      Post(window, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case SDL_KEYDOWN: {
      const SDL_Keycode key = event.key.keysym.sym;
      const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
      if (key == SDLK_F11 || (alt && key == SDLK_RETURN)) {
        if (!event.key.repeat) platform::NotifyFullscreenToggle();
        break;
      }
      if (platform::Mode().viewerControls && (key == SDLK_SPACE || key == SDLK_PERIOD)) {
        if (event.key.repeat) break;
        if (key == SDLK_SPACE) platform::TogglePause();
        if (key == SDLK_PERIOD) platform::StepOneFrame();
        break;
      }
      const WPARAM vk = VirtualKey(key);
      if (vk && platform::TakenByKeyFilter(vk)) break;
      if (vk) Post(window, WM_KEYDOWN, vk, event.key.repeat ? 1 : 0);
      break;
    }
    case SDL_MOUSEMOTION: {
      // Windows sends WM_SETCURSOR as the mouse moves over the window; one waiting is enough.
      bool waiting = false;
      for (const MSG& m : System().queue) waiting = waiting || m.message == WM_SETCURSOR;
      if (!waiting) Post(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 1);
      break;
    }
    default:
      break;
  }
}

// Ctrl+C and SIGTERM reach the demo as Escape, ahead of anything queued: the frame loop finishes
// the frame it is in and runs the stop sequence.
void NoteStopSignal() {
  if (platform::ReceivedStopSignal() == 0 || System().stopPosted) return;
  System().stopPosted = true;
  System().queue.push_front(MSG{MainWindow(), WM_KEYDOWN, VK_ESCAPE, 0, GetTickCount(), {0, 0}});
}

void PumpEvents() {
  // While the presenter shows a frame the window is left to it; its events wait for the next look.
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && !PresenterBusy()) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) TranslateSdlEvent(event);
  }
  NoteStopSignal();
}

bool DemoKeyWaiting() {
  for (const MSG& m : System().queue) {
    if (m.message == WM_KEYDOWN || m.message == WM_QUIT) return true;
  }
  return false;
}

// While paused the frame loop waits here, the last frame on screen. One frame goes through for
// '.', for a key the demo must see and for a stop signal; each moves the standing clock on by one
// frame of the display.
void HoldWhilePaused() {
  if (!platform::Paused()) return;
  WaitForPresenter();
  while (platform::Paused() && !System().stepPending && !DemoKeyWaiting() &&
         platform::ReceivedStopSignal() == 0 && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 100)) {
      TranslateSdlEvent(event);
      PumpEvents();
    }
    ShowLastFrameAgain();
  }
  NoteStopSignal();
  if (platform::Paused()) platform::StepPausedClock(1000.0 / 60.0);
  System().stepPending = false;
}

}  // namespace

namespace platform {

namespace {
std::function<void()>& FullscreenToggle() {
  static std::function<void()> toggle;
  return toggle;
}
}  // namespace

void SetFullscreenToggle(std::function<void()> toggle) { FullscreenToggle() = std::move(toggle); }

void NotifyFullscreenToggle() {
  if (FullscreenToggle()) FullscreenToggle()();
}

std::function<bool(WPARAM)>& KeyFilterSlot() {
  static std::function<bool(WPARAM)> filter;
  return filter;
}

void SetKeyFilter(std::function<bool(WPARAM)> filter) { KeyFilterSlot() = std::move(filter); }

bool TakenByKeyFilter(WPARAM virtualKey) { return KeyFilterSlot() && KeyFilterSlot()(virtualKey); }

void PumpWindowEvents() { PumpEvents(); }

void TogglePause() {
  const bool pause = !Paused();
  // Only a real clock stands still: a run ahead on the virtual clock goes on.
  if (pause && (!Mode().presenting || VirtualClockActive())) return;
  PauseClock(pause);
  PauseAudioDevice(pause);
  PresenterPaused(pause);
}

bool Paused() { return ClockPaused(); }

void StepOneFrame() {
  if (Paused()) System().stepPending = true;
}

void ResetWindowSystem() { System() = WindowSystem{}; }

std::size_t QueuedMessageCount() { return System().queue.size(); }

}  // namespace platform

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc ||
      windowClass->cbSize != sizeof(WNDCLASSEXA)) {
    return 0;
  }
  System().classes[windowClass->lpszClassName] = *windowClass;
  return static_cast<ATOM>(System().classes.size());
}

HWND CreateWindowExA(DWORD, const char* className, const char* windowName, DWORD, int, int, int, int,
                     HWND, void*, HINSTANCE, void*) {
  const auto found = className ? System().classes.find(className) : System().classes.end();
  if (found == System().classes.end()) return nullptr;
  HWND window = reinterpret_cast<HWND>(System().nextHandle);
  System().nextHandle += 0x10;
  System().windows[window] = WindowRecord{found->second.lpfnWndProc, windowName ? windowName : ""};
  return window;
}

BOOL ShowWindow(HWND, int) { return FALSE; }
BOOL UpdateWindow(HWND window) { return System().windows.count(window) ? TRUE : FALSE; }
HICON LoadIconA(HINSTANCE, const char* name) {
  return reinterpret_cast<HICON>(const_cast<char*>(name));
}
HCURSOR LoadCursorA(HINSTANCE, const char* name) {
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  // No cursor over the picture; the arrow elsewhere.
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursor ? SDL_ENABLE : SDL_DISABLE);
  return nullptr;
}

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
  PumpEvents();
  HoldWhilePaused();
  if (System().queue.empty()) return FALSE;
  *msg = System().queue.front();
  if (removeFlags & PM_REMOVE) System().queue.pop_front();
  return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
  // The demo only calls this after PeekMessageA saw a message; wait for one otherwise.
  while (System().queue.empty()) {
    PumpEvents();
    if (System().queue.empty()) {
      if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        // Headless, nothing can ever arrive: behave as if the program were told to quit.
        *msg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), {0, 0}};
        return FALSE;
      }
      WaitForPresenter();
      SDL_WaitEventTimeout(nullptr, 10);
    }
  }
  *msg = System().queue.front();
  System().queue.pop_front();
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
  const auto found = System().windows.find(msg->hwnd);
  if (found == System().windows.end()) return 0;
  return found->second.procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Post(window, message, wParam, lParam);
  return TRUE;
}
