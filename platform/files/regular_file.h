// Whole regular files, read without waiting: the demo's data files, the song and the tools' inputs.
// Opening never blocks (a FIFO would block a plain open) and only regular files up to the caller's
// limit are read, so a pipe, a device or a folder named by mistake is refused at once instead of
// hanging or reading for ever, and nothing is allocated for a file that is refused. No SDL, no
// state: the tools link it alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Why a file was refused; Missing is "no such file or folder" (the hint for a wrong data folder).
enum class FileFault { None, Missing, CannotOpen, NotRegular, TooLarge, ReadFailed };

struct RegularFile {
  int descriptor = -1;
  std::uint64_t size = 0;  // bytes
};

// False when the file cannot be opened, is not a regular file or holds more than limit bytes;
// *fault is the cause in words ("No such file or directory", "a pipe, not a regular file",
// "file of N bytes is larger than the L bytes it may hold"), without the path.
bool OpenRegularFile(const std::string& path, std::uint64_t limit, RegularFile* file,
                     std::string* fault, FileFault* kind);
// Reads file->size bytes into destination and closes the file, whatever happens.
bool ReadAndClose(RegularFile* file, std::uint8_t* destination, std::string* fault);
void Close(RegularFile* file);

// Both steps into a vector.
bool ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>* bytes,
                     std::string* fault, FileFault* kind = nullptr);

}  // namespace platform
