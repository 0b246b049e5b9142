// Writes the demo's song: korvo-song OUTPUT.xm
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/song/arrangement.h"
#include "tools/song/compose.h"
#include "tools/song/notation.h"

namespace {

constexpr const char* kUsage =
    "usage: korvo-song OUTPUT.xm\n"
    "Composes the demo's song from its description and writes it as an XM tracker module.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // A name starting with '-' is a mistyped option, never a file to write.
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "korvo-song: %s\n%s", argc != 2 ? "one OUTPUT.xm expected" : "unknown option (try --help)",
                 kUsage);
    return 2;
  }
  std::string error;
  if (!song::CheckDescription(song::Sections(), song::Progressions(), song::Melodies(), error)) {
    std::fprintf(stderr, "korvo-song: the song's description: %s\n", error.c_str());
    return 1;
  }
  if (!xm::WriteXm(argv[1], song::ComposeSong(), error)) {
    std::fprintf(stderr, "korvo-song: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
