#include "tools/common/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tools {

namespace {

bool Fail(std::string* fault, const std::string& path, const std::string& cause) {
  *fault = path + ": " + cause;
  return false;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder, not a file";
  if (S_ISFIFO(mode)) return "a pipe, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
  if (S_ISSOCK(mode)) return "a socket, not a regular file";
  return "not a regular file";
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault,
                   std::uint64_t limit) {
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return Fail(fault, path, std::strerror(errno));
  struct stat info {};
  if (fstat(file, &info) != 0) {
    const int cause = errno;
    close(file);
    return Fail(fault, path, std::strerror(cause));
  }
  if (!S_ISREG(info.st_mode)) {
    close(file);
    return Fail(fault, path, KindOf(info.st_mode));
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    close(file);
    return Fail(fault, path, "file of " + std::to_string(size) + " bytes is larger than the " +
                                 std::to_string(limit) + " bytes this tool reads");
  }
  bytes->assign(size, 0);
  std::size_t got = 0;
  int cause = 0;
  while (got < size) {
    const ssize_t n = read(file, bytes->data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      cause = n < 0 ? errno : 0;
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  close(file);
  if (got != size) {
    return Fail(fault, path, cause != 0 ? std::strerror(cause) : "the file got shorter while it was read");
  }
  return true;
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
