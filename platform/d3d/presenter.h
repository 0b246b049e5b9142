// The presenter: shows each finished frame as platform::Mode() asks. Fullscreen and Window open an
// SDL2 window; Headless opens nothing. In every mode each shown frame then goes to the frame sink
// and the virtual clock advances by one frame. Events are pumped by the Windows stand-in, not here.
//
// The frame goes, on a thread of the presenter's own, to the window's own surface: RGB565 widened through a table and scaled by pixel
// replication into the largest 4:3 area of the window, centred, black around it. That costs about
// a millisecond and needs no graphics driver. Frames are paced to the display's refresh rate
// (60 Hz when it reports none), never faster; a late frame is shown at once.
//
// While a run goes ahead unseen (mode.presenting false) the window shows its progress a few times
// a second, and standard error a progress line.
#pragma once

#include <cstdint>
#include <string>

// False, with the cause in failure, when the mode needs a display and none can be opened.
bool OpenPresenter(std::string& failure);
void ClosePresenter();
// In platform::CurrentFrameLayout(): 640 x 480 R5G6B5 by default, rows packed.
void PresentFrame(const std::uint16_t* pixels);

// Full screen <-> window (F11, Alt+Enter); nothing while headless.
void TogglePresenterFullscreen();

// The viewer's pause: the title says so, and the time paused is left out of the statistics.
void PresenterPaused(bool paused);
// Frames are shown on a thread of the presenter's own while the next one is drawn. The window
// (its events, title, size) is touched only while that thread is idle.
bool PresenterBusy();
void WaitForPresenter();

// Shows the last frame again (a paused window that was covered or resized).
void ShowLastFrameAgain();

// Frames shown since the presenter opened: their count, the mean rate, the slowest interval between
// two and how many intervals took longer than a 60 Hz refresh, as the line
// "stats frames=N fps=F slowest_ms=S over_16.7ms=K".
std::string PresenterStatsLine();

// Where the 640 x 480 picture goes in a window of this size: 4:3 kept, centred.
struct PictureArea {
  int x, y, width, height;
};
PictureArea FitPicture(int windowWidth, int windowHeight);
