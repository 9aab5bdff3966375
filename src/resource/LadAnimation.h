#pragma once
// An LAD animation: frame records that refer to a name table and to a data
// pool, grouped into sequences. A frame keeps its pool offset as stored;
// PoolAt checks it against the pool before handing out any byte, so a bad
// offset never becomes an address.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resource/AnimationSequences.h"

namespace orrivel {

enum LadCode : int {
  kLadOk = 0,
  kLadCannotOpen = 1,
  kLadBadMagic = 2,
  kLadNoSequence = 3,  // also a header cut short
  kLadPoolTruncated = 4,
  kLadFramesTruncated = 5,
  kLadNameLengthTruncated = 6,
  kLadNameTruncated = 7,
  kLadNameValue1Truncated = 8,
  kLadNameValue2Truncated = 9,
  kLadFewSequences = 10,
  kLadOtherFailure = -1,
};

struct LadFrame {
  // A name index, or negative for a control record.
  int32_t name = 0;
  int32_t value = 0;
  // Two signed 16-bit numbers, x in the low half.
  int32_t position = 0;
  uint32_t poolOffset = 0;

  int16_t X() const { return int16_t(uint32_t(position) & 0xFFFF); }
  int16_t Y() const { return int16_t(uint32_t(position) >> 16); }
  // A control record whose value is below 1 ends its sequence.
  bool IsClosing() const { return name < 0 && value < 1; }
};

struct LadName {
  std::array<uint32_t, 2> words{};  // zero after loading, kept for the players
  std::string name;
  uint16_t value1 = 0;
  uint16_t value2 = 0;
};

class LadAnimation {
 public:
  static constexpr size_t kHeaderSize = 12;

  LadAnimation() = default;
  LadAnimation(const LadAnimation&) = delete;
  LadAnimation& operator=(const LadAnimation&) = delete;
  virtual ~LadAnimation() = default;

  // Codes: LadCode. A failed load leaves the animation empty.
  int Load(std::string_view fileName);
  int LoadFromMemory(const uint8_t* data, uint64_t size);
  void Clear();

  int32_t GetSequenceStart(int32_t sequence) const;
  int32_t GetSequenceEnd(int32_t sequence) const;
  // The sequence holding the frame, with the frame's place in it when
  // offset is given; -1 for a frame outside the records.
  int32_t FindSequence(int32_t frame, int32_t* offset) const;

  // The pool bytes from a frame's offset to the end of the pool; null when
  // the frame does not exist or its offset lies outside the pool.
  const uint8_t* PoolAt(uint32_t frame, uint32_t* available) const;

  const std::array<uint8_t, kHeaderSize>& Header() const { return header_; }
  uint16_t SequenceCount() const { return uint16_t(header_[6] | (header_[7] << 8)); }
  const std::vector<uint8_t>& Pool() const { return pool_; }
  uint32_t FrameCount() const { return uint32_t(frames_.size()); }
  const std::vector<LadFrame>& Frames() const { return frames_; }
  uint32_t NameCount() const { return uint32_t(names_.size()); }
  const std::vector<LadName>& Names() const { return names_; }
  const std::vector<uint32_t>& SequenceStarts() const { return sequenceStarts_; }
  uint32_t LongestSequence() const { return longestSequence_; }

 private:
  int Parse(const uint8_t* data, uint64_t size);

  std::array<uint8_t, kHeaderSize> header_{};
  std::vector<uint8_t> pool_;
  std::vector<LadFrame> frames_;
  std::vector<LadName> names_;
  std::vector<uint32_t> sequenceStarts_;
  uint32_t longestSequence_ = 0;
};

}  // namespace orrivel
