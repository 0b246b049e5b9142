#include "tools/art/raster.h"

#include <cmath>
#include <limits>

namespace art {

namespace {

struct ViewVertex {
  Vec3 screen;  // x, y in pixels, z depth (larger is nearer)
  Vec3 normal;
  float u, v;
};

Vec3 ToView(const Vector3& p, float yaw, float pitch) {
  return RotateX(RotateY(Vec3{p.x, p.y, p.z}, yaw), pitch);
}

}  // namespace

void DrawOrthographic(Canvas& target, const ObjectMesh& mesh, float yaw, float pitch, const SurfaceShader& shade) {
  if (mesh.positions.empty()) return;
  Vec3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  std::vector<Vec3> view(mesh.positions.size());
  for (size_t i = 0; i < view.size(); ++i) {
    view[i] = ToView(mesh.positions[i], yaw, pitch);
    low = {std::min(low.x, view[i].x), std::min(low.y, view[i].y), std::min(low.z, view[i].z)};
    high = {std::max(high.x, view[i].x), std::max(high.y, view[i].y), std::max(high.z, view[i].z)};
  }
  float scale = 0.92f * std::min(target.width / std::max(high.x - low.x, 1e-3f),
                                 target.height / std::max(high.y - low.y, 1e-3f));
  Vec3 centre = (low + high) * 0.5f;
  std::vector<ViewVertex> vertices(view.size());
  for (size_t i = 0; i < view.size(); ++i) {
    const Vector3& n = mesh.normals[i];
    Vec3 p = view[i] - centre;
    // Screen y grows downwards; the viewer looks along -z, so z towards the viewer is -z.
    vertices[i].screen = {target.width * 0.5f + p.x * scale, target.height * 0.5f - p.y * scale, -p.z};
    vertices[i].normal = ToView(n, yaw, pitch);
    vertices[i].normal.z = -vertices[i].normal.z;
    vertices[i].u = mesh.texCoords.empty() ? 0 : mesh.texCoords[i].u;
    vertices[i].v = mesh.texCoords.empty() ? 0 : mesh.texCoords[i].v;
  }
  std::vector<float> depth(target.pixels.size(), -std::numeric_limits<float>::infinity());
  for (const MeshFace& f : mesh.faces) {
    const ViewVertex& a = vertices[f.a];
    const ViewVertex& b = vertices[f.b];
    const ViewVertex& c = vertices[f.c];
    float area = (b.screen.x - a.screen.x) * (c.screen.y - a.screen.y) - (b.screen.y - a.screen.y) * (c.screen.x - a.screen.x);
    if (std::fabs(area) < 1e-6f) continue;
    int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.screen.x, b.screen.x, c.screen.x}))));
    int x1 = std::min(target.width - 1, static_cast<int>(std::ceil(std::max({a.screen.x, b.screen.x, c.screen.x}))));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.screen.y, b.screen.y, c.screen.y}))));
    int y1 = std::min(target.height - 1, static_cast<int>(std::ceil(std::max({a.screen.y, b.screen.y, c.screen.y}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        float px = x + 0.5f, py = y + 0.5f;
        float wa = ((b.screen.x - px) * (c.screen.y - py) - (b.screen.y - py) * (c.screen.x - px)) / area;
        float wb = ((c.screen.x - px) * (a.screen.y - py) - (c.screen.y - py) * (a.screen.x - px)) / area;
        float wc = 1 - wa - wb;
        if (wa < 0 || wb < 0 || wc < 0) continue;
        float z = a.screen.z * wa + b.screen.z * wb + c.screen.z * wc;
        float& stored = depth[static_cast<size_t>(y) * target.width + x];
        if (z <= stored) continue;
        stored = z;
        Vec3 n = Normalize(a.normal * wa + b.normal * wb + c.normal * wc);
        target.At(x, y) = shade(n, a.u * wa + b.u * wb + c.u * wc, a.v * wa + b.v * wb + c.v * wc);
      }
    }
  }
}

}  // namespace art
