// The storyboard of a capture: one sheet with a row per scene-table entry, three moments of it
// and four figures measured over all of the entry's pictures, so the art can be judged by how
// the scenes show it. A capture folder holds numbered PNG pictures and frames.tsv, a header line
// and one tab-separated line per shown frame; columns are found by name:
//   entry    the scene-table entry (required)
//   picture  the picture's file name, or "-"/empty when the frame was not written; without this
//            column the picture is "%06d.png" of the frame column, and may be missing
//   scene    the entry's scene function name (optional; rows are labelled by entry only without it)
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
};

// Reads folder/frames.tsv; false with a fault naming the file and line when it is missing, empty
// or malformed.
bool ReadFrameList(const std::string& folder, std::vector<CapturedFrame>* frames, std::string* fault);

struct EntryFigures {
  int entry = 0;
  std::string scene;  // empty when the capture does not name it
  int pictures = 0;
  PictureFigures figures;  // mean over the entry's pictures
};

// Measures every picture of the capture and writes the sheet to outPath. Entries without any
// written picture are left out. False with a fault naming the file when something cannot be read
// or written, or the capture holds no picture at all.
bool MakeStoryboard(const std::string& captureFolder, const std::string& outPath, std::vector<EntryFigures>* table,
                    std::string* fault);

// The figures as a table, one line per entry, with a header line.
std::string FigureTable(const std::vector<EntryFigures>& table);

}  // namespace art
