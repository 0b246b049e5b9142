#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "bench/bench.h"

namespace {

std::map<std::string, BenchCommand>& Commands() {
  static std::map<std::string, BenchCommand> commands;
  return commands;
}

constexpr const char* Usage =
    "usage: korvo-bench COMMAND [options]\n"
    "  codec [--plain]              the animation codec's stages; --plain without AVX-512\n"
    "  demo [--fps N] [--data DIR]  the whole demo, headless, timed per scene-table entry\n"
    "       [--render-scale K] [--colour 32]  in a high-definition rendering\n"
    "  device [REPEATS] [FRAME...]  the software device on busy frames (ring, tunnel, objects),\n"
    "       [--plain | --avx2]       per thread count; with the plain or the AVX2 loops\n"
    "       [--render-scale K] [--colour 32]  in a high-definition rendering\n"
    "  korvo-bench --help\n"
    "Each measurement is one line: \"<command> <what> key=value ...\".\n";

bool AsksForHelp(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

BenchRegistration::BenchRegistration(const char* name, BenchCommand command) {
  Commands()[name] = command;
}

int main(int argc, char** argv) {
  // Before anything runs: "korvo-bench demo --help" must not start a benchmark.
  if (AsksForHelp(argc, argv)) {
    std::fputs(Usage, stdout);
    std::printf("commands built in:");
    for (const auto& [name, command] : Commands()) std::printf(" %s", name.c_str());
    std::printf("\n");
    return 0;
  }
  if (argc < 2 || Commands().count(argv[1]) == 0) {
    std::fprintf(stderr, "korvo-bench: %s\nTry 'korvo-bench --help' for the usage.\n",
                 argc < 2 ? "a command is needed" : ("unknown command " + std::string(argv[1])).c_str());
    return 2;
  }
  return Commands()[argv[1]](argc - 1, argv + 1);
}
