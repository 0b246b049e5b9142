#include "tools/anim/animation_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assets/animation_codec.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "tools/anim/prefix_code.h"

namespace anim {

namespace {

void AppendLittle32(std::vector<std::uint8_t>* out, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out->push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// The mean of channel c over the source area [x0, x1) x [y0, y1), in source pixels, with
// bilinear weights for partly covered pixels; a point sample when the area is smaller than one.
double AreaSample(const RgbPicture& p, double x0, double x1, double y0, double y1, int c) {
  if (x1 - x0 <= 1.0 && y1 - y0 <= 1.0) {
    const double fx = std::clamp((x0 + x1) / 2 - 0.5, 0.0, p.width - 1.0);
    const double fy = std::clamp((y0 + y1) / 2 - 0.5, 0.0, p.height - 1.0);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const int jx = std::min(ix + 1, p.width - 1), jy = std::min(iy + 1, p.height - 1);
    const double ax = fx - ix, ay = fy - iy;
    const auto at = [&p, c](int x, int y) { return double(p.rgb[3 * (y * p.width + x) + c]); };
    return (at(ix, iy) * (1 - ax) + at(jx, iy) * ax) * (1 - ay) +
           (at(ix, jy) * (1 - ax) + at(jx, jy) * ax) * ay;
  }
  double sum = 0.0, weight = 0.0;
  for (int y = static_cast<int>(y0); y < std::min(static_cast<int>(std::ceil(y1)), p.height); ++y) {
    const double wy = std::min(y1, y + 1.0) - std::max(y0, double(y));
    for (int x = static_cast<int>(x0); x < std::min(static_cast<int>(std::ceil(x1)), p.width); ++x) {
      const double w = wy * (std::min(x1, x + 1.0) - std::max(x0, double(x)));
      sum += w * p.rgb[3 * (y * p.width + x) + c];
      weight += w;
    }
  }
  return weight > 0 ? sum / weight : 0.0;
}

// Decodes the coded frame with the demo's decoder: it must give back the record byte for byte
// and the record must pass the decoder's checks.
bool VerifyCodedFrame(const std::vector<std::uint8_t>& codedFrame,
                      const std::vector<std::uint8_t>& record, std::string* fault) {
  if (DecodeBuffer == nullptr && InitAnimationDecoder() != 1) {
    *fault = "cannot allocate the decoder's buffers";
    return false;
  }
  AnimationFrameDecoder.Load(codedFrame.data(), static_cast<int>(codedFrame.size()));
  const std::uint8_t* decoded = AnimationFrameDecoder.Decode();
  if (decoded == nullptr || !std::equal(record.begin(), record.end(), decoded)) {
    *fault = "internal error: the coded frame does not decode to its record";
    return false;
  }
  FrameLayout layout;
  std::string recordFault;
  if (!CheckFrameRecord(decoded, static_cast<int>(record.size()), &layout, &recordFault)) {
    *fault = "internal error: the frame record is refused: " + recordFault;
    return false;
  }
  return true;
}

}  // namespace

RgbPicture Resample(const RgbPicture& picture, int width, int height) {
  if (picture.width == width && picture.height == height) return picture;
  RgbPicture out{width, height, std::vector<std::uint8_t>(3 * width * height)};
  const double sx = double(picture.width) / width, sy = double(picture.height) / height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const double v = AreaSample(picture, x * sx, (x + 1) * sx, y * sy, (y + 1) * sy, c);
        out.rgb[3 * (y * width + x) + c] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
      }
    }
  }
  return out;
}

bool EncodeFrame(const RgbPicture& picture, const AnimationSettings& settings,
                 std::vector<std::uint8_t>* codedFrame, std::string* fault) {
  if (std::string check = CheckFrameSettings(settings.frame); !check.empty()) {
    *fault = check;
    return false;
  }
  if (settings.maxCodeLength < 8 || settings.maxCodeLength > MaxCodeLength) {
    *fault = "the longest code must be 8 to 32 bits";
    return false;
  }
  if (picture.width < 1 || picture.height < 1 ||
      picture.rgb.size() != std::size_t(3) * picture.width * picture.height) {
    *fault = "the picture holds no pixels or fewer bytes than its size needs";
    return false;
  }
  const RgbPicture sized = Resample(picture, settings.frame.width, settings.frame.height);
  const std::vector<std::uint8_t> record = EncodeFrameRecord(sized.rgb.data(), settings.frame);
  *codedFrame = EncodeCodedFrame(record, settings.maxCodeLength);
  return VerifyCodedFrame(*codedFrame, record, fault);
}

std::vector<std::uint8_t> BuildAnimationStream(const std::vector<std::vector<std::uint8_t>>& frames) {
  std::vector<std::uint8_t> stream;
  AppendLittle32(&stream, static_cast<std::uint32_t>(frames.size() + 1));
  std::uint32_t offset = 0;
  AppendLittle32(&stream, offset);
  for (const auto& frame : frames) AppendLittle32(&stream, offset += frame.size());
  for (const auto& frame : frames) stream.insert(stream.end(), frame.begin(), frame.end());
  return stream;
}

bool EncodeAnimation(const std::vector<RgbPicture>& pictures, const AnimationSettings& settings,
                     std::vector<std::uint8_t>* stream, std::string* fault) {
  if (pictures.empty()) {
    *fault = "an animation needs at least one frame";
    return false;
  }
  std::vector<std::vector<std::uint8_t>> frames(pictures.size());
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    if (!EncodeFrame(pictures[k], settings, &frames[k], fault)) {
      *fault = "frame " + std::to_string(k) + ": " + *fault;
      return false;
    }
  }
  *stream = BuildAnimationStream(frames);
  return true;
}

bool WriteAnimationFile(const std::string& path, const std::vector<RgbPicture>& pictures,
                        const AnimationSettings& settings, std::string* fault) {
  std::vector<std::uint8_t> stream;
  if (!EncodeAnimation(pictures, settings, &stream, fault)) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const bool written =
      file != nullptr && std::fwrite(stream.data(), 1, stream.size(), file) == stream.size();
  const bool closed = file != nullptr && std::fclose(file) == 0;
  if (!written || !closed) {
    *fault = path + ": cannot write the file";
    return false;
  }
  return true;
}

}  // namespace anim
