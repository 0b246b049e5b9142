// The storyboard of a capture: one sheet with a row per scene-table entry, three moments of it
// and four figures measured over all of the entry's pictures, so the art can be judged by how
// the scenes show it. A capture folder holds numbered PNG pictures and frames.tsv, a header line
// and one tab-separated line per shown frame; columns are found by name:
//   entry    the scene-table entry (required)
//   picture  the picture's file name, or "-"/empty when the frame was not written; without this
//            column the picture is "%06d.png" of the frame column, and may be missing
//   scene    the entry's scene function name (optional; rows are labelled by entry only without it)
//   ms       the moment shown, in milliseconds (optional; without it the frame column stands in)
// A second capture may be shown beside the first, moment by moment: a high-definition capture of
// the same range, its pictures reduced to the first one's size by box averaging and compared.
#pragma once

#include <string>
#include <vector>

#include "tools/anim/animation_encoder.h"

namespace art {

// Figures of one picture, or the mean over several. Shares are 0..1 of the pixels.
struct PictureFigures {
  double white = 0;   // every channel at 240 or above: clipped white
  double black = 0;   // every channel below 16
  double mean = 0;    // mean luma (0.299 R + 0.587 G + 0.114 B), 0..255
  double detail = 0;  // mean absolute luma difference of horizontal and vertical neighbours
};

PictureFigures MeasurePicture(const anim::RgbPicture& picture);

struct CapturedFrame {
  std::string picture;  // path of the PNG; empty when the frame was not written
  bool mustExist = false;  // named by a picture column, so a missing file is a fault
  int entry = 0;
  std::string scene;
  long long moment = -1;  // the ms column, else the frame number; -1 when neither is given
};

// Reads folder/frames.tsv; false with a fault naming the file and line when it is missing, empty
// or malformed.
bool ReadFrameList(const std::string& folder, std::vector<CapturedFrame>* frames, std::string* fault);

struct EntryFigures {
  int entry = 0;
  std::string scene;  // empty when the capture does not name it
  int pictures = 0;
  PictureFigures figures;  // mean over the entry's pictures
  // With a capture beside: PSNR in dB of its reduced pictures against these over the entry's
  // shared moments, infinite where they are equal; below 0 without one.
  double psnr = -1;
};

// Measures every picture of the capture and writes the sheet to outPath. Entries without any
// written picture are left out. False with a fault naming the file when something cannot be read
// or written, or the capture holds no picture at all.
// With besideFolder, only the moments both captures wrote are used; each moment shows the two
// pictures side by side, and the other capture's pictures must be a whole multiple of the first's
// size.
bool MakeStoryboard(const std::string& captureFolder, const std::string& outPath, std::vector<EntryFigures>* table,
                    std::string* fault, const std::string& besideFolder = "");

// picture reduced to width x height by averaging each block of whole-multiple size; false with
// a fault when its size is not a whole multiple of width x height.
bool ReducePicture(const anim::RgbPicture& picture, int width, int height, anim::RgbPicture* reduced,
                   std::string* fault);

// The figures as a table, one line per entry, with a header line; a PSNR column when compared.
std::string FigureTable(const std::vector<EntryFigures>& table);

}  // namespace art
