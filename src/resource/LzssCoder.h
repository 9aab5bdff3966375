#pragma once
// The LZSS coder of every packed block: a 4096-byte ring, zero-filled, with
// writing starting at 4078, 18-byte look-ahead, eight items behind each flag
// byte (bit 1 = literal, read from the least significant bit up) and
// references naming absolute ring positions (12 bits) with lengths 3..18.
// Packed data carry no header; callers store the sizes beside them.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrivel {

constexpr uint32_t kLzssRingSize = 4096;
constexpr uint32_t kLzssMaxMatch = 18;
constexpr uint32_t kLzssMinMatch = 3;
constexpr uint32_t kLzssStart = kLzssRingSize - kLzssMaxMatch;  // 4078
// Positions the encoder follows a match back over (LzssMatchSpread.h).
constexpr int kLzssSpreadReach = 16;

// Decoding results.
enum LzssResult : int {
  kLzssOk = 0,
  kLzssNoOutput = 1,     // decode: output size 0; encode: input too short or does not shrink
  kLzssNoMemory = 2,     // out of memory or no output buffer
  kLzssInputEnded = 3,   // the packed data ended before the output was full
};

// The encoder's state: hash chains over the window, then the longest
// match found at each position of the block being parsed and the cheapest
// cost from each position on. About 100 KB; one object serves one thread
// at a time.
class LzssCoder {
 public:
  LzssCoder();
  // Packs input. 0 with the packed bytes in output (when write is true) and
  // their count in packedSize; 1 when the input is 8 bytes or shorter or
  // the packed form would not be shorter than inputSize - 8; 2 out of
  // memory. With write false only the size is measured.
  int Encode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output, uint32_t* packedSize,
             bool write);

  static constexpr uint32_t kHashBits = 13;
  // Positions parsed together: the cheapest parse is exact inside a block.
  static constexpr int kBlock = 8192;

 private:
  // The match carried from position to position: its distance and the
  // first position where it no longer holds (when open, only a position up
  // to which it is known to hold).
  struct Run {
    int distance = 1;
    int end = 0;
    bool open = false;
  };
  void FindMatches(const uint8_t* text, int begin, int end, int textEnd, Run* run);
  static void ExtendRun(const uint8_t* text, int p, Run* run);
  void Insert(const uint8_t* text, int position);
  void CheapestCosts(int count);

  // Most recent position of each hash of three bytes, and for each window
  // slot the position before it with the same hash.
  int32_t head_[1u << kHashBits];
  int32_t previous_[kLzssRingSize];
  // Matches are followed back kLzssSpreadReach positions at most; the
  // arrays start with as many spare entries so that the positions before
  // one found near the block start stay inside them.
  static constexpr int kSpare = kLzssSpreadReach;
  uint8_t length_[kSpare + kBlock];
  uint16_t distance_[kSpare + kBlock];
  int32_t cost_[kBlock + 1];
};

int LzssEncode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output, uint32_t* packedSize,
               bool write);

// The most bytes packedSize bytes of packed data can unpack to: one flag
// byte and eight two-byte references give at most 8 x 18 bytes, so no block
// unpacks to more than 144 / 17 times its size (plus one group's worth for a
// partial last group). Readers refuse larger claimed sizes before they
// allocate anything.
constexpr uint64_t LzssMaxUnpackedSize(uint64_t packedSize) {
  return packedSize * (kLzssMaxMatch * 8) / 17 + kLzssMaxMatch * 8;
}

// Unpacks exactly outputSize bytes from inputSize bytes of packed data into
// output. 0; 1 when outputSize is 0; 2 when there is no output buffer; 3
// when the input ends first. Never reads or writes outside the buffers.
int LzssDecode(const uint8_t* input, size_t inputSize, uint8_t* output, uint32_t outputSize);
// The same into a vector resized to outputSize (2 when out of memory; 3,
// without allocating, when the input could never fill outputSize).
int LzssDecode(const uint8_t* input, size_t inputSize, std::vector<uint8_t>& output, uint32_t outputSize);

}  // namespace orrivel
