#include "tools/common/numbers.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tools {

namespace {

bool Fail(std::string* fault, const std::string& option, const char* text, const std::string& why) {
  *fault = option + " " + text + ": " + why;
  return false;
}

std::string Range(double low, double high) {
  const auto show = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return std::string(text);
  };
  return "must be " + show(low) + " to " + show(high);
}

// One real number at the start of text; *end is where it stopped.
bool RealPrefix(const char* text, double* value, const char** end) {
  // strtod takes leading blanks, "nan", "inf" and hexadecimal: none of them is a number here.
  if (!(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+' || text[0] == '.')) {
    return false;
  }
  for (const char* p = text; *p != '\0' && *p != ','; ++p) {
    if (std::strchr("xXnNiI", *p) != nullptr) return false;
  }
  char* stop = nullptr;
  errno = 0;
  *value = std::strtod(text, &stop);
  *end = stop;
  return stop != text && errno != ERANGE && std::isfinite(*value);
}

}  // namespace

bool ParseInteger(const std::string& option, const char* text, std::int64_t low, std::int64_t high,
                  std::int64_t* value, std::string* fault) {
  const bool signOk = text[0] == '-' || std::isdigit(static_cast<unsigned char>(text[0]));
  char* end = nullptr;
  errno = 0;
  const long long parsed = signOk ? std::strtoll(text, &end, 10) : 0;
  if (!signOk || end == text || *end != '\0') return Fail(fault, option, text, "not a whole number");
  if (errno == ERANGE || parsed < low || parsed > high) {
    return Fail(fault, option, text, Range(static_cast<double>(low), static_cast<double>(high)));
  }
  *value = parsed;
  return true;
}

bool ParseInteger(const std::string& option, const char* text, int low, int high, int* value,
                  std::string* fault) {
  std::int64_t wide = 0;
  if (!ParseInteger(option, text, std::int64_t{low}, std::int64_t{high}, &wide, fault)) return false;
  *value = static_cast<int>(wide);
  return true;
}

bool ParseReal(const std::string& option, const char* text, double low, double high, double* value,
               std::string* fault) {
  double parsed = 0.0;
  const char* end = nullptr;
  if (!RealPrefix(text, &parsed, &end) || *end != '\0') return Fail(fault, option, text, "not a finite number");
  if (parsed < low || parsed > high) return Fail(fault, option, text, Range(low, high));
  *value = parsed;
  return true;
}

bool ParseSize(const std::string& option, const char* text, int low, int high, bool square, int* width,
               int* height, std::string* fault) {
  const char* cross = std::strchr(text, 'x');
  const std::string first = cross ? std::string(text, cross) : std::string(text);
  if (!cross && !square) return Fail(fault, option, text, "not a size WxH");
  std::string ignored;
  int w = 0, h = 0;
  if (!ParseInteger(option, first.c_str(), low, high, &w, &ignored) ||
      (cross && !ParseInteger(option, cross + 1, low, high, &h, &ignored))) {
    return Fail(fault, option, text,
                std::string(square ? "not a size WxH or N" : "not a size WxH") + " with sides of " +
                    std::to_string(low) + " to " + std::to_string(high));
  }
  *width = w;
  *height = cross ? h : w;
  return true;
}

bool ParseReals(const std::string& option, const char* text, int count, double low, double high,
                double* values, std::string* fault) {
  const char* p = text;
  for (int k = 0; k < count; ++k) {
    const char* end = nullptr;
    if (!RealPrefix(p, &values[k], &end) || *end != (k + 1 < count ? ',' : '\0')) {
      return Fail(fault, option, text, std::to_string(count) + " finite numbers separated by commas are needed");
    }
    if (values[k] < low || values[k] > high) return Fail(fault, option, text, Range(low, high));
    p = end + 1;
  }
  return true;
}

}  // namespace tools
