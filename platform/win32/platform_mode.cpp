#include "platform/win32/platform_mode.h"

namespace platform {

namespace {

FrameSink& Sink() {
  static FrameSink sink;
  return sink;
}

}  // namespace

PlatformMode& Mode() {
  static PlatformMode mode;
  return mode;
}

FrameLayout CurrentFrameLayout() {
  const int scale = Mode().renderScale;
  return {640 * scale, 480 * scale, Mode().colourBits == 32};
}

std::string RenderingName() {
  const FrameLayout layout = CurrentFrameLayout();
  return std::to_string(layout.width) + "x" + std::to_string(layout.height) +
         (layout.trueColour ? " 32-bit" : " 16-bit");
}

void SetFrameSink(FrameSink sink) { Sink() = std::move(sink); }

const FrameSink& CurrentFrameSink() { return Sink(); }

void DeliverFrame(const std::uint16_t* pixels) {
  if (Sink()) Sink()(pixels);
}

int FitWindowScale(int usableWidth, int usableHeight) {
  // Whole multiples keep every picture pixel the same size on the screen.
  const long long width = 9LL * usableWidth, height = 9LL * usableHeight;
  int scale = 1;
  while (scale < 64 && 6400LL * (scale + 1) <= width && 4800LL * (scale + 1) <= height) ++scale;
  return scale;
}

std::string DataPath(const char* windowsPath) {
  std::string path = Mode().dataFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  for (const char* p = windowsPath; *p; ++p) path += (*p == '\\') ? '/' : *p;
  return path;
}

}  // namespace platform
