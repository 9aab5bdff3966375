// The frame's block inside a save: written and read field by field, so the
// stored layout never depends on how the records sit in memory. A block is
// read whole into staging records before anything of the running frame
// changes; a block that does not hold together changes nothing.
#include <cstring>

#include "frame/TgsFrame.h"
#include "scene/CanvasDrawObject.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint32_t kScalarBytes = 288;
constexpr uint32_t kWindowBytes = 48;
constexpr uint32_t kModuleNameBytes = 3;
constexpr size_t kSpriteFieldBytes = 136;
constexpr size_t kLoopNameBytes = 253;  // n = name + NUL + mode byte fits a byte  // u16 length and the NUL
constexpr uint32_t kFixedBytes = kScalarBytes + TgsFrameRecords::kLayerSets * TgsFrameRecords::kLayerRecordBytes +
                                 TgsFrameRecords::kSpriteSlots * TgsFrameRecords::kSpriteRecordBytes +
                                 kWindowBytes + 1;
static_assert(kFixedBytes == 3665);

void PutI32At(uint8_t* block, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + i] = uint8_t(uint32_t(value) >> (8 * i));
}

int32_t I32At(const uint8_t* block, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(block[offset + i]) << (8 * i);
  return int32_t(value);
}

// A text stored with its NUL behind a length byte; the text is cut to
// `limit` characters of room (the NUL included in the byte count).
std::string Capped(const std::string& text, size_t limit) {
  const size_t end = text.find('\0');
  std::string cut = text.substr(0, end == std::string::npos ? text.size() : end);
  if (cut.size() > limit) cut.resize(limit);
  return cut;
}

void PutShortText(ByteWriter& out, const std::string& text) {
  if (text.empty()) {
    out.U8(0);
    return;
  }
  out.U8(uint8_t(text.size() + 1));
  out.Put(text.data(), text.size());
  out.U8(0);
}

// Reads a length byte and that many bytes; the text ends at the first NUL.
bool TakeShortText(SobCursor& in, std::string& text) {
  const uint8_t n = in.U8();
  const uint8_t* bytes = in.Take(n);
  if (!in.Ok()) return false;
  const auto* chars = reinterpret_cast<const char*>(bytes);
  text.assign(chars, n ? strnlen(chars, n) : 0);
  return true;
}

uint64_t ShortTextSize(const std::string& text) { return text.empty() ? 1 : 2 + text.size(); }

// The byte count of the module state at the cursor, walked without
// loading anything; 0 when it does not hold together.
uint64_t MeasureModuleState(SobCursor in) {
  const uint64_t start = in.Position();
  for (int list = 0; list < 2; ++list) {
    const uint32_t count = in.U32();
    if (!in.Ok() || uint64_t(count) * kModuleNameBytes > in.Remaining()) return 0;
    for (uint32_t i = 0; i < count; ++i) in.Take(in.U16());
  }
  const uint32_t depth = in.U32();
  if (!in.Ok() || depth > TgsModule::kCallDepth) return 0;
  in.Take(8 * uint64_t(depth) + 8);
  return in.Ok() ? in.Position() - start : 0;
}

struct TailParts {
  const TgsFrameRecords& records;
  uint64_t ChoiceSize() const {
    if (!records.choiceListShown || records.window.choices.empty()) return 1;
    uint64_t size = 5;
    for (const TgsSavedChoice& choice : records.window.choices) size += 7 + Capped(choice.text, 254).size();
    return size;
  }
  uint64_t PageSize() const {
    const TgsWindowContents& window = records.window;
    if (window.pageText.empty()) return 4;
    return 4 + window.pageText.size() +
           ShortTextSize(Capped(window.firstName, TgsFrameRecords::kFirstNameCharacters)) +
           ShortTextSize(Capped(window.secondName, TgsFrameRecords::kSecondNameCharacters));
  }
};

void WriteScalars(ByteWriter& out, const TgsFrameRecords& records) {
  uint8_t block[kScalarBytes] = {};
  PutI32At(block, 0, records.resumePoint);
  std::memcpy(block + 4, records.layerSettings.data(), records.layerSettings.size());
  for (size_t i = 0; i < records.quakeFilter.size(); ++i) PutI32At(block, 12 + 4 * i, records.quakeFilter[i]);
  PutI32At(block, 36, records.windowEntry);
  PutI32At(block, 40, records.musicNumber);
  PutI32At(block, 44, records.soundChannel);
  block[53] = records.choiceListShown;
  block[54] = records.pageStateFlag;
  PutI32At(block, 56, records.pageStateWord);
  for (size_t i = 0; i < records.effectSlots.size(); ++i)
    std::memcpy(block + 60 + i * TgsFrameRecords::kEffectRecordBytes, records.effectSlots[i].data(),
                TgsFrameRecords::kEffectRecordBytes);
  out.Put(block, sizeof block);
}

void ReadScalars(const uint8_t* block, TgsFrameRecords& records) {
  records.resumePoint = I32At(block, 0);
  std::memcpy(records.layerSettings.data(), block + 4, records.layerSettings.size());
  for (size_t i = 0; i < records.quakeFilter.size(); ++i) records.quakeFilter[i] = I32At(block, 12 + 4 * i);
  records.windowEntry = I32At(block, 36);
  records.musicNumber = I32At(block, 40);
  records.soundChannel = I32At(block, 44);
  records.choiceListShown = block[53];
  records.pageStateFlag = block[54];
  records.pageStateWord = I32At(block, 56);
  for (size_t i = 0; i < records.effectSlots.size(); ++i)
    std::memcpy(records.effectSlots[i].data(), block + 60 + i * TgsFrameRecords::kEffectRecordBytes,
                TgsFrameRecords::kEffectRecordBytes);
}

void WriteWindowBlock(ByteWriter& out, const TgsFrameRecords& records) {
  uint8_t block[kWindowBytes] = {};
  int32_t zoomBits = 0;
  std::memcpy(&zoomBits, &records.windowZoom, 4);
  PutI32At(block, 32, zoomBits);
  PutI32At(block, 36, records.windowAngle);
  PutI32At(block, 40, records.windowCentreX);
  PutI32At(block, 44, records.windowCentreY);
  out.Put(block, sizeof block);
}

void ReadWindowBlock(const uint8_t* block, TgsFrameRecords& records) {
  const int32_t zoomBits = I32At(block, 32);
  std::memcpy(&records.windowZoom, &zoomBits, 4);
  records.windowAngle = I32At(block, 36);
  records.windowCentreX = I32At(block, 40);
  records.windowCentreY = I32At(block, 44);
}

void WriteTail(ByteWriter& out, const TgsFrameRecords& records) {
  const TailParts parts{records};
  out.U32(uint32_t(parts.ChoiceSize() + parts.PageSize()));
  const TgsWindowContents& window = records.window;
  if (parts.ChoiceSize() == 1) {
    out.U8(0);
  } else {
    out.U8(uint8_t(window.choices.size()));
    out.U32(window.layoutWord);
    for (const TgsSavedChoice& choice : window.choices) {
      out.U32(choice.value);
      out.U8(choice.enabled ? 1 : 0);
      const std::string text = Capped(choice.text, 254);
      out.U8(uint8_t(text.size() + 1));
      out.Put(text.data(), text.size());
      out.U8(0);
    }
  }
  if (window.pageText.empty()) {
    out.U32(0);
    return;
  }
  out.U32(uint32_t(window.pageText.size()));
  out.Put(window.pageText.data(), window.pageText.size());
  PutShortText(out, Capped(window.firstName, TgsFrameRecords::kFirstNameCharacters));
  PutShortText(out, Capped(window.secondName, TgsFrameRecords::kSecondNameCharacters));
}

// The tail must fill its length word exactly: parts that run past it, or
// leave bytes behind, refuse the block.
bool ReadTail(SobCursor& outer, TgsWindowContents& window) {
  const uint32_t length = outer.U32();
  const uint8_t* bytes = outer.Take(length);
  if (!outer.Ok()) return false;
  window = {};
  if (length == 0) return true;
  SobCursor in(bytes, length);
  const uint8_t count = in.U8();
  if (count > 0) {
    window.layoutWord = in.U32();
    window.choices.resize(count);
    for (TgsSavedChoice& choice : window.choices) {
      choice.value = in.U32();
      choice.enabled = in.U8() != 0;
      if (!TakeShortText(in, choice.text)) return false;
    }
  }
  const uint32_t pageBytes = in.U32();
  if (!in.Ok()) return false;
  if (pageBytes > 0) {
    const uint8_t* page = in.Take(pageBytes);
    if (!in.Ok()) return false;
    window.pageText.assign(page, page + pageBytes);
    if (!TakeShortText(in, window.firstName) || !TakeShortText(in, window.secondName)) return false;
  }
  return in.Ok() && in.Remaining() == 0;
}

}  // namespace

uint32_t TgsFrame::GetSaveSize(bool withHistory) const {
  (void)withHistory;  // no history block is written yet (see SaveTo)
  uint64_t size = GetStateSize() + kFixedBytes;
  for (const TgsLoopSound& sound : records_.loopSounds)
    size += sound.name.empty() ? 1 : 3 + Capped(sound.name, kLoopNameBytes).size();
  size += ShortTextSize(Capped(records_.caption, TgsFrameRecords::kCaptionCharacters));
  const TailParts parts{records_};
  size += 4 + parts.ChoiceSize() + parts.PageSize();
  return uint32_t(size);
}

int32_t TgsFrame::SaveTo(ByteWriter& out, bool withHistory) const {
  (void)withHistory;
  if (SaveState(out) != 0) return 2;
  WriteScalars(out, records_);
  for (const auto& layer : records_.layers) out.Put(layer.data(), layer.size());
  for (const auto& sprite : records_.sprites) {
    // The last four bytes of a slot record are reserved.
    out.Put(sprite.data(), kSpriteFieldBytes);
    out.Zeros(sprite.size() - kSpriteFieldBytes);
  }
  WriteWindowBlock(out, records_);
  // The history block joins here once the frame keeps its own history;
  // until then the flag says none follows.
  out.U8(0);
  for (const TgsLoopSound& sound : records_.loopSounds) {
    if (sound.name.empty()) {
      out.U8(0);
      continue;
    }
    // n, then the name with its NUL (n - 1 bytes), then the load mode.
    const std::string name = Capped(sound.name, kLoopNameBytes);
    out.U8(uint8_t(name.size() + 2));
    out.Put(name.data(), name.size());
    out.U8(0);
    out.U8(sound.loadMode);
  }
  PutShortText(out, Capped(records_.caption, TgsFrameRecords::kCaptionCharacters));
  WriteTail(out, records_);
  return out.Ok() ? 0 : 2;
}

int32_t TgsFrame::LoadFrom(SobCursor& in) {
  const uint64_t moduleBytes = MeasureModuleState(in);
  if (moduleBytes == 0) return kLoadDamaged;
  const uint8_t* moduleState = in.Take(moduleBytes);
  TgsFrameRecords staged;
  const uint8_t* fixed = in.Take(kFixedBytes);
  if (!in.Ok()) return kLoadDamaged;
  ReadScalars(fixed, staged);
  const uint8_t* at = fixed + kScalarBytes;
  for (auto& layer : staged.layers) {
    std::memcpy(layer.data(), at, layer.size());
    at += layer.size();
  }
  for (auto& sprite : staged.sprites) {
    std::memcpy(sprite.data(), at, kSpriteFieldBytes);
    at += sprite.size();
  }
  ReadWindowBlock(at, staged);
  // A history block cannot be taken back until the frame keeps a history.
  if (at[kWindowBytes] != 0) return 2;
  for (TgsLoopSound& sound : staged.loopSounds) {
    const uint8_t n = in.U8();
    if (n == 0) continue;
    if (n < 2) return kLoadDamaged;
    const uint8_t* bytes = in.Take(n);
    if (!in.Ok()) return kLoadDamaged;
    const auto* name = reinterpret_cast<const char*>(bytes);
    sound.name.assign(name, strnlen(name, n - 1));
    sound.loadMode = bytes[n - 1];
  }
  if (!TakeShortText(in, staged.caption) || !ReadTail(in, staged.window)) return kLoadDamaged;

  // Everything parsed: the modules go first, as they can still refuse.
  std::vector<uint8_t> previous(CurrentModule() ? GetStateSize() : 0);
  ByteWriter backup(previous.data(), previous.size());
  const bool hadModule = CurrentModule() != nullptr && SaveState(backup) == 0;
  SobCursor modules(moduleState, moduleBytes);
  if (LoadState(modules) != 0) return 1;
  uint32_t readAt = 0;
  if (staged.resumePoint >= 0) {
    const int32_t offset = GetResumePoint(uint32_t(staged.resumePoint));
    readAt = offset < 0 ? 0 : TextAddress(offset);
    if (readAt == 0) {
      SobCursor back(previous.data(), previous.size());
      if (!hadModule || LoadState(back) != 0) Unload();
      return 3;
    }
  }
  if (readAt) SetReadPosition(readAt);
  records_ = std::move(staged);
  reapplyPending_ = true;
  return 0;
}

int32_t TgsFrame::ReapplyState() {
  reapplyPending_ = false;
  // The looping sounds play again when the frame's sound channels replay
  // them; the window's contents stay in the records for the window.
  return 0;
}

int32_t TgsFrame::DrawPageCanvas() {
  if (canvas_.object == nullptr) return 1;
  // The whole canvas is marked, so the next present composes all of it.
  canvas_.object->NotifySurfacesChanged();
  return 0;
}

}  // namespace orrivel
