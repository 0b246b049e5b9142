// korvo-obj: Wavefront OBJ meshes into the demo's .obu object files, and what is inside one.
//   korvo-obj convert IN.obj OUT.obu [--scale S] [--center]
//   korvo-obj info FILE.obu
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/object_check.h"
#include "render/object_format.h"
#include "tools/obj/obu_file.h"
#include "tools/obj/wavefront.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: korvo-obj convert IN.obj OUT.obu [--scale S] [--center]\n"
               "       korvo-obj info FILE.obu\n");
  return 2;
}

int Fault(const std::string& path, const std::string& text) {
  std::fprintf(stderr, "korvo-obj: %s: %s\n", path.c_str(), text.c_str());
  return 1;
}

int Convert(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string in = argv[2], out = argv[3];
  float scale = 1.0f;
  bool center = false;
  for (int k = 4; k < argc; ++k) {
    const std::string option = argv[k];
    if (option == "--center") {
      center = true;
    } else if (option == "--scale" && k + 1 < argc) {
      char* end = nullptr;
      scale = std::strtof(argv[++k], &end);
      if (*end != '\0') return Usage();
    } else {
      return Usage();
    }
  }
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(in, &bytes, &error)) return Fault(in, error);
  ObjectMesh mesh;
  if (!ParseWavefront(std::string(bytes.begin(), bytes.end()), &mesh, &error)) return Fault(in, error);
  if (center) CenterMesh(mesh);
  ScaleMesh(mesh, scale);
  if (!WriteObu(out, mesh, &error)) return Fault(out, error);
  std::printf("%s: %zu vertices, %zu faces, %s\n", out.c_str(), mesh.positions.size(), mesh.faces.size(),
              mesh.texCoords.empty() ? "textured from normals" : "stored texture coordinates");
  return 0;
}

// Prints the range of each named axis of points ("xyz", or "uv" for the first two).
void PrintBounds(const char* what, const std::vector<Vector3>& points, const char* axes) {
  if (points.empty()) return;
  Vector3 low = points[0], high = points[0];
  for (const Vector3& p : points) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  const float lows[3] = {low.x, low.y, low.z}, highs[3] = {high.x, high.y, high.z};
  std::printf("%-10s", what);
  for (int k = 0; axes[k] != '\0'; ++k) std::printf(" %c %g .. %g", axes[k], lows[k], highs[k]);
  std::printf("\n");
}

int Info(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string path = argv[2];
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(path, &bytes, &error)) return Fault(path, error);
  if (!CheckObjectImage(bytes.data(), bytes.size(), &error)) return Fault(path, error);
  const ObjectBlocks b = LocateObjectBlocks(bytes.data());
  std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
  std::printf("vertices %d, faces %d, texture pairs %d\n", b.vertexCount, b.faceCount, b.texCoordCount);
  std::printf("blocks    positions %lld, faces %lld, texture %lld, records %lld, normals %lld, end %lld\n",
              static_cast<long long>(b.positions), static_cast<long long>(b.faces),
              static_cast<long long>(b.texCoords), static_cast<long long>(b.faceRecords),
              static_cast<long long>(b.normals), static_cast<long long>(b.end));
  const ObjectMesh mesh = DecodeObu(bytes);
  PrintBounds("positions", mesh.positions, "xyz");
  PrintBounds("normals", mesh.normals, "xyz");
  if (!mesh.texCoords.empty()) {
    std::vector<Vector3> uv;
    for (const MeshTexCoord& t : mesh.texCoords) uv.push_back({t.u, t.v, 0.0f});
    PrintBounds("texture", uv, "uv");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "convert") return Convert(argc, argv);
  if (command == "info") return Info(argc, argv);
  return Usage();
}
