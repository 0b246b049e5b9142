// The command line of korvo-obj convert and the changes it asks of the mesh, in their order:
// turn, centre, scale or fit to a height, stand on the ground.
#pragma once

#include <string>

#include "tools/obj/object_mesh.h"

struct ConvertRequest {
  std::string in, out;
  double rotate[3] = {0.0, 0.0, 0.0};  // --rotate X,Y,Z: degrees about x, then y, then z
  bool center = false;                 // --center: bounding box centre to the origin
  double scale = 1.0;                  // --scale S
  double fitHeight = 0.0;              // --fit H: scaled so that the y extent is H (0: not asked)
  bool ground = false;                 // --ground: lowest point on y = 0
};

// argv holds what follows "convert". False with a fault naming the option and what is wrong.
bool ParseConvertArguments(int argc, char** argv, ConvertRequest* request, std::string* fault);

// Applies the request to a parsed mesh; false with the fault when the result cannot be drawn
// (no faces, no height to fit, numbers that are no longer finite).
bool ApplyConvertRequest(const ConvertRequest& request, ObjectMesh* mesh, std::string* fault);
