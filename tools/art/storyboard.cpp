#include "tools/art/storyboard.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include "tools/anim/png_frames.h"
#include "tools/art/canvas.h"
#include "tools/art/font.h"

namespace art {

namespace {

constexpr int kThumbW = 200, kThumbH = 150, kGap = 8, kLabelW = 330, kMoments = 3;
constexpr int kRowH = kThumbH + kGap;
constexpr int kPairGap = 2;  // between the two pictures of one moment

int MomentWidth(bool beside) { return beside ? 2 * kThumbW + kPairGap : kThumbW; }
int SheetWidth(bool beside) { return kLabelW + kMoments * (MomentWidth(beside) + kGap) + kGap; }

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

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

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
  std::vector<const CapturedFrame*> beside;  // the other capture's at the same moments
  double squares = 0;                        // summed squared channel differences to them
  double samples = 0;
};

double Psnr(double squares, double samples) {
  if (squares == 0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(255.0 * 255.0 * samples / squares);
}

std::string PsnrText(double psnr) { return std::isinf(psnr) ? "equal" : Fixed(psnr, 1) + " dB"; }

void Label(Canvas& sheet, const std::string& text, int x, int y, Vec3 colour) {
  Mask mask(sheet.width, sheet.height);
  StampText(mask, text, x, y, 2, false);
  for (size_t i = 0; i < mask.values.size(); ++i)
    if (mask.values[i] > 0) sheet.pixels[i] = colour;
}

void DrawThumbnail(Canvas& sheet, const anim::RgbPicture& picture, int x0, int top) {
  const anim::RgbPicture thumb = anim::Resample(picture, kThumbW, kThumbH);
  for (int y = 0; y < kThumbH; ++y) {
    for (int x = 0; x < kThumbW; ++x) {
      const std::uint8_t* p = &thumb.rgb[3 * (static_cast<size_t>(y) * kThumbW + x)];
      sheet.At(x0 + x, top + y) = Vec3{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
    }
  }
}

// besides is empty without a capture beside, else one picture per moment.
void DrawRow(Canvas& sheet, int top, const EntryFigures& e, const std::vector<anim::RgbPicture>& moments,
             const std::vector<anim::RgbPicture>& besides) {
  const Vec3 plain{0.95f, 0.9f, 0.7f}, warning{1.0f, 0.35f, 0.3f};
  const PictureFigures& f = e.figures;
  Label(sheet, std::to_string(e.entry) + (e.scene.empty() ? "" : " " + e.scene), kGap, top + 8, plain);
  Label(sheet, "WHITE " + Fixed(100 * f.white, 1) + "% BLACK " + Fixed(100 * f.black, 1) + "%", kGap, top + 40,
        f.white > 0.15 ? warning : plain);
  Label(sheet, "MEAN " + Fixed(f.mean, 0) + " DETAIL " + Fixed(f.detail, 1), kGap, top + 64,
        f.mean > 170 ? warning : plain);
  Label(sheet, std::to_string(e.pictures) + " PICTURES", kGap, top + 88, plain);
  // Below 22 dB the two renderings no longer look like one picture.
  if (e.psnr >= 0) Label(sheet, "PSNR " + PsnrText(e.psnr), kGap, top + 112, e.psnr < 22 ? warning : plain);
  const bool beside = !besides.empty();
  for (size_t k = 0; k < moments.size(); ++k) {
    const int x0 = kLabelW + static_cast<int>(k) * (MomentWidth(beside) + kGap);
    DrawThumbnail(sheet, moments[k], x0, top);
    if (beside) DrawThumbnail(sheet, besides[k], x0 + kThumbW + kPairGap, top);
  }
}

// Whether the frame's picture is there to use; false with a fault when it must be and is not.
bool PictureThere(const CapturedFrame& frame, bool* there, std::string* fault) {
  *there = false;
  if (frame.picture.empty()) return true;
  std::error_code error;
  if (!std::filesystem::exists(frame.picture, error)) {
    if (!frame.mustExist) return true;  // outside the captured range
    *fault = frame.picture + ": listed in frames.tsv but missing";
    return false;
  }
  if (!std::filesystem::is_regular_file(frame.picture, error)) {  // a pipe would never end
    *fault = frame.picture + ": not a regular file";
    return false;
  }
  *there = true;
  return true;
}

// The written pictures of a capture by moment.
bool PicturesByMoment(const std::string& folder, std::vector<CapturedFrame>* frames,
                      std::map<long long, const CapturedFrame*>* byMoment, std::string* fault) {
  if (!ReadFrameList(folder, frames, fault)) return false;
  for (const CapturedFrame& frame : *frames) {
    bool there = false;
    if (!PictureThere(frame, &there, fault)) return false;
    if (there && frame.moment < 0) {
      *fault = folder + "/frames.tsv: names no ms or frame column to match moments by";
      return false;
    }
    if (there) byMoment->emplace(frame.moment, &frame);
  }
  return true;
}

// Adds the squared differences of beside, reduced, to picture; the reduced picture in *reduced.
bool Compare(const anim::RgbPicture& picture, const CapturedFrame& beside, EntryWork& work,
             anim::RgbPicture* reduced, std::string* fault) {
  anim::RgbPicture other;
  if (!anim::ReadPngPicture(beside.picture, &other, fault)) return false;
  if (!ReducePicture(other, picture.width, picture.height, reduced, fault)) {
    *fault = beside.picture + ": " + *fault;
    return false;
  }
  for (size_t i = 0; i < picture.rgb.size(); ++i) {
    const double d = static_cast<double>(picture.rgb[i]) - reduced->rgb[i];
    work.squares += d * d;
  }
  work.samples += static_cast<double>(picture.rgb.size());
  return true;
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
            sceneColumn = column("scene"), msColumn = column("ms");
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
    const int momentColumn = msColumn >= 0 ? msColumn : frameColumn;
    if (momentColumn >= 0) {
      if (!AllDigits(fields[momentColumn])) {
        *fault = where + header[momentColumn] + " '" + fields[momentColumn] + "' is not a number";
        return false;
      }
      frame.moment = std::stoll(fields[momentColumn]);
    }
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

bool ReducePicture(const anim::RgbPicture& picture, int width, int height, anim::RgbPicture* reduced,
                   std::string* fault) {
  if (width <= 0 || height <= 0 || picture.width % width != 0 || picture.height % height != 0 ||
      picture.width / width != picture.height / height) {
    *fault = std::to_string(picture.width) + " x " + std::to_string(picture.height) + " is not a whole multiple of " +
             std::to_string(width) + " x " + std::to_string(height);
    return false;
  }
  const int k = picture.width / width, n = k * k;
  reduced->width = width;
  reduced->height = height;
  reduced->rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < k; ++dy)
          for (int dx = 0; dx < k; ++dx)
            sum += picture.rgb[3 * ((static_cast<size_t>(y) * k + dy) * picture.width + x * k + dx) + c];
        reduced->rgb[3 * (static_cast<size_t>(y) * width + x) + c] = static_cast<std::uint8_t>((sum + n / 2) / n);
      }
    }
  }
  return true;
}

bool MakeStoryboard(const std::string& captureFolder, const std::string& outPath, std::vector<EntryFigures>* table,
                    std::string* fault, const std::string& besideFolder) {
  const bool beside = !besideFolder.empty();
  std::vector<CapturedFrame> frames, besideFrames;
  std::map<long long, const CapturedFrame*> besideMoments;
  if (beside && !PicturesByMoment(besideFolder, &besideFrames, &besideMoments, fault)) return false;
  if (!ReadFrameList(captureFolder, &frames, fault)) return false;
  std::map<int, EntryWork> entries;
  for (const CapturedFrame& frame : frames) {
    bool there = false;
    if (!PictureThere(frame, &there, fault)) return false;
    if (!there) continue;
    const auto other = besideMoments.find(frame.moment);
    if (beside && other == besideMoments.end()) continue;
    EntryWork& work = entries[frame.entry];
    work.figures.entry = frame.entry;
    if (work.figures.scene.empty()) work.figures.scene = frame.scene;
    work.frames.push_back(&frame);
    if (beside) work.beside.push_back(other->second);
  }
  if (entries.empty()) {
    *fault = captureFolder + ": frames.tsv lists no picture that is in the folder" +
             (beside ? " at a moment that " + besideFolder + " holds too" : "");
    return false;
  }
  Canvas sheet(SheetWidth(beside), static_cast<int>(entries.size()) * kRowH + kGap);
  for (Vec3& p : sheet.pixels) p = Vec3{0.12f, 0.12f, 0.14f};
  table->clear();
  int top = kGap;
  for (auto& [entry, work] : entries) {
    const int n = static_cast<int>(work.frames.size());
    std::vector<anim::RgbPicture> moments, besides;
    int nextMoment = 0;
    for (int i = 0; i < n; ++i) {
      anim::RgbPicture picture, reduced;
      if (!anim::ReadPngPicture(work.frames[i]->picture, &picture, fault)) return false;
      work.figures.figures += MeasurePicture(picture);
      if (beside && !Compare(picture, *work.beside[i], work, &reduced, fault)) return false;
      // Three moments spread over the entry: at a sixth, a half and five sixths of it.
      while (nextMoment < kMoments && i == (2 * nextMoment + 1) * n / (2 * kMoments)) {
        moments.push_back(picture);
        if (beside) besides.push_back(reduced);
        ++nextMoment;
      }
    }
    PictureFigures& f = work.figures.figures;
    f.white /= n;
    f.black /= n;
    f.mean /= n;
    f.detail /= n;
    work.figures.pictures = n;
    if (beside) work.figures.psnr = Psnr(work.squares, work.samples);
    DrawRow(sheet, top, work.figures, moments, besides);
    top += kRowH;
    table->push_back(work.figures);
  }
  const anim::RgbPicture out{sheet.width, sheet.height, ToRgb8(sheet)};
  return anim::WritePngPicture(outPath, out, fault);
}

std::string FigureTable(const std::vector<EntryFigures>& table) {
  const bool compared = !table.empty() && table[0].psnr >= 0;
  std::string text = "entry  scene                      pictures  white %  black %   mean  detail";
  text += compared ? "      PSNR\n" : "\n";
  for (const EntryFigures& e : table) {
    char line[160];
    std::snprintf(line, sizeof line, "%5d  %-25.25s  %8d  %7.1f  %7.1f  %5.1f  %6.1f", e.entry,
                  e.scene.empty() ? "-" : e.scene.c_str(), e.pictures, 100 * e.figures.white, 100 * e.figures.black,
                  e.figures.mean, e.figures.detail);
    text += line;
    if (compared) {
      std::snprintf(line, sizeof line, "  %8s", PsnrText(e.psnr).c_str());
      text += line;
    }
    text += "\n";
  }
  return text;
}

}  // namespace art
