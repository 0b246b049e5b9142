#include "tools/art/contact_sheet.h"

#include <cmath>
#include <vector>

#include "assets/animation_codec.h"
#include "assets/animation_stream.h"
#include "assets/frame_reconstruction.h"
#include "assets/object_check.h"
#include "platform/capture/png_writer.h"
#include "tools/art/animations.h"
#include "tools/art/bitmaps.h"
#include "tools/art/bmp.h"
#include "tools/art/font.h"
#include "tools/art/objects.h"
#include "tools/art/raster.h"
#include "tools/obj/obu_file.h"

namespace art {

namespace {

constexpr int kSheetWidth = 1568;
constexpr Vec3 kBackground{0.16f, 0.16f, 0.19f};

Vec3 FromRgb8(const std::uint8_t* p) { return Vec3{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f}; }
Vec3 From565(std::uint16_t v) {
  int r = v >> 11, g = (v >> 5) & 63, b = v & 31;
  return Vec3{((r << 3) | (r >> 2)) / 255.0f, ((g << 2) | (g >> 4)) / 255.0f, ((b << 3) | (b >> 2)) / 255.0f};
}

// Copies a picture into the sheet, resampled to w x h at (x, y).
void Place(Canvas& sheet, const Canvas& picture, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      float sx = (i + 0.5f) * picture.width / w - 0.5f, sy = (j + 0.5f) * picture.height / h - 0.5f;
      if (x + i < sheet.width && y + j < sheet.height) sheet.At(x + i, y + j) = picture.Sample(sx, sy);
    }
  }
}

void Label(Canvas& sheet, const std::string& text, int x, int y) {
  Mask mask(sheet.width, sheet.height);
  StampText(mask, text, x, y, 2, false);
  for (size_t i = 0; i < mask.values.size(); ++i)
    if (mask.values[i] > 0) sheet.pixels[i] = Vec3{0.95f, 0.9f, 0.7f};
}

bool AddBitmaps(Canvas& sheet, int top, const std::string& folder, std::string* fault) {
  int x = 16;
  for (const BitmapInfo& info : BitmapTable()) {
    std::vector<std::uint8_t> file;
    DecodedBmp bmp;
    std::string path = folder + "/" + info.fileName;
    if (!ReadFile(path, &file, fault)) return false;
    if (!DecodeBmp(file, &bmp, fault)) {
      *fault = path + ": " + *fault;
      return false;
    }
    Canvas picture(bmp.picture.width, bmp.picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = FromRgb8(&bmp.picture.rgb[3 * i]);
    Label(sheet, std::to_string(info.id) + " " + std::to_string(bmp.bitsPerPixel) + "BIT", x, top);
    Place(sheet, picture, x, top + 22, 240, 180);
    x += 252;
  }
  return true;
}

Vec3 ObjectShade(const std::string& name, const Canvas& grid, Vec3 n, float u, float v) {
  Vec3 light = Normalize(Vec3{-0.4f, 0.6f, 0.7f});
  float diffuse = 0.25f + 0.75f * std::fabs(Dot(n, light));  // both sides, as the scenes draw them
  float scale = name == "talo1" ? 4.0f : name == "talo2" ? 2.0f : name == "talo3" ? 8.0f : 4.0f;
  if (name == "piikki") {  // textured from its normals, as the scenes draw it
    u = n.x;
    v = n.y;
    scale = 1;
  }
  float fu = u * scale - std::floor(u * scale), fv = v * scale - std::floor(v * scale);
  Vec3 texel = grid.Sample(fu * grid.width - 0.5f, fv * grid.height - 0.5f);
  return Vec3{0.3f, 0.3f, 0.34f} * diffuse + texel * (0.4f + 0.6f * diffuse);
}

bool AddObjects(Canvas& sheet, int top, const std::string& folder, std::string* fault) {
  Canvas grid = MakeStreakGrid();
  int x = 16;
  for (const std::string& name : ObjectNames()) {
    std::vector<std::uint8_t> bytes;
    std::string path = folder + "/" + name + ".obu";
    if (!ReadFileBytes(path, &bytes, fault)) return false;
    if (!CheckObjectImage(bytes.data(), bytes.size(), fault)) {
      *fault = path + ": " + *fault;
      return false;
    }
    ObjectMesh mesh = DecodeObu(bytes);
    Canvas tile(288, 288);
    for (Vec3& p : tile.pixels) p = Vec3{0.05f, 0.05f, 0.07f};
    DrawOrthographic(tile, mesh, 0.6f, 0.35f,
                     [&](Vec3 n, float u, float v) { return ObjectShade(name, grid, n, u, v); });
    Label(sheet, name + " " + std::to_string(mesh.positions.size()) + "V", x, top);
    Place(sheet, tile, x, top + 22, 288, 288);
    x += 300;
  }
  return true;
}

bool AddAnimations(Canvas& sheet, int top, const std::string& folder, int* bottom, std::string* fault) {
  if (InitAnimationDecoder() != 1) {
    *fault = "the animation decoder could not start";
    return false;
  }
  constexpr int kTileW = 92, kTileH = 69, kPerRow = 16;
  int y = top;
  std::vector<std::uint16_t> pixels(256 * 256);
  for (const AnimationInfo& info : AnimationTable()) {
    std::vector<std::uint8_t> image;
    std::string path = folder + "/" + info.name + ".dat";
    if (!ReadFile(path, &image, fault)) return false;
    if (!CheckAnimationStream(image.data(), image.size(), fault)) {
      *fault = path + ": " + *fault;
      return false;
    }
    int frames = AnimationFrameCount(image.data());
    Label(sheet, info.name + " " + std::to_string(frames) + " FRAMES " + std::to_string(image.size() / 1024) + "K",
          16, y);
    y += 22;
    for (int k = 0; k < frames; ++k) {
      CodedFrameSpan span = LocateCodedFrame(image.data(), k);
      if (DecodeFrame(span.data, DecodedPicture, span.size, fault) != 1) {
        *fault = path + ": frame " + std::to_string(k) + ": " + *fault;
        return false;
      }
      ConvertPicture(DecodedPicture, pixels.data(), 2 * FrameWidth, FrameWidth, FrameHeight);
      Canvas frame(FrameWidth, FrameHeight);
      for (size_t i = 0; i < frame.pixels.size(); ++i) frame.pixels[i] = From565(pixels[i]);
      Place(sheet, frame, 16 + (k % kPerRow) * (kTileW + 4), y + (k / kPerRow) * (kTileH + 4), kTileW, kTileH);
    }
    y += ((frames + kPerRow - 1) / kPerRow) * (kTileH + 4) + 10;
  }
  *bottom = y;
  return true;
}

}  // namespace

bool WriteContactSheet(const std::string& path, const ContactSheetSources& sources, std::string* fault) {
  Canvas sheet(kSheetWidth, 1500);
  for (Vec3& p : sheet.pixels) p = kBackground;
  int bottom = 0;
  if (!AddBitmaps(sheet, 12, sources.bitmapFolder, fault)) return false;
  if (!AddObjects(sheet, 232, sources.dataFolder, fault)) return false;
  if (!AddAnimations(sheet, 560, sources.dataFolder, &bottom, fault)) return false;
  std::vector<std::uint16_t> out;
  int height = std::min(sheet.height, bottom + 8);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < sheet.width; ++x) {
      Vec3 p = sheet.At(x, y);
      auto channel = [](float v, int bits) { return static_cast<int>(Clamp01(v) * 255.0f + 0.5f) >> (8 - bits); };
      out.push_back(static_cast<std::uint16_t>(channel(p.x, 5) << 11 | channel(p.y, 6) << 5 | channel(p.z, 5)));
    }
  }
  if (!platform::WritePng(path, out.data(), sheet.width, height)) {
    *fault = path + ": cannot write the picture";
    return false;
  }
  return true;
}

}  // namespace art
