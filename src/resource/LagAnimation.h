#pragma once
// An LAG animation: frame records grouped into sequences and the pictures
// the file carries (ELG or bitmap files embedded whole), decoded into
// surfaces. A frame whose first value is negative closes its sequence; a
// sentinel closing record follows the frames read.
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "resource/AnimationSequences.h"
#include "resource/SurfacePort.h"

namespace orrivel {

enum LagCode : int {
  kLagOk = 0,
  kLagCannotOpen = 1,
  kLagBadHeader = 2,     // bad magic, a short header or no sequence
  kLagTruncated = 3,     // a record or picture data cut short
  kLagBadOffset = 4,     // a picture offset outside the file
  kLagBadPicture = 5,    // a picture that cannot be decoded
  kLagFewSequences = 6,  // fewer closing records than sequences
  kLagOtherFailure = -1,
};

struct LagFrame {
  std::array<int32_t, 4> values{};
};

class LagAnimation {
 public:
  // The factory makes the picture surfaces; without one no picture loads.
  explicit LagAnimation(SurfaceFactoryPort* surfaces) : surfaces_(surfaces) {}
  LagAnimation(const LagAnimation&) = delete;
  LagAnimation& operator=(const LagAnimation&) = delete;
  virtual ~LagAnimation() = default;

  // Codes: LagCode. A failed load leaves the animation empty.
  int Load(std::string_view fileName, bool indexed);
  int LoadFromMemory(const uint8_t* data, uint64_t size, bool indexed);
  void Clear();

  uint16_t ValueA() const { return valueA_; }
  uint16_t ValueB() const { return valueB_; }
  uint16_t SequenceCount() const { return sequenceCount_; }
  // Frames read plus the sentinel.
  uint32_t FrameCount() const { return uint32_t(frames_.size()); }
  const std::vector<LagFrame>& Frames() const { return frames_; }
  const std::vector<uint32_t>& SequenceStarts() const { return sequenceStarts_; }
  uint32_t PictureCount() const { return uint32_t(pictures_.size()); }
  SurfacePort* Picture(uint32_t index) const { return index < pictures_.size() ? pictures_[index].get() : nullptr; }

  // First frame of sequence s, or -1 when out of range or empty.
  int32_t GetSequenceStart(int32_t sequence) const;
  // The closing record of sequence s (the sentinel for the last), or -1.
  int32_t GetSequenceEnd(int32_t sequence) const;

 private:
  int Parse(const uint8_t* data, uint64_t size, bool indexed);

  SurfaceFactoryPort* surfaces_;
  uint16_t valueA_ = 0;
  uint16_t valueB_ = 0;
  uint16_t sequenceCount_ = 0;
  std::vector<LagFrame> frames_;
  std::vector<uint32_t> sequenceStarts_;
  std::vector<std::unique_ptr<SurfacePort>> pictures_;
};

}  // namespace orrivel
