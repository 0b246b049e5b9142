// The notation of the song's description (arrangement.h): chord names, note tokens, melody bars,
// and the check that a description is complete and well formed before it is composed.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tools/song/arrangement.h"

namespace song {

// A chord as pitch classes (0 = C), root first.
using Chord = std::array<int, 3>;

// Parses a chord name ("Am", "F#sus4"); false if it is not one.
bool ParseChord(std::string_view name, Chord& chord);
// Parses a note token ("A4", "C#5", "Bb2") into semitones, 60 = C4; false if it is not one.
bool ParseNote(std::string_view token, int& note);
// The space-separated tokens of one melody bar.
std::vector<std::string_view> MelodyTokens(std::string_view bar);

// True if the sections start at 0 in increasing order on rows of the order, refer to existing
// progressions and melodies, and every chord, melody bar, groove and bass figure they use is
// well formed; otherwise false with the first fault in `error`.
bool CheckDescription(const std::vector<Section>& sections, const std::vector<Progression>& progressions,
                      const std::vector<Melody>& melodies, std::string& error);

}  // namespace song
