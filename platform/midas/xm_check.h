// A completeness check for XM song files. libopenmpt plays a cut-off XM file without complaint
// (the missing patterns and samples are just silent), so the loader walks the file's own sizes
// first: header, every pattern, every instrument with its samples must lie inside the file.
// Files of other formats pass unchecked.
#pragma once

#include <string>
#include <vector>

namespace platform {

// False with the fault ("ends inside pattern 3") if the bytes are an XM file cut short.
bool XmFileComplete(const std::vector<char>& bytes, std::string& fault);

}  // namespace platform
