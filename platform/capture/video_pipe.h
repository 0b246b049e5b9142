// Video captures: the frames go raw through a pipe into ffmpeg as they are shown, and when the run
// is over a second ffmpeg pass lays the song's WAV under them. The ffmpeg program is looked up on
// the PATH, or taken from KORVO_FFMPEG (tests put a stand-in there).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct VideoSettings {
  std::string output;      // FILE.mp4 or FILE.mkv
  int fps = 60;
  int width = 640;         // output frame size; the picture is scaled by nearest neighbour
  int height = 480;        // to fit, keeping 4:3, and letterboxed
};

// "WxH" to a size; false for anything else (or a size below 16 or above 7680 x 4320).
bool ParseVideoSize(const std::string& text, int* width, int* height);

// False with a message when ffmpeg is missing or cannot be started.
bool OpenVideo(const VideoSettings& settings, const std::string& workFolder, std::string* error);
bool WriteVideoFrame(const std::uint16_t* rgb565);
// Muxes the pictures with the WAV, from audioStartSeconds on (the time of the first frame
// written), into the output file; false with a message on failure.
bool CloseVideo(const std::string& wavPath, double audioStartSeconds, std::string* error);

std::string FfmpegProgram();

}  // namespace platform
