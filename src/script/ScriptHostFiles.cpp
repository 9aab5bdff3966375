// The ScriptHost's files: the variable file, the state files and the voice
// table.
#include <cstring>
#include <new>

#include "script/ByteWriter.h"
#include "script/PackedBody.h"
#include "script/ScriptHost.h"

namespace orrivel {

namespace {

// Level, enabled and unheard of one voice entry in the variable file.
constexpr uint64_t kVoiceRecordBytes = 6;
constexpr uint8_t kAutoSaveSelector = 1;

}  // namespace

bool ScriptHost::SetVariableFileName(const char* name) {
  if (!name) return false;
  variableFileName_ = name;
  return true;
}

int ScriptHost::SaveAll() {
  const bool variables = !variableFileName_.empty();
  const bool flags = !FlagFileName().empty();
  if (!variables && !flags) return 2;
  int code = 0;
  if (variables && (code = SaveVariableFile(nullptr)) != 0) return code;
  if (flags) code = SaveSceneFlags(nullptr);
  return code;
}

int ScriptHost::SaveVariableFile(const char* name) {
  const std::string fileName = FileNameOr(name);
  if (fileName.empty()) return 1;
  std::vector<uint8_t> file;
  try {
    std::vector<uint8_t> body;
    AppendU32(body, uint32_t(voices_.Entries().size()));
    for (const VoiceEntry& entry : voices_.Entries()) {
      AppendU32(body, entry.level);
      body.push_back(entry.enabled);
      body.push_back(entry.unheard);
    }
    body.push_back(kAutoSaveSelector);
    AppendVariables(body, kAutoSaveSelector, kLive);
    PackedBody packed;
    if (!PackBody(body, packed)) return 2;
    AppendU32(file, uint32_t(packed.stored.size()));
    AppendU32(file, packed.unpackedSize);
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
  } catch (const std::bad_alloc&) {
    return 2;
  }
  return WriteFile(SavePath(fileName), file) ? 0 : 3;
}

int ScriptHost::LoadVariableFile(const char* name) {
  const std::string fileName = FileNameOr(name);
  if (fileName.empty()) return 1;
  ScriptFileBytes file = ReadFile(SavePath(fileName));
  if (!file) return 1;
  SobCursor header(file->data(), file->size());
  const uint32_t storedSize = header.U32();
  const uint32_t unpackedSize = header.U32();
  const uint8_t* stored = header.Take(storedSize);
  if (!header.Ok() || header.Remaining() != 0) return 2;
  std::vector<uint8_t> body;
  if (!UnpackBody(stored, storedSize, unpackedSize, body)) return 2;

  SobCursor cursor(body.data(), body.size());
  const uint32_t voiceCount = cursor.U32();
  const uint8_t* voiceFields = cursor.Take(uint64_t(voiceCount) * kVoiceRecordBytes);
  if (!cursor.Ok()) return 2;
  // Voice settings of another table are skipped; the variables still count.
  if (voiceCount == voices_.Entries().size()) {
    SobCursor fields(voiceFields, uint64_t(voiceCount) * kVoiceRecordBytes);
    for (VoiceEntry& entry : voices_.Entries()) {
      entry.level = fields.U32();
      entry.enabled = fields.U8();
      entry.unheard = fields.U8();
    }
  }
  // A file from before the game's variables changed restores what still
  // matches; the rest keep their values.
  DeserializeVariables(cursor);
  return 0;
}

uint32_t ScriptHost::StrLength(size_t index) const {
  const VariableRecord& record = LiveRecords()[index];
  const uint8_t* bytes = VariableBytes(kLive, index);
  if (!bytes || record.size == 0) return 0;
  // Text without its zero in the buffer is cut to leave room for one.
  const void* zero = std::memchr(bytes, 0, record.size);
  return zero ? uint32_t(static_cast<const uint8_t*>(zero) - bytes) : record.size - 1;
}

int ScriptHost::WriteStateFile(const char* name, uint8_t selector, uint32_t headerInt, uint32_t headerStr,
                               bool fromSnapshot) {
  if (!name || !*name) return 1;
  const auto& records = LiveRecords();
  const int32_t intIndex = headerInt ? FindVariable(headerInt) : -1;
  const int32_t strIndex = headerStr ? FindVariable(headerStr) : -1;
  if (headerInt && (intIndex < 0 || records[size_t(intIndex)].kind != kVariableInt)) return 4;
  if (headerStr && (strIndex < 0 || records[size_t(strIndex)].kind != kVariableStr)) return 4;
  bool any = false;
  for (const VariableRecord& record : records) any = any || SelectorSelects(record, selector);
  if (!any || (fromSnapshot && !SnapshotImage().Kept())) return 2;

  std::vector<uint8_t> file;
  try {
    std::vector<uint8_t> body;
    AppendVariables(body, selector, fromSnapshot ? kSnapshot : kLive);
    PackedBody packed;
    if (!PackBody(body, packed)) return 3;
    AppendU32(file, uint32_t(packed.stored.size()));
    AppendU32(file, packed.unpackedSize);
    if (intIndex >= 0) {
      const uint32_t size = records[size_t(intIndex)].size;
      const uint8_t* bytes = VariableBytes(kLive, size_t(intIndex));
      AppendU32(file, size);
      if (bytes) file.insert(file.end(), bytes, bytes + size);
      else file.insert(file.end(), size, 0);
    } else {
      AppendU32(file, 0);
    }
    if (strIndex >= 0 && records[size_t(strIndex)].size > 0) {
      const uint32_t length = StrLength(size_t(strIndex));
      const uint8_t* bytes = VariableBytes(kLive, size_t(strIndex));
      AppendU32(file, length + 1);
      if (bytes) file.insert(file.end(), bytes, bytes + length);
      else file.insert(file.end(), length, 0);
      file.push_back(0);
    } else {
      AppendU32(file, 0);
    }
    file.push_back(selector);
    uint8_t checksum = 0;
    for (uint8_t byte : packed.stored) checksum = uint8_t(checksum + byte);
    file.push_back(checksum);
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return WriteFile(SavePath(name), file) ? 0 : 1;
}

namespace {

// The fields of a state file, located and checked against its size.
struct StateFileLayout {
  uint32_t storedSize = 0;
  uint32_t unpackedSize = 0;
  uint32_t intSize = 0;
  const uint8_t* intBytes = nullptr;
  uint32_t strSize = 0;
  const uint8_t* strBytes = nullptr;
  uint8_t selector = 0;
  uint8_t checksum = 0;
  const uint8_t* stored = nullptr;
};

// Header fields only (header) or the whole file; false when they run past
// its end, or, for the whole file, when bytes follow the body.
bool ReadLayout(const std::vector<uint8_t>& file, StateFileLayout& layout, bool whole) {
  SobCursor cursor(file.data(), file.size());
  layout.storedSize = cursor.U32();
  layout.unpackedSize = cursor.U32();
  layout.intSize = cursor.U32();
  layout.intBytes = cursor.Take(layout.intSize);
  layout.strSize = cursor.U32();
  layout.strBytes = cursor.Take(layout.strSize);
  if (!whole) return cursor.Ok();
  layout.selector = cursor.U8();
  layout.checksum = cursor.U8();
  layout.stored = cursor.Take(layout.storedSize);
  return cursor.Ok() && cursor.Remaining() == 0;
}

}  // namespace

int ScriptHost::ReadStateFileInfo(const char* name, uint32_t headerInt, uint32_t headerStr) {
  const std::string fileName = FileNameOr(name);
  if (fileName.empty()) return 1;
  ScriptFileBytes file = ReadFile(SavePath(fileName));
  if (!file) return 1;
  StateFileLayout layout;
  if (!ReadLayout(*file, layout, false)) return kStateFileDamaged;

  const auto& records = LiveRecords();
  int32_t intIndex = -1;
  int32_t strIndex = -1;
  if (headerInt) {
    if (layout.intSize == 0) return 2;
    intIndex = FindVariable(headerInt);
    if (intIndex < 0 || records[size_t(intIndex)].kind != kVariableInt) return 3;
    if (layout.intSize > records[size_t(intIndex)].size) return 3;
  }
  if (headerStr) {
    if (layout.strSize == 0) return 2;
    strIndex = FindVariable(headerStr);
    if (strIndex < 0 || records[size_t(strIndex)].kind != kVariableStr) return 3;
    // The text must fit the buffer whole, its zero included.
    if (layout.strSize > records[size_t(strIndex)].size) return 3;
    if (layout.strBytes[layout.strSize - 1] != 0) return kStateFileDamaged;
  }
  if (intIndex >= 0)
    if (uint8_t* target = VariableBytes(kLive, size_t(intIndex))) std::memcpy(target, layout.intBytes, layout.intSize);
  if (strIndex >= 0)
    if (uint8_t* target = VariableBytes(kLive, size_t(strIndex))) std::memcpy(target, layout.strBytes, layout.strSize);
  return 0;
}

int ScriptHost::ReadStateFile(const char* name) {
  const std::string fileName = FileNameOr(name);
  if (fileName.empty()) return 1;
  ScriptFileBytes file = ReadFile(SavePath(fileName));
  if (!file) return 1;
  StateFileLayout layout;
  if (!ReadLayout(*file, layout, true)) return 2;
  uint8_t checksum = 0;
  for (uint32_t i = 0; i < layout.storedSize; ++i) checksum = uint8_t(checksum + layout.stored[i]);
  if (checksum != layout.checksum) return 2;
  std::vector<uint8_t> body;
  if (!UnpackBody(layout.stored, layout.storedSize, layout.unpackedSize, body)) return 2;
  // As far as the body matches the current variables; a mismatch is
  // reported, the variables before it stay restored.
  SobCursor cursor(body.data(), body.size());
  return RestoreVariableBytes(cursor, layout.selector) == 0 ? 0 : 2;
}

int ScriptHost::GetVariableSizes(uint32_t intAddress, uint32_t strAddress, uint32_t* outIntSize,
                                 uint32_t* outStrSize) {
  if (!intAddress && !strAddress) return -1;
  const auto& records = LiveRecords();
  uint32_t intSize = 0;
  uint32_t strSize = 0;
  if (intAddress) {
    const int32_t index = FindVariable(intAddress);
    if (index < 0) return 3;
    if (records[size_t(index)].kind != kVariableInt) return 1;
    intSize = records[size_t(index)].size;
  }
  if (strAddress) {
    const int32_t index = FindVariable(strAddress);
    if (index < 0) return 3;
    if (records[size_t(index)].kind != kVariableStr) return 2;
    strSize = StrLength(size_t(index)) + 1;
  }
  if (outIntSize) *outIntSize = intSize;
  if (outStrSize) *outStrSize = strSize;
  return 0;
}

int ScriptHost::LoadVoiceInfo(const std::string& path) {
  voices_.Clear();
  ScriptFileBytes file = ReadFile(path);
  if (!file) return 0;
  return voices_.Read(file->data(), file->size());
}

}  // namespace orrivel
