#include "tools/obj/convert_options.h"

#include <cfloat>

#include "tools/common/numbers.h"

bool ParseConvertArguments(int argc, char** argv, ConvertRequest* request, std::string* fault) {
  bool scaled = false;
  for (int k = 0; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--center") {
      request->center = true;
    } else if (argument == "--ground") {
      request->ground = true;
    } else if (argument == "--scale" || argument == "--fit" || argument == "--rotate") {
      if (k + 1 >= argc) {
        *fault = argument + " needs a value";
        return false;
      }
      const char* value = argv[++k];
      // Factors and heights stay where a float position can hold the result.
      const bool parsed =
          argument == "--scale"  ? tools::ParseReal(argument, value, -1e6, 1e6, &request->scale, fault)
          : argument == "--fit"  ? tools::ParseReal(argument, value, 1e-6, 1e6, &request->fitHeight, fault)
                                 : tools::ParseReals(argument, value, 3, -36000.0, 36000.0, request->rotate, fault);
      if (!parsed) return false;
      scaled |= argument == "--scale";
    } else if (argument.rfind("--", 0) == 0) {
      *fault = "unknown option " + argument;
      return false;
    } else if (request->in.empty()) {
      request->in = argument;
    } else if (request->out.empty()) {
      request->out = argument;
    } else {
      *fault = "one input and one output only: " + argument;
      return false;
    }
  }
  if (request->out.empty()) {
    *fault = "convert needs IN.obj and OUT.obu";
    return false;
  }
  if (scaled && request->fitHeight > 0.0) {
    *fault = "--scale and --fit both set the size: give one";
    return false;
  }
  return true;
}

bool ApplyConvertRequest(const ConvertRequest& request, ObjectMesh* mesh, std::string* fault) {
  if (mesh->faces.empty()) {
    *fault = "holds no faces: there is nothing to draw";
    return false;
  }
  const double* r = request.rotate;
  if (r[0] != 0.0 || r[1] != 0.0 || r[2] != 0.0) RotateMesh(*mesh, r[0], r[1], r[2]);
  if (request.center) CenterMesh(*mesh);
  if (request.fitHeight > 0.0) {
    if (!FitMeshHeight(*mesh, static_cast<float>(request.fitHeight))) {
      *fault = "has no height to fit: every vertex lies at one y";
      return false;
    }
  } else if (request.scale != 1.0) {
    ScaleMesh(*mesh, static_cast<float>(request.scale));
  }
  if (request.ground) GroundMesh(*mesh);
  return MeshIsFinite(*mesh, fault);
}
