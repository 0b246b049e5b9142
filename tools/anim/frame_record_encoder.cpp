#include "tools/anim/frame_record_encoder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "assets/animation_codec.h"
#include "assets/frame_reconstruction.h"

namespace anim {

namespace {

bool IsBlockDimension(int d) { return d == 1 || d == 2 || d == 4 || d == 8 || d == 16; }

int ClampRound(double value, int low, int high) {
  return std::clamp(static_cast<int>(std::lround(value)), low, high);
}

struct Plane {
  int width, height;
  std::vector<double> values;
  double at(int x, int y) const { return values[y * width + x]; }
};

// Grid of (W / blockWidth + 1) x (H / blockHeight + 1) samples, each the mean of the plane over
// a block-sized window centred on its corner, divided by divisor and rounded into 0..63.
std::vector<std::uint8_t> CornerGrid(const Plane& plane, int blockWidth, int blockHeight,
                                     double divisor) {
  const int columns = plane.width / blockWidth + 1, rows = plane.height / blockHeight + 1;
  std::vector<std::uint8_t> grid(columns * rows);
  for (int j = 0; j < rows; ++j) {
    const int cy = j * blockHeight;
    const int y0 = std::clamp(cy - blockHeight / 2, 0, plane.height - 1);
    const int y1 = std::clamp(cy + (blockHeight + 1) / 2, y0 + 1, plane.height);
    for (int i = 0; i < columns; ++i) {
      const int cx = i * blockWidth;
      const int x0 = std::clamp(cx - blockWidth / 2, 0, plane.width - 1);
      const int x1 = std::clamp(cx + (blockWidth + 1) / 2, x0 + 1, plane.width);
      double sum = 0.0;
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) sum += plane.at(x, y);
      }
      grid[j * columns + i] = static_cast<std::uint8_t>(
          ClampRound(sum / ((y1 - y0) * (x1 - x0)) / divisor, 0, 63));
    }
  }
  return grid;
}

// Refines a grid (samples = plane values / scale) towards the least squared error of its bilinear
// interpolation against the plane (Gauss-Seidel sweeps on the samples, each the best value given
// its neighbours), then rounds it. The decoder's fixed-point runs follow the bilinear values to
// within one step.
void FitGrid(const Plane& plane, int bw, int bh, bool vertical, double scale,
             std::vector<std::uint8_t>* grid) {
  const int columns = plane.width / bw + 1, rows = plane.height / bh + 1;
  std::vector<double> samples(grid->begin(), grid->end());
  std::vector<double> base(plane.values.size());
  // Weight of grid sample (i, j) at pixel (x, y); zero outside its blocks.
  const auto weight = [&](int i, int j, int x, int y) {
    const double fx = 1.0 - std::abs(x - i * bw) / double(bw);
    const int dy = y - j * bh;
    double fy = 1.0 - std::abs(dy) / double(bh);
    if (!vertical) fy = dy >= 0 && dy < bh ? 1.0 : 0.0;
    return fx > 0 && fy > 0 ? fx * fy : 0.0;
  };
  const auto forSupport = [&](int i, int j, auto visit) {
    for (int y = std::max(0, (j - 1) * bh + 1); y < std::min(plane.height, (j + 1) * bh); ++y) {
      for (int x = std::max(0, (i - 1) * bw + 1); x < std::min(plane.width, (i + 1) * bw); ++x) {
        const double w = weight(i, j, x, y);
        if (w > 0) visit(x, y, w);
      }
    }
  };
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      forSupport(i, j, [&](int x, int y, double w) { base[y * plane.width + x] += scale * w * samples[j * columns + i]; });
    }
  }
  for (int sweep = 0; sweep < 4; ++sweep) {
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i < columns; ++i) {
        double numerator = 0.0, denominator = 0.0;
        forSupport(i, j, [&](int x, int y, double w) {
          numerator += w * (plane.at(x, y) - base[y * plane.width + x]);
          denominator += scale * w * w;
        });
        if (denominator == 0.0) continue;
        double& sample = samples[j * columns + i];
        const double updated = std::clamp(sample + numerator / denominator, 0.0, 63.0);
        const double change = updated - sample;
        sample = updated;
        forSupport(i, j, [&](int x, int y, double w) { base[y * plane.width + x] += scale * w * change; });
      }
    }
  }
  for (std::size_t k = 0; k < samples.size(); ++k) (*grid)[k] = static_cast<std::uint8_t>(ClampRound(samples[k], 0, 63));
}

// The nibble whose delta brings base closest to target without wrapping past 0 or 255.
int BestNibble(int base, int target, int shift) {
  const int step = 1 << shift;
  int nibble = std::clamp(static_cast<int>(std::lround(double(base - target) / step)) + 8, 0, 15);
  while (base - (nibble - 8) * step < 0) --nibble;
  while (base - (nibble - 8) * step > 255) ++nibble;
  return nibble;
}

struct BlockChoice {
  double gain;  // squared error removed by the residuals
  int index;
};

class LumaEncoder {
 public:
  LumaEncoder(const Plane& luma, const FrameSettings& settings)
      : s_(settings), columns_(s_.width / s_.lumaBlockWidth), rows_(s_.height / s_.lumaBlockHeight) {
    for (double y : luma.values) target_.push_back(ClampRound(y, 0, 255));
    grid_ = CornerGrid(luma, s_.lumaBlockWidth, s_.lumaBlockHeight, 4.0);
    FitGrid(luma, s_.lumaBlockWidth, s_.lumaBlockHeight, s_.verticalInterpolation, 4.0, &grid_);
    std::vector<std::uint8_t> scratch((rows_ + 1) * s_.width);
    base_.resize(s_.width * s_.height);
    InterpolateGrid(grid_.data(), s_.width, s_.height, s_.lumaBlockWidth, s_.lumaBlockHeight,
                    s_.verticalInterpolation, true, scratch.data(), base_.data());
    shift_ = s_.residualShift >= 0 ? s_.residualShift : BestShift();
  }

  int shift() const { return shift_; }
  const std::vector<std::uint8_t>& grid() const { return grid_; }

  // Flags and residual bytes in block raster order.
  std::vector<std::uint8_t> Residuals() const {
    std::vector<bool> withResidual(columns_ * rows_, false);
    if (s_.lumaBlockWidth >= 2) ChooseBlocks(&withResidual);
    std::vector<std::uint8_t> out;
    for (int block = 0; block < columns_ * rows_; ++block) {
      out.push_back(withResidual[block] ? 0 : 1);
      if (!withResidual[block]) continue;
      ForEachPixelPair(block, [&](int m) {
        const int low = BestNibble(base_[m], target_[m], shift_);
        const int high = BestNibble(base_[m + 1], target_[m + 1], shift_);
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
      });
    }
    return out;
  }

 private:
  template <typename Visit>
  void ForEachPixelPair(int block, Visit visit) const {
    const int bw = s_.lumaBlockWidth, bh = s_.lumaBlockHeight;
    const int i = block % columns_, j = block / columns_;
    for (int ky = 0; ky < bh; ++ky) {
      for (int q = 0; q < bw / 2; ++q) visit((j * bh + ky) * s_.width + i * bw + 2 * q);
    }
  }

  double PixelError(int m, int shift) const {
    const int nibble = BestNibble(base_[m], target_[m], shift);
    const int decoded = base_[m] - (nibble - 8) * (1 << shift);
    return double(decoded - target_[m]) * (decoded - target_[m]);
  }

  double BaseError(int m) const { return double(base_[m] - target_[m]) * (base_[m] - target_[m]); }

  int BestShift() const {
    int best = 0;
    double bestError = 0.0;
    for (int shift = 0; shift <= 7; ++shift) {
      double error = 0.0;
      for (int m = 0; m < s_.width * s_.height; ++m) error += PixelError(m, shift);
      if (shift == 0 || error < bestError) {
        best = shift;
        bestError = error;
      }
    }
    return best;
  }

  // The blocks whose residuals remove the most error, until luma reaches the target PSNR.
  void ChooseBlocks(std::vector<bool>* withResidual) const {
    std::vector<BlockChoice> choices;
    double error = 0.0;
    for (int block = 0; block < columns_ * rows_; ++block) {
      double gain = 0.0;
      ForEachPixelPair(block, [&](int m) {
        for (int k = 0; k < 2; ++k) {
          error += BaseError(m + k);
          gain += BaseError(m + k) - PixelError(m + k, shift_);
        }
      });
      choices.push_back({gain, block});
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const BlockChoice& a, const BlockChoice& b) { return a.gain > b.gain; });
    const double allowed =
        s_.width * s_.height * 255.0 * 255.0 / std::pow(10.0, s_.targetPsnr / 10.0);
    for (const BlockChoice& choice : choices) {
      if (error <= allowed || choice.gain <= 0.0) break;
      (*withResidual)[choice.index] = true;
      error -= choice.gain;
    }
  }

  const FrameSettings& s_;
  int columns_, rows_;
  std::vector<int> target_;
  std::vector<std::uint8_t> grid_, base_;
  int shift_ = 0;
};

void AppendBytes(std::vector<std::uint8_t>* out, const std::vector<std::uint8_t>& bytes) {
  out->insert(out->end(), bytes.begin(), bytes.end());
}

}  // namespace

std::string CheckFrameSettings(const FrameSettings& s) {
  if (s.width < 1 || s.width > MaxFrameWidth || s.height < 1) {
    return "frame size " + std::to_string(s.width) + " x " + std::to_string(s.height) +
           " is outside 1 to 256 pixels wide";
  }
  const std::int64_t pixels = std::int64_t{s.width} * s.height;  // a tall frame overflows int
  const bool raw = s.lumaBlockWidth == 0;
  const int limit = !s.lumaOnly ? DecodedPictureBytes / 4 : raw ? DecodedPictureBytes : WorkingBufferBytes;
  if (pixels > limit) {
    return "a frame of " + std::to_string(s.width) + " x " + std::to_string(s.height) +
           " pixels exceeds the decoder's " + std::to_string(limit) + "-pixel limit";
  }
  const auto checkBlock = [&s](int bw, int bh, const char* plane) -> std::string {
    if (!IsBlockDimension(bw) || !IsBlockDimension(bh)) {
      return std::string(plane) + " block dimensions must be 1, 2, 4, 8 or 16";
    }
    if (s.width % bw != 0 || s.height % bh != 0) {
      return std::string("frame size is not a multiple of the ") + plane + " block";
    }
    if ((std::int64_t{s.height} / bh + 1) * s.width > WorkingBufferBytes) {
      return std::string(plane) + " grid rows exceed the decoder's scratch rows";
    }
    return "";
  };
  if (!raw) {
    if (std::string fault = checkBlock(s.lumaBlockWidth, s.lumaBlockHeight, "luma"); !fault.empty()) {
      return fault;
    }
  }
  if (!s.lumaOnly) {
    if (std::string fault = checkBlock(s.chromaBlockWidth, s.chromaBlockHeight, "chroma");
        !fault.empty()) {
      return fault;
    }
  }
  if (s.residualShift < -1 || s.residualShift > 7) return "residual shift must be 0 to 7";
  return "";
}

LumaChroma ToLumaChroma(int r, int g, int b) {
  // The decoder gives R = l + 1.596 cr, G = l - 0.813 cr - 0.391 cb, B = l + 2.018 cb, with
  // l = (Y - 16) x 1.164 and cr, cb = 4 x chroma6 - 128; solved here for l, cr, cb.
  const double l = (g + 0.813 / 1.596 * r + 0.391 / 2.018 * b) / (1.0 + 0.813 / 1.596 + 0.391 / 2.018);
  const double cr = (r - l) / 1.596, cb = (b - l) / 2.018;
  return {std::clamp(l / 1.164 + 16.0, 0.0, 255.0), std::clamp((cr + 128.0) / 4.0, 0.0, 63.0),
          std::clamp((cb + 128.0) / 4.0, 0.0, 63.0)};
}

std::vector<std::uint8_t> EncodeFrameRecord(const std::uint8_t* rgb, const FrameSettings& s) {
  const int pixels = s.width * s.height;
  Plane luma{s.width, s.height, {}}, cr{s.width, s.height, {}}, cb{s.width, s.height, {}};
  for (int p = 0; p < pixels; ++p) {
    const LumaChroma c = ToLumaChroma(rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2]);
    luma.values.push_back(c.y);
    cr.values.push_back(c.cr6);
    cb.values.push_back(c.cb6);
  }
  const bool raw = s.lumaBlockWidth == 0;
  std::vector<std::uint8_t> record = {
      static_cast<std::uint8_t>(s.width), static_cast<std::uint8_t>(s.width >> 8),
      static_cast<std::uint8_t>(s.height), static_cast<std::uint8_t>(s.height >> 8),
      static_cast<std::uint8_t>(s.lumaBlockWidth), static_cast<std::uint8_t>(raw ? 0 : s.lumaBlockHeight),
      static_cast<std::uint8_t>(s.lumaOnly ? 0 : s.chromaBlockWidth),
      static_cast<std::uint8_t>(s.lumaOnly ? 0 : s.chromaBlockHeight),
      static_cast<std::uint8_t>(s.verticalInterpolation ? 1 : 0), 0, 0,
      static_cast<std::uint8_t>(s.lumaOnly ? LumaOnlyFlag : 0)};
  if (raw) {
    for (double y : luma.values) record.push_back(static_cast<std::uint8_t>(ClampRound(y, 0, 255)));
  } else {
    const LumaEncoder encoder(luma, s);
    record[10] = static_cast<std::uint8_t>(encoder.shift());
    AppendBytes(&record, encoder.grid());
    AppendBytes(&record, encoder.Residuals());
  }
  if (!s.lumaOnly) {
    for (const Plane* chroma : {&cr, &cb}) {
      std::vector<std::uint8_t> grid = CornerGrid(*chroma, s.chromaBlockWidth, s.chromaBlockHeight, 1.0);
      FitGrid(*chroma, s.chromaBlockWidth, s.chromaBlockHeight, s.verticalInterpolation, 1.0, &grid);
      AppendBytes(&record, grid);
    }
  }
  return record;
}

}  // namespace anim
