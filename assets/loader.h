// Start-up loading: the decoder's buffers, the render textures, the eleven data files read whole,
// and the six bitmap textures. Nothing is loaded later; everything here lives for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d/d3dx.h"

constexpr int ObjectFileCount = 5;
constexpr int AnimationFileCount = 6;
constexpr int TextureSlotCount = 6;
constexpr int RenderTextureCount = 3;

// 0 talo1, 1 talo2, 2 talo3, 3 cyl, 4 piikki: whole .obu files.
extern std::uint8_t* ObjectFileImages[ObjectFileCount];
// 0 item, 1 kone, 2 3dfx, 3 pullo, 4 kelmu, 5 mina: whole .dat files.
extern std::uint8_t* AnimationStreamImages[AnimationFileCount];
// Byte counts of the images above, kept for the load-time checks.
extern std::size_t ObjectFileSizes[ObjectFileCount];
extern std::size_t AnimationStreamSizes[AnimationFileCount];
// The files in loading order, as the demo names them (backslash separator, relative to the data
// folder); each is also the caption of its file's failure box.
extern const char* const ObjectFilePaths[ObjectFileCount];
extern const char* const AnimationFilePaths[AnimationFileCount];
// Slot k holds bitmap resource 1001 + k.
extern IDirectDrawSurface7* TextureSlots[TextureSlotCount];
// 0: 128 x 128, 1: 256 x 256 (animation uploads), 2: 256 x 256 (back-buffer copy).
extern IDirectDrawSurface7* RenderTextures[RenderTextureCount];

// Stops at the first failure. Each object and animation image is checked as soon as it is read;
// a malformed one is refused with a box naming the fault, captioned with its path.
bool LoadAssets(HWND window);
// The file whole into a new block; on failure a box captioned with the path has been shown.
bool LoadWholeFile(const char* path, std::uint8_t** image, HWND window);
bool LoadWholeFile(const char* path, std::uint8_t** image, std::size_t* size, HWND window);
bool TextureFromResource(int slot, int resourceId);
bool CreateRenderTextures();
