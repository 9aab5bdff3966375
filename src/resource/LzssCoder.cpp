#include "resource/LzssCoder.h"

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
// Bytes readable past the end of the copy, so a comparison may always load
// whole words.
constexpr int kTailPadding = 32;
// Candidates tried per search. The chains of repetitive text are hundreds
// long and the longest match often lies deep in them; on script text this
// depth with the lazy step below packs a little tighter than a full
// longest-match search with greedy parsing.
constexpr int kChainDepth = 256;
// Matches shorter than this are put off when the next position starts a
// longer one; longer matches are taken as they are, which saves the second
// search where it rarely pays.
constexpr int kLazyBelow = 8;
constexpr int32_t kNoPosition = -1;

uint32_t Hash3(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return ((v & 0xFFFFFFu) * 2654435761u) >> (32 - LzssCoder::kHashBits);
}

// Count of equal leading bytes of a and b, at most limit (<= 24).
int CommonLength(const uint8_t* a, const uint8_t* b, int limit) {
  for (int i = 0; i < limit; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) {
      const int n = i + std::countr_zero(x ^ y) / 8;
      return n < limit ? n : limit;
    }
  }
  return limit;
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
  previous_[uint32_t(position) & (kLzssRingSize - 1)] = head_[h];
  head_[h] = position;
}

// The longest earlier string (at most limit bytes) equal to the one at
// position, among the most recent candidates of its hash chain.
LzssCoder::Match LzssCoder::FindLongest(const uint8_t* text, int position, int limit) const {
  Match best;
  if (limit < kMinMatch) return best;
  const uint8_t* here = text + position;
  int candidate = head_[Hash3(here)];
  for (int depth = kChainDepth; depth > 0 && candidate >= 0 && position - candidate <= kMaxDistance; --depth) {
    const uint8_t* there = text + candidate;
    // A candidate can only win if it also matches at the byte that would
    // make it longer than the best so far.
    if (there[best.length] == here[best.length]) {
      const int length = CommonLength(there, here, limit);
      if (length > best.length) {
        best.length = length;
        best.position = candidate;
        if (length >= limit) break;
      }
    }
    candidate = previous_[uint32_t(candidate) & (kLzssRingSize - 1)];
  }
  return best;
}

// Greedy parsing with one step of lazy evaluation: a match is put off by a
// literal when the next position starts a longer one.
int LzssCoder::Encode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output,
                      uint32_t* packedSize, bool write) {
  if (packedSize) *packedSize = 0;
  if (!input || inputSize <= 8) return kLzssNoOutput;
  if (write && !output) return kLzssNoMemory;
  // Positions are ints; no block the engine packs comes near this.
  if (inputSize > uint32_t(INT32_MAX - kPrefix - kTailPadding)) return kLzssNoMemory;
  const uint64_t limit = uint64_t(inputSize) - 8;
  std::vector<uint8_t> text;
  try {
    if (write) output->assign(size_t(limit), 0);
    text.assign(size_t(kPrefix) + inputSize + kTailPadding, 0);
  } catch (const std::bad_alloc&) {
    if (write) output->clear();
    return kLzssNoMemory;
  }
  std::memcpy(text.data() + kPrefix, input, inputSize);
  std::fill(std::begin(head_), std::end(head_), kNoPosition);
  const uint8_t* t = text.data();
  const int end = kPrefix + int(inputSize);
  for (int p = 0; p < kPrefix; ++p) Insert(t, p);

  GroupWriter writer(write ? output->data() : nullptr, limit);
  bool ok = true;
  auto ringPosition = [](int p) { return uint32_t(int(kLzssStart) + p - kPrefix) & (kLzssRingSize - 1); };
  // After a longest reference, the bytes that go on repeating from its
  // distance (runs are the common case) become more longest references
  // without a search: none could be longer. Their positions stay out of the
  // chains but for the last few, whose strings run past the repeat into new
  // bytes; the others are copies of strings already there.
  auto repeatLongest = [&](int start, int distance) {
    int q = start + kMaxMatch;
    while (ok && end - q >= kMaxMatch && CommonLength(t + q - distance, t + q, kMaxMatch) == kMaxMatch) {
      ok = writer.Reference(ringPosition(q - distance), kMaxMatch);
      q += kMaxMatch;
    }
    for (int r = std::max(start + 1, q - kMaxMatch + 1); r < q; ++r) Insert(t, r);
    return q;
  };
  auto limitAt = [end](int p) { return end - p < kMaxMatch ? end - p : kMaxMatch; };
  int p = kPrefix;
  Match current = FindLongest(t, p, limitAt(p));
  while (ok && p < end) {
    Insert(t, p);
    if (current.length < kMinMatch) {
      ok = writer.Literal(t[p]);
      ++p;
      if (p < end) current = FindLongest(t, p, limitAt(p));
      continue;
    }
    if (current.length < kLazyBelow && p + 1 < end) {
      const Match next = FindLongest(t, p + 1, limitAt(p + 1));
      if (next.length > current.length) {
        ok = writer.Literal(t[p]);
        ++p;
        current = next;
        continue;
      }
    }
    ok = writer.Reference(ringPosition(current.position), current.length);
    const int matchEnd = p + current.length;
    if (current.length == kMaxMatch) {
      p = repeatLongest(p, p - current.position);
    } else {
      for (++p; p < matchEnd; ++p) Insert(t, p);
    }
    if (p < end) current = FindLongest(t, p, limitAt(p));
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
