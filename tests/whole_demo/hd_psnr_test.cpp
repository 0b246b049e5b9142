// The high-definition rendering stays faithful: the demo runs three times side by side, exact and
// at render scale 2 in 16 and in 32 bits, each in a child process (the demo's state lives for the
// whole process), on the same virtual clock. Every scale-2 frame is reduced by 2 x 2 box averaging
// and compared with the exact frame of the same moment, and the PSNR of each scene-table entry is
// printed. Entries that draw from copies of the frame (feedback) may drift further.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/shared.h"
#include "platform/d3d/call_recorder.h"
#include "platform/d3d/texture.h"
#include "platform/win32/clock.h"
#include "platform/win32/platform_mode.h"
#include "platform/win32/win32.h"
#include "shell/shell.h"
#include "shell/scene_table.h"
#include "tests/support/demo_run.h"

namespace {

constexpr int Width = 640, Height = 480, Channels = 3;
constexpr std::size_t PictureBytes = std::size_t{Width} * Height * Channels;

struct FrameHeader {
  std::int32_t entry;
  std::int32_t feedback;  // a draw sampled a texture holding a copy of the K-times frame
};

// 8-bit RGB at 640 x 480 of a shown frame: widened R5G6B5, or 2 x 2 means of a true-colour one.
void Picture(const std::uint16_t* pixels, int scale, std::vector<std::uint8_t>& rgb) {
  const platform::FrameLayout layout = platform::CurrentFrameLayout();
  const auto* words = reinterpret_cast<const std::uint32_t*>(pixels);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      for (int c = 0; c < Channels; ++c) {
        const int shift = 16 - 8 * c;
        unsigned sum = 0;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            const std::size_t i = std::size_t{static_cast<unsigned>(y * scale + dy)} * layout.width + x * scale + dx;
            sum += ((layout.trueColour ? words[i] : WidenRgb565(pixels[i])) >> shift) & 0xFF;
          }
        }
        rgb[(std::size_t{static_cast<unsigned>(y)} * Width + x) * Channels + c] =
            static_cast<std::uint8_t>((sum + scale * scale / 2) / (scale * scale));
      }
    }
  }
}

bool SampledFrameCopy() {
  for (const d3drec::Call& call : d3drec::Calls()) {
    const bool draw = call.kind == d3drec::Call::Kind::DrawPrimitive || call.kind == d3drec::Call::Kind::DrawIndexedPrimitive;
    if (draw && call.texture && call.texture->texture()->scale() > 1)
      return true;
  }
  return false;
}

// Starts the demo in a child that writes every shown frame (header, then picture) to the pipe.
pid_t RunInChild(int scale, int colourBits, int* reader) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child != 0) {
    close(channel[1]);
    *reader = channel[0];
    return child;
  }
  close(channel[0]);
  platform::PlatformMode& mode = platform::Mode();
  mode.presentation = platform::Presentation::Headless;
  mode.sound = platform::Sound::Virtual;
  mode.dataFolder = KORVO_BUILD_DIR;
  mode.renderScale = scale;
  mode.colourBits = colourBits;
  platform::UseVirtualClock(testsupport::TestFramesPerSecond(2));
  d3drec::StartRecording();
  std::vector<std::uint8_t> rgb(PictureBytes);
  platform::SetFrameSink([&](const std::uint16_t* pixels) {
    const FrameHeader header{SceneIndex, SampledFrameCopy()};
    d3drec::ClearCalls();
    Picture(pixels, scale, rgb);
    if (write(channel[1], &header, sizeof header) != sizeof header ||
        write(channel[1], rgb.data(), rgb.size()) != static_cast<ssize_t>(rgb.size())) {
      _exit(3);
    }
  });
  _exit(WinMain(nullptr, nullptr, nullptr, 0));
}

bool ReadWhole(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t got = read(fd, bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

struct EntryError {
  double squares = 0;  // summed squared channel differences
  double brighter = 0;  // summed channel differences, this rendering minus the exact one
  std::size_t samples = 0;
  bool feedback = false;
  double Psnr() const { return squares == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * samples / squares); }
};

struct Rendering {
  int scale, colourBits;
  pid_t child = -1;
  int pipe = -1;
  std::vector<std::uint8_t> picture = std::vector<std::uint8_t>(PictureBytes);
  FrameHeader header{};
  std::vector<EntryError> entries = std::vector<EntryError>(SceneTableSize);
};

TEST(HighDefinition, ReducedFramesStayCloseToTheExactPictureInEveryEntry) {
  // The exact picture, and scale 2 in 16 and in 32 bits, all on one clock.
  std::vector<Rendering> runs = {{1, 16}, {2, 16}, {2, 32}};
  for (Rendering& run : runs) {
    run.child = RunInChild(run.scale, run.colourBits, &run.pipe);
    ASSERT_GT(run.child, 0);
  }
  int frames = 0;
  for (bool more = true; more; ++frames) {
    for (Rendering& run : runs) {
      const bool got = ReadWhole(run.pipe, &run.header, sizeof run.header) &&
                       ReadWhole(run.pipe, run.picture.data(), run.picture.size());
      if (&run == &runs[0]) more = got;
      ASSERT_EQ(got, more) << "one run showed more frames than the other, after frame " << frames;
    }
    if (!more) break;
    const int entry = runs[0].header.entry;
    ASSERT_TRUE(entry >= 0 && entry < SceneTableSize);
    for (Rendering& run : runs) {
      ASSERT_EQ(run.header.entry, entry) << "frame " << frames;
      EntryError& e = run.entries[entry];
      for (std::size_t i = 0; i < PictureBytes; ++i) {
        const double d = static_cast<double>(runs[0].picture[i]) - run.picture[i];
        e.squares += d * d;
        e.brighter -= d;
      }
      e.samples += PictureBytes;
      e.feedback |= run.header.feedback != 0;
    }
  }
  for (Rendering& run : runs) {
    close(run.pipe);
    EXPECT_EQ(testsupport::ExitStatus(run.child), 0) << "scale " << run.scale;
  }
  ASSERT_GT(frames, 1);
  std::printf("entry scene                          PSNR x2 16-bit   x2 32-bit  32-bit brighter by\n");
  const Rendering &sixteen = runs[1], &thirtyTwo = runs[2];
  for (int k = 0; k < SceneTableSize; ++k) {
    const EntryError &e = sixteen.entries[k], &t = thirtyTwo.entries[k];
    if (e.samples == 0) continue;
    std::printf("%5d %-28s %9.2f dB %9.2f dB %9.1f /255%s\n", k, SceneTable[k].name, e.Psnr(), t.Psnr(),
                t.brighter / t.samples, e.feedback ? "  (draws frame copies)" : "");
    EXPECT_GE(e.Psnr(), 22.0) << "entry " << k;
    if (!e.feedback) {
      EXPECT_GE(e.Psnr(), 30.0) << "entry " << k << " draws no copy of the frame";
    }
    // True colour leaves out the exact picture's truncation: every additive store of the exact
    // frame drops up to 7/255 of red and blue and 3/255 of green, and whole steps below that, so
    // its layered tunnels and feedback trails are darker and greener; it stays recognisably the
    // same picture.
    EXPECT_GE(t.Psnr(), 12.0) << "entry " << k;
    EXPECT_GT(t.brighter / t.samples, -3.0) << "entry " << k << ": true colour only keeps what the exact frame drops";
  }
}

}  // namespace
