// Measures the song as a player renders it: korvo-song-levels FILE.xm
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/song/arrangement.h"
#include "tools/song/levels.h"

namespace {

constexpr const char* kUsage =
    "usage: korvo-song-levels FILE.xm\n"
    "Renders the module with libopenmpt at 48 kHz and prints, per section of the song: peak and RMS\n"
    "(dBFS), the RMS of the low (below 250 Hz), mid and high (above 4 kHz) bands, the stereo width\n"
    "(side over middle RMS) and 'step' where the RMS moves more than 3 dB from the previous section\n"
    "while neither is a break. Then the clicks its samples play: jumps of more than -40 dBFS where a\n"
    "note starts, where a loop wraps or where a sample stops.\n";

int Fail(const char* path, const std::string& what) {
  std::fprintf(stderr, "korvo-song-levels: %s: %s\n", path, what.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "korvo-song-levels: %s\n%s", argc != 2 ? "one FILE.xm expected" : "unknown option (try --help)",
                 kUsage);
    return 2;
  }
  std::error_code code;
  if (!std::filesystem::is_regular_file(argv[1], code)) {
    return Fail(argv[1], std::filesystem::exists(argv[1], code) ? "not a regular file" : "missing");
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file && !file.eof()) return Fail(argv[1], "cannot be read");
  if (bytes.empty()) return Fail(argv[1], "empty");
  song::SongLevels levels;
  std::vector<song::Click> clicks;
  std::string error;
  if (!song::FindClicks(bytes, song::ClickThreshold, clicks, error) || !song::MeasureLevels(bytes, levels, error)) {
    return Fail(argv[1], error);
  }
  std::printf("from    section     peak dBFS  RMS dBFS   low   mid  high  width\n");
  const auto& sections = song::Sections();
  double previous = 0;
  bool previousCounts = false;
  for (size_t i = 0; i < sections.size(); ++i) {
    const song::Level& l = levels.sections[i];
    const song::Spectrum& s = levels.spectra[i];
    if (l.count == 0) continue;
    const bool counts = !song::IsBreak(i);
    const bool step = counts && previousCounts && std::abs(l.RmsDb() - previous) > song::MaxStepDb;
    std::printf("0x%04X  %-10.*s  %9.1f  %8.1f  %5.1f %5.1f %5.1f  %5.2f%s%s\n", sections[i].start,
                static_cast<int>(sections[i].name.size()), sections[i].name.data(), l.PeakDb(), l.RmsDb(), s.LowDb(),
                s.MidDb(), s.HighDb(), s.Width(), counts ? "" : "  break", step ? "  step" : "");
    previous = l.RmsDb();
    previousCounts = counts;
  }
  std::printf("after the end       %9.1f  %8.1f\n", levels.afterEnd.PeakDb(), levels.afterEnd.RmsDb());
  std::printf("whole song          %9.1f  %8.1f\n", levels.whole.PeakDb(), levels.whole.RmsDb());
  if (clicks.empty()) std::printf("clicks: none\n");
  for (const song::Click& c : clicks)
    std::printf("click: %-14s %-11s jump %.3f (%.1f dBFS)\n", c.instrument.c_str(), c.where.c_str(), c.jump,
                20 * std::log10(c.jump));
  return 0;
}
