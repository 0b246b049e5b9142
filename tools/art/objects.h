// The demo's five objects. Units are the scenes' own; y is up and every object stands on or is
// centred at its origin:
//   talo1   a stepped tower with a spire, 54 wide, 166 tall (sharp edges)
//   talo2   a gabled house with a chimney and a side wing, 58 wide, 100 tall
//   talo3   a round domed tower of three storeys with windows, radius 31, 126 tall; the camera
//           fits inside it
//   cyl     an open tube, radius 100, from y -400 to 400, its normals facing the axis at 0.65
//           of unit length (lights act on it that much less)
//   piikki  a star of 32 spindle-shaped spikes meeting at the centre, radius 62, each with a
//           smaller shell inside (they add up where the star is drawn additively), no stored
//           texture coordinates (it is always textured from its normals)
// The talo objects store texture coordinates sized so that, at the scenes' coordinate scales
// (4, 2 and 8), one repeat of the grid bitmap spans 64 units. Their normals and the tube's point
// inward (see objects.cpp); the spikes' point outward.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/obj/object_mesh.h"

namespace art {

const std::vector<std::string>& ObjectNames();

ObjectMesh MakeObjectMesh(const std::string& name);

// Length of every normal of the object: the drawer's lights act on a vertex in proportion to
// it, so shorter normals light an object in pools instead of overflowing it into white.
float NormalLength(const std::string& name);

// The .obu file of one object; false with the fault when the writer refuses the mesh.
bool MakeObjectFile(const std::string& name, std::vector<std::uint8_t>* bytes, std::string* fault);

}  // namespace art
