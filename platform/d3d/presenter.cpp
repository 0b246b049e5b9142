#include "platform/d3d/presenter.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/capture/progress.h"
#include "platform/d3d/debug_font.h"
#include "platform/midas/song_clock.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/window_events.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 640, kHeight = 480;
constexpr const char* kTitle = "Korvo and Pelta";
constexpr double kRefreshMs = 1000.0 / 60.0;

struct Stats {
  int frames = 0;
  int intervals = 0;
  double intervalMs = 0.0;  // the intervals added up
  double slowestMs = 0.0;
  int over = 0;  // intervals longer than a 60 Hz refresh
  bool havePrevious = false;
  Clock::time_point previous;
};

struct Display {
  SDL_Window* window = nullptr;
  bool video = false;  // the video subsystem was started by us
  int windowedWidth = kWidth, windowedHeight = kHeight;
  std::vector<std::uint32_t> colours;  // R5G6B5 -> the window surface's pixel format
  Uint32 coloursFormat = 0;
  int lastSurfaceWidth = 0, lastSurfaceHeight = 0;  // the black borders are drawn on a change
  std::vector<std::uint16_t> lastFrame = std::vector<std::uint16_t>(kWidth * kHeight, 0);
  platform::FrameLayout shownLayout{kWidth, kHeight, false};  // of lastFrame (a larger rendering's)
  double periodMs = kRefreshMs;
  Clock::time_point nextShow;
  bool paced = false;
  Clock::time_point lastProgress;
  bool progressShown = false;
  bool wasPresenting = true;
  bool threaded = false;  // frames are shown on the presenter's own thread
  int aheadFrames = 0;
};

Display display;
Stats stats;

// The thread that shows frames, so that the next frame is drawn meanwhile. The demo's thread hands
// it one frame at a time and waits for it before the next, and before it touches the window
// (events, title, size), so the two never use the window at once.
struct ShowThread {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable wake, idle;
  bool busy = false;
  bool stop = false;
  SDL_Surface* surface = nullptr;
  PictureArea area{};
  bool wholeSurface = false;
};

ShowThread shower;

std::string SdlFault(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

// Without any display SDL falls back to its invisible drivers; those count only when asked for
// by name (SDL_VIDEODRIVER), as tests do.
bool RealDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  return !invisible || (asked && SDL_strcmp(asked, driver) == 0);
}

int DisplayIndex() {
  const int index = display.window ? SDL_GetWindowDisplayIndex(display.window) : 0;
  return index < 0 ? 0 : index;
}

// A stored value widened by repeating its high bits, as the device reads it back.
void BuildColours(const SDL_PixelFormat* format) {
  display.colours.resize(65536);
  for (std::uint32_t v = 0; v < 65536; ++v) {
    const std::uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
    display.colours[v] = SDL_MapRGB(format, static_cast<Uint8>(r << 3 | r >> 2),
                                    static_cast<Uint8>(g << 2 | g >> 4), static_cast<Uint8>(b << 3 | b >> 2));
  }
  display.coloursFormat = format->format;
}

// A true-colour pixel (0x00RRGGBB) in the surface's format.
std::uint32_t MapTrueColour(std::uint32_t c, const SDL_PixelFormat* format) {
  if (format->format == SDL_PIXELFORMAT_RGB888) return c;
  return SDL_MapRGB(format, static_cast<Uint8>(c >> 16), static_cast<Uint8>(c >> 8), static_cast<Uint8>(c));
}

template <typename Pixel>
void ScaleInto(const std::uint16_t* frame, const platform::FrameLayout& layout, SDL_Surface* surface,
               const PictureArea& area) {
  auto* base = static_cast<std::uint8_t*>(surface->pixels);
  const std::uint32_t* colours = display.colours.data();
  // Nearest source column of each target column; whole scales replicate pixels exactly.
  static std::vector<int> columns;
  columns.resize(static_cast<std::size_t>(area.width));
  for (int x = 0; x < area.width; ++x) columns[x] = x * layout.width / area.width;
  int previousRow = -1;
  Pixel* previousLine = nullptr;
  for (int y = 0; y < area.height; ++y) {
    Pixel* line = reinterpret_cast<Pixel*>(base + static_cast<std::size_t>(area.y + y) * surface->pitch) + area.x;
    const int row = y * layout.height / area.height;
    if (row == previousRow) {
      std::copy_n(previousLine, area.width, line);
    } else if (layout.trueColour) {
      const auto* source = reinterpret_cast<const std::uint32_t*>(frame) + static_cast<std::size_t>(row) * layout.width;
      for (int x = 0; x < area.width; ++x) line[x] = static_cast<Pixel>(MapTrueColour(source[columns[x]], surface->format));
    } else {
      const std::uint16_t* source = frame + static_cast<std::size_t>(row) * layout.width;
      for (int x = 0; x < area.width; ++x) line[x] = static_cast<Pixel>(colours[source[columns[x]]]);
    }
    previousRow = row;
    previousLine = line;
  }
}

// On the demo's thread: the window's surface as it is now, with black borders after a change of
// size. False when there is nothing to show into.
bool PrepareSurface(SDL_Surface*& surface, PictureArea& area, bool& wholeSurface) {
  surface = SDL_GetWindowSurface(display.window);
  if (!surface) return false;
  const int bytes = surface->format->BytesPerPixel;
  if (bytes != 2 && bytes != 4) return false;
  if (display.coloursFormat != surface->format->format) BuildColours(surface->format);
  area = FitPicture(surface->w, surface->h);
  if (area.width <= 0 || area.height <= 0) return false;
  wholeSurface = surface->w != display.lastSurfaceWidth || surface->h != display.lastSurfaceHeight;
  if (wholeSurface) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    display.lastSurfaceWidth = surface->w;
    display.lastSurfaceHeight = surface->h;
  }
  return true;
}

void Blit(const std::uint16_t* frame, const platform::FrameLayout& layout, SDL_Surface* surface,
          const PictureArea& area, bool wholeSurface) {
  SDL_LockSurface(surface);
  if (surface->format->BytesPerPixel == 4) {
    ScaleInto<std::uint32_t>(frame, layout, surface, area);
  } else {
    ScaleInto<std::uint16_t>(frame, layout, surface, area);
  }
  SDL_UnlockSurface(surface);
  // Only the picture goes to the display, unless the borders changed too.
  const SDL_Rect picture{area.x, area.y, area.width, area.height};
  if (wholeSurface) {
    SDL_UpdateWindowSurface(display.window);
  } else {
    SDL_UpdateWindowSurfaceRects(display.window, &picture, 1);
  }
}

// At once, on the demo's thread (the shower is idle).
void Show(const std::uint16_t* frame, const platform::FrameLayout& layout) {
  SDL_Surface* surface = nullptr;
  PictureArea area{};
  bool wholeSurface = false;
  if (PrepareSurface(surface, area, wholeSurface)) Blit(frame, layout, surface, area, wholeSurface);
}

// Waits for the next refresh of the display when frames come faster than it shows them.
void Pace() {
  const Clock::time_point now = Clock::now();
  const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(display.periodMs));
  if (!display.paced || now > display.nextShow + period) {
    display.paced = true;
    display.nextShow = now + period;
    return;
  }
  if (now < display.nextShow) std::this_thread::sleep_until(display.nextShow);
  display.nextShow += period;
}

void CountShown() {
  const Clock::time_point now = Clock::now();
  ++stats.frames;
  if (stats.havePrevious) {
    const double ms = std::chrono::duration<double, std::milli>(now - stats.previous).count();
    ++stats.intervals;
    stats.intervalMs += ms;
    stats.slowestMs = std::max(stats.slowestMs, ms);
    if (ms > 16.7) ++stats.over;
  }
  stats.previous = now;
  stats.havePrevious = true;
}

void ShowerLoop() {
  std::unique_lock<std::mutex> lock(shower.mutex);
  for (;;) {
    shower.wake.wait(lock, [] { return shower.busy || shower.stop; });
    if (shower.stop) return;
    lock.unlock();
    Pace();
    Blit(display.lastFrame.data(), display.shownLayout, shower.surface, shower.area, shower.wholeSurface);
    CountShown();
    lock.lock();
    shower.busy = false;
    shower.idle.notify_all();
  }
}

void HandToShower() {
  if (!PrepareSurface(shower.surface, shower.area, shower.wholeSurface)) return;
  if (!display.threaded) {
    Pace();
    Blit(display.lastFrame.data(), display.shownLayout, shower.surface, shower.area, shower.wholeSurface);
    CountShown();
    return;
  }
  if (!shower.thread.joinable()) {
    shower.stop = false;
    shower.thread = std::thread(ShowerLoop);
  }
  std::lock_guard<std::mutex> lock(shower.mutex);
  shower.busy = true;
  shower.wake.notify_one();
}

void StopShower() {
  if (!shower.thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(shower.mutex);
    shower.stop = true;
    shower.wake.notify_one();
  }
  shower.thread.join();
  shower.busy = false;
}

int Rows(int position) { return (position >> 8) * 64 + (position & 0xFF); }

// A run going ahead unseen: a bar in the window a few times a second, a line on the terminal.
void ShowProgress() {
  const MIDASplayStatus status = platform::LastPlayStatus();
  const int position = static_cast<int>(status.row | (status.position << 8));
  const int target = platform::Mode().aheadTo;
  ++display.aheadFrames;
  if (target > 0) platform::ReportProgress(display.aheadFrames, position, target);
  if (!display.window) return;
  const Clock::time_point now = Clock::now();
  if (display.progressShown && now - display.lastProgress < std::chrono::milliseconds(100)) return;
  display.lastProgress = now;
  display.progressShown = true;
  static std::vector<std::uint16_t> picture(kWidth * kHeight);
  std::fill(picture.begin(), picture.end(), 0);
  char text[96];
  const double fraction = target > 0 ? std::clamp(static_cast<double>(Rows(position)) / Rows(target), 0.0, 1.0) : 0.0;
  if (target > 0) {
    std::snprintf(text, sizeof text, "Going to 0x%04X: 0x%04X, %d %%", target, position, static_cast<int>(fraction * 100));
  } else {
    std::snprintf(text, sizeof text, "Going ahead: 0x%04X", position);
  }
  DrawFontText(picture.data(), kWidth, kHeight, 120, 220, 0x00C0C0C0, text);
  // The bar: a grey frame, filled in white as the run goes on.
  constexpr int left = 120, top = 236, width = 400, height = 12;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const bool edge = y == top || y == top + height - 1 || x == left || x == left + width - 1;
      const bool filled = x - left < static_cast<int>(fraction * width);
      if (edge || filled) picture[y * kWidth + x] = edge ? 0x8410 : 0xFFFF;
    }
  }
  WaitForPresenter();
  Show(picture.data(), {kWidth, kHeight, false});
}

}  // namespace

// Full screen is made on the display's own rectangle, so that it covers it even where no window
// manager places the window; a window is centred in the usable part of the desktop.
bool MakeWindow(bool fullscreen, int displayIndex) {
  SDL_Rect bounds{0, 0, kWidth, kHeight};
  SDL_GetDisplayBounds(displayIndex, &bounds);
  SDL_Rect usable = bounds;
  SDL_GetDisplayUsableBounds(displayIndex, &usable);
  const int x = fullscreen ? bounds.x : usable.x + std::max(0, (usable.w - display.windowedWidth) / 2);
  const int y = fullscreen ? bounds.y : usable.y + std::max(0, (usable.h - display.windowedHeight) / 2);
  const int w = fullscreen ? bounds.w : display.windowedWidth;
  const int h = fullscreen ? bounds.h : display.windowedHeight;
  const Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
  if (display.window) SDL_DestroyWindow(display.window);
  display.window = SDL_CreateWindow(kTitle, x, y, w, h, flags);
  display.lastSurfaceWidth = 0;
  return display.window && SDL_GetWindowSurface(display.window);
}

PictureArea FitPicture(int windowWidth, int windowHeight) {
  if (windowWidth <= 0 || windowHeight <= 0) return {0, 0, 0, 0};
  // 4:3 kept: the full width when the window is at most as wide as 4:3, else the full height.
  int width = windowWidth, height = windowWidth * kHeight / kWidth;
  if (height > windowHeight) {
    height = windowHeight;
    width = windowHeight * kWidth / kHeight;
  }
  return {(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

bool OpenPresenter(std::string& failure) {
  ClosePresenter();
  stats = Stats{};
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
  // On X11 the window's own shared-memory image: SDL would otherwise put a GL texture behind the
  // surface, which costs ten times as much without a graphics card (Xvfb) and binds the surface
  // to the thread that made it. Elsewhere frames are shown on the demo's thread.
  display.threaded = SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
  if (display.threaded) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Rect usable{0, 0, kWidth, kHeight};
  SDL_GetDisplayUsableBounds(0, &usable);
  const int scale = mode.windowScale > 0 ? mode.windowScale : platform::FitWindowScale(usable.w, usable.h);
  display.windowedWidth = kWidth * scale;
  display.windowedHeight = kHeight * scale;
  if (!MakeWindow(mode.presentation == platform::Presentation::Fullscreen, 0)) {
    failure = SdlFault("No window");
    ClosePresenter();
    return false;
  }
  SDL_DisplayMode refresh{};
  if (SDL_GetCurrentDisplayMode(DisplayIndex(), &refresh) == 0 && refresh.refresh_rate >= 30) {
    display.periodMs = 1000.0 / refresh.refresh_rate;
  }
  SDL_ShowCursor(0);
  return true;
}

void ClosePresenter() {
  StopShower();
  platform::FinishProgress();
  if (display.window) SDL_DestroyWindow(display.window);
  if (display.video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  display = Display{};
}

void PresentFrame(const std::uint16_t* pixels) {
  const bool presenting = platform::Mode().presenting;
  if (presenting) {
    if (!display.wasPresenting) {
      WaitForPresenter();
      platform::FinishProgress();
      display.progressShown = false;
      display.aheadFrames = 0;
      display.paced = false;
      stats.havePrevious = false;
    }
    if (display.window) {
      WaitForPresenter();
      // The rendering's frame, 16-bit words (two a pixel in true colour).
      const platform::FrameLayout layout = platform::CurrentFrameLayout();
      const std::size_t words = static_cast<std::size_t>(layout.width) * layout.height * (layout.trueColour ? 2 : 1);
      display.lastFrame.resize(words);
      display.shownLayout = layout;
      std::copy_n(pixels, words, display.lastFrame.data());
      // The window's events, while nothing else touches the window.
      if (display.threaded) platform::PumpWindowEvents();
      if (display.window) HandToShower();
    } else {
      CountShown();
    }
  } else {
    ShowProgress();
  }
  display.wasPresenting = presenting;
  platform::DeliverFrame(pixels);
  platform::AdvanceVirtualFrame();
}

void TogglePresenterFullscreen() {
  if (!display.window) return;
  WaitForPresenter();
  const bool fullscreen = (SDL_GetWindowFlags(display.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  // A new window of the other kind: changing a window in place is left half done on an X server
  // without a window manager (moved but not resized).
  const bool paused = platform::ClockPaused();
  if (!MakeWindow(!fullscreen, DisplayIndex())) return;
  if (paused) SDL_SetWindowTitle(display.window, "Korvo and Pelta (paused)");
  SDL_ShowCursor(0);
  ShowLastFrameAgain();
}

void PresenterPaused(bool paused) {
  WaitForPresenter();
  if (display.window) SDL_SetWindowTitle(display.window, paused ? "Korvo and Pelta (paused)" : kTitle);
  stats.havePrevious = false;
  display.paced = false;
}

void ShowLastFrameAgain() {
  WaitForPresenter();
  if (display.window && platform::Mode().presenting) Show(display.lastFrame.data(), display.shownLayout);
}

bool PresenterBusy() {
  std::lock_guard<std::mutex> lock(shower.mutex);
  return shower.busy;
}

void WaitForPresenter() {
  std::unique_lock<std::mutex> lock(shower.mutex);
  shower.idle.wait(lock, [] { return !shower.busy; });
}

std::string PresenterStatsLine() {
  WaitForPresenter();
  const double fps = stats.intervalMs > 0 ? stats.intervals * 1000.0 / stats.intervalMs : 0.0;
  char line[128];
  std::snprintf(line, sizeof line, "stats frames=%d fps=%.2f slowest_ms=%.1f over_16.7ms=%d", stats.frames, fps,
                stats.slowestMs, stats.over);
  return line;
}
