// Wavefront OBJ meshes into ObjectMesh: positions (v), texture coordinates (vt), normals (vn) and
// polygons (f, with v, v/vt, v//vn or v/vt/vn corners, negative indices counting from the end).
// Polygons become triangle fans. Every distinct corner (position, coordinate, normal) becomes one
// vertex; coordinates are kept when the file has any (a corner without one gets (0, 0)); normals
// are taken when every corner has one, otherwise computed smooth by position. Other statements
// (o, g, s, usemtl, mtllib, l, p) are skipped.
#pragma once

#include <string>

#include "tools/obj/object_mesh.h"

// error names the line and the fault.
bool ParseWavefront(const std::string& text, ObjectMesh* mesh, std::string* error);
