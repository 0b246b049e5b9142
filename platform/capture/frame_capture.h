// A capture run: every shown frame is listed in frames.tsv, and the frames whose music position
// lies in [from, to] are written, as numbered PNG pictures or into a video. The run stops once the
// position has passed `to`.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct CaptureSettings {
  std::string folder;     // PNG pictures, frames.tsv and audio.wav go here
  std::string video;      // non-empty: FILE.mp4 or FILE.mkv instead of PNG pictures
  int fps = 30;
  int videoWidth = 640;
  int videoHeight = 480;
  int from = 0;
  int to = 0xFFFF;
  int endPosition = 0x1431;  // where the demo stops by itself, for the progress line
};

// False with a message on standard error when the folder cannot be made or ffmpeg is missing.
bool BeginCapture(const CaptureSettings& settings);
// One shown frame at its music position (0xPPRR) and scene-table entry. Returns false once the
// position is past `to`, or writing failed: the run should stop after this frame.
bool CaptureFrame(const std::uint16_t* pixels, int position, int entry, std::uint32_t milliseconds);
// Finishes the frame list (and the video, with the song under it) and prints the closing line
// "frames=F last=0xPPRR". False when the video could not be finished.
bool EndCapture();

std::string CaptureWavPath();

}  // namespace platform
