// Where message boxes go besides standard error: tests install a hook to read them.
#pragma once

#include <functional>
#include <string>

namespace platform {

// text and caption arrive as UTF-8. With a hook installed, nothing is shown or printed.
using MessageBoxHook = std::function<void(const std::string& text, const std::string& caption)>;
void SetMessageBoxHook(MessageBoxHook hook);

// Windows-1252 to UTF-8.
std::string Utf8FromWindows1252(const char* text);

}  // namespace platform
