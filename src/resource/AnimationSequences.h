#pragma once
// Sequences of animation frames: runs of frame records, each ended by a
// closing record. Shared by the LAG and LAD readers.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace orrivel {

// Sequence starts from closing records: sequence 0 starts at frame 0, each
// closing record but the sequenceCount-th opens the next one. False when
// the records close fewer sequences. `longest` (when given) gets the most
// records of one sequence, closing record included.
template <typename IsClosing>
bool BuildSequenceStarts(uint32_t frameCount, uint16_t sequenceCount, IsClosing&& isClosing,
                         std::vector<uint32_t>* starts, uint32_t* longest) {
  starts->assign(1, 0);
  uint32_t closed = 0;
  for (uint32_t i = 0; i < frameCount; ++i) {
    if (!isClosing(i)) continue;
    if (longest) *longest = std::max(*longest, i - starts->back() + 1);
    if (++closed == sequenceCount) return true;
    starts->push_back(i + 1);
  }
  return false;
}

// First frame of sequence s; -1 when s is out of range or nothing is loaded.
inline int32_t SequenceStartOf(const std::vector<uint32_t>& starts, int32_t sequence) {
  if (sequence < 0 || uint32_t(sequence) >= starts.size()) return -1;
  return int32_t(starts[uint32_t(sequence)]);
}

// The closing record of sequence s: the next start - 1, and for the last
// sequence the final record (the sentinel); -1 when out of range.
inline int32_t SequenceEndOf(const std::vector<uint32_t>& starts, uint32_t frameCount, int32_t sequence) {
  if (SequenceStartOf(starts, sequence) < 0) return -1;
  if (uint32_t(sequence) + 1 < starts.size()) return int32_t(starts[uint32_t(sequence) + 1]) - 1;
  return int32_t(frameCount) - 1;
}

// The last sequence whose start is at or before the frame, with the
// frame's place in it; -1 for a frame outside the records.
inline int32_t FindSequenceOf(const std::vector<uint32_t>& starts, uint32_t frameCount, int32_t frame,
                              int32_t* offset) {
  if (frame < 0 || uint32_t(frame) >= frameCount || starts.empty()) return -1;
  const auto after = std::upper_bound(starts.begin(), starts.end(), uint32_t(frame));
  const auto sequence = int32_t(after - starts.begin()) - 1;
  if (offset) *offset = frame - int32_t(starts[uint32_t(sequence)]);
  return sequence;
}

}  // namespace orrivel
