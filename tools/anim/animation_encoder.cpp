#include "tools/anim/animation_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "assets/animation_codec.h"
#include "assets/frame_conversion.h"
#include "assets/frame_decoder.h"
#include "assets/frame_reconstruction.h"
#include "tools/anim/prefix_code.h"
#include "tools/common/file_bytes.h"

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

// Squared errors of one coded frame against the picture it was made from (already at frame size).
struct FrameErrors {
  double rgb = 0.0, luma = 0.0;
  std::int64_t pixels = 0;
};

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

FrameErrors MeasureFrame(const std::vector<std::uint8_t>& codedFrame, const RgbPicture& sized) {
  std::vector<std::uint8_t> picture(DecodedPictureBytes, 0);
  FrameErrors errors;
  if (DecodeFrame(codedFrame.data(), picture.data(), static_cast<int>(codedFrame.size())) != 1) return errors;
  const int pixels = sized.width * sized.height;
  const int lumaStride = FrameIsLumaOnly ? 1 : 4;
  for (int p = 0; p < pixels; ++p) {
    const std::uint8_t* rgb = &sized.rgb[3 * p];
    const double target = std::clamp(std::round(ToLumaChroma(rgb[0], rgb[1], rgb[2]).y), 0.0, 255.0);
    const double d = picture[lumaStride * p] - target;
    errors.luma += d * d;
  }
  if (FrameIsLumaOnly) WidenLumaPicture(picture.data(), sized.width, sized.height);
  std::vector<std::uint16_t> shown(pixels);
  ConvertPicture(picture.data(), shown.data(), 2 * sized.width, sized.width, sized.height);
  for (int p = 0; p < pixels; ++p) {
    const std::uint8_t got[3] = {Widen5(shown[p] >> 11), Widen6((shown[p] >> 5) & 0x3F), Widen5(shown[p] & 0x1F)};
    for (int c = 0; c < 3; ++c) {
      const double d = static_cast<double>(got[c]) - sized.rgb[3 * p + c];
      errors.rgb += d * d;
    }
  }
  errors.pixels = pixels;
  return errors;
}

double Psnr(double squaredError, double samples) {
  if (squaredError <= 0.0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(255.0 * 255.0 * samples / squaredError);
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
                     std::vector<std::uint8_t>* stream, std::string* fault, AnimationQuality* quality) {
  if (pictures.empty()) {
    *fault = "an animation needs at least one frame";
    return false;
  }
  std::vector<std::vector<std::uint8_t>> frames(pictures.size());
  FrameErrors total;
  double worst = std::numeric_limits<double>::infinity();
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    if (!EncodeFrame(pictures[k], settings, &frames[k], fault)) {
      *fault = "frame " + std::to_string(k) + ": " + *fault;
      return false;
    }
    if (quality == nullptr) continue;
    const FrameErrors errors =
        MeasureFrame(frames[k], Resample(pictures[k], settings.frame.width, settings.frame.height));
    total.rgb += errors.rgb;
    total.luma += errors.luma;
    total.pixels += errors.pixels;
    if (const double psnr = Psnr(errors.rgb, 3.0 * errors.pixels); k == 0 || psnr < worst) {
      worst = psnr;
      quality->worstFrame = static_cast<int>(k);
    }
  }
  if (quality != nullptr) {
    quality->rgbPsnr = Psnr(total.rgb, 3.0 * total.pixels);
    quality->lumaPsnr = Psnr(total.luma, static_cast<double>(total.pixels));
    quality->worstRgbPsnr = worst;
  }
  *stream = BuildAnimationStream(frames);
  return true;
}

bool WriteAnimationFile(const std::string& path, const std::vector<RgbPicture>& pictures,
                        const AnimationSettings& settings, std::string* fault, AnimationQuality* quality) {
  std::vector<std::uint8_t> stream;
  if (!EncodeAnimation(pictures, settings, &stream, fault, quality)) return false;
  return tools::WriteFileBytes(path, stream, fault);
}

}  // namespace anim
