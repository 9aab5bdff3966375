#pragma once
// The first LZSS encoder the engine shipped, kept as the size reference the
// fast encoder must not exceed: binary search trees over the ring find the
// longest match at every position (greedy parsing). Slow, but its output is
// the mark. Only the packed size is kept.
#include <cstdint>
#include <cstring>
#include <vector>

#include "resource/LzssCoder.h"

namespace orrivel::bench {

class LzssTreeReference {
 public:
  // The packed size of input, with no refusal of data that does not shrink.
  uint64_t PackedSize(const uint8_t* input, uint32_t inputSize) {
    InitTree();
    std::memset(ring_, 0, sizeof ring_);
    uint32_t inputPos = 0;
    int s = 0;
    int r = N - F;
    int length = 0;
    for (; length < F && inputPos < inputSize; ++length) ring_[r + length] = input[inputPos++];
    for (int i = 1; i <= F; ++i) InsertNode(r - i);
    InsertNode(r);
    uint64_t packed = 0;
    int items = 0;
    while (length > 0) {
      if (matchLength_ > length) matchLength_ = length;
      if (matchLength_ <= kThreshold) {
        matchLength_ = 1;
        packed += 1;
      } else {
        packed += 2;
      }
      if (items++ % 8 == 0) packed += 1;  // the flag byte opening each group
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
    }
    return packed;
  }

 private:
  static constexpr int N = int(kLzssRingSize);
  static constexpr int F = int(kLzssMaxMatch);
  static constexpr int kThreshold = 2;
  static constexpr int kNil = N;

  void InitTree() {
    for (int i = N + 1; i <= N + 256; ++i) right_[i] = kNil;
    for (int i = 0; i < N; ++i) parent_[i] = kNil;
  }

  void InsertNode(int r) {
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

  void DeleteNode(int p) {
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

  uint8_t ring_[N + F - 1];
  int left_[N + 1];
  int right_[N + 257];
  int parent_[N + 1];
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

}  // namespace orrivel::bench
