// The toolkit's small value types: a 3-vector of 32-bit floats, used for positions, offsets and
// normals in the object drawer, the light table and the shared rotation work vector.
#pragma once

struct Vector3 {
  float x, y, z;
};
