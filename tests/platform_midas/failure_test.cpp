// Failures of the MIDAS calls: bad song files, calls out of order or after MIDASclose, and the
// test hook, each with its failure result and a readable error text.
#include <fstream>

#include "tests/platform_midas/test_songs.h"

namespace {

class MidasFailures : public midastest::MidasTest {
 protected:
  void Initialize() {
    MIDASstartup();
    ASSERT_TRUE(MIDASinit());
    ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  }
  static std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = midastest::TestFolder() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(MidasFailures, BadSongFilesGiveNullAndNameTheFile) {
  Initialize();
  const std::string song = midastest::WriteSong("good.xm", midastest::CountingSong(1, 6, 125));
  const std::string whole = testsupport::ReadAll(song);
  // Special files go through the reader the data files use: the loader's tests list its pipes and
  // devices; a folder here shows that the song takes that reader.
  const struct {
    std::string path;
    const char* text;
  } cases[] = {
      {midastest::TestFolder() + "/missing.xm", "Unable to open file"},
      {midastest::TestFolder(), "a folder"},
      {WriteBytes("empty.xm", ""), "empty"},
      {WriteBytes("noise.xm", std::string(5000, '\x5A')), "Invalid module file"},
      {WriteBytes("cut_header.xm", whole.substr(0, 100)), "ends inside the header"},
      {WriteBytes("cut_samples.xm", whole.substr(0, whole.size() - 10)), "ends inside instrument 1's sample data"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MIDASloadModule(c.path.c_str()), nullptr) << c.path;
    EXPECT_NE(LastErrorText().find(c.text), std::string::npos) << LastErrorText();
    EXPECT_NE(LastErrorText().find(c.path), std::string::npos) << LastErrorText();
  }
  EXPECT_NE(MIDASloadModule(song.c_str()), nullptr) << "a failure leaves the library usable";
}

TEST_F(MidasFailures, RelativeNamesResolveInTheDataFolder) {
  midastest::WriteSong("sub_song.xm", midastest::CountingSong(1, 6, 125));
  Initialize();
  EXPECT_EQ(MIDASloadModule("sub_song.xm"), nullptr) << "not in the working directory";
  platform::Mode().dataFolder = midastest::TestFolder();
  EXPECT_NE(MIDASloadModule("sub_song.xm"), nullptr) << LastErrorText();
  std::filesystem::create_directories(midastest::TestFolder() + "/data");
  midastest::WriteSong("data/inner.xm", midastest::CountingSong(1, 6, 125));
  EXPECT_NE(MIDASloadModule("data\\inner.xm"), nullptr) << LastErrorText();
}

TEST_F(MidasFailures, CallsOutOfOrderFail) {
  const std::string song = midastest::WriteSong("order.xm", midastest::CountingSong(1, 6, 125));
  EXPECT_FALSE(MIDASinit()) << "before MIDASstartup";
  EXPECT_EQ(MIDASloadModule(song.c_str()), nullptr);
  EXPECT_FALSE(MIDASclose());
  MIDASstartup();
  EXPECT_EQ(MIDASloadModule(song.c_str()), nullptr) << "before MIDASinit";
  EXPECT_NE(LastErrorText().find("not initialized"), std::string::npos) << LastErrorText();
  ASSERT_TRUE(MIDASinit());
  EXPECT_FALSE(MIDASinit()) << "twice";
  EXPECT_FALSE(MIDASstopBackgroundPlay()) << "not running";
  MIDASmodule module = MIDASloadModule(song.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(MIDASplayModule(module, TRUE), 0u) << "before background play";
  ASSERT_TRUE(MIDASstartBackgroundPlay(0));
  EXPECT_EQ(MIDASplayModule(nullptr, TRUE), 0u);
  const auto handle = MIDASplayModule(module, TRUE);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(MIDASplayModule(module, TRUE), 0u) << "one song at a time";
  EXPECT_NE(LastErrorText().find("already playing"), std::string::npos) << LastErrorText();
  EXPECT_FALSE(MIDASfreeModule(module)) << "while playing";
  MIDASplayStatus status{};
  EXPECT_FALSE(MIDASgetPlayStatus(handle + 1, &status));
  EXPECT_FALSE(MIDASgetPlayStatus(handle, nullptr));
  ASSERT_TRUE(MIDASstopModule(handle));
  EXPECT_FALSE(MIDASstopModule(handle)) << "stale handle";
  EXPECT_FALSE(MIDASgetPlayStatus(handle, &status)) << "stale handle";
  ASSERT_TRUE(MIDASfreeModule(module));
  EXPECT_FALSE(MIDASfreeModule(module)) << "freed twice";
  ASSERT_TRUE(MIDASstopBackgroundPlay());
  ASSERT_TRUE(MIDASclose());
}

TEST_F(MidasFailures, EverythingFailsCleanlyAfterClose) {
  const auto handle = StartSong(midastest::WriteSong("closed.xm", midastest::CountingSong(1, 6, 125)));
  ASSERT_TRUE(MIDASclose());  // with the song still loaded and playing
  MIDASplayStatus status{};
  EXPECT_FALSE(MIDASgetPlayStatus(handle, &status));
  EXPECT_NE(LastErrorText().find("not started"), std::string::npos) << LastErrorText();
  EXPECT_FALSE(MIDASstopModule(handle));
  EXPECT_FALSE(MIDASfreeModule(module_)) << "the module went with the library";
  EXPECT_FALSE(MIDASstopBackgroundPlay());
  EXPECT_FALSE(MIDASclose());
  EXPECT_FALSE(MIDASinit());
}

TEST_F(MidasFailures, RequestedFailureHitsOneCallOnce) {
  MIDASstartup();
  platform::FailNextMidasCall("MIDASstartBackgroundPlay");
  ASSERT_TRUE(MIDASinit());
  EXPECT_FALSE(MIDASstartBackgroundPlay(0));
  EXPECT_NE(LastErrorText().find("MIDASstartBackgroundPlay"), std::string::npos) << LastErrorText();
  EXPECT_TRUE(MIDASstartBackgroundPlay(0));
}

}  // namespace
