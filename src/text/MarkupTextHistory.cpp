// The history ring of MarkupTextBase: storing pages and their items,
// recalling them, and the ring as saved state.
#include <algorithm>
#include <cstring>

#include "script/ByteWriter.h"
#include "script/SobCursor.h"
#include "text/MarkupTextBase.h"

namespace orrivel {

namespace {

// Entries a saved ring may claim before it is taken as damaged.
constexpr uint32_t kMaxSavedEntries = 1u << 16;

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
  AppendU32(out, uint32_t(size));
  const auto* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}

bool TakeBytes(SobCursor& cursor, std::string& out) {
  const uint32_t size = cursor.U32();
  const uint8_t* bytes = cursor.Take(size);
  if (!bytes) return false;
  out.assign(reinterpret_cast<const char*>(bytes), size);
  return true;
}

}  // namespace

int32_t MarkupTextBase::SlotOf(int32_t n) const {
  const int32_t capacity = int32_t(history_.size());
  return ((historyHead_ - historyCount_ + n) % capacity + capacity) % capacity;
}

MarkupTextBase::HistoryEntry* MarkupTextBase::NewestEntry() {
  if (historyCount_ == 0 || history_.empty()) return nullptr;
  auto& slot = history_[size_t(SlotOf(historyCount_ - 1))];
  return slot ? &*slot : nullptr;
}

bool MarkupTextBase::NewestEntryInUse() const {
  if (!historyEnabled || historyCount_ == 0 || history_.empty()) return false;
  const auto& slot = history_[size_t(SlotOf(historyCount_ - 1))];
  return slot && slot->inUse;
}

int MarkupTextBase::PushHistory() {
  if (!historyEnabled || history_.empty()) return -1;
  HistoryEntry entry;
  entry.name = name_;
  entry.body = body_;
  entry.textMode = textMode_;
  entry.readMarkByte = readMarkByte_;
  entry.readMarkNumber = readMarkNumber_;
  entry.itemFlagMode = kNoItemFlags;
  // The head slot holds the oldest page once the ring is full.
  history_[size_t(historyHead_)] = std::move(entry);
  const int32_t capacity = int32_t(history_.size());
  historyHead_ = (historyHead_ + 1) % capacity;
  historyCount_ = std::min(historyCount_ + 1, capacity);
  recallPosition_ = historyCount_ - 1;
  return 0;
}

int MarkupTextBase::StoreItemsInHistory() {
  if (!historyEnabled) return -1;
  HistoryEntry* entry = NewestEntry();
  if (!entry) return -1;
  if (entry->inUse) return 1;
  // Each item as a record: length (text + 3), an insertion byte (0: the
  // text is stored resolved), the text and its NUL. Items are never longer
  // than kMaxItemLength, so the length always fits its byte.
  std::vector<uint8_t> packed;
  for (const Item& item : items_) {
    const char* text = ItemText(item);
    const size_t length = std::strlen(text);
    packed.push_back(uint8_t(length + 3));
    packed.push_back(0);
    packed.insert(packed.end(), text, text + length + 1);
  }
  entry->packedItems = std::move(packed);
  entry->itemCount = uint32_t(items_.size());
  entry->itemFlagMode = itemFlagMode_;
  entry->itemFlagBase = itemFlagBase_;
  entry->itemLimit = itemLimit_;
  entry->inUse = true;
  return 0;
}

int MarkupTextBase::SetHistoryCapacity(int32_t n) {
  if (n < 0) return 1;
  history_.clear();
  history_.resize(size_t(n));
  historyHead_ = 0;
  historyCount_ = 0;
  recallPosition_ = 0;
  return 0;
}

int MarkupTextBase::RecallHistory(int32_t n) {
  if (n < 0 || n >= historyCount_ || history_.empty()) return 1;
  const auto& slot = history_[size_t(SlotOf(n))];
  if (!slot) return 1;
  const HistoryEntry& entry = *slot;
  std::vector<size_t> offsets;
  if (!WalkPackedItems(entry.packedItems, entry.itemCount, offsets)) return 1;
  readMarkByte_ = entry.readMarkByte;
  readMarkNumber_ = entry.readMarkNumber;
  SetPage(entry.name, entry.body, entry.textMode);
  packedItems_ = entry.packedItems;
  items_.clear();
  for (size_t offset : offsets) items_.push_back(Item{std::nullopt, offset});
  itemFlagMode_ = entry.itemFlagMode;
  itemFlagBase_ = entry.itemFlagBase;
  itemLimit_ = entry.itemLimit;
  recallPosition_ = n;
  ResetCursor();
  return 0;
}

int MarkupTextBase::RecallFirst() { return historyCount_ == 0 ? -1 : RecallHistory(0); }

int MarkupTextBase::RecallLast() { return historyCount_ == 0 ? -1 : RecallHistory(historyCount_ - 1); }

int MarkupTextBase::RecallPrevious() {
  if (historyCount_ == 0 || recallPosition_ <= 0) return -1;
  return RecallHistory(recallPosition_ - 1);
}

int MarkupTextBase::RecallNext() {
  if (historyCount_ == 0 || recallPosition_ >= historyCount_ - 1) return -1;
  return RecallHistory(recallPosition_ + 1);
}

int MarkupTextBase::RecallAt(int32_t n) {
  if (historyCount_ == 0) return -1;
  return RecallHistory(std::clamp(n, 0, historyCount_ - 1));
}

int MarkupTextBase::RecallRelative(int32_t delta) {
  if (historyCount_ == 0) return -1;
  const int64_t target = std::clamp<int64_t>(int64_t(recallPosition_) + delta, 0, historyCount_ - 1);
  return RecallHistory(int32_t(target));
}

// --- saved state ------------------------------------------------------------------
// The ring from the oldest entry: u32 count, then per entry the text mode,
// item flag mode, item flag base (u16), item limit, read-mark byte,
// read-mark number (u16), in-use byte, u32 item count, and the name, body
// and packed items each as u32 size + bytes; last the u32 recall position.

uint64_t MarkupTextBase::GetStateSize() const { return SavedHistory().size(); }

int MarkupTextBase::SaveState(ByteWriter& cursor) const {
  const std::vector<uint8_t> bytes = SavedHistory();
  cursor.Put(bytes.data(), bytes.size());
  return cursor.Ok() ? 0 : 1;
}

std::vector<uint8_t> MarkupTextBase::SavedHistory() const {
  std::vector<uint8_t> out;
  std::vector<const HistoryEntry*> entries;
  if (!history_.empty())
    for (int32_t i = 0; i < historyCount_; ++i)
      if (const auto& slot = history_[size_t(SlotOf(i))]) entries.push_back(&*slot);
  AppendU32(out, uint32_t(entries.size()));
  for (const HistoryEntry* e : entries) {
    std::vector<uint8_t> head{e->textMode, e->itemFlagMode};
    PutU16(head, e->itemFlagBase);
    head.push_back(e->itemLimit);
    head.push_back(e->readMarkByte);
    PutU16(head, e->readMarkNumber);
    head.push_back(e->inUse ? 1 : 0);
    AppendU32(head, e->itemCount);
    out.insert(out.end(), head.begin(), head.end());
    PutBytes(out, e->name.data(), e->name.size());
    PutBytes(out, e->body.data(), e->body.size());
    PutBytes(out, e->packedItems.data(), e->packedItems.size());
  }
  AppendU32(out, uint32_t(std::max(recallPosition_, 0)));
  return out;
}

bool MarkupTextBase::ParseState(SobCursor& cursor, std::vector<HistoryEntry>& entries, uint32_t& position) {
  const uint32_t count = cursor.U32();
  if (!cursor.Ok() || count > kMaxSavedEntries) return false;
  for (uint32_t i = 0; i < count; ++i) {
    HistoryEntry e;
    e.textMode = cursor.U8();
    e.itemFlagMode = cursor.U8();
    e.itemFlagBase = cursor.U16();
    e.itemLimit = cursor.U8();
    e.readMarkByte = cursor.U8();
    e.readMarkNumber = cursor.U16();
    e.inUse = cursor.U8() != 0;
    e.itemCount = cursor.U32();
    std::string packed;
    if (!TakeBytes(cursor, e.name) || !TakeBytes(cursor, e.body) || !TakeBytes(cursor, packed)) return false;
    e.packedItems.assign(packed.begin(), packed.end());
    std::vector<size_t> offsets;
    if (!WalkPackedItems(e.packedItems, e.itemCount, offsets)) return false;
    entries.push_back(std::move(e));
  }
  position = cursor.U32();
  return cursor.Ok();
}

uint64_t MarkupTextBase::MeasureState(SobCursor cursor) {
  const uint64_t start = cursor.Position();
  std::vector<HistoryEntry> entries;
  uint32_t position = 0;
  return ParseState(cursor, entries, position) ? cursor.Position() - start : 0;
}

int MarkupTextBase::LoadState(SobCursor& cursor) {
  const int32_t capacity = int32_t(history_.size());
  SetHistoryCapacity(capacity);
  std::vector<HistoryEntry> entries;
  uint32_t position = 0;
  if (!ParseState(cursor, entries, position)) return 1;
  // A ring smaller than the saved one keeps the newest pages.
  const size_t kept = std::min(entries.size(), size_t(capacity));
  for (size_t i = entries.size() - kept; i < entries.size(); ++i) {
    history_[size_t(historyHead_)] = std::move(entries[i]);
    historyHead_ = (historyHead_ + 1) % capacity;
    ++historyCount_;
  }
  const int64_t shifted = int64_t(position) - int64_t(entries.size() - kept);
  recallPosition_ = historyCount_ == 0 ? 0 : int32_t(std::clamp<int64_t>(shifted, 0, historyCount_ - 1));
  return 0;
}

}  // namespace orrivel
