#include "tools/art/objects.h"

#include <cmath>
#include <cstdlib>

#include "tools/art/mesh_builder.h"
#include "tools/obj/obu_file.h"

namespace art {

namespace {

constexpr float kCell = 8;  // panel subdivision, so the point lights fall off smoothly

// Texture divisor per talo: world units per unit of stored coordinate, times the scene's
// coordinate scale of that object, gives 64 units per repeat of the grid bitmap.
constexpr float kTalo1Texel = 256;  // drawn with coordinate scale 4
constexpr float kTalo2Texel = 128;  // scale 2
constexpr float kTalo3Texel = 512;  // scale 8

ObjectMesh Talo1() {
  MeshBuilder b;
  b.AddBox({-27, 0, -27}, {27, 4, 27}, kTalo1Texel, kCell);
  b.AddBox({-23, 4, -23}, {23, 62, 23}, kTalo1Texel, kCell);
  b.AddBox({-25, 62, -25}, {25, 65, 25}, kTalo1Texel, kCell);
  b.AddBox({-17, 65, -17}, {17, 96, 17}, kTalo1Texel, kCell);
  b.AddBox({-19, 96, -19}, {19, 99, 19}, kTalo1Texel, kCell);
  b.AddBox({-11, 99, -11}, {11, 122, 11}, kTalo1Texel, kCell);
  // Pyramid roof and mast.
  Vec3 apex{0, 148, 0};
  Vec3 base[4] = {{-11, 122, -11}, {-11, 122, 11}, {11, 122, 11}, {11, 122, -11}};
  float s = 1 / kTalo1Texel;
  for (int k = 0; k < 4; ++k) {
    Vec3 a = base[k], c = base[(k + 1) % 4];
    b.AddTriangle(a, c, apex, {k * 22 * s, 0}, {(k + 1) * 22 * s, 0}, {(k + 0.5f) * 22 * s, 30 * s});
  }
  b.AddBox({-1.2f, 140, -1.2f}, {1.2f, 166, 1.2f}, kTalo1Texel, kCell);
  return b.mesh;
}

ObjectMesh Talo2() {
  MeshBuilder b;
  const float s = 1 / kTalo2Texel;
  b.AddBox({-26, 0, -20}, {26, 56, 20}, kTalo2Texel, kCell);
  b.AddBox({-14, 0, 20}, {10, 34, 33}, kTalo2Texel, kCell);
  b.AddBox({10, 62, -13}, {18, 100, -5}, kTalo2Texel, kCell);
  // Gable ends.
  b.AddTriangle({-26, 56, -20}, {-26, 56, 20}, {-26, 86, 0}, {0, 0}, {40 * s, 0}, {20 * s, -30 * s});
  b.AddTriangle({26, 56, 20}, {26, 56, -20}, {26, 86, 0}, {0, 0}, {40 * s, 0}, {20 * s, -30 * s});
  // Roof slopes from the eaves to the ridge, overhanging the walls.
  for (float side : {-1.0f, 1.0f}) {
    Vec3 eave{side > 0 ? -29.0f : 29.0f, 53, side * 24};
    Vec3 along{side > 0 ? 58.0f : -58.0f, 0, 0};
    Vec3 up = Vec3{0, 87, 0} - Vec3{0, 53, side * 24};
    b.AddPanel(eave, along, up, 7, 4, {0, 0}, {58 * s, 0}, {0, -Length(up) * s});
  }
  return b.mesh;
}

ObjectMesh Talo3() {
  MeshBuilder b;
  // Three storeys parted by ledges, so the outline reads as a building even where the scenes
  // texture it from its normals.
  std::vector<ProfilePoint> profile = {{0, 0, true},     {31, 0, true},    {31, 5, true},    {28, 6, true},
                                       {28, 24, true},   {30.5f, 25, true}, {30.5f, 27, true}, {28, 28, true},
                                       {28, 44, true},   {30.5f, 45, true}, {30.5f, 47, true}, {28, 48, true},
                                       {28, 64, true},   {31, 66, true},   {31, 70, true},   {27, 71, true}};
  for (int k = 1; k <= 7; ++k) {
    float a = k * (Pi / 2) / 8;
    profile.push_back({27 * std::cos(a), 71 + 27 * std::sin(a), false});
  }
  profile.back().crease = true;
  float top = profile.back().y;
  profile.push_back({profile.back().radius, top + 8, true});
  profile.push_back({6.5f, top + 8, true});
  profile.push_back({0, top + 28, true});
  // Three repeats round: a whole number after the coordinate scale of 8.
  AddLathe(b, profile, 32, 3.0f / 8.0f, kTalo3Texel);
  // Flat windows standing just out of the round wall, eight a storey, and a door: each faces
  // one way, so it takes one colour where the round wall takes many.
  const Vec3 up{0, 1, 0};
  const float s = 1 / kTalo3Texel;
  for (int storey = 0; storey < 3; ++storey) {
    for (int k = 0; k < 8; ++k) {
      float a = 2 * Pi * (k + 0.5f * (storey % 2)) / 8;
      Vec3 out{std::cos(a), 0, std::sin(a)}, along{-std::sin(a), 0, std::cos(a)};
      bool door = storey == 0 && k == 0;
      float bottom = door ? 6.0f : 11.0f + 20.0f * storey, height = door ? 14.0f : 9.0f, width = door ? 9.0f : 6.0f;
      b.AddPanel(out * 28.6f - along * (width / 2) + up * bottom, up * height, along * width, 1, 2, {0, 0},
                 {0, height * s}, {width * s, 0});
    }
  }
  return b.mesh;
}

ObjectMesh Cylinder() {
  MeshBuilder b;
  std::vector<ProfilePoint> profile;
  for (int k = 0; k <= 40; ++k) profile.push_back({100, -400 + 20.0f * k, false});
  AddLathe(b, profile, 48, 1.0f, 400);
  // The tube faces its axis. Its normals are shorter than one: lights act on a vertex in
  // proportion to its normal's length, and at full length the scenes' lights, close to the
  // wall, overflow into white.
  const float k = -NormalLength("cyl");
  for (Vector3& n : b.mesh.normals) n = {k * n.x, k * n.y, k * n.z};
  return b.mesh;
}

ObjectMesh Piikki() {
  const float phi = 1.618034f, iphi = 1 / phi;
  std::vector<Vec3> longSpikes, shortSpikes;
  for (float a : {-1.0f, 1.0f}) {
    for (float c : {-1.0f, 1.0f}) {
      longSpikes.push_back({0, a, c * phi});
      longSpikes.push_back({a, c * phi, 0});
      longSpikes.push_back({c * phi, 0, a});
      shortSpikes.push_back({0, a * iphi, c * phi});
      shortSpikes.push_back({a * iphi, c * phi, 0});
      shortSpikes.push_back({c * phi, 0, a * iphi});
      for (float e : {-1.0f, 1.0f}) shortSpikes.push_back({a, c, e});
    }
  }
  MeshBuilder b;
  auto addSpike = [&](Vec3 axis, float length, float waist, float width) {
    MeshBuilder spike;
    AddLathe(spike, {{0, 0, true}, {width, waist, true}, {0, length, true}}, 10, 1, 1);
    Vec3 ey = Normalize(axis);
    Vec3 helper = std::fabs(ey.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 ex = Normalize(Cross(ey, helper)), ez = Cross(ex, ey);
    int offset = static_cast<int>(b.mesh.positions.size());
    for (size_t i = 0; i < spike.mesh.positions.size(); ++i) {
      const Vector3& p = spike.mesh.positions[i];
      const Vector3& n = spike.mesh.normals[i];
      b.mesh.positions.push_back({ex.x * p.x + ey.x * p.y + ez.x * p.z, ex.y * p.x + ey.y * p.y + ez.y * p.z,
                                  ex.z * p.x + ey.z * p.y + ez.z * p.z});
      b.mesh.normals.push_back({ex.x * n.x + ey.x * n.y + ez.x * n.z, ex.y * n.x + ey.y * n.y + ez.y * n.z,
                                ex.z * n.x + ey.z * n.y + ez.z * n.z});
    }
    for (const MeshFace& f : spike.mesh.faces) b.mesh.faces.push_back({f.a + offset, f.b + offset, f.c + offset});
  };
  // Two scenes add the star onto the frame at a fortieth of a light, without depth test: each
  // spike has a shell inside its skin, so every layer drawn adds again and the star reads.
  for (float shell : {1.0f, 0.6f}) {
    for (Vec3 d : longSpikes) addSpike(d, 62, 13, 6.5f * shell);
    for (Vec3 d : shortSpikes) addSpike(d, 46, 11, 5.5f * shell);
  }
  b.mesh.texCoords.clear();
  return b.mesh;
}

// The drawer lights a vertex when its normal points away from the light (the light-to-vertex
// direction is dotted with it), and the talo scenes draw with the normals as stored. Storing the
// houses' normals pointing inward makes the sides that face a light the lit ones, and keeps the
// light placed at the camera in the spinning talo scene from flaring the walls around it.
// A light adds intensity x (cosine x normal length - distance / its orbit), so normals of 0.6
// light only the walls within 0.6 of an orbit from a light, in pools, where full-length ones
// would overflow into white over whole towers (which the feedback tunnel then multiplies).
ObjectMesh FacingLights(ObjectMesh mesh) {
  const float k = -NormalLength("talo1");
  for (Vector3& n : mesh.normals) n = {k * n.x, k * n.y, k * n.z};
  return mesh;
}

}  // namespace

float NormalLength(const std::string& name) {
  if (name == "cyl") return 0.65f;
  return name == "piikki" ? 1.0f : 0.6f;
}

const std::vector<std::string>& ObjectNames() {
  static const std::vector<std::string> names = {"talo1", "talo2", "talo3", "cyl", "piikki"};
  return names;
}

ObjectMesh MakeObjectMesh(const std::string& name) {
  if (name == "talo1") return FacingLights(Talo1());
  if (name == "talo2") return FacingLights(Talo2());
  if (name == "talo3") return FacingLights(Talo3());
  if (name == "cyl") return Cylinder();
  if (name == "piikki") return Piikki();
  std::abort();
}

bool MakeObjectFile(const std::string& name, std::vector<std::uint8_t>* bytes, std::string* fault) {
  if (!EncodeObu(MakeObjectMesh(name), bytes, fault)) {
    *fault = name + ": " + *fault;
    return false;
  }
  return true;
}

}  // namespace art
