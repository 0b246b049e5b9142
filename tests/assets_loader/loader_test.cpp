#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "assets/animation.h"
#include "assets/frame_decoder.h"
#include "assets/loader.h"
#include "data_folder.h"
#include "platform/d3d/texture.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/resources.h"

namespace {

using Box = std::pair<std::string, std::string>;
using LoaderTest = DataFolderTest;

const std::string EmptyFileText = "APUA P\u00C4\u00C4\u00C4\u00C4\u00C4\u00C4\u00C4!!";

// Runs the load with standard error captured and returns what was written there.
template <typename Load>
std::string StandardError(Load load) {
  ::testing::internal::CaptureStderr();
  load();
  return ::testing::internal::GetCapturedStderr();
}

TEST_F(LoaderTest, CompleteSetLoadsEveryFileWholeAndEveryTexture) {
  // Every frame is decoded once at start-up, but the decoder is left as it was: the first frame
  // the demo shows must not depend on the check.
  ASSERT_EQ(InitAnimationDecoder(), 1);
  FrameWidth = 17;
  FrameHeight = 3;
  std::memset(DecodeBuffer, 0x5A, DecodeBufferBytes);
  ASSERT_TRUE(LoadAssets(nullptr));
  EXPECT_TRUE(FrameWidth == 17 && FrameHeight == 3) << "the check left the decoder as it was";
  EXPECT_EQ(std::count(DecodeBuffer, DecodeBuffer + DecodeBufferBytes, 0x5A), DecodeBufferBytes);
  EXPECT_TRUE(boxes.empty());
  const auto object = SmallObjectImage();
  for (int k = 0; k < ObjectFileCount; ++k) {
    ASSERT_EQ(ObjectFileSizes[k], object.size());
    EXPECT_EQ(std::memcmp(ObjectFileImages[k], object.data(), object.size()), 0);
  }
  for (int k = 0; k < AnimationFileCount; ++k) EXPECT_EQ(AnimationStreamSizes[k], SmallAnimationImage(3).size());
  for (IDirectDrawSurface7* slot : TextureSlots) {
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(slot->texture()->width() == 2 && slot->texture()->sourceKeyHigh == 0x0202) << "bitmap key";
  }
  const int sizes[RenderTextureCount] = {128, 256, 256};
  for (int k = 0; k < RenderTextureCount; ++k) {
    ASSERT_NE(RenderTextures[k], nullptr);
    const Texture& t = *RenderTextures[k]->texture();
    EXPECT_TRUE(t.width() == sizes[k] && t.sourceKeyHigh == 0x0101) << "render texture " << k;
  }
}

TEST_F(LoaderTest, MissingFileStopsLoadingAfterTheFilesBeforeItAndAMissingBitmapShowsNoBox) {
  RemoveDataFile("kone.dat");
  StandardError([] { EXPECT_FALSE(LoadAssets(nullptr)); });  // the line is checked with the other refusals
  EXPECT_EQ(boxes, (std::vector<Box>{{"File not found!", "data\\kone.dat"}}));
  for (std::uint8_t* image : ObjectFileImages) EXPECT_NE(image, nullptr);
  EXPECT_NE(AnimationStreamImages[0], nullptr);
  for (int k = 1; k < AnimationFileCount; ++k) EXPECT_EQ(AnimationStreamImages[k], nullptr);
  for (IDirectDrawSurface7* slot : TextureSlots) EXPECT_EQ(slot, nullptr);
  TearDown();  // a missing bitmap fails without a box of its own
  SetUp();
  boxes.clear();
  platform::UnregisterBitmapResource(1004);
  EXPECT_FALSE(LoadAssets(nullptr));
  EXPECT_TRUE(boxes.empty());
  for (int k = 0; k < 3; ++k) EXPECT_NE(TextureSlots[k], nullptr);
}

// The boxes keep the demo's two texts; the line on standard error names the full path and what
// is wrong, which the boxes do not. Opening never waits and only regular files are read: a pipe
// would block a plain open for ever, and /dev/zero would be read until memory runs out.
TEST_F(LoaderTest, EveryRefusalNamesTheFullPathAndTheCause) {
  ASSERT_EQ(mkfifo((folder / "data" / "pipe.obu").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", folder / "data" / "zero.dat");
  std::filesystem::create_symlink("loop.obu", folder / "data" / "loop.obu");
  std::filesystem::create_directory(folder / "data" / "folder.obu");
  WriteDataFile("empty.obu", {});
  WriteDataFile("locked.obu", SmallObjectImage());
  std::filesystem::permissions(folder / "data" / "locked.obu", std::filesystem::perms::none);
  WriteDataFile("huge.dat", {1});
  std::filesystem::resize_file(folder / "data" / "huge.dat", std::uintmax_t{1} << 31);  // sparse: no disk used
  const struct {
    const char* name;
    std::string box, cause;
  } cases[] = {
      {"gone.obu", "File not found!", "No such file or directory"},
      {"loop.obu", "File not found!", "Too many levels of symbolic links"},
      {"folder.obu", "File not found!", "a folder, not a file"},
      {"empty.obu", EmptyFileText, "empty file"},
      {"huge.dat", EmptyFileText, "file of 2147483648 bytes is larger than the 2147483647 bytes"},
      {"locked.obu", "File not found!", geteuid() == 0 ? "" : "Permission denied"},
      {"pipe.obu", "File not found!", "a pipe, not a regular file"},
      {"zero.dat", "File not found!", "a device, not a regular file"},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const auto& c : cases) {
    if (c.cause.empty()) continue;  // the superuser reads a file without permissions
    boxes.clear();
    const std::string path = std::string("data\\") + c.name;
    std::uint8_t* image = nullptr;
    const std::string line = StandardError([&] { EXPECT_FALSE(LoadWholeFile(path.c_str(), &image, nullptr)); });
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(boxes, (std::vector<Box>{{c.box, path}}));
    EXPECT_NE(line.find((folder / "data" / c.name).string() + ": " + c.cause), std::string::npos) << line;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A wrong --data folder is named as given; the data folder itself is told to name the one above.
TEST_F(LoaderTest, WrongDataFolderIsNamedWithWhatToGiveInstead) {
  const std::string nowhere = (folder / "nowhere").string();
  platform::Mode().dataFolder = nowhere;
  std::string lines = StandardError([] { EXPECT_FALSE(LoadAssets(nullptr)); });
  EXPECT_NE(lines.find("--data " + nowhere + ": no such folder"), std::string::npos) << lines;

  platform::Mode().dataFolder = (folder / "data").string() + "/";
  lines = StandardError([] { EXPECT_FALSE(LoadAssets(nullptr)); });
  EXPECT_NE(lines.find("name the folder above it: --data " + folder.string() + "\n"), std::string::npos) << lines;
}

// Files that the container check or the decoder refuses: every frame is decoded once at
// start-up, and the box and the line name the file and its first fault.
TEST_F(LoaderTest, MalformedFilesAreRefusedNamingFileAndFault) {
  auto cut = SmallObjectImage();
  cut.resize(cut.size() - 4);  // the last normal is cut short
  const auto good = SmallAnimationImage(3);
  auto backwards = good;
  const std::int32_t ten = 10;
  std::memcpy(&backwards[4 + 4 * 2], &ten, 4);  // the end of frame 1 before its start
  const std::int32_t count = 4;
  const auto frameStart = [&](int k) {
    std::int32_t offset;
    std::memcpy(&offset, &good[4 + 4 * k], 4);
    return static_cast<std::size_t>(4 + 4 * count + offset);
  };
  auto longCode = good;  // frame 1 stands for any fault the decoder finds, which its own tests list
  longCode[frameStart(1) + 1028 + 65] = 40;
  const struct {
    const char* name;
    const std::vector<std::uint8_t>* image;
    const char* fault;
    std::uint8_t** next;  // the file after it, which is never read
  } cases[] = {{"cyl.obu", &cut, "Object file is truncated: normals end at byte 124 of 120", &AnimationStreamImages[0]},
               {"3dfx.dat", &backwards, "offset 2 (10) runs backwards", &AnimationStreamImages[3]},
               {"pullo.dat", &longCode, "frame 1 is undecodable: code length 40", &AnimationStreamImages[4]}};
  for (const auto& c : cases) {
    boxes.clear();
    const std::string name = c.name;
    WriteDataFile(name, *c.image);
    const std::string line = StandardError([] { EXPECT_FALSE(LoadAssets(nullptr)); });
    ASSERT_EQ(boxes.size(), 1u) << c.fault;
    EXPECT_EQ(boxes[0].second, "data\\" + name);
    EXPECT_NE(boxes[0].first.find(c.fault), std::string::npos) << boxes[0].first;
    EXPECT_NE(line.find((folder / "data" / name).string() + ": " + c.fault), std::string::npos) << line;
    EXPECT_EQ(*c.next, nullptr) << c.fault;
    WriteDataFile(name, name.ends_with(".obu") ? SmallObjectImage() : good);
    for (auto& image : ObjectFileImages) std::free(std::exchange(image, nullptr));
    for (auto& image : AnimationStreamImages) std::free(std::exchange(image, nullptr));
  }
}

}  // namespace
