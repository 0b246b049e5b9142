#include "tools/obj/obu_file.h"

#include <algorithm>
#include <cstring>

#include "render/object_format.h"
#include "tools/common/file_bytes.h"

namespace {

template <typename T>
void Put(std::vector<std::uint8_t>& bytes, std::int64_t offset, const T& value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T Get(const std::vector<std::uint8_t>& bytes, std::int64_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

bool Fail(std::string* error, std::string text) {
  *error = std::move(text);
  return false;
}

bool CheckMesh(const ObjectMesh& mesh, std::string* error) {
  const std::size_t n = mesh.positions.size();
  if (n > static_cast<std::size_t>(ObjectVertexCapacity)) {
    return Fail(error, std::to_string(n) + " vertices, at most " + std::to_string(ObjectVertexCapacity));
  }
  if (mesh.normals.size() != n) {
    return Fail(error, std::to_string(mesh.normals.size()) + " normals for " + std::to_string(n) + " vertices");
  }
  if (!mesh.texCoords.empty() && mesh.texCoords.size() != n) {
    return Fail(error, std::to_string(mesh.texCoords.size()) + " texture pairs for " + std::to_string(n) + " vertices");
  }
  if (!MeshIsFinite(mesh, error)) return false;
  for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
    for (int index : {mesh.faces[f].a, mesh.faces[f].b, mesh.faces[f].c}) {
      if (index < 0 || static_cast<std::size_t>(index) >= n) {
        return Fail(error, "face " + std::to_string(f) + " refers to vertex " + std::to_string(index) + " of " +
                               std::to_string(n));
      }
    }
  }
  return true;
}

// With stored coordinates and an odd face count the last index is the low half of the first
// u's bits: end the list with a face holding that vertex third (turned, so its winding stays),
// or pad it with a degenerate face to an even count.
std::vector<MeshFace> FacesForOverlap(const ObjectMesh& mesh) {
  std::vector<MeshFace> faces = mesh.faces;
  if (faces.size() % 2 == 0 || mesh.texCoords.empty()) return faces;
  std::uint32_t bits;
  std::memcpy(&bits, &mesh.texCoords[0].u, sizeof bits);
  const int shared = static_cast<int>(bits & 0xFFFF);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MeshFace face = faces[f];
    const MeshFace turns[3] = {face, {face.b, face.c, face.a}, {face.c, face.a, face.b}};
    for (const MeshFace& turned : turns) {
      if (turned.c != shared) continue;
      faces.erase(faces.begin() + static_cast<std::ptrdiff_t>(f));
      faces.push_back(turned);
      return faces;
    }
  }
  faces.push_back({0, 0, 0});
  return faces;
}

}  // namespace

bool EncodeObu(const ObjectMesh& mesh, std::vector<std::uint8_t>* bytes, std::string* error) {
  if (!CheckMesh(mesh, error)) return false;
  const std::vector<MeshFace> faces = FacesForOverlap(mesh);
  const auto n = static_cast<std::int32_t>(mesh.positions.size());
  const auto L = static_cast<std::int32_t>(faces.size());
  const auto M = static_cast<std::int32_t>(mesh.texCoords.size());
  const ObjectBlocks b = ObjectBlocksFor(n, L, M);

  std::vector<std::uint8_t>& out = *bytes;
  out.assign(static_cast<std::size_t>(b.end), 0);
  Put(out, 0, n);
  Put(out, 4, L);
  Put(out, 8, M);
  for (std::int32_t i = 0; i < n; ++i) Put(out, b.positions + 12 * i, mesh.positions[i]);
  for (std::int32_t f = 0; f < L; ++f) {
    const std::uint16_t indices[3] = {static_cast<std::uint16_t>(faces[f].a), static_cast<std::uint16_t>(faces[f].b),
                                      static_cast<std::uint16_t>(faces[f].c)};
    Put(out, b.faces + 6 * f, indices);
  }
  for (std::int32_t i = 0; i < M; ++i) Put(out, b.texCoords + 8 * i, mesh.texCoords[i]);
  // The records carry nothing, except, over an odd face list, the last index they cover.
  if (L % 2 == 1 && M == 0) Put(out, b.faceRecords, static_cast<std::uint16_t>(faces.back().c));
  for (std::int32_t i = 0; i < n; ++i) Put(out, b.normals + 12 * i, mesh.normals[i]);
  return true;
}

bool WriteObu(const std::string& path, const ObjectMesh& mesh, std::string* error) {
  std::vector<std::uint8_t> bytes;
  if (!EncodeObu(mesh, &bytes, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return tools::WriteFileBytes(path, bytes, error);
}

ObjectMesh DecodeObu(const std::vector<std::uint8_t>& bytes) {
  const ObjectBlocks b = LocateObjectBlocks(bytes.data());
  ObjectMesh mesh;
  for (std::int32_t i = 0; i < b.vertexCount; ++i) {
    mesh.positions.push_back(Get<Vector3>(bytes, b.positions + 12 * i));
    mesh.normals.push_back(Get<Vector3>(bytes, b.normals + 12 * i));
  }
  for (std::int32_t f = 0; f < b.faceCount; ++f) {
    const std::int64_t at = b.faces + 6 * f;
    mesh.faces.push_back({Get<std::uint16_t>(bytes, at), Get<std::uint16_t>(bytes, at + 2),
                          Get<std::uint16_t>(bytes, at + 4)});
  }
  for (std::int32_t i = 0; i < b.texCoordCount; ++i) {
    mesh.texCoords.push_back(Get<MeshTexCoord>(bytes, b.texCoords + 8 * i));
  }
  return mesh;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error) {
  return tools::ReadFileBytes(path, bytes, error);
}
