// The virtual sink's sound file: 48 kHz stereo 16-bit PCM WAV, appended to as the song renders.
// The header's sizes are brought up to date after every append, so the file is complete however
// the program ends.
//
// A capture takes the song for itself: while a song tap is set, a writer opened by the sound
// stand-in hands every rendered piece to the tap and writes no file, so the capture can keep
// exactly the samples of the frames it writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace platform {

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter() { Close(); }

  // Creates (or empties) the file; false with the file name and the cause in `error`.
  bool Open(const std::string& path, std::string& error);
  // Appends interleaved stereo frames; false with the file name and the cause once a write
  // fails (the file is then closed).
  bool Append(const std::int16_t* frames, std::size_t count, std::string& error);
  // Closes the file; false with the cause when its last bytes could not be written.
  bool Finish(std::string& error);
  void Close();
  bool IsOpen() const { return file_ != nullptr || tapped_; }
  // Sample frames appended since Open.
  std::uint64_t Frames() const { return dataBytes_ / 4; }

 private:
  bool WriteHeader();
  bool Fail(std::string& error);

  std::FILE* file_ = nullptr;
  bool tapped_ = false;
  std::string path_;
  std::uint32_t dataBytes_ = 0;
};

// The song as rendered goes to `started` (when a writer opens) and `piece` (each append) instead of
// a file; empty functions end the tap.
struct SongTap {
  std::function<void()> started;
  std::function<void(const std::int16_t* frames, std::size_t count)> piece;
};
void SetSongTap(SongTap tap);

}  // namespace platform
