#include "resource/LadAnimation.h"

#include <cstring>
#include <new>

#include "resource/ByteCursor.h"
#include "resource/WholeFile.h"

namespace orrivel {
namespace {

constexpr uint8_t kLadMagic[4] = {'L', 'A', 'D', 0};
constexpr uint64_t kFrameRecordSize = 16;

int ReadName(ByteCursor& cursor, LadName* name) {
  uint16_t length = 0;
  if (!cursor.ReadU16(&length)) return kLadNameLengthTruncated;
  if (length > cursor.Remaining()) return kLadNameTruncated;
  name->name.assign(reinterpret_cast<const char*>(cursor.Here()), length);
  cursor.Skip(length);
  if (!cursor.ReadU16(&name->value1)) return kLadNameValue1Truncated;
  if (!cursor.ReadU16(&name->value2)) return kLadNameValue2Truncated;
  return kLadOk;
}

}  // namespace

void LadAnimation::Clear() {
  header_.fill(0);
  pool_.clear();
  frames_.clear();
  names_.clear();
  sequenceStarts_.clear();
  longestSequence_ = 0;
}

int LadAnimation::Load(std::string_view fileName) {
  Clear();
  std::vector<uint8_t> bytes;
  try {
    if (!LoadWholeFile(fileName, &bytes)) return kLadCannotOpen;
  } catch (const std::bad_alloc&) {
    return kLadOtherFailure;
  }
  return LoadFromMemory(bytes.data(), bytes.size());
}

int LadAnimation::LoadFromMemory(const uint8_t* data, uint64_t size) {
  Clear();
  int code = kLadOtherFailure;
  try {
    code = Parse(data, size);
  } catch (const std::bad_alloc&) {
    code = kLadOtherFailure;
  }
  if (code != kLadOk) Clear();
  return code;
}

int LadAnimation::Parse(const uint8_t* data, uint64_t size) {
  ByteCursor cursor(data, size);
  uint8_t magic[4];
  if (!cursor.ReadBytes(magic, 4) || std::memcmp(magic, kLadMagic, 4) != 0) return kLadBadMagic;
  if (!cursor.ReadBytes(header_.data(), kHeaderSize) || SequenceCount() == 0) return kLadNoSequence;

  uint32_t poolSize = 0;
  if (!cursor.ReadU32(&poolSize) || poolSize > cursor.Remaining()) return kLadPoolTruncated;
  pool_.assign(cursor.Here(), cursor.Here() + poolSize);
  cursor.Skip(poolSize);

  uint32_t frameCount = 0;
  if (!cursor.ReadU32(&frameCount) || uint64_t(frameCount) * kFrameRecordSize > cursor.Remaining()) {
    return kLadFramesTruncated;
  }
  frames_.resize(uint64_t(frameCount) + 1);
  for (uint32_t i = 0; i < frameCount; ++i) {
    LadFrame& frame = frames_[i];
    cursor.ReadS32(&frame.name);
    cursor.ReadS32(&frame.value);
    cursor.ReadS32(&frame.position);
    cursor.ReadU32(&frame.poolOffset);
  }
  frames_.back() = LadFrame{-1, -1, 0, 0};

  uint32_t nameCount = 0;
  if (!cursor.ReadU32(&nameCount)) return kLadNameLengthTruncated;
  // Each record takes at least six bytes; the table grows as records are
  // read, so a huge count costs nothing before it fails.
  names_.reserve(std::min<uint64_t>(nameCount, cursor.Remaining() / 6));
  for (uint32_t i = 0; i < nameCount; ++i) {
    LadName name;
    const int code = ReadName(cursor, &name);
    if (code != kLadOk) return code;
    names_.push_back(std::move(name));
  }

  const bool closed = BuildSequenceStarts(
      FrameCount(), SequenceCount(), [this](uint32_t i) { return frames_[i].IsClosing(); }, &sequenceStarts_,
      &longestSequence_);
  return closed ? kLadOk : kLadFewSequences;
}

int32_t LadAnimation::GetSequenceStart(int32_t sequence) const {
  return SequenceStartOf(sequenceStarts_, sequence);
}

int32_t LadAnimation::GetSequenceEnd(int32_t sequence) const {
  return SequenceEndOf(sequenceStarts_, FrameCount(), sequence);
}

int32_t LadAnimation::FindSequence(int32_t frame, int32_t* offset) const {
  return FindSequenceOf(sequenceStarts_, FrameCount(), frame, offset);
}

const uint8_t* LadAnimation::PoolAt(uint32_t frame, uint32_t* available) const {
  if (available) *available = 0;
  // The sentinel has no pool data.
  if (frames_.empty() || frame >= frames_.size() - 1) return nullptr;
  const uint32_t offset = frames_[frame].poolOffset;
  if (offset >= pool_.size()) return nullptr;
  if (available) *available = uint32_t(pool_.size()) - offset;
  return pool_.data() + offset;
}

}  // namespace orrivel
