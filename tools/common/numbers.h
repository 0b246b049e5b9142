// Strict number parsing for command-line options: the whole text must be the number, in range,
// with no wrap-around and, for real numbers, no NaN or infinity. False with a fault naming the
// option and what was wrong ("--psnr nan: not a finite number").
#pragma once

#include <cstdint>
#include <string>

namespace tools {

bool ParseInteger(const std::string& option, const char* text, std::int64_t low, std::int64_t high,
                  std::int64_t* value, std::string* fault);
bool ParseInteger(const std::string& option, const char* text, int low, int high, int* value,
                  std::string* fault);
bool ParseReal(const std::string& option, const char* text, double low, double high, double* value,
               std::string* fault);
// "WxH" with each side in low .. high; "N" alone means N x N when square is true.
bool ParseSize(const std::string& option, const char* text, int low, int high, bool square, int* width,
               int* height, std::string* fault);
// Exactly count comma-separated real numbers, each in low .. high.
bool ParseReals(const std::string& option, const char* text, int count, double low, double high,
                double* values, std::string* fault);

}  // namespace tools
