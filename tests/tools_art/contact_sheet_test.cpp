// The contact sheet names the file it could not use.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/art/bitmaps.h"
#include "tools/art/bmp.h"
#include "tools/art/contact_sheet.h"

namespace art {
namespace {

TEST(ContactSheet, NamesTheMissingOrBrokenFile) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "korvo_art_sheet_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string fault;
  ContactSheetSources sources{dir.string(), dir.string()};
  EXPECT_FALSE(WriteContactSheet((dir / "sheet.png").string(), sources, &fault));
  EXPECT_NE(fault.find("bitmap1001.bmp"), std::string::npos) << fault;
  // A bitmap that is not a BMP at all.
  ASSERT_TRUE(WriteFile((dir / "bitmap1001.bmp").string(), {'B', 'X', 0, 0}, &fault));
  EXPECT_FALSE(WriteContactSheet((dir / "sheet.png").string(), sources, &fault));
  EXPECT_NE(fault.find("bitmap1001.bmp"), std::string::npos) << fault;
  EXPECT_NE(fault.find("BMP"), std::string::npos) << fault;
  EXPECT_FALSE(std::filesystem::exists(dir / "sheet.png"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace art
