// The program's bitmap resources: BMP files (24-bit, or 8-bit with palette) compiled into the
// program and found by id, as the Windows resource section would hold them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct ResourceBlock {
  const std::uint8_t* data = nullptr;  // the whole BMP file, starting at "BM"
  std::size_t size = 0;
};

// Makes a block findable under an id (the build's generated resource table, or a test).
void RegisterBitmapResource(int id, const std::uint8_t* data, std::size_t size);
void UnregisterBitmapResource(int id);
// {nullptr, 0} when the program has no bitmap of that id.
ResourceBlock FindBitmapResource(int id);

}  // namespace platform
