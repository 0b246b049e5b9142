// The storyboard reads both layouts of a capture's frame list, measures what the pictures hold,
// and names the file it cannot use; and the icon is drawn at both sizes with see-through corners.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "tools/anim/png_frames.h"
#include "tools/art/icon.h"
#include "tools/art/storyboard.h"
#include "tests/support/files.h"

namespace art {
namespace {

namespace fs = std::filesystem;

struct Capture {
  fs::path dir = testsupport::FreshFolder("korvo-storyboard");
  ~Capture() { fs::remove_all(dir); }
  void List(const std::string& text, const std::string& sub = "") const {
    std::ofstream(dir / sub / "frames.tsv") << text;
  }
  // A 6 x 4 picture times k: `white` columns of white from the left, black elsewhere.
  void Picture(const std::string& name, int white, int k = 1, int height = 4) const {
    anim::RgbPicture p{6 * k, height * k, std::vector<std::uint8_t>(18 * height * k * k, 0)};
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < white; ++x)
        for (int c = 0; c < 3; ++c) p.rgb[3 * (y * p.width + x) + c] = 255;
    std::string fault;
    ASSERT_TRUE(anim::WritePngPicture((dir / name).string(), p, &fault)) << fault;
  }
};

TEST(Storyboard, MeasuresShares) {
  anim::RgbPicture p{4, 2, {}};
  // Left half white, right half a dark grey that is neither white nor black.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      for (int c = 0; c < 3; ++c) p.rgb.push_back(x < 2 ? 255 : 40);
  PictureFigures f = MeasurePicture(p);
  EXPECT_DOUBLE_EQ(f.white, 0.5);
  EXPECT_DOUBLE_EQ(f.black, 0.0);
  EXPECT_NEAR(f.mean, (255 + 40) / 2.0, 1e-9);
  // Ten neighbour pairs (six across, four down); the two across the edge differ by 215.
  EXPECT_NEAR(f.detail, 2 * 215 / 10.0, 1e-9);
}

TEST(Storyboard, ReadsTheOlderFrameListLayout) {
  Capture c;
  std::vector<CapturedFrame> frames;
  std::string fault;
  // The older list: pictures named after the frame number, missing outside the captured range.
  c.List("frame\tms\tposition\tentry\n000001\t0\t0x0000\t0\n000002\t250\t0x0002\t3\n");
  ASSERT_TRUE(ReadFrameList(c.dir.string(), &frames, &fault)) << fault;
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].entry, 3);
  EXPECT_EQ(fs::path(frames[1].picture).filename(), "000002.png");
  EXPECT_FALSE(frames[1].mustExist);
  EXPECT_TRUE(frames[1].scene.empty());
  // The newer one, with picture names, "-" for a frame not written, and scene names, is what the
  // storyboard tests below read.
}

TEST(Storyboard, AveragesEachEntryAndWritesOneRowPerEntry) {
  Capture c;
  c.List("picture\tframe\tms\tposition\tentry\tscene\n000001.png\t1\t0\t0x0\t4\tFour\n000002.png\t2\t1\t0x0\t4\tFour\n"
         "-\t3\t2\t0x0\t5\tFive\n000003.png\t4\t3\t0x0\t9\tNine\n");
  c.Picture("000001.png", 6);
  c.Picture("000002.png", 0);
  c.Picture("000003.png", 3);
  std::vector<EntryFigures> table;
  std::string fault;
  const std::string out = (c.dir / "sheet.png").string();
  ASSERT_TRUE(MakeStoryboard(c.dir.string(), out, &table, &fault)) << fault;
  ASSERT_EQ(table.size(), 2u) << "entry 5 has no picture and gets no row";
  EXPECT_EQ(table[0].entry, 4);
  EXPECT_EQ(table[0].scene, "Four");
  EXPECT_EQ(table[0].pictures, 2);
  EXPECT_DOUBLE_EQ(table[0].figures.white, 0.5);  // one all white, one all black
  EXPECT_DOUBLE_EQ(table[0].figures.black, 0.5);
  EXPECT_DOUBLE_EQ(table[1].figures.white, 0.5);
  EXPECT_NE(FigureTable(table).find("Four"), std::string::npos);
  anim::RgbPicture sheet;
  ASSERT_TRUE(anim::ReadPngPicture(out, &sheet, &fault)) << fault;
  anim::RgbPicture oneRow;
  c.List("picture\tentry\n000001.png\t4\n");
  ASSERT_TRUE(MakeStoryboard(c.dir.string(), out, &table, &fault)) << fault;
  ASSERT_TRUE(anim::ReadPngPicture(out, &oneRow, &fault)) << fault;
  EXPECT_EQ(sheet.width, oneRow.width);
  EXPECT_GT(sheet.height, oneRow.height * 3 / 2) << "a second row";
}

// Moments are matched by time; the other capture's pictures are box-averaged down, rounding to
// nearest: three white columns of twelve become 255, 128, then black.
TEST(Storyboard, ComparesACaptureBesideAtTheSameMoments) {
  Capture c;
  fs::create_directory(c.dir / "hd");
  c.List("picture\tframe\tms\tentry\n000001.png\t1\t0\t4\n000002.png\t2\t250\t5\n000003.png\t3\t500\t6\n");
  c.List("picture\tframe\tms\tentry\n000001.png\t7\t250\t5\n000002.png\t8\t0\t4\n", "hd");
  c.Picture("000001.png", 1);
  c.Picture("000002.png", 2);
  c.Picture("000003.png", 6);
  c.Picture("hd/000001.png", 4, 2);
  c.Picture("hd/000002.png", 3, 2);
  std::vector<EntryFigures> table;
  std::string fault;
  const std::string out = (c.dir / "sheet.png").string(), hd = (c.dir / "hd").string();
  ASSERT_TRUE(MakeStoryboard(c.dir.string(), out, &table, &fault, hd)) << fault;
  ASSERT_EQ(table.size(), 2u) << "entry 6's moment is not in the capture beside";
  EXPECT_NEAR(table[0].psnr, 10 * std::log10(255.0 * 255.0 * 6 / (128.0 * 128.0)), 1e-9);
  EXPECT_TRUE(std::isinf(table[1].psnr));
  EXPECT_NE(FigureTable(table).find("equal"), std::string::npos);
  c.Picture("hd/000002.png", 3, 2, 3);
  EXPECT_FALSE(MakeStoryboard(c.dir.string(), out, &table, &fault, hd));
  EXPECT_NE(fault.find("hd/000002.png: 12 x 6 is not a whole multiple of 6 x 4"), std::string::npos) << fault;
}

TEST(Storyboard, NamesWhatItCannotUse) {
  Capture c;
  std::vector<EntryFigures> table;
  std::string fault;
  const std::string out = (c.dir / "sheet.png").string();
  auto refused = [&](const std::string& expected) {
    fault.clear();
    EXPECT_FALSE(MakeStoryboard(c.dir.string(), out, &table, &fault));
    EXPECT_NE(fault.find(expected), std::string::npos) << fault;
  };
  refused("frames.tsv: missing");
  c.List("");
  refused("frames.tsv: empty");
  c.List("frame\tms\tposition\n000001\t0\t0x0\n");
  refused("no entry column");
  c.List("frame\tentry\n000001\t0\t7\n");
  refused("line 2");
  c.List("frame\tentry\n000001\tseven\n");
  refused("'seven' is not a number");
  c.List("picture\tentry\n../etc\t1\n");
  refused("not a file name");
  c.List("picture\tentry\n000001.png\t1\n");
  refused("000001.png: listed in frames.tsv but missing");
  c.List("frame\tentry\n000001\t1\n");  // the older layout: an unwritten picture is no fault...
  refused("lists no picture");         // ...but a capture without any is
  fs::create_directory(c.dir / "000001.png");
  refused("000001.png: not a regular file");
  fs::remove(c.dir / "000001.png");
  std::ofstream(c.dir / "000001.png") << "not a png";
  refused("000001.png");
  EXPECT_FALSE(fs::exists(out));
}

TEST(Icon, BothSizesHaveSeeThroughCornersAndAnOpaqueMiddle) {
  for (int size : IconSizes) {
    const RgbaImage icon = MakeIcon(size);
    ASSERT_EQ(icon.width, size);
    ASSERT_EQ(icon.rgba.size(), 4u * size * size);
    auto alpha = [&](int x, int y) { return icon.rgba[4 * (static_cast<size_t>(y) * size + x) + 3]; };
    EXPECT_LT(alpha(0, 0), 8) << size;
    EXPECT_LT(alpha(size - 1, size - 1), 8) << size;
    EXPECT_EQ(alpha(size / 2, size / 2), 255) << size;
    const std::vector<std::uint8_t> bmp = EncodeBmp32(icon);
    ASSERT_GE(bmp.size(), 122u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[28], 32) << "bits per pixel";
    EXPECT_EQ(bmp.size(), 122u + 4u * size * size);
  }
}

}  // namespace
}  // namespace art
