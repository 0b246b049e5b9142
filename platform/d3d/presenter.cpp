#include "platform/d3d/presenter.h"

#include <SDL.h>

#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

struct Display {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* frame = nullptr;
  bool video = false;  // the video subsystem was started by us
};

Display display;

std::string SdlFault(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

// Without any display SDL falls back to its invisible drivers; those count only when asked for
// by name (SDL_VIDEODRIVER), as tests do.
bool RealDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  return !invisible || (asked && SDL_strcmp(asked, driver) == 0);
}

}  // namespace

bool OpenPresenter(std::string& failure) {
  ClosePresenter();
  const platform::PlatformMode& mode = platform::Mode();
  if (mode.presentation == platform::Presentation::Headless) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    failure = "No display: SDL video failed";
    return false;
  }
  display.video = true;
  if (!RealDisplay()) {
    failure = "No display found";
    ClosePresenter();
    return false;
  }
  bool fullscreen = mode.presentation == platform::Presentation::Fullscreen;
  int scale = mode.windowScale > 0 ? mode.windowScale : 1;
  Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  display.window = SDL_CreateWindow("Korvo and Pelta", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    kWidth * scale, kHeight * scale, flags);
  if (!display.window) {
    failure = SdlFault("No window");
    ClosePresenter();
    return false;
  }
  display.renderer = SDL_CreateRenderer(display.window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!display.renderer) display.renderer = SDL_CreateRenderer(display.window, -1, 0);
  if (display.renderer) {
    display.frame = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_RGB565,
                                      SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
  }
  if (!display.renderer || !display.frame) {
    failure = SdlFault("No renderer");
    ClosePresenter();
    return false;
  }
  // Letterbox: the whole frame, 4:3 kept, black around it.
  SDL_RenderSetLogicalSize(display.renderer, kWidth, kHeight);
  SDL_ShowCursor(0);
  return true;
}

void ClosePresenter() {
  if (display.frame) SDL_DestroyTexture(display.frame);
  if (display.renderer) SDL_DestroyRenderer(display.renderer);
  if (display.window) SDL_DestroyWindow(display.window);
  if (display.video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  display = Display{};
}

void PresentFrame(const std::uint16_t* pixels) {
  // While a start position is run up to, frames are made but not shown (and not waited for).
  if (display.renderer && platform::Mode().presenting) {
    SDL_UpdateTexture(display.frame, nullptr, pixels, kWidth * 2);
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);
    SDL_RenderCopy(display.renderer, display.frame, nullptr, nullptr);
    SDL_RenderPresent(display.renderer);
  }
  platform::DeliverFrame(pixels);
  platform::AdvanceVirtualFrame();
}

void TogglePresenterFullscreen() {
  if (!display.window) return;
  bool fullscreen = (SDL_GetWindowFlags(display.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(display.window, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}
