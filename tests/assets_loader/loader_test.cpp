#include <gtest/gtest.h>

#include <cstring>

#include "assets/loader.h"
#include "data_folder.h"
#include "platform/d3d/texture.h"
#include "platform/win32/resources.h"

namespace {

using Box = std::pair<std::string, std::string>;
using LoaderTest = DataFolderTest;

const std::string EmptyFileText = "APUA P\u00C4\u00C4\u00C4\u00C4\u00C4\u00C4\u00C4!!";

TEST_F(LoaderTest, CompleteSetLoadsEveryFileWholeAndEveryTexture) {
  ASSERT_TRUE(LoadAssets(nullptr));
  EXPECT_TRUE(boxes.empty());
  const auto object = SmallObjectImage();
  for (int k = 0; k < ObjectFileCount; ++k) {
    ASSERT_EQ(ObjectFileSizes[k], object.size());
    EXPECT_EQ(std::memcmp(ObjectFileImages[k], object.data(), object.size()), 0);
  }
  for (int k = 0; k < AnimationFileCount; ++k) EXPECT_EQ(AnimationStreamSizes[k], SmallAnimationImage(3).size());
  for (IDirectDrawSurface7* slot : TextureSlots) {
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->texture()->width(), 2);
    EXPECT_EQ(slot->texture()->sourceKeyHigh, 0x0202);
  }
  const int sizes[RenderTextureCount] = {128, 256, 256};
  for (int k = 0; k < RenderTextureCount; ++k) {
    ASSERT_NE(RenderTextures[k], nullptr);
    EXPECT_EQ(RenderTextures[k]->texture()->width(), sizes[k]);
    EXPECT_EQ(RenderTextures[k]->texture()->sourceKeyHigh, 0x0101);
  }
}

TEST_F(LoaderTest, MissingFileStopsLoadingAfterTheFilesBeforeIt) {
  RemoveDataFile("kone.dat");
  EXPECT_FALSE(LoadAssets(nullptr));
  EXPECT_EQ(boxes, (std::vector<Box>{{"File not found!", "data\\kone.dat"}}));
  for (std::uint8_t* image : ObjectFileImages) EXPECT_NE(image, nullptr);
  EXPECT_NE(AnimationStreamImages[0], nullptr);
  for (int k = 1; k < AnimationFileCount; ++k) EXPECT_EQ(AnimationStreamImages[k], nullptr);
  for (IDirectDrawSurface7* slot : TextureSlots) EXPECT_EQ(slot, nullptr);
}

TEST_F(LoaderTest, EmptyFileIsRefusedWithTheShoutingBox) {
  WriteDataFile("talo2.obu", {});
  EXPECT_FALSE(LoadAssets(nullptr));
  EXPECT_EQ(boxes, (std::vector<Box>{{EmptyFileText, "data\\talo2.obu"}}));
  EXPECT_NE(ObjectFileImages[0], nullptr);
  EXPECT_EQ(ObjectFileImages[1], nullptr);
}

TEST_F(LoaderTest, FolderInPlaceOfAFileIsNotFound) {
  RemoveDataFile("piikki.obu");
  std::filesystem::create_directory(folder / "data" / "piikki.obu");
  std::uint8_t* image = nullptr;
  EXPECT_FALSE(LoadWholeFile("data\\piikki.obu", &image, nullptr));
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(boxes, (std::vector<Box>{{"File not found!", "data\\piikki.obu"}}));
}

TEST_F(LoaderTest, MalformedObjectIsRefusedNamingFileAndFault) {
  auto object = SmallObjectImage();
  object.resize(object.size() - 4);  // the last normal is cut short
  WriteDataFile("cyl.obu", object);
  EXPECT_FALSE(LoadAssets(nullptr));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Box("Object file is truncated: normals end at byte 124 of 120", "data\\cyl.obu"));
  EXPECT_EQ(ObjectFileImages[4], nullptr);
}

TEST_F(LoaderTest, MalformedAnimationIsRefusedNamingFileAndFault) {
  auto animation = SmallAnimationImage(2);
  std::int32_t backwards = 10;
  std::memcpy(&animation[4 + 4 * 2], &backwards, 4);  // the end of frame 1 before its start
  WriteDataFile("3dfx.dat", animation);
  EXPECT_FALSE(LoadAssets(nullptr));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].second, "data\\3dfx.dat");
  EXPECT_EQ(boxes[0].first.rfind("Animation file is malformed: ", 0), 0u) << boxes[0].first;
  EXPECT_EQ(AnimationStreamImages[3], nullptr);
}

TEST_F(LoaderTest, MissingBitmapFailsWithoutABoxOfItsOwn) {
  platform::UnregisterBitmapResource(1004);
  EXPECT_FALSE(LoadAssets(nullptr));
  EXPECT_TRUE(boxes.empty());
  for (int k = 0; k < 3; ++k) EXPECT_NE(TextureSlots[k], nullptr);
}

}  // namespace
