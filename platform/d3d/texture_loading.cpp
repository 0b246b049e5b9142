// D3DX texture creation and loading: every texture is R5G6B5 to the demo, one level, any size up
// to 1024. In a high-definition rendering (software_device.h) blank textures may take the frame's
// scale, which a copy of the frame gives them; uploads and bitmaps keep their own size, and in
// true colour bitmaps keep their 8-bit channels.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/d3d/bmp_decoder.h"
#include "platform/d3d/call_recorder.h"
#include "platform/d3d/d3dx.h"
#include "platform/d3d/software_device.h"
#include "platform/d3d/texture.h"
#include "platform/win32/resources.h"

namespace {

constexpr DWORD kDefaultSize = 256;

DWORD ChosenSize(DWORD requested) {
  if (requested == 0 || requested == D3DX_DEFAULT) return kDefaultSize;
  return std::min<DWORD>(requested, Texture::kMaxSize);
}

void ReportTextureFault(int resourceId, const std::string& fault) {
  std::fprintf(stderr, "D3DXCreateTextureFromFile: bitmap resource %d: %s\n", resourceId,
               fault.c_str());
}

// The part of [0, size) a rectangle covers; the whole range without one.
struct Span {
  LONG first, end;
};
// size and rect are logical; the span is in stored texels, scale to a logical one.
Span Cover(const RECT* rect, bool horizontal, LONG size, LONG scale = 1) {
  if (!rect) return {0, size * scale};
  LONG first = horizontal ? rect->left : rect->top, end = horizontal ? rect->right : rect->bottom;
  return {std::clamp<LONG>(first, 0, size) * scale, std::clamp<LONG>(end, 0, size) * scale};
}

// The texture's texels are in place, both forms.
HRESULT WrapTexture(Texture* texture, DWORD* width, DWORD* height, D3DX_SURFACEFORMAT* format,
                    IDirectDrawSurface7** surface, DWORD* mipMapCount) {
  *surface = new IDirectDrawSurface7(texture);
  if (width) *width = static_cast<DWORD>(texture->logicalWidth());
  if (height) *height = static_cast<DWORD>(texture->logicalHeight());
  if (format) *format = D3DX_SF_R5G6B5;
  if (mipMapCount) *mipMapCount = 1;
  return S_OK;
}

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice7* device, DWORD* /*flags*/, DWORD* width, DWORD* height,
                          D3DX_SURFACEFORMAT* format, PALETTEENTRY* /*palette*/,
                          IDirectDrawSurface7** texture, DWORD* mipMapCount) {
  if (!device || !texture) return D3DXERR_INVALIDPARAMETER;
  *texture = nullptr;
  const SoftwareDevice& rendering = SoftwareDevice::Instance();
  auto* made = new Texture(static_cast<int>(ChosenSize(width ? *width : 0)),
                           static_cast<int>(ChosenSize(height ? *height : 0)), rendering.scale(),
                           rendering.trueColour());
  return WrapTexture(made, width, height, format, texture, mipMapCount);
}

HRESULT D3DXCreateTextureFromFile(IDirect3DDevice7* device, DWORD* /*flags*/, DWORD* width,
                                  DWORD* height, D3DX_SURFACEFORMAT* format,
                                  PALETTEENTRY* /*palette*/, IDirectDrawSurface7** texture,
                                  DWORD* mipMapCount, const char* sourceName,
                                  D3DX_FILTERTYPE /*filter*/) {
  if (!device || !texture || !sourceName) return D3DXERR_INVALIDPARAMETER;
  *texture = nullptr;
  if (!IS_INTRESOURCE(sourceName)) return D3DXERR_TEXTURENOTFOUND;  // only bitmap resources
  int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(sourceName));
  platform::ResourceBlock block = platform::FindBitmapResource(id);
  if (!block.data) {
    ReportTextureFault(id, "no such bitmap in the program");
    return D3DXERR_TEXTURENOTFOUND;
  }
  BmpImage image;
  std::string fault;
  if (!DecodeBmp(block.data, block.size, image, fault)) {
    ReportTextureFault(id, fault);
    return D3DXERR_INVALIDPARAMETER;
  }
  if (image.width > Texture::kMaxSize || image.height > Texture::kMaxSize) {
    ReportTextureFault(id, "larger than 1024 x 1024");
    return D3DXERR_INVALIDPARAMETER;
  }
  const bool trueColour = SoftwareDevice::Instance().trueColour();
  auto* made = new Texture(image.width, image.height, 1, trueColour);
  if (trueColour) {
    std::copy(image.colours.begin(), image.colours.end(), made->widened());
    made->Narrow(0, made->height());
  } else {
    std::copy(image.pixels.begin(), image.pixels.end(), made->pixels());
    made->Widen();
  }
  return WrapTexture(made, width, height, format, texture, mipMapCount);
}

HRESULT D3DXLoadTextureFromMemory(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                                  DWORD mipLevel, void* source, PALETTEENTRY* /*palette*/,
                                  D3DX_SURFACEFORMAT sourceFormat, DWORD sourcePitch,
                                  RECT* destination, D3DX_FILTERTYPE /*filter*/) {
  const bool wide = sourceFormat == D3DX_SF_X8R8G8B8;
  if (!device || !texture || !source || mipLevel != 0 || (sourceFormat != D3DX_SF_R5G6B5 && !wide))
    return D3DXERR_INVALIDPARAMETER;
  d3drec::Call call(d3drec::Call::Kind::LoadTextureFromMemory);
  call.texture = texture;
  d3drec::Append(std::move(call));
  if (!d3drec::Rasterizing()) return S_OK;
  Texture& target = *texture->texture();
  target.SetScale(1);  // an upload has the texture's own size
  Span columns = Cover(destination, true, target.width());
  Span rows = Cover(destination, false, target.height());
  LONG rowLength = columns.end - columns.first;
  if (rowLength <= 0) return S_OK;
  const std::size_t unit = wide ? 4 : 2;
  std::size_t pitch = sourcePitch != 0 ? sourcePitch / unit : static_cast<std::size_t>(rowLength);
  if (wide) {
    // 8-bit channels: a true-colour texture keeps them, a 16-bit one takes them truncated.
    const auto* pixels = static_cast<const std::uint32_t*>(source);
    for (LONG y = rows.first; y < rows.end; ++y) {
      const std::uint32_t* from = pixels + (y - rows.first) * pitch;
      std::uint32_t* to = target.widened() + y * target.width() + columns.first;
      for (LONG x = 0; x < rowLength; ++x) to[x] = from[x] & 0xFFFFFF;
    }
    target.Narrow(rows.first, rows.end);
    if (!target.trueColour()) target.Widen(rows.first, rows.end);
    return S_OK;
  }
  const auto* pixels = static_cast<const std::uint16_t*>(source);
  for (LONG y = rows.first; y < rows.end; ++y) {
    std::copy_n(pixels + (y - rows.first) * pitch, rowLength,
                target.pixels() + y * target.width() + columns.first);
  }
  target.Widen(rows.first, rows.end);
  return S_OK;
}

HRESULT D3DXLoadTextureFromSurface(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                                   DWORD mipLevel, IDirectDrawSurface7* source, RECT* sourceRect,
                                   RECT* destinationRect, D3DX_FILTERTYPE /*filter*/) {
  if (!device || !texture || !source || mipLevel != 0) return D3DXERR_INVALIDPARAMETER;
  d3drec::Call call(d3drec::Call::Kind::LoadTextureFromSurface);
  call.texture = texture;
  call.source = source;
  d3drec::Append(std::move(call));
  if (!d3drec::Rasterizing()) return S_OK;
  const Texture& from = *source->texture();
  Texture& to = *texture->texture();
  // A copy of a K-times frame keeps its detail where the texture can hold it.
  to.SetScale(std::min(from.scale(), to.maxScale()));
  Span fromX = Cover(sourceRect, true, from.logicalWidth(), from.scale());
  Span fromY = Cover(sourceRect, false, from.logicalHeight(), from.scale());
  Span toX = Cover(destinationRect, true, to.logicalWidth(), to.scale());
  Span toY = Cover(destinationRect, false, to.logicalHeight(), to.scale());
  std::int64_t fromW = fromX.end - fromX.first, fromH = fromY.end - fromY.first;
  std::int64_t toW = toX.end - toX.first, toH = toY.end - toY.first;
  if (fromW <= 0 || fromH <= 0 || toW <= 0 || toH <= 0) return S_OK;
  // Point filter: each target texel takes the source pixel under its centre. The source columns
  // are the same on every row, so they are worked out once.
  std::vector<std::int64_t> columns(static_cast<std::size_t>(toW));
  for (std::int64_t x = 0; x < toW; ++x) columns[x] = fromX.first + (2 * x + 1) * fromW / (2 * toW);
  if (from.trueColour()) {
    for (std::int64_t y = 0; y < toH; ++y) {
      std::int64_t sy = fromY.first + (2 * y + 1) * fromH / (2 * toH);
      const std::uint32_t* row = from.widened() + sy * from.width();
      std::uint32_t* out = to.widened() + (toY.first + y) * to.width() + toX.first;
      for (std::int64_t x = 0; x < toW; ++x) out[x] = row[columns[x]];
    }
    to.Narrow(toY.first, toY.end);
    // A 16-bit texture takes the copy as 16-bit values.
    if (!to.trueColour()) to.Widen(toY.first, toY.end);
    return S_OK;
  }
  for (std::int64_t y = 0; y < toH; ++y) {
    std::int64_t sy = fromY.first + (2 * y + 1) * fromH / (2 * toH);
    const std::uint16_t* row = from.pixels() + sy * from.width();
    std::uint16_t* out = to.pixels() + (toY.first + y) * to.width() + toX.first;
    for (std::int64_t x = 0; x < toW; ++x) out[x] = row[columns[x]];
  }
  to.Widen(toY.first, toY.end);
  return S_OK;
}
