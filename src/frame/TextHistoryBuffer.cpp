#include "frame/TextHistoryBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/Cp932.h"

namespace orrivel {
namespace {

// Fixed bytes of each saved entry beside its strings and text.
constexpr uint64_t kTextFixedBytes = 1 + 1 + 1 + 4 + 4 + 1;  // kind, L1, L2, N, height, group
constexpr uint64_t kChoiceFixedBytes = 1 + 4 + 4;           // kind, count, selected
constexpr uint64_t kSceneFixedBytes = 1 + 1 + 44 + 1;       // kind, L, words, item count
constexpr uint64_t kItemFixedBytes = 1 + 36;                // L, words

// Length byte of a stored string: its bytes and the zero, 0 for none.
uint64_t StringField(const std::string& text) { return text.empty() ? 0 : text.size() + 1; }

void WriteString(ByteWriter& writer, const std::string& text) {
  writer.U8(uint8_t(StringField(text)));
  if (!text.empty()) {
    writer.Put(text.data(), text.size());
    writer.U8(0);
  }
}

// A length byte and that many bytes; the string ends at its first zero.
bool ReadString(ByteCursor& reader, std::string& out, size_t limit) {
  uint8_t length = 0;
  if (!reader.ReadU8(&length) || length > reader.Remaining()) return false;
  const char* bytes = reinterpret_cast<const char*>(reader.Here());
  out.assign(bytes, strnlen(bytes, length));
  if (out.size() > limit) out = CutHistoryString(out.c_str(), limit);
  return reader.Skip(length);
}

void WriteBackground(ByteWriter& writer, const SceneBackgroundState& s) {
  for (uint32_t word : {s.colour, uint32_t(s.colourMode), uint32_t(s.mirror), uint32_t(s.flip),
                        uint32_t(s.cinemaBars), uint32_t(s.pixelOpLevel), uint32_t(s.x), uint32_t(s.y),
                        uint32_t(s.tintClass), std::bit_cast<uint32_t>(s.rotationScale),
                        uint32_t(s.rotationAngle)})
    writer.U32(word);
}

bool ReadBackground(ByteCursor& reader, SceneBackgroundState& s) {
  uint32_t scale = 0;
  const bool ok = reader.ReadU32(&s.colour) && reader.ReadS32(&s.colourMode) && reader.ReadS32(&s.mirror) &&
                  reader.ReadS32(&s.flip) && reader.ReadS32(&s.cinemaBars) && reader.ReadS32(&s.pixelOpLevel) &&
                  reader.ReadS32(&s.x) && reader.ReadS32(&s.y) && reader.ReadS32(&s.tintClass) &&
                  reader.ReadU32(&scale) && reader.ReadS32(&s.rotationAngle);
  s.rotationScale = std::bit_cast<float>(scale);
  return ok;
}

void WriteItem(ByteWriter& writer, const SceneSpriteState& s) {
  WriteString(writer, s.name);
  for (uint32_t word : {uint32_t(s.x), uint32_t(s.y), uint32_t(s.colourMode), uint32_t(s.mirror),
                        uint32_t(s.flip), uint32_t(s.pixelOpLevel), uint32_t(s.alpha),
                        std::bit_cast<uint32_t>(s.zoom), uint32_t(s.angle)})
    writer.U32(word);
}

bool ReadItem(ByteCursor& reader, SceneSpriteState& s) {
  uint32_t zoom = 0;
  const bool ok = ReadString(reader, s.name, TextHistoryBuffer::kMaxNameBytes) && reader.ReadS32(&s.x) &&
                  reader.ReadS32(&s.y) && reader.ReadS32(&s.colourMode) && reader.ReadS32(&s.mirror) &&
                  reader.ReadS32(&s.flip) && reader.ReadS32(&s.pixelOpLevel) && reader.ReadS32(&s.alpha) &&
                  reader.ReadU32(&zoom) && reader.ReadS32(&s.angle);
  s.zoom = std::bit_cast<float>(zoom);
  return ok;
}

uint64_t EntrySaveSize(const TextHistoryEntry& entry) {
  if (const auto* text = entry.Text())
    return kTextFixedBytes + StringField(text->name) + StringField(text->voice) + text->text.size();
  if (const auto* choices = entry.Choices()) {
    uint64_t size = kChoiceFixedBytes;
    for (const HistoryChoice& choice : choices->choices) size += choice.text.size() + 3;
    return size;
  }
  const HistorySceneRecord& scene = *entry.Scene();
  uint64_t size = kSceneFixedBytes + StringField(scene.background);
  for (const SceneSpriteState& item : scene.items) size += kItemFixedBytes + StringField(item.name);
  return size;
}

void WriteEntry(ByteWriter& writer, const TextHistoryEntry& entry) {
  writer.U8(entry.kind);
  if (const auto* text = entry.Text()) {
    WriteString(writer, text->name);
    WriteString(writer, text->voice);
    writer.U32(uint32_t(text->text.size()));
    writer.Put(text->text.data(), text->text.size());
    writer.U32(uint32_t(text->lineHeight));
    writer.U8(text->group);
  } else if (const auto* choices = entry.Choices()) {
    writer.U32(uint32_t(choices->choices.size()));
    writer.U32(uint32_t(choices->selected));
    for (const HistoryChoice& choice : choices->choices) {
      writer.U8(uint8_t(choice.text.size() + 2));
      writer.U8(choice.enabled ? 1 : 0);
      writer.Put(choice.text.data(), choice.text.size());
      writer.U8(0);
    }
  } else {
    const HistorySceneRecord& scene = *entry.Scene();
    WriteString(writer, scene.background);
    WriteBackground(writer, scene.state);
    writer.U8(uint8_t(scene.items.size()));
    for (const SceneSpriteState& item : scene.items) WriteItem(writer, item);
  }
}

// The visible slots of a group, largest order first, at most limit.
void TakeVisible(std::span<const SceneSlotSource> slots, size_t limit, std::vector<SceneSpriteState>& out) {
  std::vector<const SceneSlotSource*> visible;
  for (const SceneSlotSource& slot : slots)
    if (slot.spriteId >= 0 && !slot.sprite.name.empty()) visible.push_back(&slot);
  std::stable_sort(visible.begin(), visible.end(),
                   [](const SceneSlotSource* a, const SceneSlotSource* b) { return a->order > b->order; });
  if (visible.size() > limit) visible.resize(limit);
  for (const SceneSlotSource* slot : visible) {
    SceneSpriteState item = slot->sprite;
    item.name = CutHistoryString(item.name.c_str(), TextHistoryBuffer::kMaxNameBytes);
    item.x = slot->sprite.x - slot->baseX;
    item.y = slot->sprite.y - slot->baseY;
    out.push_back(std::move(item));
  }
}

}  // namespace

std::string CutHistoryString(const char* text, size_t limit) {
  if (!text) return {};
  const std::string_view whole(text, strlen(text));
  size_t at = 0;
  while (at < whole.size()) {
    const size_t step = cp932::CharLength(whole, at);
    if (at + step > limit) break;
    at += step;
  }
  return std::string(whole.substr(0, at));
}

int32_t TextHistoryBuffer::SetCapacity(int32_t n) {
  if (n == capacity_) return 0;
  openChoice_ = -1;
  if (n < 1) {
    FreeAll();
    return 0;
  }
  std::vector<std::unique_ptr<TextHistoryEntry>> kept(static_cast<size_t>(n));
  const int32_t keep = std::min(count_, n);
  for (int32_t i = 0; i < keep; ++i)
    kept[size_t(i)] = std::move(entries_[size_t((head_ + count_ - keep + i) % capacity_)]);
  entries_ = std::move(kept);
  capacity_ = n;
  count_ = keep;
  head_ = 0;
  return 0;
}

void TextHistoryBuffer::Clear() {
  for (auto& entry : entries_) entry.reset();
  count_ = 0;
  head_ = 0;
  openChoice_ = -1;
}

void TextHistoryBuffer::FreeAll() {
  entries_.clear();
  capacity_ = count_ = head_ = 0;
  openChoice_ = -1;
}

TextHistoryEntry& TextHistoryBuffer::NewEntry() {
  size_t slot;
  if (count_ < capacity_) {
    slot = size_t(count_++);
  } else {
    slot = size_t(head_);
    head_ = (head_ + 1) % capacity_;
  }
  // A full ring drops its oldest entry; an open choice entry may be it.
  if (entries_[slot] && openChoice_ >= 0 && entries_[slot]->serial == openSerial_) openChoice_ = -1;
  entries_[slot] = std::make_unique<TextHistoryEntry>();
  entries_[slot]->serial = nextSerial_++;
  return *entries_[slot];
}

int32_t TextHistoryBuffer::AddEntry(const uint8_t* text, uint32_t length, int32_t lineHeight, const char* name,
                                    const char* voice, uint8_t group) {
  if (!text) return 1;
  if (capacity_ < 1) return 2;
  HistoryTextRecord record;
  record.text.assign(text, text + length);
  record.lineHeight = lineHeight;
  record.name = CutHistoryString(name, kMaxNameBytes);
  record.voice = CutHistoryString(voice, kMaxNameBytes);
  record.group = group;
  TextHistoryEntry& entry = NewEntry();
  entry.kind = TextHistoryEntry::kText;
  entry.record = std::move(record);
  return 0;
}

int32_t TextHistoryBuffer::BeginChoices(int32_t n) {
  if (n < 1) return 1;
  if (capacity_ < 1) return 2;
  if (openChoice_ >= 0) return 3;
  TextHistoryEntry& entry = NewEntry();
  entry.kind = TextHistoryEntry::kChoices;
  HistoryChoiceRecord record;
  record.count = n;
  entry.record = std::move(record);
  openChoice_ = 0;
  openSerial_ = entry.serial;
  return 0;
}

TextHistoryEntry* TextHistoryBuffer::Find(uint32_t serial) {
  for (int32_t i = 0; i < count_; ++i) {
    TextHistoryEntry* entry = entries_[size_t((head_ + i) % capacity_)].get();
    if (entry && entry->serial == serial) return entry;
  }
  return nullptr;
}

const TextHistoryEntry* TextHistoryBuffer::FindSerial(uint32_t serial) const {
  return const_cast<TextHistoryBuffer*>(this)->Find(serial);
}

int32_t TextHistoryBuffer::AddChoice(const char* text, bool enabled) {
  if (!text) return 1;
  TextHistoryEntry* entry = openChoice_ >= 0 ? Find(openSerial_) : nullptr;
  if (!entry) return 2;
  auto& record = std::get<HistoryChoiceRecord>(entry->record);
  if (openChoice_ >= record.count) return 3;
  record.choices.push_back({enabled, CutHistoryString(text, kMaxChoiceBytes)});
  ++openChoice_;
  return 0;
}

int32_t TextHistoryBuffer::EndChoices(uint32_t* serial) {
  if (openChoice_ <= 0) return 1;
  if (serial) *serial = openSerial_;
  openChoice_ = -1;
  return 0;
}

int32_t TextHistoryBuffer::SetChoiceTaken(uint32_t serial, int32_t index) {
  TextHistoryEntry* entry = Find(serial);
  if (!entry || entry->kind != TextHistoryEntry::kChoices) return 1;
  std::get<HistoryChoiceRecord>(entry->record).selected = index;
  return 0;
}

int32_t TextHistoryBuffer::AddSceneEntry(const SceneLayerSource* background,
                                         std::span<const SceneSlotSource> characters,
                                         std::span<const SceneSlotSource> second,
                                         std::span<const SceneSlotSource> third) {
  if (!background) return 1;
  if (capacity_ < 1) return 2;
  HistorySceneRecord record;
  record.background = CutHistoryString(background->name.c_str(), kMaxNameBytes);
  record.state = background->state;
  TakeVisible(third, kGroupItems, record.items);
  TakeVisible(characters, kCharacterItems, record.items);
  TakeVisible(second, kGroupItems, record.items);
  TextHistoryEntry& entry = NewEntry();
  entry.kind = TextHistoryEntry::kScene;
  entry.record = std::move(record);
  return 0;
}

const TextHistoryEntry* TextHistoryBuffer::GetEntry(int32_t i) const {
  if (entries_.empty() || i < 0 || i >= count_) return nullptr;
  return entries_[size_t((head_ + i) % capacity_)].get();
}

uint32_t TextHistoryBuffer::OldestSerial() const {
  const TextHistoryEntry* entry = GetEntry(0);
  return entry ? entry->serial : 0;
}

uint32_t TextHistoryBuffer::NewestSerial() const {
  const TextHistoryEntry* entry = GetEntry(count_ - 1);
  return entry ? entry->serial : 0;
}

bool TextHistoryBuffer::InRange(uint32_t serial, uint32_t first, uint32_t last) const {
  return serial >= first && serial <= last;
}

template <typename Visit>
void TextHistoryBuffer::ForEachSaved(uint32_t first, uint32_t last, Visit visit) const {
  for (int32_t i = 0; i < count_; ++i) {
    const TextHistoryEntry* entry = GetEntry(i);
    if (!entry || !InRange(entry->serial, first, last)) continue;
    visit(*entry);
    if (entry->serial == last) break;
  }
}

uint64_t TextHistoryBuffer::GetSaveSize(uint32_t first, uint32_t last) const {
  if (entries_.empty()) return 0;
  uint64_t size = 4;
  ForEachSaved(first, last, [&](const TextHistoryEntry& entry) { size += EntrySaveSize(entry); });
  return size;
}

int32_t TextHistoryBuffer::Save(ByteWriter* writer, uint32_t first, uint32_t last) const {
  if (!writer || !writer->HasBuffer() || entries_.empty()) return 1;
  uint32_t count = 0;
  ForEachSaved(first, last, [&](const TextHistoryEntry&) { ++count; });
  writer->U32(count);
  ForEachSaved(first, last, [&](const TextHistoryEntry& entry) { WriteEntry(*writer, entry); });
  return writer->Ok() ? 0 : 2;
}

int32_t TextHistoryBuffer::Load(ByteCursor* reader, bool restore) {
  if (!reader) return 1;
  Clear();
  nextSerial_ = 0;
  restore = restore && capacity_ > 0;
  uint32_t count = 0;
  if (!reader->ReadU32(&count)) return kDamaged;
  auto damaged = [this] {
    Clear();
    nextSerial_ = 0;
    return kDamaged;
  };
  for (uint32_t e = 0; e < count; ++e) {
    uint8_t kind = 0;
    if (!reader->ReadU8(&kind)) return damaged();
    if (kind == TextHistoryEntry::kText) {
      HistoryTextRecord text;
      uint32_t length = 0;
      if (!ReadString(*reader, text.name, kMaxNameBytes) || !ReadString(*reader, text.voice, kMaxNameBytes) ||
          !reader->ReadU32(&length) || length > reader->Remaining())
        return damaged();
      text.text.assign(reader->Here(), reader->Here() + length);
      reader->Skip(length);
      if (!reader->ReadS32(&text.lineHeight) || !reader->ReadU8(&text.group)) return damaged();
      // Taken as read: a page stored with no text bytes comes back too.
      if (restore) {
        TextHistoryEntry& entry = NewEntry();
        entry.kind = TextHistoryEntry::kText;
        entry.record = std::move(text);
      }
    } else if (kind == TextHistoryEntry::kChoices) {
      uint32_t n = 0;
      int32_t selected = -1;
      // Each stored choice takes at least its length byte.
      if (!reader->ReadU32(&n) || !reader->ReadS32(&selected) || n > reader->Remaining() || n > INT32_MAX)
        return damaged();
      HistoryChoiceRecord record;
      record.count = int32_t(n);
      record.selected = selected;
      for (uint32_t c = 0; c < n; ++c) {
        uint8_t length = 0;
        if (!reader->ReadU8(&length) || length < 1 || length > reader->Remaining()) return damaged();
        const char* bytes = reinterpret_cast<const char*>(reader->Here());
        const std::string text(bytes + 1, strnlen(bytes + 1, length - 1u));
        record.choices.push_back({bytes[0] != 0, CutHistoryString(text.c_str(), kMaxChoiceBytes)});
        reader->Skip(length);
      }
      if (restore && n > 0) {
        TextHistoryEntry& entry = NewEntry();
        entry.kind = TextHistoryEntry::kChoices;
        entry.record = std::move(record);
      }
    } else if (kind == TextHistoryEntry::kScene) {
      HistorySceneRecord scene;
      uint8_t items = 0;
      if (!ReadString(*reader, scene.background, kMaxNameBytes) || !ReadBackground(*reader, scene.state) ||
          !reader->ReadU8(&items))
        return damaged();
      scene.items.resize(items);
      for (SceneSpriteState& item : scene.items)
        if (!ReadItem(*reader, item)) return damaged();
      if (restore) {
        TextHistoryEntry& entry = NewEntry();
        entry.kind = TextHistoryEntry::kScene;
        entry.record = std::move(scene);
      }
    } else {
      return damaged();
    }
  }
  return 0;
}

}  // namespace orrivel
