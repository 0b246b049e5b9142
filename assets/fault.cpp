#include "assets/fault.h"

#include <cstdarg>
#include <cstdio>

void SetFault(std::string* fault, const char* format, ...) {
  if (fault == nullptr) return;
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  *fault = text;
}
