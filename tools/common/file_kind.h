// What a file is, told by its first bytes, so that a tool given the wrong kind of file says so
// ("rose.png: PNG picture, not an animation file") instead of reporting nonsense counts read from
// a picture's header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// "PNG picture", "JPEG picture", "GIF picture", "BMP picture", "XM module", "WAV sound",
// "ZIP archive", "gzip archive", "ELF program", "PDF document", "text file" (printable
// characters, which no binary format of the demo is), or "" when the signature is not known.
std::string FileKindOf(const std::vector<std::uint8_t>& bytes);

// "PATH: KIND, not EXPECTED" when the file is of a known other kind; otherwise false.
bool IsOtherKind(const std::string& path, const std::vector<std::uint8_t>& bytes, const std::string& expected,
                 std::string* fault);

}  // namespace tools
