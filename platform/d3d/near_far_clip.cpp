#include "platform/d3d/near_far_clip.h"

#include <vector>

namespace {

// A vertex in clip space with its attributes not yet divided.
struct ClipVertex {
  float x, y, z, w;
  float attributes[ScreenVertex::kAttributes];
};

ClipVertex Project(const D3DLVERTEX& v, const D3DMATRIX& m) {
  ClipVertex c;
  c.x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
  c.y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
  c.z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
  c.w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
  c.attributes[0] = v.tu;
  c.attributes[1] = v.tv;
  for (int k = 0; k < 3; ++k) {
    c.attributes[2 + k] = static_cast<float>((v.color >> (16 - 8 * k)) & 0xFF);
    c.attributes[5 + k] = static_cast<float>((v.specular >> (16 - 8 * k)) & 0xFF);
  }
  return c;
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  ClipVertex r;
  r.x = a.x + (b.x - a.x) * t;
  r.y = a.y + (b.y - a.y) * t;
  r.z = a.z + (b.z - a.z) * t;
  r.w = a.w + (b.w - a.w) * t;
  for (int k = 0; k < ScreenVertex::kAttributes; ++k)
    r.attributes[k] = a.attributes[k] + (b.attributes[k] - a.attributes[k]) * t;
  return r;
}

// Keeps the part of the polygon where distance(v) >= 0.
template <typename Distance>
void ClipPolygon(std::vector<ClipVertex>& in, std::vector<ClipVertex>& out, Distance distance) {
  out.clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    const ClipVertex& a = in[i];
    const ClipVertex& b = in[(i + 1) % in.size()];
    float da = distance(a), db = distance(b);
    if (da >= 0) out.push_back(a);
    if ((da >= 0) != (db >= 0)) out.push_back(Lerp(a, b, da / (da - db)));
  }
  in.swap(out);
}

ScreenVertex ToScreen(const ClipVertex& c, float width, float height) {
  float q = 1.0f / c.w;
  ScreenVertex s;
  s.x = (1.0f + c.x * q) * (width * 0.5f);
  s.y = (1.0f - c.y * q) * (height * 0.5f);
  s.z = c.z * q;
  s.q = q;
  for (int k = 0; k < ScreenVertex::kAttributes; ++k) s.attributes[k] = c.attributes[k] * q;
  return s;
}

}  // namespace

void ClipTrianglesToScreen(const D3DLVERTEX* vertices, DWORD vertexCount, const WORD* indices,
                           DWORD indexCount, const D3DMATRIX& projection, float width, float height,
                           TriangleBatch& batch) {
  // Vertices inside both planes are projected once and shared by their triangles. The buffers
  // are kept from draw to draw (device calls come from one thread).
  static std::vector<ClipVertex> clip, polygon, scratch;
  static std::vector<int> screenIndex;
  clip.resize(vertexCount);
  screenIndex.assign(vertexCount, -1);
  for (DWORD i = 0; i < vertexCount; ++i) {
    clip[i] = Project(vertices[i], projection);
    const ClipVertex& c = clip[i];
    if (c.z >= 0 && c.z <= c.w && c.w > 0) screenIndex[i] = batch.AddVertex(ToScreen(c, width, height));
  }
  for (DWORD t = 0; t + 3 <= indexCount; t += 3) {
    WORD a = indices[t], b = indices[t + 1], c = indices[t + 2];
    if (a >= vertexCount || b >= vertexCount || c >= vertexCount) continue;
    if (screenIndex[a] >= 0 && screenIndex[b] >= 0 && screenIndex[c] >= 0) {
      batch.AddTriangle(screenIndex[a], screenIndex[b], screenIndex[c]);
      continue;
    }
    polygon.assign({clip[a], clip[b], clip[c]});
    ClipPolygon(polygon, scratch, [](const ClipVertex& v) { return v.z; });
    ClipPolygon(polygon, scratch, [](const ClipVertex& v) { return v.w - v.z; });
    if (polygon.size() < 3) continue;
    bool behindEye = false;
    for (const ClipVertex& v : polygon) behindEye |= !(v.w > 0);
    if (behindEye) continue;
    int first = batch.AddVertex(ToScreen(polygon[0], width, height));
    int previous = batch.AddVertex(ToScreen(polygon[1], width, height));
    for (std::size_t k = 2; k < polygon.size(); ++k) {
      int next = batch.AddVertex(ToScreen(polygon[k], width, height));
      batch.AddTriangle(first, previous, next);
      previous = next;
    }
  }
}
