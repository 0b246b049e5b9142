// Video captures in one ffmpeg pass: the frames go raw through ffmpeg's standard input as the demo
// shows them, and the sound as raw 48 kHz stereo samples through a second pipe (ffmpeg's fd 3),
// so every frame k carries the time stamp k / fps exactly and the sound starts with frame 0.
// Two writer threads feed the pipes, so the demo draws the next frame while ffmpeg encodes.
// ffmpeg writes a hidden partial file beside the output, which takes the output's name only
// once ffmpeg has finished without fault; anything unfinished is removed. ffmpeg runs in its own
// process group, so a Ctrl+C at the terminal reaches only korvo, which then finishes the file.
// The program is looked up on the PATH, or taken from KORVO_FFMPEG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class VideoQuality {
  Lossless,  // every pixel kept: FFV1 and FLAC (.mkv), H.264 RGB at qp 0 and ALAC (.mp4)
  High,      // H.264 4:2:0 at CRF 16; FLAC (.mkv) or AAC 256 kbit/s (.mp4)
  Web,       // H.264 4:2:0 at CRF 23, slower preset, AAC 160 kbit/s, index at the front (.mp4)
};

struct VideoSettings {
  std::string output;      // FILE.mp4 or FILE.mkv
  int fps = 60;
  int width = 640;         // output frame size: a whole multiple of 640 x 480 repeats pixels,
  int height = 480;        // any other size is scaled by nearest neighbour to fit, letterboxed
  VideoQuality quality = VideoQuality::High;
};

// "WxH" to a size; false for anything else (or a size below 16 or above 7680 x 4320).
bool ParseVideoSize(const std::string& text, int* width, int* height);
// "lossless", "high" or "web".
bool ParseVideoQuality(const std::string& text, VideoQuality* quality);
// Empty when the chosen codec takes the output size, else why not.
std::string VideoSizeFault(const VideoSettings& settings);

// The hidden file ffmpeg writes until the video is finished.
std::string PartialVideoPath(const std::string& output);
// ffmpeg's arguments (program name first) for writing `settings` into `target`.
std::vector<std::string> FfmpegArguments(const VideoSettings& settings, const std::string& target);
std::string FfmpegProgram();

// Starts ffmpeg; false with a message when it is missing or cannot be started.
bool OpenVideo(const VideoSettings& settings, std::string* error);
// Queue one frame in platform::CurrentFrameLayout() (640 x 480 R5G6B5 by default), or interleaved stereo samples of the frames queued. False
// with "ffmpeg stopped after N frames (status S)" once ffmpeg no longer takes them.
bool WriteVideoFrame(const std::uint16_t* rgb565, std::string* error);
bool WriteVideoSound(const std::int16_t* samples, std::size_t frames, std::string* error);
// Ends both inputs and waits for ffmpeg. True when the video was finished and took its name;
// otherwise false with the cause, and the partial file is gone. Safe to call after a failure.
bool CloseVideo(std::string* error);
// Frames ffmpeg has taken whole, and its read rate, for the progress line.
int VideoFramesTaken();

}  // namespace platform
