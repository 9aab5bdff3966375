// The frame's block inside a save: written and read field by field, so the
// stored layout never depends on how the records sit in memory. A block is
// read whole into staging records before anything of the running frame
// changes; a block that does not hold together changes nothing.
#include <cstring>
#include <span>
#include <string_view>

#include "base/Cp932.h"
#include "frame/MessageTextWindow.h"
#include "frame/TgsFrame.h"
#include "resource/ByteCursor.h"
#include "scene/CanvasDrawObject.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint32_t kScalarBytes = 288;
constexpr uint32_t kWindowBytes = 48;
constexpr uint32_t kModuleNameBytes = 3;
constexpr size_t kEffectsAt = 60;
constexpr size_t kEffectBytes = TgsFrameRecords::kEffectRecordBytes;
// n counts the name, its NUL and the mode byte, and n is one byte.
constexpr size_t kLoopNameBytes = 253;
constexpr uint32_t kFixedBytes = kScalarBytes + TgsFrameRecords::kLayerSets * TgsFrameRecords::kLayerRecordBytes +
                                 TgsFrameRecords::kSpriteSlots * TgsFrameRecords::kSpriteRecordBytes +
                                 kWindowBytes + 1;
static_assert(kFixedBytes == 3665);
// CP932: the ideographic space, and the brackets around a comment's name.
constexpr std::string_view kIdeographicSpace = "\x81\x40";
constexpr const char* kNameOpen = "\x81\x79";
constexpr const char* kNameClose = "\x81\x7A";

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

// One fixed-size stored record, its fields put at their offsets, so the
// layout never depends on how the struct sits in memory; bytes no field
// names stay 0.
class FieldWriter {
 public:
  explicit FieldWriter(uint8_t* block) : block_(block) {}
  void PutI32(size_t at, int32_t value) { PutI32At(block_, at, value); }
  void PutF32(size_t at, float value) {
    int32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    PutI32(at, bits);
  }
  void PutU8(size_t at, uint8_t value) { block_[at] = value; }
  void PutText(size_t at, const char* field, size_t bytes) { std::memcpy(block_ + at, field, bytes); }

 private:
  uint8_t* block_;
};

// The same record read back; bytes no field names are ignored.
class FieldReader {
 public:
  explicit FieldReader(const uint8_t* block) : block_(block) {}
  int32_t I32(size_t at) const { return I32At(block_, at); }
  float F32(size_t at) const {
    const int32_t bits = I32(at);
    float value = 0;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  uint8_t U8(size_t at) const { return block_[at]; }
  // A stored name always comes back NUL-ended, whatever the bytes held.
  void TakeText(size_t at, char* field, size_t bytes) const {
    std::memcpy(field, block_ + at, bytes);
    field[bytes - 1] = '\0';
  }

 private:
  const uint8_t* block_;
};

// The effect slot record: kind, P1-P6, the name.
void PutEffect(FieldWriter f, const EffectSlotRecord& r) {
  f.PutI32(0, r.kind);
  for (size_t i = 0; i < 6; ++i) f.PutI32(4 + 4 * i, r.p[i]);
  f.PutText(28, r.name, sizeof r.name);
}

void TakeEffect(FieldReader f, EffectSlotRecord& r) {
  r.kind = f.I32(0);
  for (size_t i = 0; i < 6; ++i) r.p[i] = f.I32(4 + 4 * i);
  f.TakeText(28, r.name, sizeof r.name);
}

// The layer record: two names, tint and colour, six flag bytes (two zero
// bytes after them), offset, zoom rectangle, rotation and the animation.
void PutLayer(FieldWriter f, const LayerRecord& r) {
  f.PutText(0, r.imageName, sizeof r.imageName);
  f.PutText(32, r.animationName, sizeof r.animationName);
  f.PutI32(64, int32_t(r.tintClass));
  f.PutI32(68, int32_t(r.colour));
  const uint8_t flags[] = {r.captureMask, r.colourMode, r.mirror, r.flip, r.cinemaBars, r.pixelOpStrength};
  for (size_t i = 0; i < std::size(flags); ++i) f.PutU8(72 + i, flags[i]);
  const int32_t words[] = {r.x, r.y, r.zoomLeft, r.zoomTop, r.zoomRight, r.zoomBottom};
  for (size_t i = 0; i < std::size(words); ++i) f.PutI32(80 + 4 * i, words[i]);
  f.PutF32(104, r.rotationScale);
  f.PutI32(108, r.rotationAngle);
  f.PutI32(112, int32_t(r.animationState));
  f.PutI32(116, r.animationSequence);
  f.PutI32(120, r.animationFrame);
}

void TakeLayer(FieldReader f, LayerRecord& r) {
  f.TakeText(0, r.imageName, sizeof r.imageName);
  f.TakeText(32, r.animationName, sizeof r.animationName);
  r.tintClass = uint32_t(f.I32(64));
  r.colour = uint32_t(f.I32(68));
  uint8_t* flags[] = {&r.captureMask, &r.colourMode, &r.mirror, &r.flip, &r.cinemaBars, &r.pixelOpStrength};
  for (size_t i = 0; i < std::size(flags); ++i) *flags[i] = f.U8(72 + i);
  int32_t* words[] = {&r.x, &r.y, &r.zoomLeft, &r.zoomTop, &r.zoomRight, &r.zoomBottom};
  for (size_t i = 0; i < std::size(words); ++i) *words[i] = f.I32(80 + 4 * i);
  r.rotationScale = f.F32(104);
  r.rotationAngle = f.I32(108);
  r.animationState = uint32_t(f.I32(112));
  r.animationSequence = f.I32(116);
  r.animationFrame = f.I32(120);
}

// The sprite slot record: name, character, anchor, base, order, five
// bytes (three zero bytes after them), zoom, the action; 136-139 reserved.
void PutSprite(FieldWriter f, const SpriteSlotRecord& r) {
  f.PutText(0, r.imageName, sizeof r.imageName);
  const int32_t words[] = {r.characterIndex, r.x, r.y, r.baseX, r.baseY, int32_t(r.order)};
  for (size_t i = 0; i < std::size(words); ++i) f.PutI32(32 + 4 * i, words[i]);
  const uint8_t bytes[] = {r.colourMode, r.mirror, r.flip, r.pixelOpStrength, r.alpha};
  for (size_t i = 0; i < std::size(bytes); ++i) f.PutU8(56 + i, bytes[i]);
  f.PutF32(64, r.zoom);
  f.PutI32(68, r.zoomAngle);
  f.PutI32(72, r.zoomCentreX);
  f.PutI32(76, r.zoomCentreY);
  f.PutI32(80, int32_t(r.actionKind));
  f.PutI32(84, r.actionWord);
  f.PutText(88, r.actionName, sizeof r.actionName);
}

void TakeSprite(FieldReader f, SpriteSlotRecord& r) {
  f.TakeText(0, r.imageName, sizeof r.imageName);
  int32_t order = 0;
  int32_t* words[] = {&r.characterIndex, &r.x, &r.y, &r.baseX, &r.baseY, &order};
  for (size_t i = 0; i < std::size(words); ++i) *words[i] = f.I32(32 + 4 * i);
  r.order = uint32_t(order);
  uint8_t* bytes[] = {&r.colourMode, &r.mirror, &r.flip, &r.pixelOpStrength, &r.alpha};
  for (size_t i = 0; i < std::size(bytes); ++i) *bytes[i] = f.U8(56 + i);
  r.zoom = f.F32(64);
  r.zoomAngle = f.I32(68);
  r.zoomCentreX = f.I32(72);
  r.zoomCentreY = f.I32(76);
  r.actionKind = uint32_t(f.I32(80));
  r.actionWord = f.I32(84);
  f.TakeText(88, r.actionName, sizeof r.actionName);
}

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
    PutEffect(FieldWriter(block + kEffectsAt + i * kEffectBytes), records.effectSlots[i]);
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
    TakeEffect(FieldReader(block + kEffectsAt + i * kEffectBytes), records.effectSlots[i]);
}

void WriteRecordBlocks(ByteWriter& out, const TgsFrameRecords& records) {
  for (const LayerRecord& layer : records.layers) {
    uint8_t block[TgsFrameRecords::kLayerRecordBytes] = {};
    PutLayer(FieldWriter(block), layer);
    out.Put(block, sizeof block);
  }
  for (const SpriteSlotRecord& sprite : records.sprites) {
    uint8_t block[TgsFrameRecords::kSpriteRecordBytes] = {};
    PutSprite(FieldWriter(block), sprite);
    out.Put(block, sizeof block);
  }
}

// Reads the layer and sprite records; the next byte after them.
const uint8_t* ReadRecordBlocks(const uint8_t* at, TgsFrameRecords& records) {
  for (LayerRecord& layer : records.layers) {
    TakeLayer(FieldReader(at), layer);
    at += TgsFrameRecords::kLayerRecordBytes;
  }
  for (SpriteSlotRecord& sprite : records.sprites) {
    TakeSprite(FieldReader(at), sprite);
    at += TgsFrameRecords::kSpriteRecordBytes;
  }
  return at;
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

bool TgsFrame::HistoryGoesInSave(bool withHistory) const { return withHistory && history_.Count() > 0; }

uint32_t TgsFrame::GetSaveSize(bool withHistory) const {
  const TgsFrameRecords records = RecordsForSave();
  uint64_t size = GetStateSize() + kFixedBytes;
  if (HistoryGoesInSave(withHistory))
    size += history_.GetSaveSize(history_.OldestSerial(), history_.NewestSerial());
  for (const TgsLoopSound& sound : records.loopSounds)
    size += sound.name.empty() ? 1 : 3 + Capped(sound.name, kLoopNameBytes).size();
  size += ShortTextSize(Capped(records.caption, TgsFrameRecords::kCaptionCharacters));
  const TailParts parts{records};
  size += 4 + parts.ChoiceSize() + parts.PageSize();
  return uint32_t(size);
}

int32_t TgsFrame::SaveTo(ByteWriter& out, bool withHistory) const {
  const TgsFrameRecords records = RecordsForSave();
  if (SaveState(out) != 0) return 2;
  WriteScalars(out, records);
  WriteRecordBlocks(out, records);
  WriteWindowBlock(out, records);
  const bool history = HistoryGoesInSave(withHistory);
  out.U8(history ? 1 : 0);
  if (history && history_.Save(&out, history_.OldestSerial(), history_.NewestSerial()) != 0) return 3;
  for (const TgsLoopSound& sound : records.loopSounds) {
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
  PutShortText(out, Capped(records.caption, TgsFrameRecords::kCaptionCharacters));
  WriteTail(out, records);
  return out.Ok() ? 0 : 2;
}

int32_t TgsFrame::ParseSaveBlock(SobCursor& in, TgsFrameBlock& block) {
  const uint64_t start = in.Position();
  TgsFrameBlockLayout& layout = block.layout;
  const uint64_t moduleBytes = MeasureModuleState(in);
  if (moduleBytes == 0) return kLoadDamaged;
  block.moduleState = {in.Take(moduleBytes), size_t(moduleBytes)};
  layout.records = in.Position() - start;
  TgsFrameRecords& staged = block.records;
  const uint8_t* fixed = in.Take(kFixedBytes);
  if (!in.Ok()) return kLoadDamaged;
  ReadScalars(fixed, staged);
  const uint8_t* window = ReadRecordBlocks(fixed + kScalarBytes, staged);
  ReadWindowBlock(window, staged);
  layout.historyFlag = layout.records + kFixedBytes - 1;
  const uint8_t historyFlag = window[kWindowBytes];
  if (historyFlag > 1) return 2;
  if (historyFlag == 1) {
    // Read once, keeping nothing, to learn that it holds together and where
    // it ends; a frame's own history takes it only on success.
    TextHistoryBuffer scratch;
    ByteCursor reader(in.Here(), in.Remaining());
    if (scratch.Load(&reader, false) != 0) return 2;
    block.history = {in.Here(), size_t(reader.Position())};
    in.Take(reader.Position());
  }
  layout.loopSounds = in.Position() - start;
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
  layout.caption = in.Position() - start;
  if (!TakeShortText(in, staged.caption)) return kLoadDamaged;
  layout.tail = in.Position() - start;
  if (!ReadTail(in, staged.window)) return kLoadDamaged;
  layout.end = in.Position() - start;
  return 0;
}

int32_t TgsFrame::LoadFrom(SobCursor& in) {
  TgsFrameBlock block;
  if (const int32_t code = ParseSaveBlock(in, block); code != 0) return code;
  TgsFrameRecords& staged = block.records;
  const std::span<const uint8_t> historyBlock = block.history;

  // Everything parsed: the modules go first, as they can still refuse.
  std::vector<uint8_t> previous(CurrentModule() ? GetStateSize() : 0);
  ByteWriter backup(previous.data(), previous.size());
  const bool hadModule = CurrentModule() != nullptr && SaveState(backup) == 0;
  SobCursor modules(block.moduleState.data(), block.moduleState.size());
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
  if (!historyBlock.empty()) {
    ByteCursor reader(historyBlock.data(), historyBlock.size());
    history_.Load(&reader, true);
    historyChoice_.reset();
  }
  CommitLoadedRecords(std::move(staged));
  return 0;
}

int32_t TgsFrame::GetCommentText(std::string& out) const {
  const MessageTextWindow* window = CurrentWindow();
  if (!window || !window->HasPageText()) return 1;
  const std::string_view page = window->PageText();
  std::string text;
  size_t at = 0;
  while (at < page.size()) {
    if (page[at] == '\0') {
      // A page command; a damaged one ends the page, as on screen.
      if (at + 1 >= page.size() || page[at + 1] != '[') break;
      const size_t recordAt = at + 2;
      const size_t length = MessageTextWindow::PageCommandLength(
          reinterpret_cast<const uint8_t*>(page.data()) + recordAt, page.size() - recordAt);
      if (length == 0) break;
      at = recordAt + length;
      continue;
    }
    const size_t n = cp932::CharLength(page, at);
    const std::string_view character = page.substr(at, n);
    at += n;
    if (character != kIdeographicSpace) text.append(character);
  }
  if (text.empty()) return 2;
  const std::string& name = window->SpeakerName();
  out = name.empty() ? text : kNameOpen + name + kNameClose + "\n" + text;
  return 0;
}

int32_t TgsFrame::DrawPageCanvas() {
  if (canvas_.object == nullptr) return 1;
  // The whole canvas is marked, so the next present composes all of it.
  canvas_.object->NotifySurfacesChanged();
  return 0;
}

}  // namespace orrivel
