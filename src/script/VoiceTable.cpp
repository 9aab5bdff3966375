#include "script/VoiceTable.h"

#include <cstring>
#include <new>

#include "script/SobCursor.h"

namespace orrivel {

namespace {

// Name length, second-name length and prefix count of one entry.
constexpr uint64_t kEntryFixedBytes = 6;

// A zero-terminated text field of `length` bytes: the text before its
// zero. False when the bytes hold no zero.
bool TerminatedText(const uint8_t* bytes, size_t length, std::string& out) {
  const void* zero = length ? std::memchr(bytes, 0, length) : nullptr;
  if (!zero) return false;
  out.assign(reinterpret_cast<const char*>(bytes), static_cast<const uint8_t*>(zero) - bytes);
  return true;
}

}  // namespace

void VoiceTable::Clear() {
  entries_.clear();
  prefixes_.clear();
  extension_.clear();
}

int VoiceTable::Read(const uint8_t* data, size_t size) {
  Clear();
  std::vector<VoiceEntry> entries;
  std::vector<VoicePrefix> prefixes;
  std::string extension;
  try {
    SobCursor cursor(data, size);
    const uint8_t extensionLength = cursor.U8();
    const uint8_t* extensionBytes = cursor.Take(extensionLength);
    if (!cursor.Ok() || extensionLength > kExtensionBytes) return kDamaged;
    if (extensionLength && !TerminatedText(extensionBytes, extensionLength, extension)) return kDamaged;
    const uint32_t prefixCount = cursor.U32();
    const uint32_t entryCount = cursor.U32();
    if (!cursor.Ok() || uint64_t(entryCount) * kEntryFixedBytes > cursor.Remaining()) return kDamaged;
    entries.resize(entryCount);
    for (uint32_t index = 0; index < entryCount; ++index) {
      VoiceEntry& entry = entries[index];
      const uint8_t nameLength = cursor.U8();
      const uint8_t* name = cursor.Take(nameLength);
      const uint8_t secondLength = cursor.U8();
      const uint8_t* second = cursor.Take(secondLength);
      const uint32_t count = cursor.U32();
      if (!cursor.Ok()) return kDamaged;
      entry.name.assign(reinterpret_cast<const char*>(name), nameLength);
      if (secondLength > 1) entry.secondName.emplace(reinterpret_cast<const char*>(second), secondLength);
      if (secondLength > 0) entry.unheard = 1;
      // Each prefix takes at least its length byte; no more than P in all.
      if (count > cursor.Remaining() || uint64_t(prefixes.size()) + count > prefixCount) return kDamaged;
      for (uint32_t i = 0; i < count; ++i) {
        const uint8_t length = cursor.U8();
        const uint8_t* bytes = cursor.Take(length);
        VoicePrefix prefix;
        prefix.entry = index;
        if (!cursor.Ok() || !TerminatedText(bytes, length, prefix.prefix)) return kDamaged;
        prefixes.push_back(std::move(prefix));
      }
    }
    if (cursor.Remaining() != 0) return kDamaged;
  } catch (const std::bad_alloc&) {
    return kDamaged;
  }
  entries_ = std::move(entries);
  prefixes_ = std::move(prefixes);
  extension_ = std::move(extension);
  return kOk;
}

int32_t VoiceTable::FindPrefixForCue(std::string_view cue) const {
  for (size_t i = 0; i < prefixes_.size(); ++i)
    if (cue.substr(0, prefixes_[i].prefix.size()) == prefixes_[i].prefix) return int32_t(i);
  return -1;
}

int32_t VoiceTable::FindEntryForCue(std::string_view cue) const {
  const int32_t index = FindPrefixForCue(cue);
  return index < 0 ? -1 : int32_t(prefixes_[size_t(index)].entry);
}

}  // namespace orrivel
