#include "platform/midas/xm_check.h"

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr char XmSignature[] = "Extended Module: ";
constexpr std::uint64_t HeaderSizeAt = 60;

class Reader {
 public:
  explicit Reader(const std::vector<char>& bytes) : bytes_(bytes) {}
  bool Has(std::uint64_t at, std::uint64_t count) const { return at + count <= bytes_.size(); }
  std::uint32_t U8(std::uint64_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
  std::uint32_t U16(std::uint64_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }

 private:
  const std::vector<char>& bytes_;
};

bool Cut(std::string& fault, const std::string& where) {
  fault = "the file ends inside " + where;
  return false;
}

}  // namespace

bool XmFileComplete(const std::vector<char>& bytes, std::string& fault) {
  const std::size_t signatureLength = sizeof XmSignature - 1;
  if (bytes.size() < signatureLength || std::memcmp(bytes.data(), XmSignature, signatureLength) != 0) return true;
  const Reader in(bytes);
  if (!in.Has(HeaderSizeAt, 4)) return Cut(fault, "the header");
  const std::uint64_t headerEnd = HeaderSizeAt + in.U32(HeaderSizeAt);
  if (!in.Has(HeaderSizeAt, 14) || !in.Has(headerEnd, 0)) return Cut(fault, "the header");
  const std::uint32_t patterns = in.U16(HeaderSizeAt + 10);
  const std::uint32_t instruments = in.U16(HeaderSizeAt + 12);

  std::uint64_t at = headerEnd;
  for (std::uint32_t p = 0; p < patterns; ++p) {
    const std::string where = "pattern " + std::to_string(p);
    if (!in.Has(at, 9)) return Cut(fault, where);
    at += in.U32(at) + in.U16(at + 7);
    if (!in.Has(at, 0)) return Cut(fault, where);
  }
  for (std::uint32_t i = 1; i <= instruments; ++i) {
    const std::string where = "instrument " + std::to_string(i);
    if (!in.Has(at, 4)) return Cut(fault, where);
    const std::uint32_t headerSize = in.U32(at);
    const std::uint32_t samples = headerSize >= 29 && in.Has(at, 29) ? in.U16(at + 27) : 0;
    const std::uint32_t sampleHeaderSize = samples > 0 && in.Has(at, 33) ? in.U32(at + 29) : 0;
    at += headerSize;
    std::uint64_t data = 0;
    for (std::uint32_t s = 0; s < samples; ++s, at += sampleHeaderSize) {
      if (!in.Has(at, 4)) return Cut(fault, where + ", sample header " + std::to_string(s));
      data += in.U32(at);
    }
    at += data;
    if (!in.Has(at, 0)) return Cut(fault, where + "'s sample data");
  }
  return true;
}

}  // namespace platform
