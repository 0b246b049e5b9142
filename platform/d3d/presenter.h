// The presenter: shows each finished frame as platform::Mode() asks. Fullscreen and Window open an
// SDL2 window (the 640 x 480 frame scaled to it with 4:3 kept, shown with vsync, no mouse cursor);
// Headless opens nothing. In every mode each shown frame then goes to the frame sink and the
// virtual clock advances by one frame. Events are pumped by the Windows stand-in, not here.
#pragma once

#include <cstdint>
#include <string>

// False, with the cause in failure, when the mode needs a display and none can be opened.
bool OpenPresenter(std::string& failure);
void ClosePresenter();
// 640 x 480 R5G6B5, rows packed.
void PresentFrame(const std::uint16_t* pixels);

// Full screen <-> window (F11, Alt+Enter); nothing while headless.
void TogglePresenterFullscreen();
