#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool Fail(std::string* fault, FileFault* kind, FileFault what, const std::string& cause) {
  *fault = cause;
  if (kind != nullptr) *kind = what;
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

bool OpenRegularFile(const std::string& path, std::uint64_t limit, RegularFile* file,
                     std::string* fault, FileFault* kind) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    const int cause = errno;
    const bool missing = cause == ENOENT || cause == ENOTDIR;
    return Fail(fault, kind, missing ? FileFault::Missing : FileFault::CannotOpen, std::strerror(cause));
  }
  struct stat info {};
  if (fstat(descriptor, &info) != 0) {
    const int cause = errno;
    close(descriptor);
    return Fail(fault, kind, FileFault::CannotOpen, std::strerror(cause));
  }
  if (!S_ISREG(info.st_mode)) {
    close(descriptor);
    return Fail(fault, kind, FileFault::NotRegular, KindOf(info.st_mode));
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    close(descriptor);
    return Fail(fault, kind, FileFault::TooLarge,
                "file of " + std::to_string(size) + " bytes is larger than the " +
                    std::to_string(limit) + " bytes it may hold");
  }
  *file = {descriptor, size};
  if (kind != nullptr) *kind = FileFault::None;
  return true;
}

bool ReadAndClose(RegularFile* file, std::uint8_t* destination, std::string* fault) {
  std::uint64_t got = 0;
  int cause = 0;
  while (got < file->size) {
    const ssize_t n = read(file->descriptor, destination + got, file->size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      cause = n < 0 ? errno : 0;
      break;
    }
    got += static_cast<std::uint64_t>(n);
  }
  Close(file);
  if (got == file->size) return true;
  *fault = cause != 0 ? std::strerror(cause) : "the file got shorter while it was read";
  return false;
}

void Close(RegularFile* file) {
  if (file->descriptor >= 0) close(file->descriptor);
  file->descriptor = -1;
}

bool ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>* bytes,
                     std::string* fault, FileFault* kind) {
  RegularFile file;
  if (!OpenRegularFile(path, limit, &file, fault, kind)) return false;
  bytes->assign(file.size, 0);
  if (ReadAndClose(&file, bytes->data(), fault)) return true;
  if (kind != nullptr) *kind = FileFault::ReadFailed;
  return false;
}

}  // namespace platform
