#include "tools/song/notation.h"

#include <utility>

namespace song {
namespace {

int PitchClass(char letter) {
  switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: return -1;
  }
}

// Letter and optional accidental at the start of `text`; the rest is left in `text`.
bool ParsePitchClass(std::string_view& text, int& pitchClass) {
  if (text.empty() || PitchClass(text[0]) < 0) return false;
  pitchClass = PitchClass(text[0]);
  text.remove_prefix(1);
  if (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
    pitchClass = (pitchClass + (text[0] == '#' ? 1 : 11)) % 12;
    text.remove_prefix(1);
  }
  return true;
}

// A step string: one character per row of a bar, each from `alphabet`.
bool IsBar(std::string_view bar, std::string_view alphabet) {
  return bar.size() == RowsPerBar && bar.find_first_not_of(alphabet) == std::string_view::npos;
}

bool Fail(std::string& error, std::string fault) {
  error = std::move(fault);
  return false;
}

std::string Named(const Section& s) { return "section \"" + std::string(s.name) + "\""; }

bool CheckMelody(const Melody& melody, std::string& error) {
  for (int bar = 0; bar < BarsPerOrder; ++bar) {
    const std::vector<std::string_view> tokens = MelodyTokens(melody[bar]);
    if (tokens.size() != RowsPerBar) {
      return Fail(error, "bar " + std::to_string(bar) + " has " + std::to_string(tokens.size()) + " steps, not 16");
    }
    for (std::string_view token : tokens) {
      int note = 0;
      if (token == "." || token == "^") continue;
      if (!ParseNote(token, note) || note < 12 || note > 107) {
        return Fail(error, "bar " + std::to_string(bar) + " has \"" + std::string(token) + "\", not a playable note");
      }
    }
  }
  return true;
}

bool CheckSection(const Section& s, int end, const std::vector<Progression>& progressions,
                  const std::vector<Melody>& melodies, std::string& error) {
  if (s.progression < 0 || s.progression >= static_cast<int>(progressions.size()))
    return Fail(error, Named(s) + " has no progression " + std::to_string(s.progression));
  if (s.melody < -1 || s.melody >= static_cast<int>(melodies.size()))
    return Fail(error, Named(s) + " has no melody " + std::to_string(s.melody));
  if (s.level < 0 || s.level > 64) return Fail(error, Named(s) + " has a level outside 0..64");
  if ((s.cue & Boom) && (s.fill & Riser) && end - RowOf(s.start) <= 2 * RowsPerBar)
    return Fail(error, Named(s) + " is too short for a boom and a riser on the effects channel");
  const DrumBar& drums = GrooveBar(s.groove);
  if (!IsBar(drums.kick, ".kK") || !IsBar(drums.snare, ".sScC") || !IsBar(drums.hats, ".hHoO"))
    return Fail(error, Named(s) + " uses a malformed groove");
  if (!IsBar(BassFigure(s.bass), ".rof-")) return Fail(error, Named(s) + " uses a malformed bass figure");
  return true;
}

}  // namespace

bool ParseChord(std::string_view name, Chord& chord) {
  int root = 0;
  if (!ParsePitchClass(name, root)) return false;
  int third = 4;
  if (name == "m") third = 3;
  else if (name == "sus2") third = 2;
  else if (name == "sus4") third = 5;
  else if (!name.empty()) return false;
  chord = {root, (root + third) % 12, (root + 7) % 12};
  return true;
}

bool ParseNote(std::string_view token, int& note) {
  int pitchClass = 0;
  if (!ParsePitchClass(token, pitchClass) || token.size() != 1 || token[0] < '0' || token[0] > '8') return false;
  note = 12 * (token[0] - '0' + 1) + pitchClass;
  return true;
}

std::vector<std::string_view> MelodyTokens(std::string_view bar) {
  std::vector<std::string_view> tokens;
  while (!bar.empty()) {
    const size_t space = bar.find(' ');
    if (space != 0) tokens.push_back(bar.substr(0, space));
    if (space == std::string_view::npos) break;
    bar.remove_prefix(space + 1);
  }
  return tokens;
}

bool CheckDescription(const std::vector<Section>& sections, const std::vector<Progression>& progressions,
                      const std::vector<Melody>& melodies, std::string& error) {
  if (sections.empty() || sections.front().start != 0) return Fail(error, "the first section must start at 0x0000");
  for (size_t i = 0; i < sections.size(); ++i) {
    if ((sections[i].start & 0xFF) >= RowsPerOrder)
      return Fail(error, Named(sections[i]) + " starts past the end of its order");
    const int end = i + 1 < sections.size() ? RowOf(sections[i + 1].start) : OrderCount * RowsPerOrder;
    if (end <= RowOf(sections[i].start) || end > OrderCount * RowsPerOrder)
      return Fail(error, Named(sections[i]) + " does not end after its start and within the song");
    if (!CheckSection(sections[i], end, progressions, melodies, error)) return false;
  }
  for (size_t p = 0; p < progressions.size(); ++p) {
    for (std::string_view name : progressions[p]) {
      Chord chord;
      if (!ParseChord(name, chord))
        return Fail(error, "progression " + std::to_string(p) + " has \"" + std::string(name) + "\", not a chord");
    }
  }
  for (size_t m = 0; m < melodies.size(); ++m) {
    if (!CheckMelody(melodies[m], error)) return Fail(error, "melody " + std::to_string(m) + ": " + error);
  }
  return true;
}

}  // namespace song
