// A temporary data folder with a complete, valid set of the eleven data files and six bitmap
// resources, which each test may then break; message boxes are caught instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class DataFolderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Writes data/<name> (a forward-slash name below the data folder).
  void WriteDataFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
  void RemoveDataFile(const std::string& name);

  // (text as UTF-8, caption) of every box shown so far.
  std::vector<std::pair<std::string, std::string>> boxes;
  std::filesystem::path folder;
};

// A three-vertex, one-face object with stored texture coordinates, laid out as the demo reads it.
std::vector<std::uint8_t> SmallObjectImage();
// An animation stream of `frames` decodable 8 x 8 frames.
std::vector<std::uint8_t> SmallAnimationImage(int frames);
