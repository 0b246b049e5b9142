// The description's notation and the check that refuses a malformed description.
#include <gtest/gtest.h>

#include <functional>

#include "tools/song/notation.h"

namespace {

TEST(SongNotation, NamesParseAndNonsenseIsRefused) {
  song::Chord chord;
  EXPECT_TRUE(song::ParseChord("F#m", chord) && chord == (song::Chord{6, 9, 1})) << "F#m";
  EXPECT_TRUE(song::ParseChord("Bbsus4", chord) && chord == (song::Chord{10, 3, 5})) << "Bbsus4";
  for (std::string_view bad : {"", "H", "Amaj9", "m", "A#b"}) EXPECT_FALSE(song::ParseChord(bad, chord)) << bad;

  int note = 0;
  EXPECT_TRUE(song::ParseNote("G#4", note) && note == 68) << note;
  EXPECT_TRUE(song::ParseNote("Bb2", note) && note == 46) << note;
  for (std::string_view bad : {"", "A", "Z4", "C#", "C10", "^"}) EXPECT_FALSE(song::ParseNote(bad, note)) << bad;

  EXPECT_EQ(song::MelodyTokens("  A4 .  ^ "), (std::vector<std::string_view>{"A4", ".", "^"}));
}

// The song's description with one change, and the words the refusal must contain.
struct Breakage {
  std::function<void(std::vector<song::Section>&, std::vector<song::Progression>&, std::vector<song::Melody>&)> change;
  std::string expected;
};

TEST(SongDescription, TheSongPassesAndEachKindOfFaultIsRefused) {
  std::string error;
  EXPECT_TRUE(song::CheckDescription(song::Sections(), song::Progressions(), song::Melodies(), error)) << error;
  const Breakage breakages[] = {
      {[](auto& s, auto&, auto&) { s.erase(s.begin()); }, "first section"},
      {[](auto& s, auto&, auto&) { std::swap(s[3], s[4]); }, "does not end after its start"},
      {[](auto& s, auto&, auto&) { s[2].start = 0x0150; }, "past the end of its order"},
      {[](auto& s, auto&, auto&) { s.back().start = 0x1700; }, "within the song"},
      {[](auto& s, auto&, auto&) { s[5].progression = 99; }, "no progression 99"},
      {[](auto& s, auto&, auto&) { s[5].melody = 7; }, "no melody 7"},
      {[](auto& s, auto&, auto&) { s[5].level = 65; }, "level"},
      {[](auto& s, auto&, auto&) { s[4].cue = song::Boom, s[4].fill = song::Riser; }, "too short"},
      {[](auto&, auto& p, auto&) { p[1][2] = "Hm"; }, "progression 1 has \"Hm\""},
      {[](auto&, auto&, auto& m) { m[0][1] = "A4 . ."; }, "melody 0: bar 1 has 3 steps"},
      {[](auto&, auto&, auto& m) { m[2][3] = "A4 . . . . . . . . . . . . . . X9"; }, "\"X9\""},
      {[](auto&, auto&, auto& m) { m[2][3] = "G8 . . . . . . . . . . . . . . ."; }, "not a playable note"},
  };
  for (const Breakage& b : breakages) {
    std::vector<song::Section> sections = song::Sections();
    std::vector<song::Progression> progressions = song::Progressions();
    std::vector<song::Melody> melodies = song::Melodies();
    b.change(sections, progressions, melodies);
    EXPECT_FALSE(song::CheckDescription(sections, progressions, melodies, error)) << b.expected;
    EXPECT_NE(error.find(b.expected), std::string::npos) << "got: " << error;
  }
}

}  // namespace
