// Prints the peak and RMS of each section of the song: korvo-song-levels FILE.xm
#include <cstdio>
#include <fstream>
#include <iterator>

#include "tools/song/arrangement.h"
#include "tools/song/levels.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvo-song-levels FILE.xm\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file && !file.eof()) {
    std::fprintf(stderr, "korvo-song-levels: %s: cannot be read\n", argv[1]);
    return 1;
  }
  song::SongLevels levels;
  std::string error;
  if (bytes.empty() || !song::MeasureLevels(bytes, levels, error)) {
    std::fprintf(stderr, "korvo-song-levels: %s: %s\n", argv[1], bytes.empty() ? "missing or empty" : error.c_str());
    return 1;
  }
  std::printf("from    section     peak dBFS  RMS dBFS\n");
  const auto& sections = song::Sections();
  for (size_t i = 0; i < sections.size(); ++i) {
    const song::Level& l = levels.sections[i];
    if (l.count == 0) continue;
    std::printf("0x%04X  %-10.*s  %9.1f  %8.1f\n", sections[i].start, static_cast<int>(sections[i].name.size()),
                sections[i].name.data(), l.PeakDb(), l.RmsDb());
  }
  std::printf("after the end       %9.1f  %8.1f\n", levels.afterEnd.PeakDb(), levels.afterEnd.RmsDb());
  std::printf("whole song          %9.1f  %8.1f\n", levels.whole.PeakDb(), levels.whole.RmsDb());
  return 0;
}
