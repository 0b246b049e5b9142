#include "tools/art/mesh_builder.h"

#include <cassert>
#include <cmath>

namespace art {

int MeshBuilder::AddVertex(Vec3 p, Vec3 n, Uv uv) {
  mesh.positions.push_back({p.x, p.y, p.z});
  n = Normalize(n);
  mesh.normals.push_back({n.x, n.y, n.z});
  mesh.texCoords.push_back({uv.u, uv.v});
  return static_cast<int>(mesh.positions.size()) - 1;
}

void MeshBuilder::AddFace(int a, int b, int c) { mesh.faces.push_back({a, b, c}); }

void MeshBuilder::AddPanel(Vec3 corner, Vec3 edgeU, Vec3 edgeV, int nu, int nv, Uv uv0, Uv uvU, Uv uvV) {
  Vec3 normal = Cross(edgeU, edgeV);
  int first = static_cast<int>(mesh.positions.size());
  for (int j = 0; j <= nv; ++j) {
    for (int i = 0; i <= nu; ++i) {
      float s = static_cast<float>(i) / nu, t = static_cast<float>(j) / nv;
      AddVertex(corner + edgeU * s + edgeV * t, normal,
                {uv0.u + uvU.u * s + uvV.u * t, uv0.v + uvU.v * s + uvV.v * t});
    }
  }
  for (int j = 0; j < nv; ++j) {
    for (int i = 0; i < nu; ++i) {
      int a = first + j * (nu + 1) + i;
      AddFace(a, a + 1, a + nu + 2);
      AddFace(a, a + nu + 2, a + nu + 1);
    }
  }
}

void MeshBuilder::AddTriangle(Vec3 a, Vec3 b, Vec3 c, Uv ta, Uv tb, Uv tc) {
  Vec3 n = Cross(b - a, c - a);
  int ia = AddVertex(a, n, ta), ib = AddVertex(b, n, tb), ic = AddVertex(c, n, tc);
  AddFace(ia, ib, ic);
}

void MeshBuilder::AddBox(Vec3 low, Vec3 high, float texelScale, float cell) {
  Vec3 size = high - low;
  auto cells = [cell](float length) { return std::max(1, static_cast<int>(std::lround(length / cell))); };
  float s = 1 / texelScale;
  // Sides in turn round the box, texture u running on round the perimeter.
  Vec3 corners[4] = {{low.x, low.y, low.z}, {low.x, low.y, high.z}, {high.x, low.y, high.z}, {high.x, low.y, low.z}};
  float perimeter = 0;
  for (int k = 0; k < 4; ++k) {
    Vec3 a = corners[k], b = corners[(k + 1) % 4];
    Vec3 edge = b - a;
    float length = Length(edge);
    // a -> b along the bottom, then up: edge x up points outward for this winding.
    AddPanel(a, edge, {0, size.y, 0}, cells(length), cells(size.y), {perimeter * s, -low.y * s},
             {length * s, 0}, {0, -size.y * s});
    perimeter += length;
  }
  AddPanel({low.x, high.y, high.z}, {size.x, 0, 0}, {0, 0, -size.z}, cells(size.x), cells(size.z),
           {low.x * s, high.z * s}, {size.x * s, 0}, {0, -size.z * s});
}

void AddLathe(MeshBuilder& builder, const std::vector<ProfilePoint>& profile, int segments, float uTurns,
              float vScale) {
  assert(profile.size() >= 2);
  size_t count = profile.size();
  // Profile segment normals in (radial, y).
  std::vector<std::pair<float, float>> segmentNormal(count - 1);
  std::vector<float> arc(count, 0);
  for (size_t s = 0; s + 1 < count; ++s) {
    float dr = profile[s + 1].radius - profile[s].radius, dy = profile[s + 1].y - profile[s].y;
    float length = std::sqrt(dr * dr + dy * dy);
    segmentNormal[s] = {dy / length, -dr / length};
    arc[s + 1] = arc[s] + length;
  }
  float total = arc[count - 1];
  for (size_t s = 0; s + 1 < count; ++s) {
    int rings[2];
    for (int end = 0; end < 2; ++end) {
      size_t i = s + end;
      std::pair<float, float> n = segmentNormal[s];
      if (!profile[i].crease && i > 0 && i + 1 < count) {
        std::pair<float, float> other = segmentNormal[end ? s + 1 : s - 1];
        n = {n.first + other.first, n.second + other.second};
      }
      rings[end] = static_cast<int>(builder.mesh.positions.size());
      for (int k = 0; k <= segments; ++k) {
        float angle = 2 * Pi * k / segments;
        float c = std::cos(angle), sn = std::sin(angle);
        Vec3 p{profile[i].radius * c, profile[i].y, -profile[i].radius * sn};
        builder.AddVertex(p, Vec3{n.first * c, n.second, -n.first * sn},
                          {uTurns * k / segments, (total - arc[i]) / vScale});
      }
    }
    bool bottomPole = profile[s].radius == 0, topPole = profile[s + 1].radius == 0;
    for (int k = 0; k < segments; ++k) {
      int a = rings[0] + k, b = rings[0] + k + 1, c = rings[1] + k + 1, d = rings[1] + k;
      if (!bottomPole) builder.AddFace(a, b, c);
      if (!topPole) builder.AddFace(a, c, d);
    }
  }
}

}  // namespace art
