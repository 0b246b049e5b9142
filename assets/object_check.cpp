#include "assets/object_check.h"

#include <cstring>

#include "render/object_format.h"

namespace {

bool Refuse(std::string* fault, std::string text) {
  *fault = "Object file " + std::move(text);
  return false;
}

std::string Truncated(const char* block, std::int64_t end, std::size_t size) {
  return "is truncated: " + std::string(block) + " end at byte " + std::to_string(end) + " of " +
         std::to_string(size);
}

}  // namespace

bool CheckObjectImage(const std::uint8_t* image, std::size_t size, std::string* fault) {
  if (size < static_cast<std::size_t>(ObjectHeaderSize)) {
    return Refuse(fault, Truncated("counts", ObjectHeaderSize, size));
  }
  const ObjectBlocks b = LocateObjectBlocks(image);
  if (b.vertexCount < 0 || b.faceCount < 0 || b.texCoordCount < 0) {
    return Refuse(fault, "has a negative count: " + std::to_string(b.vertexCount) + " vertices, " +
                             std::to_string(b.faceCount) + " faces, " +
                             std::to_string(b.texCoordCount) + " texture pairs");
  }
  if (b.vertexCount > ObjectVertexCapacity) {
    return Refuse(fault, "has too many vertices: " + std::to_string(b.vertexCount) + " (at most " +
                             std::to_string(ObjectVertexCapacity) + ")");
  }
  if (b.texCoordCount != 0 && b.texCoordCount != b.vertexCount) {
    return Refuse(fault, "has " + std::to_string(b.texCoordCount) + " texture pairs for " +
                             std::to_string(b.vertexCount) + " vertices (must be 0 or equal)");
  }
  const std::int64_t fileSize = static_cast<std::int64_t>(size);
  const struct {
    const char* name;
    std::int64_t end;
  } blockEnds[] = {{"positions", b.faces},
                   {"faces", b.facesEnd},
                   {"texture coordinates", b.faceRecords},
                   {"face records", b.normals},
                   {"normals", b.end}};
  for (const auto& block : blockEnds) {
    if (block.end > fileSize) return Refuse(fault, Truncated(block.name, block.end, size));
  }
  // Read as the drawer reads them: with an odd face count the last index lies under the block
  // that follows the faces.
  for (std::int64_t k = 0; k < 3 * std::int64_t{b.faceCount}; ++k) {
    std::uint16_t index;
    std::memcpy(&index, image + b.faces + 2 * k, sizeof index);
    if (index >= b.vertexCount) {
      return Refuse(fault, "has a face index past its vertices: face " + std::to_string(k / 3) +
                               " refers to vertex " + std::to_string(index) + " of " +
                               std::to_string(b.vertexCount));
    }
  }
  return true;
}
