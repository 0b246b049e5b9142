// Whole files in and out for the tools, with one error convention: false and a fault that names
// the file and what is wrong ("rose.dat: a folder, not a file").
//
// Reading opens without waiting and takes only regular files, so a pipe, a device or a folder
// named by mistake is refused at once instead of hanging or reading for ever; files above the
// caller's limit are refused before anything is allocated. Writing never deletes what the tool
// did not create: a failed write removes the output only if the write made it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

constexpr std::uint64_t LargestToolInput = std::uint64_t{1} << 31;  // bytes

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault,
                   std::uint64_t limit = LargestToolInput);

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* fault);

}  // namespace tools
