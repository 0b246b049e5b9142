// The entropy stage: expands a coded frame into its frame record in the decode buffer.
//
// A coded frame is int32 N (record size), 256 uint32 code words, 256 uint8 code lengths, then
// the payload: the code words of the N record bytes packed into a bit stream, least significant
// bit of each byte first, each code word most significant bit first. Codes of up to 10 bits
// decode through a 1024-entry lookup table; longer ones walk a binary tree bit by bit, and so
// does any position the table leaves empty (the walk then starts again at the code's first bit).
// Both are rebuilt for every frame. For speed, a 4096-entry table derived from the two gives, for
// every 12 stream bits, what one or two of those steps produce when the 12 bits settle them; the
// stream is decoded through it wherever it can, and a long payload from two places at once: its
// first half from the start and its second half from the middle bit, whose decoding falls into
// step with the true code boundaries within a few codes; where the first half's decoding reaches
// a boundary the second one also passed, the second one's symbols from there on are taken. The
// decoder is one instance for the whole program.
#pragma once

#include <cstdint>
#include <string>

constexpr int DecodeBufferBytes = 640000;
constexpr int CodeTableBytes = 1284;  // N, 256 code words, 256 code lengths
constexpr int MaxCodeLength = 32;

// The frame record of the last decoded frame; bytes a frame does not write keep their contents.
// Allocated by InitAnimationDecoder.
extern std::uint8_t* DecodeBuffer;

class FrameDecoder {
 public:
  // Copies N and the code table out of the coded frame and borrows its payload.
  void Load(const std::uint8_t* codedFrame, int size);
  // Decodes the payload into DecodeBuffer and returns it, or returns nullptr, writing nothing,
  // when the frame cannot be decoded within the buffers (fault() says why).
  std::uint8_t* Decode();

  int recordSize() const { return recordSize_; }
  const std::string& fault() const { return fault_; }

 private:
  struct TableEntry {
    std::uint8_t symbol;
    std::uint8_t length;  // 0: empty
  };
  // Tree node: children are indices into nodes_, 0 meaning none (the root is never a child).
  struct LongCodeNode {
    std::uint8_t symbol;
    std::uint16_t child[2];  // [0] for bit 0, [1] for bit 1
  };
  static constexpr int MaxNodes = 1 + 256 * MaxCodeLength;
  // Up to two decoding steps settled by the next WideBits stream bits; count 0: not settled.
  struct WideEntry {
    std::uint8_t bits;       // stream bits the steps consume
    std::uint8_t count;
    std::uint8_t symbol[2];  // [1] holds meaning only when count is 2
  };
  static constexpr int WideBits = 12;

  bool CheckCodeTable();
  void BuildLookupTable();
  void BuildLongCodeTree();
  void BuildWideTable();
  // A stream position with the bits after it buffered, lowest first: in is the next byte to
  // buffer, next the 8 bytes there (loaded one refill ahead), held the bits in buffer.
  struct BitCursor {
    const std::uint8_t* in;
    std::uint64_t buffer, next;
    int held;
  };
  // The second half's decoding: room for its symbols (it stops when full), how many of its first
  // step ends are logged (stream bit and symbols before it), and the smallest payload and
  // record worth splitting.
  static constexpr int SplitSymbols = 65536;
  static constexpr int SplitLog = 1024;
  static constexpr int SplitMinimumBytes = 256;

  BitCursor StartCursor(int bytePosition, int bitPosition) const;
  long CursorBits(const BitCursor& cursor) const { return 8 * (cursor.in - payload_) - cursor.held; }
  static void Refill(BitCursor* cursor);
  bool Step(BitCursor* cursor, std::uint8_t* out, int* count) const;
  void DecodeWide(int* count, int* bytePosition, int* bitPosition) const;
  void DecodeSplit(int* count, int* bytePosition, int* bitPosition);
  int WalkLongCode(int* bytePosition, int* bitPosition) const;
  int StreamBit(int bytePosition, int bitPosition) const;
  std::uint64_t StreamWindow(int bytePosition) const;

  int recordSize_ = 0;                 // N
  std::uint32_t codeWords_[256] = {};
  std::uint8_t codeLengths_[256] = {};
  const std::uint8_t* payload_ = nullptr;
  int payloadSize_ = 0;
  bool loaded_ = false;                // the coded frame held its whole code table
  std::string fault_;

  TableEntry table_[1024] = {};
  LongCodeNode nodes_[MaxNodes] = {};
  int nodeCount_ = 0;
  WideEntry wide_[1 << WideBits] = {};
  std::uint8_t splitSymbols_[SplitSymbols] = {};
  long splitLogBits_[SplitLog] = {};   // stream bit where a logged step ends
  int splitLogCount_[SplitLog] = {};   // the second half's symbols before it
};

extern FrameDecoder AnimationFrameDecoder;
