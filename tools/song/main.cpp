// Writes the demo's song: korvo-song OUTPUT.xm
#include <cstdio>
#include <string>

#include "tools/song/arrangement.h"
#include "tools/song/compose.h"
#include "tools/song/notation.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvo-song OUTPUT.xm\n");
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
