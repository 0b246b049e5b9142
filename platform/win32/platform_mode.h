// How the stand-ins run this time: set once by main (or a test) before WinMain, read by every
// stand-in. The demo code above platform/ never sees it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

enum class Presentation {
  Fullscreen,  // desktop full-screen window, 640 x 480 scaled with 4:3 kept
  Window,      // resizable desktop window
  Headless,    // no display: frames go to the frame sink, if any
};

enum class Sound {
  Device,   // SDL2 audio device, real time
  Virtual,  // no device: the song is rendered as the clock advances
};

struct PlatformMode {
  Presentation presentation = Presentation::Fullscreen;
  Sound sound = Sound::Device;
  int windowScale = 0;       // window size = 640 x 480 times this; 0 = the largest that fits
  bool viewerControls = false;  // Space pauses, '.' steps (a window asked for on the command line)
  std::string dataFolder;    // where "data" and the song are; empty = working directory
  std::string wavPath;       // Sound::Virtual: where the song as rendered is written; empty = nowhere
  // False while --start runs ahead unseen: frames are made but not shown in the window.
  bool presenting = true;
  int renderScale = 1;   // --render-scale: the 640 x 480 screen drawn at this many times the pixels
  int colourBits = 16;   // --colour: 16 (R5G6B5, the exact picture) or 32 (8 bits a channel)
  int aheadTo = -1;  // the music position a run ahead is going to (its progress), -1 = not known
};

// The window's scale when none is asked for: the largest whole multiple of 640 x 480 that fits in
// 90 % of the usable desktop (taskbars and panels left out), and at least 1.
int FitWindowScale(int usableWidth, int usableHeight);

PlatformMode& Mode();

// What the presenter and the frame sink receive: 640 x 480 R5G6B5 words by default; at a render
// scale K, 640K x 480K; with colourBits 32, 0x00RRGGBB 32-bit words (the sink's pointer then
// addresses those words).
struct FrameLayout {
  int width, height;
  bool trueColour;
};
FrameLayout CurrentFrameLayout();
// "640x480 16-bit" or "1280x960 32-bit": the rendering in words, for the overlay and statistics.
std::string RenderingName();

// Called by the presenter with every finished frame (640 x 480 R5G6B5, rows packed), after it was
// shown. Captures and tests install one; default none.
using FrameSink = std::function<void(const std::uint16_t* pixels)>;
void SetFrameSink(FrameSink sink);
const FrameSink& CurrentFrameSink();
void DeliverFrame(const std::uint16_t* pixels);

// Joins the data folder with a path written with backslashes ("data\\kone.dat"), using the
// platform's separator.
std::string DataPath(const char* windowsPath);

}  // namespace platform
