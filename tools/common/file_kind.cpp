#include "tools/common/file_kind.h"

#include <algorithm>
#include <cstring>

namespace tools {

namespace {

bool StartsWith(const std::vector<std::uint8_t>& bytes, const char* signature, std::size_t length,
                std::size_t at = 0) {
  return bytes.size() >= at + length && std::memcmp(bytes.data() + at, signature, length) == 0;
}

// Printable ASCII or UTF-8 text with line ends: what OBJ files, scripts and notes are.
bool LooksLikeText(const std::vector<std::uint8_t>& bytes) {
  const std::size_t sample = std::min<std::size_t>(bytes.size(), 4096);
  if (sample == 0) return false;
  return std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(sample), [](std::uint8_t b) {
    return b == '\n' || b == '\r' || b == '\t' || (b >= 0x20 && b != 0x7F);
  });
}

}  // namespace

std::string FileKindOf(const std::vector<std::uint8_t>& bytes) {
  static const struct {
    const char* signature;
    std::size_t length, at;
    const char* kind;
  } known[] = {
      {"\x89PNG\r\n\x1A\n", 8, 0, "PNG picture"},
      {"\xFF\xD8\xFF", 3, 0, "JPEG picture"},
      {"GIF8", 4, 0, "GIF picture"},
      {"Extended Module: ", 17, 0, "XM module"},
      {"WAVE", 4, 8, "WAV sound"},
      {"PK\x03\x04", 4, 0, "ZIP archive"},
      {"\x1F\x8B", 2, 0, "gzip archive"},
      {"\x7F" "ELF", 4, 0, "ELF program"},
      {"%PDF", 4, 0, "PDF document"},
  };
  for (const auto& k : known) {
    if (StartsWith(bytes, k.signature, k.length, k.at)) return k.kind;
  }
  // "BM" and the file's own size in the header: two letters alone are too common.
  if (StartsWith(bytes, "BM", 2) && bytes.size() >= 14) {
    const std::uint32_t declared = bytes[2] | bytes[3] << 8 | bytes[4] << 16 | static_cast<std::uint32_t>(bytes[5]) << 24;
    if (declared == bytes.size()) return "BMP picture";
  }
  return LooksLikeText(bytes) ? "text file" : "";
}

bool IsOtherKind(const std::string& path, const std::vector<std::uint8_t>& bytes, const std::string& expected,
                 std::string* fault) {
  const std::string kind = FileKindOf(bytes);
  if (kind.empty()) return false;
  *fault = path + ": " + kind + ", not " + expected;
  return true;
}

}  // namespace tools
