#include "tools/obj/wavefront.h"

#include <map>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

struct Corner {
  int position, texCoord, normal;  // 0-based; -1 where the corner has none
  auto operator<=>(const Corner&) const = default;
};

struct Source {
  std::vector<Vector3> positions, normals;
  std::vector<MeshTexCoord> texCoords;
};

// An OBJ index (1-based, or negative from the end) into 0-based, -1 if out of range.
int ResolveIndex(long index, std::size_t count) {
  const long resolved = index > 0 ? index - 1 : static_cast<long>(count) + index;
  return (index == 0 || resolved < 0 || resolved >= static_cast<long>(count)) ? -1 : static_cast<int>(resolved);
}

bool ParseCorner(const std::string& word, const Source& source, Corner* corner) {
  long fields[3] = {0, 0, 0};
  bool present[3] = {false, false, false};
  std::size_t start = 0;
  for (int k = 0; k < 3 && start <= word.size(); ++k) {
    const std::size_t slash = word.find('/', start);
    const std::string part = word.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!part.empty()) {
      std::size_t used = 0;
      try {
        fields[k] = std::stol(part, &used);
      } catch (...) {
        return false;
      }
      if (used != part.size()) return false;
      present[k] = true;
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (!present[0]) return false;
  corner->position = ResolveIndex(fields[0], source.positions.size());
  corner->texCoord = present[1] ? ResolveIndex(fields[1], source.texCoords.size()) : -1;
  corner->normal = present[2] ? ResolveIndex(fields[2], source.normals.size()) : -1;
  return corner->position >= 0 && (!present[1] || corner->texCoord >= 0) && (!present[2] || corner->normal >= 0);
}

bool LineFault(std::string* error, int line, const std::string& what) {
  *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace

bool ParseWavefront(const std::string& text, ObjectMesh* mesh, std::string* error) {
  Source source;
  std::vector<std::vector<Corner>> polygons;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream words(line);
    std::string keyword;
    if (!(words >> keyword) || keyword[0] == '#') continue;
    if (keyword == "v" || keyword == "vn") {
      Vector3 v;
      if (!(words >> v.x >> v.y >> v.z)) return LineFault(error, number, "expected three numbers");
      (keyword == "v" ? source.positions : source.normals).push_back(v);
    } else if (keyword == "vt") {
      MeshTexCoord t{0.0f, 0.0f};
      if (!(words >> t.u)) return LineFault(error, number, "expected a texture coordinate");
      words >> t.v;
      source.texCoords.push_back(t);
    } else if (keyword == "f") {
      std::vector<Corner> polygon;
      for (std::string word; words >> word;) {
        Corner corner;
        if (!ParseCorner(word, source, &corner)) return LineFault(error, number, "bad face corner \"" + word + "\"");
        polygon.push_back(corner);
      }
      if (polygon.size() < 3) return LineFault(error, number, "a face needs three corners");
      polygons.push_back(std::move(polygon));
    }
  }

  ObjectMesh out;
  std::map<Corner, int> vertexOf;
  bool everyNormal = true;
  auto vertex = [&](const Corner& c) {
    const auto [at, added] = vertexOf.emplace(c, static_cast<int>(out.positions.size()));
    if (added) {
      out.positions.push_back(source.positions[c.position]);
      out.texCoords.push_back(c.texCoord >= 0 ? source.texCoords[c.texCoord] : MeshTexCoord{0.0f, 0.0f});
      out.normals.push_back(c.normal >= 0 ? source.normals[c.normal] : Vector3{0.0f, 0.0f, 0.0f});
      everyNormal = everyNormal && c.normal >= 0;
    }
    return at->second;
  };
  for (const std::vector<Corner>& polygon : polygons) {
    for (std::size_t k = 1; k + 1 < polygon.size(); ++k) {
      out.faces.push_back({vertex(polygon[0]), vertex(polygon[k]), vertex(polygon[k + 1])});
    }
  }
  if (source.texCoords.empty()) out.texCoords.clear();
  if (!everyNormal) ComputeSmoothNormals(out, NormalSharing::ByPosition);
  *mesh = std::move(out);
  return true;
}
