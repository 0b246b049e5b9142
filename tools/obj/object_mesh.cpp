#include "tools/obj/object_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

Vector3 Sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

struct Sum {
  double x = 0.0, y = 0.0, z = 0.0;
};

// Sums the face normals of every vertex into the slot group[vertex], in double: the cross product
// of edges near the float limit would overflow in float and leave no direction.
std::vector<Sum> SumFaceNormals(const ObjectMesh& mesh, const std::vector<int>& group, int groupCount) {
  std::vector<Sum> sums(groupCount);
  for (const MeshFace& f : mesh.faces) {
    const Vector3 &a = mesh.positions[f.a], &b = mesh.positions[f.b], &c = mesh.positions[f.c];
    const double ux = double{b.x} - a.x, uy = double{b.y} - a.y, uz = double{b.z} - a.z;
    const double vx = double{c.x} - a.x, vy = double{c.y} - a.y, vz = double{c.z} - a.z;
    const Sum n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    for (int index : {f.a, f.b, f.c}) {
      Sum& s = sums[group[index]];
      s = {s.x + n.x, s.y + n.y, s.z + n.z};
    }
  }
  return sums;
}

Vector3 Normalized(const Sum& v) {
  // Scaled first, so that the squares cannot overflow even for sums near the double limit.
  const double largest = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  if (!(largest > 0.0) || !std::isfinite(largest)) return {0.0f, 0.0f, 0.0f};
  const double x = v.x / largest, y = v.y / largest, z = v.z / largest;
  const double length = std::sqrt(x * x + y * y + z * z);
  return {static_cast<float>(x / length), static_cast<float>(y / length), static_cast<float>(z / length)};
}

void AssignGroupNormals(ObjectMesh& mesh, const std::vector<int>& group, int groupCount) {
  const std::vector<Sum> sums = SumFaceNormals(mesh, group, groupCount);
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
  Vector3 low, high;
  if (!MeshBounds(mesh, &low, &high)) return;
  const Vector3 centre{(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
  for (Vector3& p : mesh.positions) p = Sub(p, centre);
}

void ScaleMesh(ObjectMesh& mesh, float factor) {
  for (Vector3& p : mesh.positions) p = {p.x * factor, p.y * factor, p.z * factor};
}

bool MeshBounds(const ObjectMesh& mesh, Vector3* low, Vector3* high) {
  if (mesh.positions.empty()) return false;
  *low = *high = mesh.positions[0];
  for (const Vector3& p : mesh.positions) {
    *low = {std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z)};
    *high = {std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z)};
  }
  return true;
}

void RotateMesh(ObjectMesh& mesh, double degreesX, double degreesY, double degreesZ) {
  const double pi = 3.14159265358979323846;
  const double ax = degreesX * pi / 180.0, ay = degreesY * pi / 180.0, az = degreesZ * pi / 180.0;
  const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
  const double cz = std::cos(az), sz = std::sin(az);
  const auto turn = [&](Vector3& v) {
    double x = v.x, y = v.y, z = v.z;
    double t = y * cx - z * sx;  // about x
    z = y * sx + z * cx;
    y = t;
    t = x * cy + z * sy;  // about y
    z = -x * sy + z * cy;
    x = t;
    t = x * cz - y * sz;  // about z
    y = x * sz + y * cz;
    x = t;
    v = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  };
  for (Vector3& p : mesh.positions) turn(p);
  for (Vector3& n : mesh.normals) turn(n);
}

bool FitMeshHeight(ObjectMesh& mesh, float height) {
  Vector3 low, high;
  if (!MeshBounds(mesh, &low, &high)) return false;
  const double extent = double{high.y} - low.y;
  if (!(extent > 0.0)) return false;
  ScaleMesh(mesh, static_cast<float>(height / extent));
  return true;
}

void GroundMesh(ObjectMesh& mesh) {
  Vector3 low, high;
  if (!MeshBounds(mesh, &low, &high)) return;
  for (Vector3& p : mesh.positions) p.y -= low.y;
}

bool MeshIsFinite(const ObjectMesh& mesh, std::string* fault) {
  const auto finite = [](const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
  for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
    if (!finite(mesh.positions[i])) {
      *fault = "vertex " + std::to_string(i) + " has a position that is not a finite number";
      return false;
    }
  }
  for (std::size_t i = 0; i < mesh.normals.size(); ++i) {
    if (!finite(mesh.normals[i])) {
      *fault = "vertex " + std::to_string(i) + " has a normal that is not a finite number";
      return false;
    }
  }
  for (std::size_t i = 0; i < mesh.texCoords.size(); ++i) {
    if (!std::isfinite(mesh.texCoords[i].u) || !std::isfinite(mesh.texCoords[i].v)) {
      *fault = "vertex " + std::to_string(i) + " has a texture coordinate that is not a finite number";
      return false;
    }
  }
  return true;
}
