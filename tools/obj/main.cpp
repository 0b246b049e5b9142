// korvo-obj: Wavefront OBJ meshes into the demo's .obu object files, and what is inside one.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/object_check.h"
#include "render/object_format.h"
#include "tools/common/file_bytes.h"
#include "tools/common/file_kind.h"
#include "tools/obj/convert_options.h"
#include "tools/obj/obu_file.h"
#include "tools/obj/wavefront.h"

namespace {

constexpr const char* Usage =
    "usage: korvo-obj convert IN.obj OUT.obu [options]\n"
    "         --rotate X,Y,Z   turn by degrees about x, then y, then z (y is up)\n"
    "         --center         move the centre of the bounding box to the origin\n"
    "         --scale S        multiply every position by S\n"
    "         --fit H          scale so that the object is H units high (instead of --scale)\n"
    "         --ground         move it so that its lowest point stands on y = 0\n"
    "       The options apply in this order: rotate, center, scale or fit, ground.\n"
    "       korvo-obj info FILE.obu\n"
    "       korvo-obj --help\n"
    "Status: 0 done, 1 a file could not be read or written or holds no drawable object,\n"
    "2 wrong usage.\n";

int WrongUsage(const std::string& message) {
  std::fprintf(stderr, "korvo-obj: %s\nTry 'korvo-obj --help' for the usage.\n", message.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "korvo-obj: %s\n", message.c_str());
  return 1;
}

// The input as OBJ text; pictures, archives and other binary files are named as what they are.
bool ReadWavefrontText(const std::string& path, std::string* text, std::string* fault) {
  std::vector<std::uint8_t> bytes;
  if (!tools::ReadFileBytes(path, &bytes, fault)) return false;
  if (bytes.empty()) {
    *fault = path + ": empty file";
    return false;
  }
  const std::string kind = tools::FileKindOf(bytes);
  if (kind != "text file") {
    *fault = path + ": " + (kind.empty() ? std::string("binary data") : kind) + ", not a Wavefront OBJ file";
    return false;
  }
  text->assign(bytes.begin(), bytes.end());
  return true;
}

int Convert(int argc, char** argv) {
  ConvertRequest request;
  std::string fault, text;
  if (!ParseConvertArguments(argc, argv, &request, &fault)) return WrongUsage(fault);
  if (!ReadWavefrontText(request.in, &text, &fault)) return Fail(fault);
  ObjectMesh mesh;
  if (!ParseWavefront(text, &mesh, &fault) || !ApplyConvertRequest(request, &mesh, &fault)) {
    return Fail(request.in + ": " + fault);
  }
  if (!WriteObu(request.out, mesh, &fault)) return Fail(fault);
  std::printf("%s: %zu vertices, %zu faces, %s\n", request.out.c_str(), mesh.positions.size(), mesh.faces.size(),
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
  if (argc != 1) return WrongUsage("info needs FILE.obu");
  const std::string path = argv[0];
  std::vector<std::uint8_t> bytes;
  std::string fault;
  if (!tools::ReadFileBytes(path, &bytes, &fault)) return Fail(fault);
  if (bytes.empty()) return Fail(path + ": empty file");
  if (!CheckObjectImage(bytes.data(), bytes.size(), &fault)) {
    const std::string kind = tools::FileKindOf(bytes);
    if (kind == "text file") return Fail(path + ": text file, not an object file (korvo-obj convert makes one from OBJ text)");
    if (!kind.empty()) return Fail(path + ": " + kind + ", not an object file");
    return Fail(path + ": " + fault);
  }
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
  // Loadable, but nothing the demo could show.
  if (b.faceCount == 0) return Fail(path + ": holds no faces: there is nothing to draw");
  return 0;
}

bool AsksForHelp(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForHelp(argc, argv)) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc < 2) return WrongUsage("a command is needed: convert or info");
  const std::string command = argv[1];
  if (command == "convert") return Convert(argc - 2, argv + 2);
  if (command == "info") return Info(argc - 2, argv + 2);
  return WrongUsage("unknown command " + command);
}
