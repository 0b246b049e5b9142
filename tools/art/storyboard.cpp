#include "tools/art/storyboard.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/anim/png_frames.h"
#include "tools/art/canvas.h"
#include "tools/art/font.h"

namespace art {

namespace {

constexpr int kThumbW = 200, kThumbH = 150, kGap = 8, kLabelW = 330, kMoments = 3;
constexpr int kRowH = kThumbH + kGap;
constexpr int kSheetW = kLabelW + kMoments * (kThumbW + kGap) + kGap;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string NumberedPicture(const std::string& folder, const std::string& number) {
  char name[32];
  std::snprintf(name, sizeof name, "/%06d.png", std::stoi(number));
  return folder + name;
}

double Luma(const std::uint8_t* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }

PictureFigures& operator+=(PictureFigures& a, const PictureFigures& b) {
  a.white += b.white;
  a.black += b.black;
  a.mean += b.mean;
  a.detail += b.detail;
  return a;
}

struct EntryWork {
  EntryFigures figures;
  std::vector<const CapturedFrame*> frames;  // those with a picture on disk
};

void Label(Canvas& sheet, const std::string& text, int x, int y, Vec3 colour) {
  Mask mask(sheet.width, sheet.height);
  StampText(mask, text, x, y, 2, false);
  for (size_t i = 0; i < mask.values.size(); ++i)
    if (mask.values[i] > 0) sheet.pixels[i] = colour;
}

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void DrawRow(Canvas& sheet, int top, const EntryFigures& e, const std::vector<anim::RgbPicture>& moments) {
  const Vec3 plain{0.95f, 0.9f, 0.7f}, warning{1.0f, 0.35f, 0.3f};
  const PictureFigures& f = e.figures;
  Label(sheet, std::to_string(e.entry) + (e.scene.empty() ? "" : " " + e.scene), kGap, top + 8, plain);
  Label(sheet, "WHITE " + Fixed(100 * f.white, 1) + "% BLACK " + Fixed(100 * f.black, 1) + "%", kGap, top + 40,
        f.white > 0.15 ? warning : plain);
  Label(sheet, "MEAN " + Fixed(f.mean, 0) + " DETAIL " + Fixed(f.detail, 1), kGap, top + 64,
        f.mean > 170 ? warning : plain);
  Label(sheet, std::to_string(e.pictures) + " PICTURES", kGap, top + 88, plain);
  for (size_t k = 0; k < moments.size(); ++k) {
    const anim::RgbPicture thumb = anim::Resample(moments[k], kThumbW, kThumbH);
    const int x0 = kLabelW + static_cast<int>(k) * (kThumbW + kGap);
    for (int y = 0; y < kThumbH; ++y) {
      for (int x = 0; x < kThumbW; ++x) {
        const std::uint8_t* p = &thumb.rgb[3 * (static_cast<size_t>(y) * kThumbW + x)];
        sheet.At(x0 + x, top + y) = Vec3{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
      }
    }
  }
}

}  // namespace

PictureFigures MeasurePicture(const anim::RgbPicture& picture) {
  PictureFigures f;
  const size_t count = static_cast<size_t>(picture.width) * picture.height;
  if (count == 0) return f;
  size_t white = 0, black = 0, pairs = 0;
  double sum = 0, difference = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = &picture.rgb[3 * (static_cast<size_t>(y) * picture.width + x)];
      if (p[0] >= 240 && p[1] >= 240 && p[2] >= 240) ++white;
      if (p[0] < 16 && p[1] < 16 && p[2] < 16) ++black;
      const double luma = Luma(p);
      sum += luma;
      if (x + 1 < picture.width) {
        difference += std::abs(luma - Luma(p + 3));
        ++pairs;
      }
      if (y + 1 < picture.height) {
        difference += std::abs(luma - Luma(p + 3 * static_cast<size_t>(picture.width)));
        ++pairs;
      }
    }
  }
  f.white = static_cast<double>(white) / count;
  f.black = static_cast<double>(black) / count;
  f.mean = sum / count;
  f.detail = pairs ? difference / pairs : 0;
  return f;
}

bool ReadFrameList(const std::string& folder, std::vector<CapturedFrame>* frames, std::string* fault) {
  const std::string path = folder + "/frames.tsv";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    *fault = path + (std::filesystem::exists(path, error) ? ": not a regular file" : ": missing (not a capture folder?)");
    return false;
  }
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line) || line.empty()) {
    *fault = path + ": empty, no header line";
    return false;
  }
  const std::vector<std::string> header = SplitTabs(line);
  auto column = [&](const char* name) {
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? -1 : static_cast<int>(found - header.begin());
  };
  const int entryColumn = column("entry"), pictureColumn = column("picture"), frameColumn = column("frame"),
            sceneColumn = column("scene");
  if (entryColumn < 0 || (pictureColumn < 0 && frameColumn < 0)) {
    *fault = path + ": the header names no entry column and picture or frame column";
    return false;
  }
  frames->clear();
  for (int number = 2; std::getline(in, line); ++number) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitTabs(line);
    const std::string where = path + " line " + std::to_string(number) + ": ";
    if (fields.size() != header.size()) {
      *fault = where + std::to_string(fields.size()) + " columns where the header has " + std::to_string(header.size());
      return false;
    }
    CapturedFrame frame;
    if (!AllDigits(fields[entryColumn])) {
      *fault = where + "entry '" + fields[entryColumn] + "' is not a number";
      return false;
    }
    frame.entry = std::stoi(fields[entryColumn]);
    if (sceneColumn >= 0) frame.scene = fields[sceneColumn];
    if (pictureColumn >= 0) {
      const std::string& name = fields[pictureColumn];
      if (name.find('/') != std::string::npos || name == "..") {
        *fault = where + "picture '" + name + "' is not a file name in the folder";
        return false;
      }
      frame.mustExist = !name.empty() && name != "-";
      if (frame.mustExist) frame.picture = AllDigits(name) ? NumberedPicture(folder, name) : folder + "/" + name;
    } else {
      if (!AllDigits(fields[frameColumn])) {
        *fault = where + "frame '" + fields[frameColumn] + "' is not a number";
        return false;
      }
      frame.picture = NumberedPicture(folder, fields[frameColumn]);
    }
    frames->push_back(std::move(frame));
  }
  return true;
}

bool MakeStoryboard(const std::string& captureFolder, const std::string& outPath, std::vector<EntryFigures>* table,
                    std::string* fault) {
  std::vector<CapturedFrame> frames;
  if (!ReadFrameList(captureFolder, &frames, fault)) return false;
  std::map<int, EntryWork> entries;
  for (const CapturedFrame& frame : frames) {
    if (frame.picture.empty()) continue;
    std::error_code error;
    if (!std::filesystem::exists(frame.picture, error)) {
      if (!frame.mustExist) continue;  // outside the captured range
      *fault = frame.picture + ": listed in frames.tsv but missing";
      return false;
    }
    if (!std::filesystem::is_regular_file(frame.picture, error)) {  // a pipe would never end
      *fault = frame.picture + ": not a regular file";
      return false;
    }
    EntryWork& work = entries[frame.entry];
    work.figures.entry = frame.entry;
    if (work.figures.scene.empty()) work.figures.scene = frame.scene;
    work.frames.push_back(&frame);
  }
  if (entries.empty()) {
    *fault = captureFolder + ": frames.tsv lists no picture that is in the folder";
    return false;
  }
  Canvas sheet(kSheetW, static_cast<int>(entries.size()) * kRowH + kGap);
  for (Vec3& p : sheet.pixels) p = Vec3{0.12f, 0.12f, 0.14f};
  table->clear();
  int top = kGap;
  for (auto& [entry, work] : entries) {
    const int n = static_cast<int>(work.frames.size());
    std::vector<anim::RgbPicture> moments;
    int nextMoment = 0;
    for (int i = 0; i < n; ++i) {
      anim::RgbPicture picture;
      if (!anim::ReadPngPicture(work.frames[i]->picture, &picture, fault)) return false;
      work.figures.figures += MeasurePicture(picture);
      // Three moments spread over the entry: at a sixth, a half and five sixths of it.
      while (nextMoment < kMoments && i == (2 * nextMoment + 1) * n / (2 * kMoments)) {
        moments.push_back(picture);
        ++nextMoment;
      }
    }
    PictureFigures& f = work.figures.figures;
    f.white /= n;
    f.black /= n;
    f.mean /= n;
    f.detail /= n;
    work.figures.pictures = n;
    DrawRow(sheet, top, work.figures, moments);
    top += kRowH;
    table->push_back(work.figures);
  }
  const anim::RgbPicture out{sheet.width, sheet.height, ToRgb8(sheet)};
  return anim::WritePngPicture(outPath, out, fault);
}

std::string FigureTable(const std::vector<EntryFigures>& table) {
  std::string text = "entry  scene                      pictures  white %  black %   mean  detail\n";
  for (const EntryFigures& e : table) {
    char line[160];
    std::snprintf(line, sizeof line, "%5d  %-25.25s  %8d  %7.1f  %7.1f  %5.1f  %6.1f\n", e.entry,
                  e.scene.empty() ? "-" : e.scene.c_str(), e.pictures, 100 * e.figures.white, 100 * e.figures.black,
                  e.figures.mean, e.figures.detail);
    text += line;
  }
  return text;
}

}  // namespace art
