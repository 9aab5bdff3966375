#include "resource/LzssCoder.h"

#include <cstring>
#include <memory>
#include <new>

namespace orrivel {
namespace {

constexpr int N = int(kLzssRingSize);
constexpr int F = int(kLzssMaxMatch);
constexpr int kThreshold = 2;  // matches of this length or shorter go out as literals
constexpr int kNil = N;

}  // namespace

LzssCoder::LzssCoder() { InitTree(); }

void LzssCoder::InitTree() {
  for (int i = N + 1; i <= N + 256; ++i) right_[i] = kNil;
  for (int i = 0; i < N; ++i) parent_[i] = kNil;
}

// Inserts the string at ring position r into its tree and leaves the
// longest match in matchPosition_/matchLength_. A full-length match
// replaces the old node, which then leaves the tree.
void LzssCoder::InsertNode(int r) {
  int cmp = 1;
  const uint8_t* key = &ring_[r];
  int p = N + 1 + key[0];
  right_[r] = left_[r] = kNil;
  matchLength_ = 0;
  for (;;) {
    if (cmp >= 0) {
      if (right_[p] != kNil) {
        p = right_[p];
      } else {
        right_[p] = r;
        parent_[r] = p;
        return;
      }
    } else {
      if (left_[p] != kNil) {
        p = left_[p];
      } else {
        left_[p] = r;
        parent_[r] = p;
        return;
      }
    }
    int i = 1;
    for (; i < F; ++i) {
      cmp = int(key[i]) - int(ring_[p + i]);
      if (cmp != 0) break;
    }
    if (i > matchLength_) {
      matchPosition_ = p;
      matchLength_ = i;
      if (i >= F) break;
    }
  }
  parent_[r] = parent_[p];
  left_[r] = left_[p];
  right_[r] = right_[p];
  parent_[left_[p]] = r;
  parent_[right_[p]] = r;
  if (right_[parent_[p]] == p) {
    right_[parent_[p]] = r;
  } else {
    left_[parent_[p]] = r;
  }
  parent_[p] = kNil;
}

void LzssCoder::DeleteNode(int p) {
  if (parent_[p] == kNil) return;
  int q;
  if (right_[p] == kNil) {
    q = left_[p];
  } else if (left_[p] == kNil) {
    q = right_[p];
  } else {
    q = left_[p];
    if (right_[q] != kNil) {
      do {
        q = right_[q];
      } while (right_[q] != kNil);
      right_[parent_[q]] = left_[q];
      parent_[left_[q]] = parent_[q];
      left_[q] = left_[p];
      parent_[left_[p]] = q;
    }
    right_[q] = right_[p];
    parent_[right_[p]] = q;
  }
  parent_[q] = parent_[p];
  if (right_[parent_[p]] == p) {
    right_[parent_[p]] = q;
  } else {
    left_[parent_[p]] = q;
  }
  parent_[p] = kNil;
}

int LzssCoder::Encode(const uint8_t* input, uint32_t inputSize, std::vector<uint8_t>* output,
                      uint32_t* packedSize, bool write) {
  if (packedSize) *packedSize = 0;
  if (!input || inputSize <= 8) return kLzssNoOutput;
  if (write && !output) return kLzssNoMemory;
  const uint64_t limit = uint64_t(inputSize) - 8;
  if (write) {
    try {
      output->assign(size_t(limit), 0);
    } catch (const std::bad_alloc&) {
      return kLzssNoMemory;
    }
  }

  InitTree();
  std::memset(ring_, 0, sizeof ring_);
  uint32_t inputPos = 0;
  int s = 0;
  int r = N - F;
  int length = 0;
  for (; length < F && inputPos < inputSize; ++length) ring_[r + length] = input[inputPos++];
  for (int i = 1; i <= F; ++i) InsertNode(r - i);
  InsertNode(r);

  uint8_t group[17];
  group[0] = 0;
  int groupLength = 1;
  uint8_t mask = 1;
  uint64_t packed = 0;
  auto flushGroup = [&]() -> bool {
    if (packed + uint64_t(groupLength) >= limit) return false;
    if (write) std::memcpy(output->data() + packed, group, size_t(groupLength));
    packed += uint64_t(groupLength);
    group[0] = 0;
    groupLength = 1;
    mask = 1;
    return true;
  };

  do {
    if (matchLength_ > length) matchLength_ = length;
    if (matchLength_ <= kThreshold) {
      matchLength_ = 1;
      group[0] |= mask;
      group[groupLength++] = ring_[r];
    } else {
      group[groupLength++] = uint8_t(matchPosition_);
      group[groupLength++] = uint8_t(((matchPosition_ >> 4) & 0xF0) | (matchLength_ - (kThreshold + 1)));
    }
    mask = uint8_t(mask << 1);
    if (mask == 0) {
      if (!flushGroup()) {
        if (write) output->clear();
        return kLzssNoOutput;
      }
    }
    const int lastMatchLength = matchLength_;
    int i = 0;
    for (; i < lastMatchLength && inputPos < inputSize; ++i) {
      DeleteNode(s);
      const uint8_t c = input[inputPos++];
      ring_[s] = c;
      if (s < F - 1) ring_[s + N] = c;
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    while (i++ < lastMatchLength) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--length) InsertNode(r);
    }
  } while (length > 0);

  if (groupLength > 1 && !flushGroup()) {
    if (write) output->clear();
    return kLzssNoOutput;
  }
  if (packed >= limit) {
    if (write) output->clear();
    return kLzssNoOutput;
  }
  if (write) output->resize(size_t(packed));
  if (packedSize) *packedSize = uint32_t(packed);
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
