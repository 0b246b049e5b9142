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

}  // namespace

BenchRegistration::BenchRegistration(const char* name, BenchCommand command) {
  Commands()[name] = command;
}

int main(int argc, char** argv) {
  if (argc < 2 || Commands().count(argv[1]) == 0) {
    std::fprintf(stderr, "usage: korvo-bench COMMAND [options]\ncommands:");
    for (const auto& [name, command] : Commands()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  return Commands()[argv[1]](argc - 1, argv + 1);
}
