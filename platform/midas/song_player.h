// Renders the playing song from libopenmpt and remembers where it was: the background player's
// core, shared by the audio device's callback and the virtual sink.
//
// libopenmpt reports the order and row reached by the end of its last read, and they change only
// on tick boundaries. The player therefore renders in pieces of at most PieceFrames and keeps a
// fixed ring of where each piece ended, so the position at any recently rendered frame can be
// looked up: the audible frame lags the rendered ones by what the output still holds.
//
// Frames are counted from the song's start (MIDASplayModule): 48 kHz, stereo, 16-bit. Not
// thread-safe: the device mode holds the audio lock around every call. Nothing here allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct openmpt_module;

namespace platform {

constexpr int SongRate = 48000;
constexpr std::size_t PieceFrames = 128;  // 2.7 ms: the position's resolution in device mode
constexpr std::size_t PositionLogSize = 1024;

struct SongPosition {
  std::uint32_t position = 0;  // index in the order list
  std::uint32_t pattern = 0;
  std::uint32_t row = 0;
  std::uint32_t loopCount = 0;  // times the song went back to an earlier order and row
};

class SongPlayer {
 public:
  // Starts `module` at order 0, row 0; looping forever or ending after one pass.
  void Start(openmpt_module* module, bool loop);
  void Stop();
  // The same song from its start again, as Start left it.
  void Restart() { Start(module_, loop_); }
  bool Playing() const { return module_ != nullptr; }

  // Renders `frames` interleaved stereo frames into `out` (silence once stopped or ended).
  void Render(std::int16_t* out, std::size_t frames);
  std::uint64_t RenderedFrames() const { return rendered_; }

  // The position heard at song frame `frame`: as reported at the end of the last piece ending
  // at or before it, so never ahead of the frame. Frames before the start give order 0, row 0;
  // frames older than the ring give its oldest entry.
  SongPosition PositionAt(std::int64_t frame) const;

 private:
  struct Mark {
    std::uint64_t lastFrame;  // the frame at which `where` was read (frame count - 1)
    SongPosition where;
  };
  void Note(std::uint64_t lastFrame);

  openmpt_module* module_ = nullptr;
  bool loop_ = true;
  bool ended_ = false;  // a song played once is past its end: its position stays at the last row
  SongPosition start_;  // where the song starts: order 0, row 0
  std::uint64_t rendered_ = 0;
  std::array<Mark, PositionLogSize> marks_{};
  std::size_t markCount_ = 0;  // marks written since Start, the newest at (markCount_ - 1) % size
};

}  // namespace platform
