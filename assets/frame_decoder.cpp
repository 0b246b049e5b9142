#include "assets/frame_decoder.h"

#include <algorithm>
#include <cstring>

#include "assets/fault.h"

std::uint8_t* DecodeBuffer = nullptr;
FrameDecoder AnimationFrameDecoder;

namespace {

std::uint32_t ReadLittle32(const std::uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The low length bits of word, last bit first: the order in which the stream carries them.
unsigned ReverseBits(std::uint32_t word, int length) {
  word = (word & 0x55555555u) << 1 | ((word >> 1) & 0x55555555u);
  word = (word & 0x33333333u) << 2 | ((word >> 2) & 0x33333333u);
  word = (word & 0x0F0F0F0Fu) << 4 | ((word >> 4) & 0x0F0F0F0Fu);
  word = __builtin_bswap32(word);
  return length == 0 ? 0 : word >> (32 - length);
}

}  // namespace

void FrameDecoder::Load(const std::uint8_t* codedFrame, int size) {
  loaded_ = size >= CodeTableBytes;
  if (!loaded_) {
    recordSize_ = 0;
    payload_ = nullptr;
    payloadSize_ = 0;
    fault_ = "coded frame of " + std::to_string(size) + " bytes is shorter than its " +
             std::to_string(CodeTableBytes) + "-byte code table";
    return;
  }
  recordSize_ = static_cast<std::int32_t>(ReadLittle32(codedFrame));
  for (int v = 0; v < 256; ++v) codeWords_[v] = ReadLittle32(codedFrame + 4 + 4 * v);
  std::memcpy(codeLengths_, codedFrame + 1028, 256);
  payload_ = codedFrame + CodeTableBytes;
  payloadSize_ = size - CodeTableBytes;
}

bool FrameDecoder::CheckCodeTable() {
  if (!loaded_) return false;  // Load wrote the fault
  if (DecodeBuffer == nullptr) {
    fault_ = "the animation decoder has not been started";
    return false;
  }
  if (recordSize_ > DecodeBufferBytes) {
    SetFault(&fault_, "frame record of %d bytes exceeds the %d-byte decode buffer", recordSize_,
             DecodeBufferBytes);
    return false;
  }
  for (int v = 0; v < 256; ++v) {
    if (codeLengths_[v] > MaxCodeLength) {
      SetFault(&fault_, "code length %d of byte value %d exceeds %d bits", codeLengths_[v], v,
               MaxCodeLength);
      return false;
    }
  }
  return true;
}

// Every index whose first length bits are the code gets the code's symbol; later byte values
// overwrite earlier ones.
void FrameDecoder::BuildLookupTable() {
  std::memset(table_, 0, sizeof table_);
  for (int v = 0; v < 256; ++v) {
    const int length = codeLengths_[v];
    if (length < 1 || length > 10) continue;
    for (unsigned i = ReverseBits(codeWords_[v], length); i < 1024; i += 1u << length) {
      table_[i] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(length)};
    }
  }
}

// Codes of length 0 and 11 to 32. A length-0 code names the root, so the root ends up with the
// highest byte value of length 0 (symbol 0 if there is none).
void FrameDecoder::BuildLongCodeTree() {
  nodes_[0] = {};
  nodeCount_ = 1;
  for (int v = 0; v < 256; ++v) {
    const int length = codeLengths_[v];
    if (length >= 1 && length <= 10) continue;
    int cursor = 0;
    for (int n = length - 1; n >= 0; --n) {
      const int bit = (codeWords_[v] >> n) & 1;
      if (nodes_[cursor].child[bit] == 0) {
        nodes_[nodeCount_] = {};
        nodes_[cursor].child[bit] = static_cast<std::uint16_t>(nodeCount_++);
      }
      cursor = nodes_[cursor].child[bit];
    }
    nodes_[cursor].symbol = static_cast<std::uint8_t>(v);
  }
}

// Entry i: the steps the decoder takes where the next WideBits stream bits are i, first bit
// lowest. The first step is settled when it is a table code or a tree walk that stops within
// those bits. A second step is added when it is a table code whose entry is the same for every
// continuation of the bits left: its length fits in them and no later code took any of its
// table entries.
void FrameDecoder::BuildWideTable() {
  int entriesHeld[256] = {};
  for (const TableEntry& entry : table_) {
    if (entry.length != 0) ++entriesHeld[entry.symbol];
  }
  // Per table index, the entry of a one-step table code (0 where the index is empty) and what a
  // second step there adds to an entry (its length in the low byte; 255 where there is none).
  std::uint32_t firstStep[1024], secondStep[1024];
  for (int t = 0; t < 1024; ++t) {
    const TableEntry entry = table_[t];
    const int held = entriesHeld[entry.symbol];
    const bool wholeCode = entry.length != 0 && held == 1 << (10 - codeLengths_[entry.symbol]);
    firstStep[t] = entry.length == 0 ? 0 : entry.length | 1u << 8 | entry.symbol << 16;
    secondStep[t] = wholeCode ? entry.length | 1u << 8 | static_cast<std::uint32_t>(entry.symbol) << 24 : 255;
  }
  for (unsigned i = 0; i < (1u << WideBits); ++i) {
    std::uint32_t first = firstStep[i & 1023];
    if (first == 0) {
      int length = 0, cursor = 0;
      while (length < WideBits && nodes_[cursor].child[(i >> length) & 1] != 0) {
        cursor = nodes_[cursor].child[(i >> length) & 1];
        ++length;
      }
      if (length == WideBits) {  // the walk reads on past these bits
        wide_[i] = {};
        continue;
      }
      first = length | 1u << 8 | nodes_[cursor].symbol << 16;
    }
    const unsigned length = first & 255;
    const std::uint32_t second = secondStep[(i >> length) & 1023];
    const std::uint32_t entry = first + ((second & 255) <= WideBits - length ? second : 0);
    std::memcpy(&wide_[i], &entry, 4);  // bits, count, symbols: little-endian host
  }
}

// Stream bits past the payload read as zero.
int FrameDecoder::StreamBit(int bytePosition, int bitPosition) const {
  if (bytePosition >= payloadSize_) return 0;
  return (payload_[bytePosition] >> bitPosition) & 1;
}

// Eight payload bytes from bytePosition, little-endian, those past the payload as zero.
std::uint64_t FrameDecoder::StreamWindow(int bytePosition) const {
  std::uint64_t window = 0;
  if (bytePosition + 8 <= payloadSize_) {
    std::memcpy(&window, payload_ + bytePosition, 8);  // little-endian host
    return window;
  }
  for (int k = 0; k < 8 && bytePosition + k < payloadSize_; ++k) {
    window |= static_cast<std::uint64_t>(payload_[bytePosition + k]) << (8 * k);
  }
  return window;
}

// Follows the stream's bits down the tree from the root while a child exists; the node where it
// stops gives the symbol. Stopping at once at the root consumes nothing.
int FrameDecoder::WalkLongCode(int* bytePosition, int* bitPosition) const {
  int cursor = 0;
  for (;;) {
    const int next = nodes_[cursor].child[StreamBit(*bytePosition, *bitPosition)];
    if (next == 0) return nodes_[cursor].symbol;
    cursor = next;
    if (++*bitPosition == 8) {
      *bitPosition = 0;
      ++*bytePosition;
    }
  }
}

// Needs 24 payload bytes from the position.
FrameDecoder::BitCursor FrameDecoder::StartCursor(int bytePosition, int bitPosition) const {
  BitCursor cursor;
  cursor.in = payload_ + bytePosition;
  std::memcpy(&cursor.buffer, cursor.in, 8);  // little-endian host
  cursor.buffer = (cursor.buffer << 8) >> (8 + bitPosition);
  cursor.held = 56 - bitPosition;  // the bits above are zero
  cursor.in += 7;
  std::memcpy(&cursor.next, cursor.in, 8);
  return cursor;
}

// Tops the buffer up to 56 bits or more, enough for four steps. Needs in <= the payload's end - 16.
void FrameDecoder::Refill(BitCursor* cursor) {
  cursor->buffer |= cursor->next << cursor->held;
  cursor->in += (63 - cursor->held) >> 3;
  cursor->held |= 56;
  std::memcpy(&cursor->next, cursor->in, 8);
}

// One wide step; false, consuming nothing, at an empty entry. A one-symbol step writes the byte
// after its symbol too: the next step, or the general loop that always follows, writes it again.
inline bool FrameDecoder::Step(BitCursor* cursor, std::uint8_t* out, int* count) const {
  std::uint32_t entry;  // bits, count, symbols: little-endian host
  std::memcpy(&entry, &wide_[cursor->buffer & ((1u << WideBits) - 1)], 4);
  if ((entry & 0xFF00) == 0) return false;
  const std::uint16_t symbols = static_cast<std::uint16_t>(entry >> 16);
  std::memcpy(out + *count, &symbols, 2);
  *count += (entry >> 8) & 255;
  cursor->buffer >>= entry & 63;
  cursor->held -= entry & 255;
  return true;
}

// Decodes through the wide table from the stream position given while more than eight bytes are
// wanted and 24 payload bytes lie ahead; returns at the first empty entry or when either runs
// short.
void FrameDecoder::DecodeWide(int* countAt, int* bytePosition, int* bitPosition) const {
  std::uint8_t* const out = DecodeBuffer;
  const int recordSize = recordSize_;
  int count = *countAt;
  if (count + 9 > recordSize || *bytePosition + 24 > payloadSize_) return;
  const std::uint8_t* const lastLoad = payload_ + payloadSize_ - 16;
  BitCursor cursor = StartCursor(*bytePosition, *bitPosition);
  bool going = true;
  while (going && count + 9 <= recordSize && cursor.in <= lastLoad) {
    Refill(&cursor);
    going = Step(&cursor, out, &count) && Step(&cursor, out, &count) &&
            Step(&cursor, out, &count) && Step(&cursor, out, &count);
  }
  const long consumed = CursorBits(cursor);
  *countAt = count;
  *bytePosition = static_cast<int>(consumed >> 3);
  *bitPosition = static_cast<int>(consumed & 7);
}

// From the stream's start: the first half into the decode buffer and, interleaved with it, the
// second half from the middle byte into splitSymbols_, logging where its first steps end. Once the
// first half has passed the middle it steps on until it ends where a logged step ended; the second
// half's symbols after that step are its own continuation. Without such a meeting, or when either
// half stops early, only the first half's symbols count.
void FrameDecoder::DecodeSplit(int* countAt, int* bytePosition, int* bitPosition) {
  const int recordSize = recordSize_;
  if (payloadSize_ < SplitMinimumBytes || recordSize < SplitMinimumBytes) return;
  std::uint8_t* const out = DecodeBuffer;
  const std::uint8_t* const lastLoad = payload_ + payloadSize_ - 16;
  const int middle = payloadSize_ / 2;
  const long middleBits = 8L * middle;
  BitCursor first = StartCursor(0, 0), second = StartCursor(middle, 0);
  int count = 0, secondCount = 0, logged = 1;
  splitLogBits_[0] = middleBits;
  splitLogCount_[0] = 0;
  bool secondGoing = true, firstGoing = true;
  while (CursorBits(first) < middleBits) {
    if (count + 9 > recordSize || first.in > lastLoad) {
      firstGoing = false;
      break;
    }
    Refill(&first);
    firstGoing = Step(&first, out, &count) && Step(&first, out, &count) &&
                 Step(&first, out, &count) && Step(&first, out, &count);
    if (!firstGoing) break;
    if (secondGoing && secondCount + 9 <= SplitSymbols && second.in <= lastLoad) {
      Refill(&second);
      for (int step = 0; step < 4 && secondGoing; ++step) {
        secondGoing = Step(&second, splitSymbols_, &secondCount);
        if (secondGoing && logged < SplitLog) {
          splitLogBits_[logged] = CursorBits(second);
          splitLogCount_[logged++] = secondCount;
        }
      }
    } else {
      secondGoing = false;
    }
  }
  // The first half steps on, one step at a time, looking for a step end the second one logged.
  int met = -1;
  for (int j = 0; firstGoing && met < 0;) {
    if (count + 9 > recordSize || first.in > lastLoad) break;
    Refill(&first);
    for (int step = 0; step < 4; ++step) {
      const long bits = CursorBits(first);
      while (j < logged && splitLogBits_[j] < bits) ++j;
      if (j == logged) {
        firstGoing = false;
        break;
      }
      if (splitLogBits_[j] == bits) {
        met = j;
        break;
      }
      if (!Step(&first, out, &count)) {
        firstGoing = false;
        break;
      }
    }
  }
  long consumed = CursorBits(first);
  if (met >= 0) {
    const int taken = std::min(secondCount - splitLogCount_[met], recordSize - count);
    std::memcpy(out + count, splitSymbols_ + splitLogCount_[met], taken);
    count += taken;
    consumed = CursorBits(second);
  }
  *countAt = count;
  *bytePosition = static_cast<int>(consumed >> 3);
  *bitPosition = static_cast<int>(consumed & 7);
}

std::uint8_t* FrameDecoder::Decode() {
  if (!CheckCodeTable()) return nullptr;
  fault_.clear();
  BuildLookupTable();
  BuildLongCodeTree();
  BuildWideTable();

  std::uint8_t* const out = DecodeBuffer;
  const int recordSize = recordSize_, payloadSize = payloadSize_;
  int count = 0;
  int bytePosition = 0;
  int bitPosition = 0;
  DecodeSplit(&count, &bytePosition, &bitPosition);
  while (count < recordSize && bytePosition < payloadSize) {
    DecodeWide(&count, &bytePosition, &bitPosition);
    if (count >= recordSize || bytePosition >= payloadSize) break;
    // One code the general way: a table read with bytes past the payload as zero, or the tree.
    const TableEntry entry = table_[(StreamWindow(bytePosition) >> bitPosition) & 1023];
    if (entry.length != 0) {
      out[count++] = entry.symbol;
      bitPosition += entry.length;
      bytePosition += bitPosition >> 3;
      bitPosition &= 7;
    } else {
      out[count++] = static_cast<std::uint8_t>(WalkLongCode(&bytePosition, &bitPosition));
    }
  }
  return out;
}
