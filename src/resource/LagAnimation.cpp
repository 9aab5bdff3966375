#include "resource/LagAnimation.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "resource/ByteCursor.h"
#include "resource/WholeFile.h"

namespace orrivel {
namespace {

constexpr uint8_t kLagMagic[4] = {'L', 'A', 'G', 0};
constexpr uint64_t kFrameRecordSize = 16;
constexpr uint64_t kPictureRecordSize = 12;
constexpr int16_t kUsesAlpha = -2;

}  // namespace

void LagAnimation::Clear() {
  valueA_ = valueB_ = sequenceCount_ = 0;
  frames_.clear();
  sequenceStarts_.clear();
  pictures_.clear();
}

int LagAnimation::Load(std::string_view fileName, bool indexed) {
  Clear();
  std::vector<uint8_t> bytes;
  try {
    if (!LoadWholeFile(fileName, &bytes)) return kLagCannotOpen;
  } catch (const std::bad_alloc&) {
    return kLagOtherFailure;
  }
  return LoadFromMemory(bytes.data(), bytes.size(), indexed);
}

int LagAnimation::LoadFromMemory(const uint8_t* data, uint64_t size, bool indexed) {
  Clear();
  int code = kLagOtherFailure;
  try {
    code = Parse(data, size, indexed);
  } catch (const std::bad_alloc&) {
    code = kLagOtherFailure;
  }
  if (code != kLagOk) Clear();
  return code;
}

int LagAnimation::Parse(const uint8_t* data, uint64_t size, bool indexed) {
  ByteCursor cursor(data, size);
  uint8_t magic[4];
  if (!cursor.ReadBytes(magic, 4) || std::memcmp(magic, kLagMagic, 4) != 0) return kLagBadHeader;
  uint16_t header[6];
  for (uint16_t& value : header) {
    if (!cursor.ReadU16(&value)) return kLagBadHeader;
  }
  if (header[3] == 0) return kLagBadHeader;
  uint32_t skipSize = 0;
  if (!cursor.ReadU32(&skipSize) || !cursor.Skip(skipSize)) return kLagTruncated;

  uint32_t frameCount = 0;
  if (!cursor.ReadU32(&frameCount) || uint64_t(frameCount) * kFrameRecordSize > cursor.Remaining()) {
    return kLagTruncated;
  }
  frames_.resize(uint64_t(frameCount) + 1);
  for (uint32_t i = 0; i < frameCount; ++i) {
    for (int32_t& value : frames_[i].values) cursor.ReadS32(&value);
  }
  frames_.back().values = {-1, 0, 0, 0};

  uint32_t pictureCount = 0;
  if (!cursor.ReadU32(&pictureCount) || uint64_t(pictureCount) * kPictureRecordSize > cursor.Remaining()) {
    return kLagTruncated;
  }
  pictures_.reserve(pictureCount);
  for (uint32_t i = 0; i < pictureCount; ++i) {
    uint32_t pictureSize = 0;
    uint32_t offset = 0;
    int16_t keyX = 0;
    int16_t keyY = 0;
    cursor.ReadU32(&pictureSize);
    cursor.ReadU32(&offset);
    cursor.ReadS16(&keyX);
    cursor.ReadS16(&keyY);
    if (offset > size) return kLagBadOffset;
    if (pictureSize > size - offset) return kLagTruncated;
    std::unique_ptr<SurfacePort> picture = surfaces_ ? surfaces_->CreateSurface() : nullptr;
    if (!picture) return kLagOtherFailure;
    if (picture->LoadImageFromMemory(data + offset, pictureSize, indexed) != 0) return kLagBadPicture;
    if (keyX < 0) {
      picture->SetAlphaFlag(keyX == kUsesAlpha);
    } else {
      picture->SetColorKeyAt(keyX, keyY);
    }
    pictures_.push_back(std::move(picture));
  }

  valueA_ = header[0];
  valueB_ = header[1];
  sequenceCount_ = header[3];
  const bool closed = BuildSequenceStarts(
      FrameCount(), sequenceCount_, [this](uint32_t i) { return frames_[i].values[0] < 0; }, &sequenceStarts_,
      nullptr);
  return closed ? kLagOk : kLagFewSequences;
}

int32_t LagAnimation::GetSequenceStart(int32_t sequence) const {
  return SequenceStartOf(sequenceStarts_, sequence);
}

int32_t LagAnimation::GetSequenceEnd(int32_t sequence) const {
  return SequenceEndOf(sequenceStarts_, FrameCount(), sequence);
}

}  // namespace orrivel
