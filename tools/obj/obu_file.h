// Writing and reading .obu object files (layout in render/object_format.h).
//
// With an odd face count the texture-coordinate block (or, without stored coordinates, the face
// records) begins over the last face index, so the drawer reads that index from the next block's
// first two bytes. The writer makes those bytes hold the right index: it writes the face records
// (otherwise zero) so that they begin with it, and with stored coordinates it moves a face that
// contains the vertex those bytes name to the end, or else appends one degenerate face.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/obj/object_mesh.h"

// False with *error set when the mesh does not fit the format: more than 60,000 vertices,
// normals or stored coordinates not one per vertex, a face index outside the vertices, a number
// that is not finite.
bool EncodeObu(const ObjectMesh& mesh, std::vector<std::uint8_t>* bytes, std::string* error);
// The error names the file; a failed write leaves no file behind unless one was there before.
bool WriteObu(const std::string& path, const ObjectMesh& mesh, std::string* error);

// Reads an image back as the drawer sees it (the overlapped last index included). The image
// must have passed CheckObjectImage.
ObjectMesh DecodeObu(const std::vector<std::uint8_t>& bytes);
// The whole file; a folder, pipe or device is refused at once. The error names the file.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error);
