// Start-up loading: the decoder's buffers, the render textures, the eleven data files read whole,
// and the six bitmap textures. Nothing is loaded later; everything here lives for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/shared.h"

// The files in loading order, as the demo names them (backslash separator, relative to the data
// folder); each is also the caption of its file's failure box.
extern const char* const ObjectFilePaths[ObjectFileCount];
extern const char* const AnimationFilePaths[AnimationFileCount];
// Stops at the first failure. Each object and animation image is checked as soon as it is read,
// and every animation frame is decoded once (the decoder is left as it was); a malformed file is
// refused with a box naming the fault, captioned with its path.
bool LoadAssets(HWND window);
// The file whole into a new block. Only a regular file of at most 2^31 - 1 bytes is read, and the
// open never waits. On failure a line on standard error names the full path and the cause, and
// then a box captioned with the path shows the demo's own text: "File not found!" for a file that
// cannot be opened or is no regular file, "APUA PÄÄÄÄÄÄÄ!!" for an empty or oversized one.
bool LoadWholeFile(const char* path, std::uint8_t** image, HWND window);
bool LoadWholeFile(const char* path, std::uint8_t** image, std::size_t* size, HWND window);
bool TextureFromResource(int slot, int resourceId);
bool CreateRenderTextures();
