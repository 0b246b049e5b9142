#include "platform/win32/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_events.h"

namespace platform {

namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// The code points of 0x80..0x9F in Windows-1252; 0 where the code page leaves a hole.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool DisplayAvailable() {
  return Mode().presentation != Presentation::Headless && SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

std::string Utf8FromWindows1252(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    char32_t c = *p;
    if (c >= 0x80 && c < 0xA0) c = kHighControls[c - 0x80] ? kHighControls[c - 0x80] : U'?';
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace platform

int MessageBoxA(HWND, const char* text, const char* caption, UINT) {
  const std::string utf8Text = platform::Utf8FromWindows1252(text ? text : "");
  const std::string utf8Caption = platform::Utf8FromWindows1252(caption ? caption : "");
  if (platform::Hook()) {
    platform::Hook()(utf8Text, utf8Caption);
    return IDOK;
  }
  std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  if (platform::DisplayAvailable()) {
    // Ctrl+C or SIGTERM while the box waits for a click ends the program at once.
    platform::SetBlockingWait(true);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, utf8Caption.c_str(), utf8Text.c_str(), nullptr);
    platform::SetBlockingWait(false);
  }
  return IDOK;
}
