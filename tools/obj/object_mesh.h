// An object as the content tools build it before it becomes a .obu file: per-vertex positions,
// normals and (optionally) texture coordinates, and a triangle list.
//
// The demo lights a vertex from its normal with d pointing from the light to the vertex, so an
// outward normal faces away from lights outside the object unless the scene turns the normals
// round (NormalScale -1). ComputeSmoothNormals gives outward normals for faces that run
// counter-clockwise seen from outside in a right-handed frame (the usual OBJ convention).
#pragma once

#include <string>
#include <vector>

#include "render/vector.h"

struct MeshFace {
  int a, b, c;  // vertex indices
};

struct MeshTexCoord {
  float u, v;
};

struct ObjectMesh {
  std::vector<Vector3> positions;
  std::vector<MeshFace> faces;
  std::vector<MeshTexCoord> texCoords;  // empty (textured from normals) or one per vertex
  std::vector<Vector3> normals;         // one per vertex
};

enum class NormalSharing {
  PerVertex,   // each vertex its own normal: vertices split at a crease keep a hard edge
  ByPosition,  // vertices at the same position share one: seams split for texture stay smooth
};

// Unit normals from the area-weighted face normals around each vertex (or position); a vertex
// that touches only degenerate faces gets (0, 0, 0).
void ComputeSmoothNormals(ObjectMesh& mesh, NormalSharing sharing);

// The bounding box of the positions; false for a mesh without vertices.
bool MeshBounds(const ObjectMesh& mesh, Vector3* low, Vector3* high);
// Moves the centre of the bounding box to the origin.
void CenterMesh(ObjectMesh& mesh);
void ScaleMesh(ObjectMesh& mesh, float factor);
// Turns positions and normals about the x axis, then y, then z, by degrees (counter-clockwise
// seen from the positive end of the axis; y is up in the demo's object space).
void RotateMesh(ObjectMesh& mesh, double degreesX, double degreesY, double degreesZ);
// Scales uniformly so that the y extent is height; false when the mesh has no height.
bool FitMeshHeight(ObjectMesh& mesh, float height);
// Moves the mesh up or down so that its lowest point stands on y = 0.
void GroundMesh(ObjectMesh& mesh);
// False with the fault naming the first vertex whose position, normal or coordinates are not
// finite numbers (what scaling a mesh near the float limit makes).
bool MeshIsFinite(const ObjectMesh& mesh, std::string* fault);
