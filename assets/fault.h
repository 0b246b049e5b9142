// Fault texts of the codec: a sentence naming what is wrong with a frame or an image, written
// only when the caller asked for one.
#pragma once

#include <string>

void SetFault(std::string* fault, const char* format, ...) __attribute__((format(printf, 2, 3)));
