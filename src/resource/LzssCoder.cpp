#include "resource/LzssCoder.h"

#include "resource/LzssMatchSpread.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace orrivel {
namespace {

// The encoder sees the input behind the decoder's initial ring: kPrefix
// zero bytes (the ring positions just before the first write) are match
// sources like any written byte. References reach back at most
// kMaxDistance bytes; every distance up to the ring size decodes the same.
constexpr int kPrefix = int(kLzssMaxMatch);
constexpr int kMaxDistance = int(kLzssRingSize) - 1;
constexpr int kMaxMatch = int(kLzssMaxMatch);
constexpr int kMinMatch = int(kLzssMinMatch);
constexpr uint32_t kRingMask = kLzssRingSize - 1;
// Zero bytes readable before the copy (so that a match may be followed
// backwards with whole words; the ring holds zeros there too, so they are
// sound match sources) and after it (so that keys and comparisons may
// always load whole words).
constexpr int kFrontPadding = 32;
constexpr int kTailPadding = 64;
// Every item costs the same whatever its length or distance: a literal 9
// bits, a reference 17 (with the flag bit). So the parse needs only the
// longest match at each position.
constexpr int kLiteralBits = 9;
constexpr int kReferenceBits = 17;
// Candidates tried where a match runs out. On script text eight pack
// about 1 % below a full longest-match search with greedy parsing; twice
// as many gain another 1 % at a fifth more time.
constexpr int kChainDepth = 8;
constexpr int32_t kNoPosition = -1;

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint32_t Hash3(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return ((v & 0xFFFFFFu) * 2654435761u) >> (32 - LzssCoder::kHashBits);
}

// Count of equal leading bytes of a and b, at most limit (<= 18).
int CommonLength(const uint8_t* a, const uint8_t* b, int limit) {
  int n;
  uint64_t x = Load64(a) ^ Load64(b);
  if (x) {
    n = std::countr_zero(x) >> 3;
  } else if ((x = Load64(a + 8) ^ Load64(b + 8))) {
    n = 8 + (std::countr_zero(x) >> 3);
  } else {
    n = a[16] != b[16] ? 16 : a[17] != b[17] ? 17 : 18;
  }
  return n < limit ? n : limit;
}

// Count of equal bytes just before a and b, at most limit (<= 16).
int CommonLengthBefore(const uint8_t* a, const uint8_t* b, int limit) {
  int n;
  uint64_t x = Load64(a - 8) ^ Load64(b - 8);
  if (x) {
    n = std::countl_zero(x) >> 3;
  } else if ((x = Load64(a - 16) ^ Load64(b - 16))) {
    n = 8 + (std::countl_zero(x) >> 3);
  } else {
    n = 16;
  }
  return n < limit ? n : limit;
}

// Collects the flag groups of the packed stream, refusing once the stream
// would not be shorter than the limit.
class GroupWriter {
 public:
  GroupWriter(uint8_t* output, uint64_t limit) : output_(output), limit_(limit) {}
  bool Literal(uint8_t value) {
    group_[0] |= mask_;
    group_[length_++] = value;
    return Next();
  }
  bool Reference(uint32_t ringPosition, int matchLength) {
    group_[length_++] = uint8_t(ringPosition);
    group_[length_++] = uint8_t(((ringPosition >> 4) & 0xF0) | uint32_t(matchLength - kMinMatch));
    return Next();
  }
  bool Finish() { return length_ == 1 || Flush(); }
  uint64_t packed() const { return packed_; }

 private:
  bool Next() {
    mask_ = uint8_t(mask_ << 1);
    return mask_ != 0 || Flush();
  }
  bool Flush() {
    if (packed_ + uint64_t(length_) >= limit_) return false;
    if (output_) std::memcpy(output_ + packed_, group_, size_t(length_));
    packed_ += uint64_t(length_);
    group_[0] = 0;
    length_ = 1;
    mask_ = 1;
    return true;
  }

  uint8_t* output_;
  uint64_t limit_;
  uint64_t packed_ = 0;
  uint8_t group_[17] = {0};
  int length_ = 1;
  uint8_t mask_ = 1;
};

}  // namespace

LzssCoder::LzssCoder() = default;

void LzssCoder::Insert(const uint8_t* text, int position) {
  const uint32_t h = Hash3(text + position);
  previous_[uint32_t(position) & kRingMask] = head_[h];
  head_[h] = position;
}

// The longest match at each position of [begin, end), as length and
// distance. The match carried from the position before (one byte shorter)
// gives every position inside it its length without a search, and where
// it still runs to the limit the position is not even entered in the
// chains (its strings are copies of ones already there). Only where it
// runs out is the chain searched. A candidate found there that also
// matches the bytes before it is a longer match for the positions before,
// up to 16 back: that is how those positions learn of matches that reach
// beyond the carried one, without a search of their own.
void LzssCoder::FindMatches(const uint8_t* text, int begin, int end, int textEnd, Run* carried) {
  Run run = *carried;  // a local, so that the stores below cannot be taken to change it
  uint8_t* lengths = length_ + kSpare - begin;
  uint16_t* distances = distance_ + kSpare - begin;
  for (int p = begin; p < end;) {
    if (run.open && run.end - p < kMaxMatch) ExtendRun(text, p, &run);
    // Positions the carried match covers by three bytes or more take their
    // length from where it ends: first those where it runs to the limit
    // (their strings are copies of ones in the chains already, so they stay
    // out), then the rest.
    const int covered = std::min({end, run.end - (kMinMatch - 1), textEnd - (kMinMatch - 1)});
    const int whole = std::min({covered, run.end - (kMaxMatch - 1), textEnd - (kMaxMatch - 1)});
    for (; p < whole; ++p) {
      lengths[p] = uint8_t(kMaxMatch);
      distances[p] = uint16_t(run.distance);
    }
    if (run.open && run.end - p < kMaxMatch) continue;  // known no further: follow it on first
    for (; p < covered; ++p) {
      const int limit = textEnd - p < kMaxMatch ? textEnd - p : kMaxMatch;
      const int best = run.end - p < limit ? run.end - p : limit;
      lengths[p] = uint8_t(best);
      distances[p] = uint16_t(run.distance);
      if (best < limit) Insert(text, p);
    }
    if (p >= end) break;
    // The carried match is shorter than three bytes here: search.
    const int limit = textEnd - p < kMaxMatch ? textEnd - p : kMaxMatch;
    int best = 0;
    if (limit >= kMinMatch) {
      const uint8_t* here = text + p;
      const int backLimit = p - begin < kLzssSpreadReach ? p - begin : kLzssSpreadReach;
      const int oldest = p - kMaxDistance > 0 ? p - kMaxDistance : 0;
      // The entries before are raised in a copy: they were just written a
      // byte at a time, and whole-vector reads of them straight after would
      // stall at every candidate instead of once.
      alignas(16) uint8_t lengthsBefore[kLzssSpreadReach];
      alignas(16) uint16_t distancesBefore[kLzssSpreadReach];
      std::memcpy(lengthsBefore, lengths + p - kLzssSpreadReach, sizeof lengthsBefore);
      std::memcpy(distancesBefore, distances + p - kLzssSpreadReach, sizeof distancesBefore);
      int found = 0;
      int foundAt = 0;
      int candidate = head_[Hash3(here)];
      for (int depth = kChainDepth; depth > 0 && candidate >= oldest; --depth) {
        const uint8_t* there = text + candidate;
        const int length = CommonLength(there, here, limit);
        if (length > found) {
          found = length;
          foundAt = candidate;
        }
        LzssSpreadMatchPacked(lengthsBefore, distancesBefore, length, CommonLengthBefore(there, here, backLimit),
                              p - candidate);
        candidate = previous_[uint32_t(candidate) & kRingMask];
      }
      std::memcpy(lengths + p - kLzssSpreadReach, lengthsBefore, sizeof lengthsBefore);
      std::memcpy(distances + p - kLzssSpreadReach, distancesBefore, sizeof distancesBefore);
      if (found >= kMinMatch) {
        best = found;
        run.distance = p - foundAt;
        run.end = p + found;
        run.open = found == kMaxMatch;
      }
    }
    lengths[p] = uint8_t(best);
    distances[p] = uint16_t(run.distance);
    if (best < limit) Insert(text, p);
    ++p;
  }
  *carried = run;
}

// Follows the carried match on from where it is known to hold, a word at a
// time, until it is known for a whole match ahead of p or found to end.
void LzssCoder::ExtendRun(const uint8_t* text, int p, Run* run) {
  while (run->open && run->end - p < kMaxMatch) {
    const uint64_t x = Load64(text + run->end) ^ Load64(text + run->end - run->distance);
    if (x) {
      run->end += std::countr_zero(x) >> 3;
      run->open = false;
    } else {
      run->end += 8;
    }
  }
}

// cost_[q]: the fewest bits that code indices q.. of the block, each index
// choosing between a literal and its longest reference (a shorter one at
// the same place seldom pays and is left out). Matches are first cut to
// the block's end. An index without a reference (length 0) reads its own
// entry, still at the value that always loses, so the step has no
// conditional and waits only on the one before.
void LzssCoder::CheapestCosts(int count) {
  uint8_t* lengths = length_ + kSpare;
  for (int q = count > kMaxMatch ? count - kMaxMatch : 0; q < count; ++q) {
    if (lengths[q] > count - q) lengths[q] = uint8_t(count - q >= kMinMatch ? count - q : 0);
  }
  std::fill(cost_, cost_ + count, INT32_MAX / 2);
  cost_[count] = 0;
  int next = 0;
  for (int q = count - 1; q >= 0; --q) {
    const int literal = kLiteralBits + next;
    const int reference = kReferenceBits + cost_[q + lengths[q]];
    next = literal < reference ? literal : reference;
    cost_[q] = next;
  }
}

// Matches are found for a block of positions at a time, then the block is
// coded along its cheapest parse.
int LzssCoder::Encode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output,
                      uint32_t* packedSize, bool write) {
  if (packedSize) *packedSize = 0;
  if (!input || inputSize <= 8) return kLzssNoOutput;
  if (write && !output) return kLzssNoMemory;
  // Positions are ints; no block the engine packs comes near this.
  if (inputSize > uint32_t(INT32_MAX - kFrontPadding - kPrefix - kTailPadding)) return kLzssNoMemory;
  const uint64_t limit = uint64_t(inputSize) - 8;
  std::vector<uint8_t> text;
  try {
    if (write) output->assign(size_t(limit), 0);
    text.assign(size_t(kFrontPadding + kPrefix) + inputSize + kTailPadding, 0);
  } catch (const std::bad_alloc&) {
    if (write) output->clear();
    return kLzssNoMemory;
  }
  std::memcpy(text.data() + kFrontPadding + kPrefix, input, inputSize);
  std::fill(std::begin(head_), std::end(head_), kNoPosition);
  std::fill(length_, length_ + kSpare, uint8_t(0));
  std::fill(distance_, distance_ + kSpare, uint16_t(0));
  const uint8_t* t = text.data() + kFrontPadding;
  const int end = kPrefix + int(inputSize);
  for (int p = 0; p < kPrefix; ++p) Insert(t, p);

  GroupWriter writer(write ? output->data() : nullptr, limit);
  bool ok = true;
  auto ringPosition = [](int p) { return uint32_t(int(kLzssStart) + p - kPrefix) & kRingMask; };
  Run run;
  for (int begin = kPrefix; ok && begin < end; begin += kBlock) {
    const int count = end - begin < kBlock ? end - begin : kBlock;
    FindMatches(t, begin, begin + count, end, &run);
    CheapestCosts(count);
    for (int q = 0; ok && q < count;) {
      const int length = length_[kSpare + q];
      if (length >= kMinMatch && kReferenceBits + cost_[q + length] <= kLiteralBits + cost_[q + 1]) {
        ok = writer.Reference(ringPosition(begin + q - distance_[kSpare + q]), length);
        q += length;
      } else {
        ok = writer.Literal(t[begin + q]);
        ++q;
      }
    }
  }
  if (!ok || !writer.Finish() || writer.packed() >= limit) {
    if (write) output->clear();
    return kLzssNoOutput;
  }
  if (write) output->resize(size_t(writer.packed()));
  if (packedSize) *packedSize = uint32_t(writer.packed());
  return kLzssOk;
}

int LzssEncode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output, uint32_t* packedSize,
               bool write) {
  std::unique_ptr<LzssCoder> coder(new (std::nothrow) LzssCoder());
  if (!coder) return kLzssNoMemory;
  return coder->Encode(input, inputSize, output, packedSize, write);
}

namespace {

inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// A group of eight items read with no bounds checks: its flag byte and eight
// references fit in the input, and the most it writes (seven longest
// references, then one copied in three whole words) fits in the output.
constexpr size_t kGroupInput = 1 + 8 * 2;
constexpr uint32_t kWordCopy = 24;  // three words: at least the longest reference
constexpr uint32_t kGroupOutput = 7 * kLzssMaxMatch + kWordCopy;

// Copies a reference whose source lies wholly in the output (distance <= the
// bytes written), writing up to kWordCopy bytes; the bytes past length are
// written again by what follows. From eight bytes back every word read lies
// before the word being written, so a copy from itself repeats as it must;
// a one-byte distance repeats one byte; shorter distances go byte by byte.
inline void CopyReference(uint8_t* d, uint32_t distance, uint32_t length) {
  const uint8_t* s = d - distance;
  if (distance >= 8) {
    Store64(d, Load64(s));
    Store64(d + 8, Load64(s + 8));
    Store64(d + 16, Load64(s + 16));
  } else if (distance == 1) {
    const uint64_t word = uint64_t(s[0]) * 0x0101010101010101ull;
    Store64(d, word);
    Store64(d + 8, word);
    Store64(d + 16, word);
  } else {
    for (uint32_t k = 0; k < length; ++k) d[k] = s[k];
  }
}

// Decodes whole groups while each one surely fits both buffers and every
// reference reaches only written output (after the first ring's worth no
// reference can reach before the output's start). Returns where it stopped.
void DecodeWholeGroups(const uint8_t* input, size_t inputSize, size_t* inPosition, uint8_t* output,
                       uint32_t outputSize, uint32_t* outPosition) {
  size_t in = *inPosition;
  uint32_t out = *outPosition;
  if (out < kLzssRingSize) return;
  while (inputSize - in >= kGroupInput && outputSize - out >= kGroupOutput) {
    const uint32_t flags = input[in++];
    if (flags == 0xFF) {  // eight literals
      Store64(output + out, Load64(input + in));
      in += 8;
      out += 8;
      continue;
    }
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1u << bit)) {
        output[out++] = input[in++];
        continue;
      }
      const uint32_t b0 = input[in];
      const uint32_t b1 = input[in + 1];
      in += 2;
      const uint32_t position = b0 | ((b1 & 0xF0) << 4);
      const uint32_t length = (b1 & 0x0F) + kLzssMinMatch;
      const uint32_t writePosition = (kLzssStart + out) & (kLzssRingSize - 1);
      const uint32_t distance = ((writePosition - position - 1) & (kLzssRingSize - 1)) + 1;  // 1..4096
      CopyReference(output + out, distance, length);
      out += length;
    }
  }
  *inPosition = in;
  *outPosition = out;
}

}  // namespace

// The ring always mirrors the output: the byte at ring position q is the
// output byte written d steps ago, where d is the distance from q back to
// the write position, or the initial zero when fewer than d bytes exist. So
// references copy straight from the output and no ring is kept.
int LzssDecode(const uint8_t* input, size_t inputSize, uint8_t* output, uint32_t outputSize) {
  if (outputSize == 0) return kLzssNoOutput;
  if (!output) return kLzssNoMemory;
  if (!input && inputSize) return kLzssInputEnded;
  size_t in = 0;
  uint32_t out = 0;
  while (out < outputSize) {
    DecodeWholeGroups(input, inputSize, &in, output, outputSize, &out);
    if (out >= outputSize) break;
    // One group with every check: the first ring's worth, and the end.
    if (in >= inputSize) return kLzssInputEnded;
    const uint32_t flags = input[in++];
    for (int bit = 0; bit < 8 && out < outputSize; ++bit) {
      if (flags & (1u << bit)) {
        if (in >= inputSize) return kLzssInputEnded;
        output[out++] = input[in++];
        continue;
      }
      if (inputSize - in < 2) return kLzssInputEnded;
      const uint32_t b0 = input[in];
      const uint32_t b1 = input[in + 1];
      in += 2;
      const uint32_t position = b0 | ((b1 & 0xF0) << 4);
      uint32_t length = (b1 & 0x0F) + kLzssMinMatch;
      const uint32_t writePosition = (kLzssStart + out) & (kLzssRingSize - 1);
      uint32_t distance = (writePosition - position) & (kLzssRingSize - 1);
      if (distance == 0) distance = kLzssRingSize;
      if (length > outputSize - out) length = outputSize - out;
      if (distance <= out && distance >= length) {
        std::memcpy(output + out, output + out - distance, length);
        out += length;
        continue;
      }
      for (uint32_t k = 0; k < length; ++k, ++out) {
        output[out] = distance <= out ? output[out - distance] : 0;
      }
    }
  }
  return kLzssOk;
}

int LzssDecode(const uint8_t* input, size_t inputSize, std::vector<uint8_t>& output, uint32_t outputSize) {
  if (outputSize == 0) return kLzssNoOutput;
  if (outputSize > LzssMaxUnpackedSize(inputSize)) return kLzssInputEnded;
  try {
    output.resize(outputSize);
  } catch (const std::bad_alloc&) {
    return kLzssNoMemory;
  }
  return LzssDecode(input, inputSize, output.data(), outputSize);
}

}  // namespace orrivel
