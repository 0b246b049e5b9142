// The .obu object file layout, shared by the drawer, the load-time check and the object writer.
//
// Little-endian, no magic: n vertices, L faces, M texture pairs (0 or n), then
//   12            positions   12 n bytes (x, y, z floats)
//   12 + 12 n     faces        6 L bytes (three uint16 indices each, a triangle list)
//   U             tex coords   8 M bytes, U = (12 + 12 n + 6 L) rounded down to a multiple of 4,
//                              so with L odd the block starts over the last face index
//   U + 8 M       face records 12 L bytes, never read
//   ... + 12 L    normals     12 n bytes
// Offsets are 64-bit so that any counts read from a file can be located without overflow.
#pragma once

#include <cstdint>
#include <cstring>

// Vertices the drawer can transform in one object; files with more are refused.
constexpr int ObjectVertexCapacity = 60000;

struct ObjectBlocks {
  std::int32_t vertexCount;    // n
  std::int32_t faceCount;      // L
  std::int32_t texCoordCount;  // M
  std::int64_t positions;      // byte offsets from the start of the image
  std::int64_t faces;
  std::int64_t facesEnd;
  std::int64_t texCoords;
  std::int64_t faceRecords;
  std::int64_t normals;
  std::int64_t end;  // one past the last normal: the file size a writer produces
};

constexpr std::int64_t ObjectHeaderSize = 12;

constexpr ObjectBlocks ObjectBlocksFor(std::int32_t n, std::int32_t L, std::int32_t M) {
  ObjectBlocks b{n, L, M, 0, 0, 0, 0, 0, 0, 0};
  b.positions = ObjectHeaderSize;
  b.faces = b.positions + 12 * std::int64_t{n};
  b.facesEnd = b.faces + 6 * std::int64_t{L};
  b.texCoords = b.facesEnd & ~std::int64_t{3};
  b.faceRecords = b.texCoords + 8 * std::int64_t{M};
  b.normals = b.faceRecords + 12 * std::int64_t{L};
  b.end = b.normals + 12 * std::int64_t{n};
  return b;
}

inline std::int32_t ReadObjectInt(const std::uint8_t* at) {
  std::int32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Reads the three counts from the header (12 bytes must be there) and locates the blocks.
inline ObjectBlocks LocateObjectBlocks(const std::uint8_t* image) {
  return ObjectBlocksFor(ReadObjectInt(image), ReadObjectInt(image + 4), ReadObjectInt(image + 8));
}
