#include "tools/obj/object_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

Vector3 Sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 Cross(Vector3 a, Vector3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vector3 Normalized(Vector3 v) {
  const double length = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
  if (length == 0.0) return {0.0f, 0.0f, 0.0f};
  return {static_cast<float>(v.x / length), static_cast<float>(v.y / length), static_cast<float>(v.z / length)};
}

// Sums the face normals of every vertex into the slot group[vertex].
std::vector<Vector3> SumFaceNormals(const ObjectMesh& mesh, const std::vector<int>& group, int groupCount) {
  std::vector<Vector3> sums(groupCount, Vector3{0.0f, 0.0f, 0.0f});
  for (const MeshFace& f : mesh.faces) {
    const Vector3& a = mesh.positions[f.a];
    const Vector3 n = Cross(Sub(mesh.positions[f.b], a), Sub(mesh.positions[f.c], a));
    for (int index : {f.a, f.b, f.c}) {
      Vector3& s = sums[group[index]];
      s = {s.x + n.x, s.y + n.y, s.z + n.z};
    }
  }
  return sums;
}

void AssignGroupNormals(ObjectMesh& mesh, const std::vector<int>& group, int groupCount) {
  const std::vector<Vector3> sums = SumFaceNormals(mesh, group, groupCount);
  mesh.normals.resize(mesh.positions.size());
  for (std::size_t i = 0; i < mesh.positions.size(); ++i) mesh.normals[i] = Normalized(sums[group[i]]);
}

}  // namespace

void ComputeSmoothNormals(ObjectMesh& mesh, NormalSharing sharing) {
  std::map<std::tuple<float, float, float>, int> positions;
  std::vector<int> group(mesh.positions.size());
  for (std::size_t i = 0; i < group.size(); ++i) {
    const Vector3& p = mesh.positions[i];
    group[i] = sharing == NormalSharing::PerVertex
                   ? static_cast<int>(i)
                   : positions.emplace(std::make_tuple(p.x, p.y, p.z), static_cast<int>(positions.size())).first->second;
  }
  AssignGroupNormals(mesh, group, static_cast<int>(group.size()));
}

void CenterMesh(ObjectMesh& mesh) {
  if (mesh.positions.empty()) return;
  Vector3 low = mesh.positions[0], high = mesh.positions[0];
  for (const Vector3& p : mesh.positions) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  const Vector3 centre{(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
  for (Vector3& p : mesh.positions) p = Sub(p, centre);
}

void ScaleMesh(ObjectMesh& mesh, float factor) {
  for (Vector3& p : mesh.positions) p = {p.x * factor, p.y * factor, p.z * factor};
}
