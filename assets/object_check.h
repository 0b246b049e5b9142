// The load-time check of an object file image: everything DrawObject will read must lie inside
// the file and inside its vertex array, so a bad file is refused at start-up instead of crashing
// the demo later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when the image can be drawn safely. Otherwise *fault says what is wrong, in words fit
// for the failure box (e.g. "Object file is truncated: faces end at byte 70 of 64").
bool CheckObjectImage(const std::uint8_t* image, std::size_t size, std::string* fault);
