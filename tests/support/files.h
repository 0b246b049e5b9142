// File helpers the suites share: a fresh temporary folder, a whole file as text, and the exit
// status of a child process.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

// A new, empty folder under the test run's temporary folder.
inline fs::path FreshFolder(const std::string& prefix = "korvo") {
  std::string pattern = (fs::path(testing::TempDir()) / (prefix + "-XXXXXX")).string();
  EXPECT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
  return pattern;
}

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline int LineCount(const fs::path& path) {
  const std::string text = ReadAll(path);
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Exit status of a finished child; 1000 + the signal for one a signal ended.
inline int ExitStatus(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

}  // namespace testsupport
