// The virtual sink's sound file: 48 kHz stereo 16-bit PCM WAV, appended to as the song renders.
// The header's sizes are brought up to date after every append, so the file is complete however
// the program ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter() { Close(); }

  // Creates (or empties) the file; false with the file name and the fault in `error`.
  bool Open(const std::string& path, std::string& error);
  // Appends interleaved stereo frames; false with the reason once a write fails.
  bool Append(const std::int16_t* frames, std::size_t count, std::string& error);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  bool WriteHeader();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint32_t dataBytes_ = 0;
};

}  // namespace platform
