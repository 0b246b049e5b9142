#include "platform/midas/wav_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/midas/song_player.h"

namespace platform {

namespace {

constexpr std::uint32_t HeaderBytes = 44;
constexpr std::uint32_t BytesPerFrame = 4;
// The RIFF size field is 32 bits: stop growing before it would overflow.
constexpr std::uint32_t MaxDataBytes = 0xFFFFFFFFu - HeaderBytes;

void Put16(std::uint8_t*& p, std::uint32_t v) {
  *p++ = v & 0xFF;
  *p++ = (v >> 8) & 0xFF;
}

void Put32(std::uint8_t*& p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p, v >> 16);
}

void PutTag(std::uint8_t*& p, const char* tag) {
  std::memcpy(p, tag, 4);
  p += 4;
}

SongTap& Tap() {
  static SongTap tap;
  return tap;
}

}  // namespace

void SetSongTap(SongTap tap) { Tap() = std::move(tap); }

bool WavWriter::Open(const std::string& path, std::string& error) {
  Close();
  path_ = path;
  dataBytes_ = 0;
  if (Tap().piece) {
    tapped_ = true;
    if (Tap().started) Tap().started();
    return true;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    error = path + " (" + std::strerror(errno) + ")";
    return false;
  }
  if (!WriteHeader() || std::fflush(file_) != 0) return Fail(error);
  return true;
}

bool WavWriter::Fail(std::string& error) {
  const int cause = errno;
  error = path_ + " (" + (cause ? std::strerror(cause) : "write failed") + ")";
  Close();
  return false;
}

bool WavWriter::WriteHeader() {
  std::uint8_t header[HeaderBytes];
  std::uint8_t* p = header;
  PutTag(p, "RIFF");
  Put32(p, HeaderBytes - 8 + dataBytes_);
  PutTag(p, "WAVE");
  PutTag(p, "fmt ");
  Put32(p, 16);
  Put16(p, 1);  // PCM
  Put16(p, 2);  // channels
  Put32(p, SongRate);
  Put32(p, SongRate * BytesPerFrame);
  Put16(p, BytesPerFrame);
  Put16(p, 16);  // bits per sample
  PutTag(p, "data");
  Put32(p, dataBytes_);
  return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(header, 1, HeaderBytes, file_) == HeaderBytes &&
         std::fseek(file_, 0, SEEK_END) == 0;
}

bool WavWriter::Append(const std::int16_t* frames, std::size_t count, std::string& error) {
  if (tapped_ && Tap().piece) {
    Tap().piece(frames, count);
    dataBytes_ += static_cast<std::uint32_t>(count * BytesPerFrame);
    return true;
  }
  if (!file_) return true;
  const std::uint64_t room = (MaxDataBytes - dataBytes_) / BytesPerFrame;
  if (count > room) count = static_cast<std::size_t>(room);
  std::uint8_t bytes[PieceFrames * BytesPerFrame];
  for (std::size_t done = 0; done < count;) {
    const std::size_t n = std::min(PieceFrames, count - done);
    std::uint8_t* p = bytes;
    for (std::size_t i = 0; i < 2 * n; ++i) Put16(p, static_cast<std::uint16_t>(frames[2 * done + i]));
    errno = 0;
    if (std::fwrite(bytes, 1, n * BytesPerFrame, file_) != n * BytesPerFrame) return Fail(error);
    done += n;
    dataBytes_ += static_cast<std::uint32_t>(n * BytesPerFrame);
  }
  errno = 0;
  if (!WriteHeader() || std::fflush(file_) != 0) return Fail(error);
  return true;
}

bool WavWriter::Finish(std::string& error) {
  tapped_ = false;
  if (!file_) return true;
  std::FILE* file = file_;
  file_ = nullptr;
  errno = 0;
  if (std::fclose(file) != 0) {
    error = path_ + " (" + (errno ? std::strerror(errno) : "write failed") + ")";
    return false;
  }
  return true;
}

void WavWriter::Close() {
  tapped_ = false;
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace platform
