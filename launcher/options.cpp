#include "launcher/options.h"

#include "platform/capture/video_pipe.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/timeline.h"

namespace launcher {

namespace {

std::optional<long> ParseNumber(const std::string& text, int base) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, base);
  if (errno != 0 || *end != '\0' || value < 0) return std::nullopt;
  return value;
}

}  // namespace

bool IsVideoCapture(const std::string& target) {
  const auto ends = [&](const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return target.size() > n && target.compare(target.size() - n, n, suffix) == 0;
  };
  return ends(".mp4") || ends(".mkv");
}

std::optional<int> ParsePosition(const std::string& text) {
  const auto digits = [](const std::string& part, std::size_t most, bool hex) {
    if (part.empty() || part.size() > most) return false;
    for (const char c : part) {
      if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
        return false;
    }
    return true;
  };
  const std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    const std::string position = text.substr(0, colon), row = text.substr(colon + 1);
    if (!digits(position, 3, false) || !digits(row, 3, false)) return std::nullopt;
    const long p = std::stol(position), r = std::stol(row);
    if (p > 255 || r > 255) return std::nullopt;
    return static_cast<int>(p << 8 | r);
  }
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      digits(text.substr(2), 4, true)) {
    return static_cast<int>(std::stol(text.substr(2), nullptr, 16));
  }
  return std::nullopt;
}

std::string PositionFault(int position) {
  char text[96];
  if ((position & 0xFF) > 63) {
    std::snprintf(text, sizeof text, "row %d does not exist (a song position has rows 0 to 63)", position & 0xFF);
  } else if (position > EndPosition) {
    std::snprintf(text, sizeof text, "0x%04X lies past the end of the demo (0x%04X)", position, EndPosition);
  } else {
    return "";
  }
  return text;
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
  Options result;
  bool sizeGiven = false, qualityGiven = false, captureGiven = false;
  error->clear();
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = option + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const auto position = [&](std::optional<int>* out) {
      std::string text;
      if (!value(&text)) return false;
      *out = ParsePosition(text);
      if (!*out) {
        *error = option + ": \"" + text + "\" is not a music position (0xPPRR or PP:RR)";
        return false;
      }
      const std::string fault = PositionFault(**out);
      if (!fault.empty()) *error = option + " " + text + ": " + fault;
      return fault.empty();
    };
    const auto count = [&](int* out, int low, int high) {
      std::string text;
      if (!value(&text)) return false;
      const auto number = ParseNumber(text, 10);
      if (!number || *number < low || *number > high) {
        *error = option + ": \"" + text + "\" is not a number from " + std::to_string(low) +
                 " to " + std::to_string(high);
        return false;
      }
      *out = static_cast<int>(*number);
      return true;
    };

    bool ok = true;
    if (option == "--help" || option == "-h") {
      result.action = Options::Action::Help;
    } else if (option == "--version") {
      result.action = Options::Action::Version;
    } else if (option == "--list-scenes") {
      result.action = Options::Action::ListScenes;
    } else if (option == "--window") {
      result.window = true;
    } else if (option == "--no-sound") {
      result.noSound = true;
    } else if (option == "--stats") {
      result.stats = true;
    } else if (option == "--scale") {
      ok = count(&result.scale, 1, 8);
      result.window = true;
    } else if (option == "--capture") {
      ok = value(&result.capture);
      if (ok && result.capture.empty()) {
        *error = "--capture needs a folder or a video file name, not an empty one";
        ok = false;
      }
      captureGiven = true;
    } else if (option == "--overwrite") {
      result.overwrite = true;
    } else if (option == "--quality") {
      std::string text;
      ok = value(&text) && platform::ParseVideoQuality(text, &result.quality);
      if (!ok && error->empty()) *error = "--quality: \"" + text + "\" is not lossless, high or web";
      qualityGiven = true;
    } else if (option == "--fps") {
      ok = count(&result.fps, 1, 1000);
    } else if (option == "--from") {
      ok = position(&result.from);
    } else if (option == "--to") {
      ok = position(&result.to);
    } else if (option == "--start") {
      ok = position(&result.start);
    } else if (option == "--size") {
      std::string text;
      ok = value(&text) && platform::ParseVideoSize(text, &result.videoWidth, &result.videoHeight);
      if (!ok && error->empty()) *error = "--size: \"" + text + "\" is not a frame size WxH";
      sizeGiven = true;
    } else if (option == "--data") {
      ok = value(&result.dataFolder);
    } else if (option == "--render-scale") {
      ok = count(&result.renderScale, 1, 4);
    } else if (option == "--colour" || option == "--color") {
      std::string text;
      ok = value(&text);
      if (ok && text != "16" && text != "32") {
        *error = option + ": \"" + text + "\" is not 16 or 32 (bits a pixel)";
        ok = false;
      }
      if (ok) result.colourBits = text == "32" ? 32 : 16;
    } else {
      *error = "unknown option \"" + option + "\"";
      ok = false;
    }
    if (!ok) return false;
  }

  if (!captureGiven && (result.fps || result.from || result.to || sizeGiven || qualityGiven ||
                       result.overwrite)) {
    *error = "--fps, --from, --to, --size, --quality and --overwrite need --capture";
    return false;
  }
  if (!result.capture.empty() && (result.window || result.start)) {
    *error = "--capture runs without a window and from the start: use --from instead of --start";
    return false;
  }
  if (result.from && result.to && *result.from > *result.to) {
    *error = "--from lies after --to";
    return false;
  }
  if ((sizeGiven || qualityGiven) && !IsVideoCapture(result.capture)) {
    *error = std::string(sizeGiven ? "--size" : "--quality") + " applies to video captures (FILE.mp4 or FILE.mkv)";
    return false;
  }
  // A video is as large as the rendering unless --size says otherwise.
  if (!sizeGiven) {
    result.videoWidth = 640 * result.renderScale;
    result.videoHeight = 480 * result.renderScale;
  }
  if (IsVideoCapture(result.capture)) {
    const std::string fault = platform::VideoSizeFault(
        {result.capture, 0, result.videoWidth, result.videoHeight, result.quality});
    if (!fault.empty()) {
      *error = "--size " + std::to_string(result.videoWidth) + "x" + std::to_string(result.videoHeight) + ": " + fault;
      return false;
    }
  }
  *options = result;
  return true;
}

const char* UsageText() {
  return "usage: korvo [options]\n"
         "  (no options)        full screen with sound; Escape stops, Home shows frame statistics\n"
         "  --window            in a desktop window instead of full screen\n"
         "  --scale N           window size N x 640 x 480 (default: the largest whole N that\n"
         "                      fits 90 % of the desktop; implies --window)\n"
         "  --no-sound          play without the audio device (the song still drives the picture)\n"
         "  --stats             print frame statistics on exit: frames, fps, slowest frame\n"
         "  --start POS         start at a music position: run unseen up to POS, then play\n"
         "  --capture DIR       no display, no sound card: write DIR/NNNNNN.png per frame,\n"
         "                      DIR/audio.wav and DIR/frames.tsv\n"
         "  --capture FILE.mp4  the same as one video (needs ffmpeg); also FILE.mkv\n"
         "  --fps N             capture frame rate (default 30; 60 for video)\n"
         "  --from POS          first music position a capture writes\n"
         "  --to POS            last music position a capture writes\n"
         "  --size WxH          video frame size: a whole multiple of 640x480 repeats each\n"
         "                      pixel, any other size is scaled to fit and letterboxed\n"
         "  --quality Q         video quality: lossless (every pixel kept), high (default), web\n"
         "  --overwrite         replace an earlier capture in the same folder or file\n"
         "  --data DIR          folder holding data/ and sotkux.xm\n"
         "  --render-scale K    draw the 640x480 screen at K times the pixels (1 to 4, default 1)\n"
         "  --colour 32         8 bits a channel instead of the exact R5G6B5 picture (default 16)\n"
         "  --list-scenes       print the scene table\n"
         "  --help, --version\n"
         "POS is 0xPPRR (song position and row in hexadecimal, as 0x0C00) or PP:RR (decimal, as 12:0).\n";
}

}  // namespace launcher
