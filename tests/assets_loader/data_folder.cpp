#include "data_folder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "assets/animation.h"
#include "assets/loader.h"
#include "platform/win32/message_box.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/resources.h"
#include "shell/graphics.h"
#include "tools/anim/animation_encoder.h"
#include "tools/anim/sample_picture.h"
#include "tests/support/bmp.h"
#include "tests/support/files.h"

namespace {

using testsupport::Put32;

const std::vector<std::uint8_t>& Bitmap() {
  static const std::vector<std::uint8_t> bitmap =
      testsupport::MakeBmp(2, 2, 24, true, [](int, int) { return std::uint32_t{0x808080}; });
  return bitmap;
}

}  // namespace

std::vector<std::uint8_t> SmallObjectImage() {
  // n = 3, L = 1, M = 3: faces end at byte 54, so the pairs start at 52, over the last index,
  // which the first u (bits 0x00000002) makes 2.
  std::vector<std::uint8_t> image(52 + 24 + 12 + 36, 0);
  Put32(image, 0, 3);
  Put32(image, 4, 1);
  Put32(image, 8, 3);
  const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  std::memcpy(&image[12], positions, sizeof positions);
  const std::uint16_t faces[2] = {0, 1};
  std::memcpy(&image[48], faces, sizeof faces);
  Put32(image, 52, 2);
  const float normals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  std::memcpy(&image[88], normals, sizeof normals);
  return image;
}

std::vector<std::uint8_t> SmallAnimationImage(int frames) {
  anim::AnimationSettings settings;
  settings.frame.width = settings.frame.height = 8;
  std::vector<anim::RgbPicture> pictures;
  for (int k = 0; k < frames; ++k) pictures.push_back(anim::SamplePicture(8, 8, k));
  std::vector<std::uint8_t> image;
  std::string fault;
  EXPECT_TRUE(anim::EncodeAnimation(pictures, settings, &image, &fault)) << fault;
  return image;
}

void DataFolderTest::SetUpTestSuite() {
  if (Device) return;
  platform::Mode().presentation = platform::Presentation::Headless;
  ASSERT_GE(D3DXInitialize(), 0);
  ASSERT_TRUE(GraphicsStartup(nullptr, D3DX_CONTEXT_FULLSCREEN));
}

void DataFolderTest::SetUp() {
  folder = testsupport::FreshFolder("korvo-loader");
  std::filesystem::create_directories(folder / "data");
  platform::Mode().dataFolder = folder.string();
  const std::vector<std::uint8_t> object = SmallObjectImage(), animation = SmallAnimationImage(3);
  for (const char* name : {"talo1.obu", "talo2.obu", "talo3.obu", "cyl.obu", "piikki.obu"}) WriteDataFile(name, object);
  for (const char* name : {"item.dat", "kone.dat", "3dfx.dat", "pullo.dat", "kelmu.dat", "mina.dat"}) {
    WriteDataFile(name, animation);
  }
  for (int id = 1001; id <= 1006; ++id) platform::RegisterBitmapResource(id, Bitmap().data(), Bitmap().size());
  platform::SetMessageBoxHook(
      [this](const std::string& text, const std::string& caption) { boxes.emplace_back(text, caption); });
}

void DataFolderTest::TearDown() {
  platform::SetMessageBoxHook(nullptr);
  for (int id = 1001; id <= 1006; ++id) platform::UnregisterBitmapResource(id);
  for (auto& image : ObjectFileImages) std::free(std::exchange(image, nullptr));
  for (auto& image : AnimationStreamImages) std::free(std::exchange(image, nullptr));
  for (auto*& texture : TextureSlots) {
    if (texture) std::exchange(texture, nullptr)->Release();
  }
  for (auto*& texture : RenderTextures) {
    if (texture) std::exchange(texture, nullptr)->Release();
  }
  platform::Mode().dataFolder.clear();
  std::filesystem::remove_all(folder);
}

void DataFolderTest::WriteDataFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(folder / "data" / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void DataFolderTest::RemoveDataFile(const std::string& name) { std::filesystem::remove(folder / "data" / name); }
