#include "render/object.h"

#include <cmath>
#include <cstring>

#include "core/shared.h"
#include "render/light.h"
#include "render/object_format.h"

Vector3 ViewOffset{0.0f, 0.0f, 0.0f};
Vector3 ScaleBias{0.0f, 0.0f, 0.0f};
float UVScale = 1.0f;
float NormalScale = 1.0f;
ColourRGB AmbientColour{0.0f, 0.0f, 0.0f};
std::int32_t LightCount = 1;
LightRecord Lights[MaxLights]{};
std::uint8_t CullingOff = 1;
std::uint8_t ForceEnvMap = 0;

D3DLVERTEX ObjectVertexBuffer[ObjectVertexCapacity];

namespace {

constexpr float ViewBoxDepth = 400.0f;  // camera-space z accepted from 0 to this
constexpr float ViewBoxHalfWidth = 400.0f;

// Sine and cosine of one angle, computed once per call and used for every vertex.
struct Turn {
  float c, s;
  explicit Turn(float angle) : c(std::cos(angle * AngleUnit)), s(std::sin(angle * AngleUnit)) {}

  Vector3 AboutY(Vector3 v) const { return {v.x * c - v.z * s, v.y, v.z * c + v.x * s}; }
  Vector3 AboutX(Vector3 v) const { return {v.x, v.y * c - v.z * s, v.z * c + v.y * s}; }
};

Vector3 ReadVector(const std::uint8_t* at) {
  Vector3 v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

float ReadFloat(const std::uint8_t* at) {
  float f;
  std::memcpy(&f, at, sizeof f);
  return f;
}

bool OutsideViewBox(Vector3 c) {
  return c.z > ViewBoxDepth || c.z < 0.0f || c.x > ViewBoxHalfWidth || c.x < -ViewBoxHalfWidth;
}

// Channels are at least 0 after every light; the extra guard keeps a negative ambient with no
// lights (or a NaN ambient) from spilling into the neighbouring bytes.
DWORD ChannelByte(float c) {
  if (!(c > 0.0f)) return 0;
  if (c >= 255.0f) return 255;
  return static_cast<DWORD>(c);
}

struct VertexColour {
  D3DCOLOR diffuse, specular;
};

// Ambient plus each light in turn, clamped at 0 per channel after every light; what exceeds 255
// overflows into the specular colour.
VertexColour LightVertex(Vector3 w, Vector3 n) {
  float channel[3] = {AmbientColour.red, AmbientColour.green, AmbientColour.blue};
  for (int j = 0; j < LightCount && j < MaxLights; ++j) {
    const LightRecord& light = Lights[j];
    const Vector3 d{w.x - light.position.x, w.y - light.position.y, w.z - light.position.z};
    const float dist = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const float cosine = (d.x / dist) * n.x + (d.y / dist) * n.y + (d.z / dist) * n.z;
    float value = cosine * light.intensity - dist * light.falloff;
    if (value != value) value = 0.0f;  // a vertex right on the light has no direction to it
    if (value < 0.0f && light.allowNegative == 0) value = 0.0f;
    const float factor[3] = {light.red, light.green, light.blue};
    for (int k = 0; k < 3; ++k) {
      channel[k] = channel[k] + value * factor[k];
      if (channel[k] < 0.0f) channel[k] = 0.0f;
    }
  }
  DWORD diffuse[3], specular[3];
  for (int k = 0; k < 3; ++k) {
    float overflow = 0.0f;
    if (channel[k] > 255.0f) {
      overflow = channel[k] - 255.0f;
      if (overflow > 255.0f) overflow = 255.0f;
      channel[k] = 255.0f;
    }
    diffuse[k] = ChannelByte(channel[k]);
    specular[k] = ChannelByte(overflow);
  }
  return {diffuse[0] << 16 | diffuse[1] << 8 | diffuse[2],
          specular[0] << 16 | specular[1] << 8 | specular[2]};
}

}  // namespace

void DrawObject(ObjectImage image, float x, float y, float z, float scale, float yaw, float viewYaw,
                float viewPitch) {
  const Turn viewYawTurn(viewYaw), viewPitchTurn(viewPitch);
  const Vector3 placed{x + ViewOffset.x, y + ViewOffset.y, z + ViewOffset.z};
  if (CullingOff == 0 && OutsideViewBox(viewPitchTurn.AboutX(viewYawTurn.AboutY(placed)))) return;

  const Turn yawTurn(yaw);
  const Vector3 s{scale + ScaleBias.x, scale + ScaleBias.y, scale + ScaleBias.z};

  const ObjectBlocks blocks = LocateObjectBlocks(image);
  const std::int32_t n = blocks.vertexCount;
  if (n < 0 || n > ObjectVertexCapacity || blocks.faceCount < 0) return;
  const bool storedTexCoords = blocks.texCoordCount != 0 && ForceEnvMap == 0;

  for (std::int32_t i = 0; i < n; ++i) {
    const Vector3 v = ReadVector(image + blocks.positions + 12 * i);
    const Vector3 p = yawTurn.AboutY({s.x * v.x, s.y * v.y, s.z * v.z});
    const Vector3 lit{p.x + x, p.y + y, p.z + z};
    const Vector3 camera =
        viewPitchTurn.AboutX(viewYawTurn.AboutY({p.x + placed.x, p.y + placed.y, p.z + placed.z}));

    const Vector3 m = ReadVector(image + blocks.normals + 12 * i);
    const Vector3 normal = yawTurn.AboutY({NormalScale * m.x, NormalScale * m.y, NormalScale * m.z});
    const VertexColour colour = LightVertex(lit, normal);

    D3DLVERTEX& out = ObjectVertexBuffer[i];
    out.x = camera.x;
    out.y = camera.y;
    out.z = camera.z;
    out.color = colour.diffuse;
    out.specular = colour.specular;
    if (storedTexCoords) {
      const std::uint8_t* uv = image + blocks.texCoords + 8 * i;
      out.tu = UVScale * ReadFloat(uv);
      out.tv = UVScale * ReadFloat(uv + 4);
    } else {
      out.tu = normal.x;
      out.tv = normal.y;
    }
  }

  WORD* faces = reinterpret_cast<WORD*>(const_cast<std::uint8_t*>(image + blocks.faces));
  Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, ObjectVertexBuffer,
                               static_cast<DWORD>(n), faces, 3 * static_cast<DWORD>(blocks.faceCount), 0);
}
