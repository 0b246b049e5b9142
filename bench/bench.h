// korvo-bench sub-commands: each bench/<name>.cpp registers one with KORVO_BENCH(name, function).
// A sub-command prints one line per measurement, "<name> <what> key=value ...", so that anyone can
// run it again and compare.
#pragma once

using BenchCommand = int (*)(int argc, char** argv);

struct BenchRegistration {
  BenchRegistration(const char* name, BenchCommand command);
};

#define KORVO_BENCH(name, command) static BenchRegistration bench_registration_##name(#name, command)
