// The ScriptContext's operations on its variable images: clearing,
// resetting to initial values, snapshots and serialising a save scope.
#include <cstring>
#include <utility>

#include "script/ScriptContext.h"

namespace orrivel {

namespace {

bool ScopeSelected(uint8_t scope, uint32_t filter) { return filter == 0 || uint32_t(scope) + 1 == filter; }
bool KindSelected(uint8_t kind, uint32_t filter) { return filter == 0 || uint32_t(kind) + 1 == filter; }
bool Serialised(uint8_t kind) { return kind == kVariableInt || kind == kVariableStr; }

}  // namespace

const uint8_t* ScriptContext::VariableBytes(ImageSlot slot, size_t index) const {
  const VariableImage& image = images_[slot];
  if (!image.Kept() || index >= image.records.size()) return nullptr;
  const VariableRecord& record = image.records[index];
  uint32_t address = record.address;
  // A STR variable's bytes are its character buffer, reached through its
  // cell; a script may have written anything into the cell, so the buffer
  // is checked like any other address.
  if (record.kind == kVariableStr && !space_.Read32(record.address, address)) return nullptr;
  return space_.Bytes(address, record.size);
}

uint8_t* ScriptContext::VariableBytes(ImageSlot slot, size_t index) {
  return const_cast<uint8_t*>(std::as_const(*this).VariableBytes(slot, index));
}

void ScriptContext::ClearVariables(uint32_t scopeFilter, uint32_t kindFilter) {
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!ScopeSelected(records[i].scope, scopeFilter) || !KindSelected(records[i].kind, kindFilter)) continue;
    if (uint8_t* bytes = VariableBytes(kLive, i)) std::memset(bytes, 0, records[i].size);
  }
}

void ScriptContext::CopyVariables(ImageSlot from, ImageSlot to, uint32_t scopeFilter, uint32_t kindFilter) {
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!ScopeSelected(records[i].scope, scopeFilter) || !KindSelected(records[i].kind, kindFilter)) continue;
    const uint8_t* source = VariableBytes(from, i);
    uint8_t* target = VariableBytes(to, i);
    if (source && target) std::memmove(target, source, records[i].size);
  }
}

int ScriptContext::ResetVariables(uint32_t scopeFilter, uint32_t kindFilter) {
  if (!images_[kInitial].Kept()) return 1;
  CopyVariables(kInitial, kLive, scopeFilter, kindFilter);
  return 0;
}

int ScriptContext::StoreSnapshot(uint32_t scopeFilter, uint32_t kindFilter) {
  if (!images_[kSnapshot].Kept()) return 1;
  CopyVariables(kLive, kSnapshot, scopeFilter, kindFilter);
  return 0;
}

int ScriptContext::RestoreSnapshot(uint32_t scopeFilter, uint32_t kindFilter) {
  if (!images_[kSnapshot].Kept()) return 1;
  CopyVariables(kSnapshot, kLive, scopeFilter, kindFilter);
  return 0;
}

int ScriptContext::StoreVariableSnapshot(uint32_t address) {
  if (!images_[kSnapshot].Kept()) return 1;
  const int32_t index = FindVariable(address);
  if (index < 0) return 2;
  const uint8_t* source = VariableBytes(kLive, size_t(index));
  uint8_t* target = VariableBytes(kSnapshot, size_t(index));
  if (source && target) std::memmove(target, source, images_[kLive].records[size_t(index)].size);
  return 0;
}

int ScriptContext::QueueVariable(uint32_t address) {
  if (!images_[kSnapshot].Kept()) return 1;
  const int32_t index = FindVariable(address);
  if (index < 0) return 2;
  pending_.push_back(uint32_t(index));
  return 0;
}

bool ScriptContext::SelectorSelects(const VariableRecord& record, uint8_t selector) {
  if (!Serialised(record.kind)) return false;
  switch (selector) {
    case 0: return record.scope == kScopeSave;
    case 1: return record.scope == kScopeAutoSave;
    case kSaveAndAutoSaveSelector: return record.scope == kScopeSave || record.scope == kScopeAutoSave;
    default: return true;
  }
}

uint64_t ScriptContext::GetSerializedSize(uint8_t selector, bool fromSnapshot) const {
  if (fromSnapshot && !images_[kSnapshot].Kept()) return 0;
  uint64_t size = 1;
  for (const VariableRecord& record : images_[kLive].records)
    if (SelectorSelects(record, selector)) size += uint64_t(record.size) + 1;
  return size;
}

void ScriptContext::AppendVariables(std::vector<uint8_t>& out, uint8_t selector, ImageSlot from) const {
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!SelectorSelects(records[i], selector)) continue;
    out.push_back(records[i].kind);
    // Bytes a script has put out of reach are written as zeros, so the
    // stream keeps its layout.
    if (const uint8_t* bytes = VariableBytes(from, i)) out.insert(out.end(), bytes, bytes + records[i].size);
    else out.insert(out.end(), records[i].size, 0);
  }
}

int ScriptContext::SerializeVariables(ByteWriter& cursor, uint8_t selector, bool fromSnapshot) const {
  if (!cursor.HasBuffer()) return 1;
  if (fromSnapshot && !images_[kSnapshot].Kept()) return 2;
  if (cursor.Remaining() < GetSerializedSize(selector, fromSnapshot)) return 3;
  const ImageSlot from = fromSnapshot ? kSnapshot : kLive;
  cursor.U8(selector);
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!SelectorSelects(records[i], selector)) continue;
    cursor.U8(records[i].kind);
    if (const uint8_t* bytes = VariableBytes(from, i)) cursor.Put(bytes, records[i].size);
    else cursor.Zeros(records[i].size);
  }
  return cursor.Ok() ? 0 : 3;
}

int ScriptContext::RestoreVariableBytes(SobCursor& cursor, uint8_t selector) {
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!SelectorSelects(records[i], selector)) continue;
    // Records carry no lengths, so the first variable whose kind byte or
    // bytes are not there ends the restore; the variables before it keep
    // what they got. A game that added variables at the end still finds
    // every older one in a file saved before the change.
    SobCursor work = cursor;
    const uint8_t kind = work.U8();
    const uint8_t* bytes = work.Take(records[i].size);
    if (!work.Ok() || kind != records[i].kind) return 1;
    if (uint8_t* target = VariableBytes(kLive, i)) std::memcpy(target, bytes, records[i].size);
    cursor = work;
  }
  return 0;
}

int ScriptContext::DeserializeVariables(SobCursor& cursor) {
  const uint8_t selector = cursor.U8();
  if (!cursor.Ok()) return 1;
  return RestoreVariableBytes(cursor, selector);
}

}  // namespace orrivel
