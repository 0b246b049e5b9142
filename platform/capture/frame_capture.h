// A capture run. Every shown frame comes here; those whose music position lies in [from, to] are
// written, as pictures 000001.png, 000002.png … with one frames.tsv row each and their sound in
// audio.wav, or into one video. The sound kept is exactly that of the written frames: from the
// first written frame's time for frames × 48000 / fps samples, taken from the virtual sink through
// the song tap. The run stops after the last frame in range, when the song goes back to its
// start (a song that ends before the demo does), or at the first write that fails; every fault is
// told on standard error, naming the file and the cause.
#pragma once

#include <cstdint>
#include <string>

#include "platform/capture/video_pipe.h"

namespace platform {

struct CaptureSettings {
  std::string folder;     // pictures, frames.tsv and audio.wav go here
  std::string video;      // non-empty: FILE.mp4 or FILE.mkv instead of the folder
  int fps = 30;
  int videoWidth = 640;
  int videoHeight = 480;
  VideoQuality quality = VideoQuality::High;
  int from = 0;
  int to = 0xFFFF;
  int endPosition = 0x1431;  // where the demo stops by itself
  bool overwrite = false;    // an earlier capture in the folder (or the video file) is replaced
  std::string frameListPath;  // empty: folder/frames.tsv
};

// Checks and opens everything before the first frame: the folder (made if missing; one holding a
// capture is refused without `overwrite`, else its pictures, list and sound are removed), or the
// video's folder and ffmpeg. False with a message on standard error.
bool BeginCapture(const CaptureSettings& settings);

struct ShownFrame {
  const std::uint16_t* pixels;  // in CurrentFrameLayout(): 640 x 480 R5G6B5 by default
  int position;                 // 0xPPRR
  int songLoops;                // times the song went back to its start
  int entry;                    // scene-table entry
  const char* scene;            // its scene function
  std::uint32_t milliseconds;   // the demo clock
};
// False once the run should stop after this frame (past `to`, the song went back, or a fault).
bool CaptureFrame(const ShownFrame& frame);
// Closes and checks every file (the video is finished, or removed) and prints the closing line
// "frames=F last=0xPPRR" (pictures written, last position run). False when anything asked for
// was not written whole.
bool EndCapture();

}  // namespace platform
