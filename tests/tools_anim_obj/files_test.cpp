// The tools' files: special files refused at once, outputs never deleted unless the tool made
// them, other kinds of file recognised by their signature, and the quality an encode reports.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/anim/animation_encoder.h"
#include "tools/anim/png_frames.h"
#include "tools/anim/sample_picture.h"
#include "tools/common/file_bytes.h"
#include "tools/common/file_kind.h"
#include "tests/support/files.h"

namespace {

class ToolFiles : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string Path(const std::string& name) const { return (folder / name).string(); }

  std::filesystem::path folder = testsupport::FreshFolder("korvo-tools");
};

TEST_F(ToolFiles, SpecialFilesAndLimitsAreRefusedAndFailedWritesKeepWhatWasThere) {
  // The reader the demo's data files use: the loader's tests list its pipes and devices.
  std::vector<std::uint8_t> bytes;
  std::string fault;
  const struct {
    std::string path, cause;
  } cases[] = {{folder.string(), "a folder"}, {Path("missing"), "No such file or directory"}};
  for (const auto& c : cases) {
    EXPECT_FALSE(tools::ReadFileBytes(c.path, &bytes, &fault)) << c.path;
    EXPECT_EQ(fault.rfind(c.path + ": " + c.cause, 0), 0u) << fault;
  }
  ASSERT_TRUE(tools::WriteFileBytes(Path("ten"), std::vector<std::uint8_t>(10, 7), &fault)) << fault;
  EXPECT_FALSE(tools::ReadFileBytes(Path("ten"), &bytes, &fault, 9));
  EXPECT_NE(fault.find("larger than"), std::string::npos) << fault;
  ASSERT_TRUE(tools::ReadFileBytes(Path("ten"), &bytes, &fault, 10)) << fault;
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(10, 7));
  // A failed write takes away only a file it created itself.
  EXPECT_FALSE(tools::WriteFileBytes("/dev/full", {1, 2, 3}, &fault));
  EXPECT_NE(fault.find("/dev/full: cannot be written"), std::string::npos) << fault;
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
  EXPECT_FALSE(tools::WriteFileBytes(folder.string(), {1}, &fault));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_FALSE(anim::WritePngPicture("/dev/full", anim::SamplePicture(6, 5, 0), &fault));
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(ToolFiles, KindsAreToldByTheirSignature) {
  std::string fault;
  ASSERT_TRUE(anim::WritePngPicture(Path("rose.png"), anim::SamplePicture(6, 5, 0), &fault)) << fault;
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(tools::ReadFileBytes(Path("rose.png"), &png, &fault));
  EXPECT_EQ(tools::FileKindOf(png), "PNG picture");
  const std::string obj = "# a cow\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  EXPECT_EQ(tools::FileKindOf({obj.begin(), obj.end()}), "text file");
  const std::string xm = "Extended Module: song";
  EXPECT_EQ(tools::FileKindOf({xm.begin(), xm.end()}), "XM module");
  // A .dat or .obu file starts with a small count and holds zero bytes: no kind of its own.
  EXPECT_EQ(tools::FileKindOf({3, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}), "");
  std::vector<std::uint8_t> bmp = {'B', 'M', 20, 0, 0, 0};
  bmp.resize(20, 0);
  EXPECT_EQ(tools::FileKindOf(bmp), "BMP picture");
  bmp.push_back(0);  // the size in its header no longer matches: two letters alone are no kind
  EXPECT_EQ(tools::FileKindOf(bmp), "");
  EXPECT_TRUE(tools::IsOtherKind("rose.png", png, "an animation file", &fault));
  EXPECT_EQ(fault, "rose.png: PNG picture, not an animation file");
}

TEST_F(ToolFiles, PngHeadersDeclaringHugePicturesAreRefusedFromTheHeader) {
  std::string fault;
  ASSERT_TRUE(anim::WritePngPicture(Path("small.png"), anim::SamplePicture(6, 5, 0), &fault));
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(tools::ReadFileBytes(Path("small.png"), &png, &fault));
  // IHDR width and height, big-endian, at bytes 16 and 20, then the chunk's CRC again.
  for (int k = 0; k < 2; ++k) {
    png[16 + 4 * k] = 0;
    png[17 + 4 * k] = 1;
    png[18 + 4 * k] = 0x86;
    png[19 + 4 * k] = 0xA0;  // 100000
  }
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, &png[12], 17));  // chunk type and data
  for (int k = 0; k < 4; ++k) png[29 + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
  ASSERT_TRUE(tools::WriteFileBytes(Path("huge.png"), png, &fault));
  anim::RgbPicture picture;
  EXPECT_FALSE(anim::ReadPngPicture(Path("huge.png"), &picture, &fault));
  EXPECT_NE(fault.find("100000 x 100000 pixels is larger"), std::string::npos) << fault;
  EXPECT_TRUE(picture.rgb.empty());
  EXPECT_FALSE(anim::ReadPngPicture(Path("small.png") + "/", &picture, &fault));
}

// Raw luma stores every luma value exactly; a luma grid with residuals only comes close.
TEST(EncodeQuality, ReportedPsnrFollowsWhatTheDecoderGivesBack) {
  const std::vector<anim::RgbPicture> pictures = {anim::SamplePicture(32, 16, 0), anim::SamplePicture(32, 16, 7)};
  anim::AnimationSettings raw;
  raw.frame.width = 32;
  raw.frame.height = 16;
  raw.frame.lumaBlockWidth = 0;
  raw.frame.lumaOnly = true;
  std::vector<std::uint8_t> stream;
  std::string fault;
  anim::AnimationQuality exact, coarse;
  ASSERT_TRUE(anim::EncodeAnimation(pictures, raw, &stream, &fault, &exact)) << fault;
  EXPECT_TRUE(std::isinf(exact.lumaPsnr));
  EXPECT_TRUE(std::isfinite(exact.rgbPsnr));  // no colour: the picture's colours are lost
  anim::AnimationSettings blocks = raw;
  blocks.frame.lumaBlockWidth = blocks.frame.lumaBlockHeight = 8;
  blocks.frame.lumaOnly = false;
  blocks.frame.targetPsnr = 20;
  ASSERT_TRUE(anim::EncodeAnimation(pictures, blocks, &stream, &fault, &coarse)) << fault;
  EXPECT_TRUE(std::isfinite(coarse.lumaPsnr));
  EXPECT_GT(coarse.lumaPsnr, 15.0);
  EXPECT_GT(coarse.rgbPsnr, exact.rgbPsnr);  // colour planes bring the colours back
  EXPECT_LE(coarse.worstRgbPsnr, coarse.rgbPsnr);
}

}  // namespace
