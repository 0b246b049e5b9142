#include "tools/xm/xm_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace xm {
namespace {

constexpr std::uint32_t kHeaderSize = 276;           // counted from the header-size field
constexpr std::uint32_t kPatternHeaderSize = 9;
constexpr std::uint32_t kInstrumentHeaderSize = 263;  // with samples: keymap, envelopes, vibrato
constexpr std::uint32_t kEmptyInstrumentHeaderSize = 29;
constexpr std::uint32_t kSampleHeaderSize = 40;

// Little-endian byte sink.
class Bytes {
 public:
  explicit Bytes(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(unsigned v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(unsigned v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  // A fixed-width text field, cut or padded with `pad`.
  void Text(const std::string& s, std::size_t width, char pad = '\0') {
    for (std::size_t i = 0; i < width; ++i) U8(i < s.size() ? s[i] : pad);
  }
  std::size_t Size() const { return out_.size(); }
  void PatchU16(std::size_t at, unsigned v) {
    out_[at] = v & 0xFF;
    out_[at + 1] = (v >> 8) & 0xFF;
  }

 private:
  std::vector<std::uint8_t>& out_;
};

bool Fail(std::string& error, const std::string& what) {
  error = what;
  return false;
}

std::string Where(const char* kind, std::size_t index) {
  return std::string(kind) + " " + std::to_string(index) + ": ";
}

bool CheckEnvelope(const Envelope& env, const std::string& where, std::string& error) {
  const int n = static_cast<int>(env.points.size());
  if (n > kMaxEnvelopePoints) return Fail(error, where + "more than 12 envelope points");
  for (int i = 0; i < n; ++i) {
    if (env.points[i].value > 64) return Fail(error, where + "envelope value above 64");
    if (i > 0 && env.points[i].tick <= env.points[i - 1].tick)
      return Fail(error, where + "envelope ticks not increasing");
  }
  if (n > 0 && env.points[0].tick != 0) return Fail(error, where + "envelope does not start at tick 0");
  auto pointOk = [n](int p) { return p >= -1 && p < n; };
  if (!pointOk(env.sustainPoint) || !pointOk(env.loopStart) || !pointOk(env.loopEnd))
    return Fail(error, where + "envelope sustain or loop point out of range");
  if ((env.loopStart < 0) != (env.loopEnd < 0) || env.loopStart > env.loopEnd)
    return Fail(error, where + "envelope loop needs start <= end");
  return true;
}

bool CheckSample(const Sample& s, const std::string& where, std::string& error) {
  const std::uint64_t bytesPerFrame = s.depth == SampleDepth::Bits16 ? 2 : 1;
  if (s.frames.size() * bytesPerFrame > 0x7FFFFFFF) return Fail(error, where + "sample too long");
  if (s.volume > 64) return Fail(error, where + "sample volume above 64");
  if (s.loop != LoopType::None) {
    if (s.loopLength == 0) return Fail(error, where + "sample loop of length 0");
    if (std::uint64_t{s.loopStart} + s.loopLength > s.frames.size())
      return Fail(error, where + "sample loop past the end of the sample");
  }
  return true;
}

bool CheckInstrument(const Instrument& ins, std::size_t index, std::string& error) {
  const std::string where = Where("instrument", index + 1);
  const std::size_t count = ins.samples.size();
  if (count > kMaxSamplesPerInstrument) return Fail(error, where + "more than 16 samples");
  for (std::uint8_t s : ins.noteSample)
    if (count > 0 && s >= count) return Fail(error, where + "note map names a missing sample");
  if (ins.fadeout > 0xFFF) return Fail(error, where + "fadeout above 0xFFF");
  for (std::size_t i = 0; i < count; ++i)
    if (!CheckSample(ins.samples[i], where + Where("sample", i), error)) return false;
  return CheckEnvelope(ins.volumeEnvelope, where + "volume ", error) &&
         CheckEnvelope(ins.panningEnvelope, where + "panning ", error);
}

bool CheckPattern(const Pattern& p, std::size_t index, const Module& m, std::string& error) {
  const std::string where = Where("pattern", index);
  if (p.rows < 1 || p.rows > kMaxRows) return Fail(error, where + "rows not in 1..256");
  if (p.channels != m.channels) return Fail(error, where + "channel count differs from the module's");
  if (p.cells.size() != static_cast<std::size_t>(p.rows) * p.channels)
    return Fail(error, where + "cell count is not rows x channels");
  for (const Note& n : p.cells) {
    if (n.note > kKeyOff) return Fail(error, where + "note number above 97");
    if (n.instrument > m.instruments.size()) return Fail(error, where + "note names a missing instrument");
  }
  return true;
}

bool CheckModule(const Module& m, std::string& error) {
  if (m.channels < 1 || m.channels > kMaxChannels) return Fail(error, "channel count not in 1..32");
  if (m.speed < 1 || m.speed > 31) return Fail(error, "speed not in 1..31");
  if (m.bpm < 32 || m.bpm > 255) return Fail(error, "BPM not in 32..255");
  if (m.orders.empty() || m.orders.size() > kMaxOrders) return Fail(error, "order count not in 1..256");
  if (m.patterns.empty() || m.patterns.size() > kMaxPatterns) return Fail(error, "pattern count not in 1..256");
  if (m.instruments.size() > kMaxInstruments) return Fail(error, "more than 128 instruments");
  if (m.restartPosition < 0 || m.restartPosition >= static_cast<int>(m.orders.size()))
    return Fail(error, "restart position outside the order list");
  for (std::size_t i = 0; i < m.orders.size(); ++i)
    if (m.orders[i] >= m.patterns.size()) return Fail(error, Where("order", i) + "names a missing pattern");
  for (std::size_t i = 0; i < m.patterns.size(); ++i)
    if (!CheckPattern(m.patterns[i], i, m, error)) return false;
  for (std::size_t i = 0; i < m.instruments.size(); ++i)
    if (!CheckInstrument(m.instruments[i], i, error)) return false;
  return true;
}

// FastTracker 2 takes even channel counts only: an odd count is stored with one more, empty,
// channel.
int StoredChannels(int channels) { return channels + channels % 2; }

void WriteHeader(const Module& m, Bytes& out) {
  out.Text("Extended Module: ", 17);
  out.Text(m.name, 20);
  out.U8(0x1A);
  out.Text(m.tracker, 20, ' ');
  out.U16(0x0104);
  out.U32(kHeaderSize);
  out.U16(static_cast<unsigned>(m.orders.size()));
  out.U16(static_cast<unsigned>(m.restartPosition));
  out.U16(static_cast<unsigned>(StoredChannels(m.channels)));
  out.U16(static_cast<unsigned>(m.patterns.size()));
  out.U16(static_cast<unsigned>(m.instruments.size()));
  out.U16(m.linearFrequencies ? 1 : 0);
  out.U16(static_cast<unsigned>(m.speed));
  out.U16(static_cast<unsigned>(m.bpm));
  for (int i = 0; i < kMaxOrders; ++i) out.U8(i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0);
}

// A cell with every field present is stored whole; otherwise a mask byte (high bit set, one bit
// per field present) precedes the fields that are there.
void WriteCell(const Note& n, Bytes& out) {
  const std::uint8_t fields[5] = {n.note, n.instrument, n.volume, n.effect, n.param};
  unsigned mask = 0;
  for (int f = 0; f < 5; ++f)
    if (fields[f] != 0) mask |= 1u << f;
  if (mask != 0x1F) out.U8(0x80 | mask);
  for (int f = 0; f < 5; ++f)
    if (mask & (1u << f)) out.U8(fields[f]);
}

void WritePattern(const Pattern& p, Bytes& out) {
  out.U32(kPatternHeaderSize);
  out.U8(0);  // packing type
  out.U16(static_cast<unsigned>(p.rows));
  const std::size_t sizeField = out.Size();
  out.U16(0);
  const std::size_t start = out.Size();
  for (int row = 0; row < p.rows; ++row) {
    for (int channel = 0; channel < p.channels; ++channel) WriteCell(p.At(row, channel), out);
    if (StoredChannels(p.channels) != p.channels) WriteCell(Note{}, out);
  }
  // At most 256 rows x 32 channels x 5 bytes, so the size always fits 16 bits.
  out.PatchU16(sizeField, static_cast<unsigned>(out.Size() - start));
}

void WriteEnvelopeFlags(const Envelope& env, Bytes& out) {
  unsigned flags = 0;
  if (!env.points.empty()) flags |= 1;
  if (!env.points.empty() && env.sustainPoint >= 0) flags |= 2;
  if (!env.points.empty() && env.loopStart >= 0) flags |= 4;
  out.U8(flags);
}

void WriteEnvelopePoints(const Envelope& env, Bytes& out) {
  for (int i = 0; i < kMaxEnvelopePoints; ++i) {
    const bool used = i < static_cast<int>(env.points.size());
    out.U16(used ? env.points[i].tick : 0);
    out.U16(used ? env.points[i].value : 0);
  }
}

void WriteEnvelopeIndices(const Envelope& env, Bytes& out) {
  auto index = [](int p) { return static_cast<unsigned>(p < 0 ? 0 : p); };
  out.U8(index(env.sustainPoint));
  out.U8(index(env.loopStart));
  out.U8(index(env.loopEnd));
}

void WriteSampleHeader(const Sample& s, Bytes& out) {
  const std::uint32_t width = s.depth == SampleDepth::Bits16 ? 2 : 1;
  const bool looped = s.loop != LoopType::None;
  out.U32(static_cast<std::uint32_t>(s.frames.size()) * width);
  out.U32(looped ? s.loopStart * width : 0);
  out.U32(looped ? s.loopLength * width : 0);
  out.U8(s.volume);
  out.U8(static_cast<std::uint8_t>(s.finetune));
  out.U8(static_cast<unsigned>(s.loop) | (width == 2 ? 0x10 : 0));
  out.U8(s.panning);
  out.U8(static_cast<std::uint8_t>(s.relativeNote));
  out.U8(0);  // reserved
  out.Text(s.name, 22);
}

// Sample data is stored as differences from the previous value, wrapping at the sample width.
void WriteSampleData(const Sample& s, Bytes& out) {
  int previous = 0;
  for (std::int16_t frame : s.frames) {
    if (s.depth == SampleDepth::Bits16) {
      out.U16(static_cast<std::uint16_t>(frame - previous));
      previous = frame;
    } else {
      const int value = frame >> 8;
      out.U8(static_cast<std::uint8_t>(value - previous));
      previous = value;
    }
  }
}

void WriteInstrument(const Instrument& ins, Bytes& out) {
  const bool hasSamples = !ins.samples.empty();
  out.U32(hasSamples ? kInstrumentHeaderSize : kEmptyInstrumentHeaderSize);
  out.Text(ins.name, 22);
  out.U8(0);  // type
  out.U16(static_cast<unsigned>(ins.samples.size()));
  if (!hasSamples) return;
  out.U32(kSampleHeaderSize);
  for (std::uint8_t s : ins.noteSample) out.U8(s);
  WriteEnvelopePoints(ins.volumeEnvelope, out);
  WriteEnvelopePoints(ins.panningEnvelope, out);
  out.U8(static_cast<unsigned>(ins.volumeEnvelope.points.size()));
  out.U8(static_cast<unsigned>(ins.panningEnvelope.points.size()));
  WriteEnvelopeIndices(ins.volumeEnvelope, out);
  WriteEnvelopeIndices(ins.panningEnvelope, out);
  WriteEnvelopeFlags(ins.volumeEnvelope, out);
  WriteEnvelopeFlags(ins.panningEnvelope, out);
  out.U8(ins.vibratoType);
  out.U8(ins.vibratoSweep);
  out.U8(ins.vibratoDepth);
  out.U8(ins.vibratoRate);
  out.U16(ins.fadeout);
  for (int i = 0; i < 22; ++i) out.U8(0);  // reserved
  for (const Sample& s : ins.samples) WriteSampleHeader(s, out);
  for (const Sample& s : ins.samples) WriteSampleData(s, out);
}

}  // namespace

Pattern::Pattern(int rowCount, int channelCount)
    : rows(rowCount), channels(channelCount), cells(static_cast<std::size_t>(rowCount) * channelCount) {}

bool EncodeXm(const Module& module, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  if (!CheckModule(module, error)) return false;
  Bytes out(bytes);
  WriteHeader(module, out);
  for (const Pattern& p : module.patterns) WritePattern(p, out);
  for (const Instrument& ins : module.instruments) WriteInstrument(ins, out);
  return true;
}

bool WriteXm(const std::string& path, const Module& module, std::string& error) {
  std::vector<std::uint8_t> bytes;
  if (!EncodeXm(module, bytes, error)) {
    error = path + ": " + error;
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return Fail(error, path + ": cannot open for writing (" + std::strerror(errno) + ")");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) return Fail(error, path + ": write failed");
  return true;
}

}  // namespace xm
