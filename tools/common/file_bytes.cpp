#include "tools/common/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/regular_file.h"

namespace tools {

namespace {

bool Fail(std::string* fault, const std::string& path, const std::string& cause) {
  *fault = path + ": " + cause;
  return false;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault,
                   std::uint64_t limit) {
  std::string cause;
  if (platform::ReadRegularFile(path, limit, bytes, &cause)) return true;
  return Fail(fault, path, cause);
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* fault) {
  struct stat before {};
  const bool existed = lstat(path.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) return Fail(fault, path, "a folder, not a file");
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) return Fail(fault, path, std::strerror(errno));
  std::size_t written = 0;
  int cause = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(file, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      cause = n < 0 ? errno : ENOSPC;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (close(file) != 0 && cause == 0) cause = errno;
  if (cause == 0) return true;
  // Only a file this write created is taken away again; a device or an older file stays.
  if (!existed) unlink(path.c_str());
  return Fail(fault, path, std::string("cannot be written: ") + std::strerror(cause));
}

}  // namespace tools
