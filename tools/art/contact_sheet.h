// One picture of all the art as the demo will have it: the six bitmaps read back from their BMP
// files, an orthographic view of each object read back from its .obu file, and every frame of
// each animation decoded from its .dat file by the demo's own decoder (assets/) and converted
// through its colour table. Frames and bitmaps are shown at the 4:3 shape the screen gives them.
// The sheet is written in 16-bit colour, as the demo shows it.
#pragma once

#include <string>

namespace art {

struct ContactSheetSources {
  std::string dataFolder;    // the .obu and .dat files
  std::string bitmapFolder;  // bitmap1001.bmp ... bitmap1006.bmp
};

bool WriteContactSheet(const std::string& path, const ContactSheetSources& sources, std::string* fault);

}  // namespace art
