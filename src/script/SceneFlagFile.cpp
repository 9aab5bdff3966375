#include "script/SceneFlagFile.h"

#include <cstring>
#include <new>

#include "script/ByteWriter.h"
#include "script/PackedBody.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint64_t kHeaderSize = 16;
// L, the two bit counts and the two byte counts of one record.
constexpr uint64_t kRecordFixedBytes = 17;

void PutArray(std::vector<uint8_t>& out, const BitArray& bits) {
  AppendU32(out, bits.BitCount());
  AppendU32(out, bits.ByteCount());
  if (bits.ByteCount()) out.insert(out.end(), bits.Bytes(), bits.Bytes() + bits.ByteCount());
}

struct StoredArray {
  uint32_t bitCount = 0;
  uint32_t byteCount = 0;
  const uint8_t* bytes = nullptr;
};

struct StoredRecord {
  const uint8_t* name = nullptr;
  uint8_t nameLength = 0;
  StoredArray a;
  StoredArray b;
};

bool ReadArray(SobCursor& cursor, StoredArray& array) {
  array.bitCount = cursor.U32();
  array.byteCount = cursor.U32();
  array.bytes = cursor.Take(array.byteCount);
  // A record must hold at least the bytes its bit count needs; more are
  // allowed and left unread.
  return cursor.Ok() && array.byteCount >= (uint64_t(array.bitCount) + 7) / 8;
}

bool SameName(const SceneFlagEntry& entry, const StoredRecord& record) {
  return entry.name.size() == record.nameLength &&
         (record.nameLength == 0 || std::memcmp(entry.name.data(), record.name, record.nameLength) == 0);
}

void LoadArray(BitArray& target, const StoredArray& stored) {
  if (stored.bitCount != target.BitCount() || target.ByteCount() == 0) return;
  target.LoadBytes(stored.bytes, target.ByteCount());
}

}  // namespace

int SceneFlagFile::Write(const SceneFlagTable& table, std::vector<uint8_t>& file, const char (&magic)[5]) {
  try {
    std::vector<uint8_t> body;
    uint64_t bodySize = 0;
    for (const SceneFlagEntry& entry : table.entries)
      bodySize += entry.name.size() + entry.a.ByteCount() + entry.b.ByteCount() + kRecordFixedBytes;
    if (bodySize > UINT32_MAX) return kNoMemory;
    body.reserve(size_t(bodySize));
    for (const SceneFlagEntry& entry : table.entries) {
      body.push_back(uint8_t(entry.name.size()));
      body.insert(body.end(), entry.name.begin(), entry.name.end());
      PutArray(body, entry.a);
      PutArray(body, entry.b);
    }
    PackedBody packed;
    if (!PackBody(body, packed)) return kNoMemory;
    file.clear();
    file.reserve(size_t(kHeaderSize) + packed.stored.size());
    file.insert(file.end(), magic, magic + 4);
    AppendU32(file, uint32_t(packed.stored.size()));
    AppendU32(file, packed.unpackedSize);
    AppendU32(file, uint32_t(table.entries.size()));
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
    return kOk;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

int SceneFlagFile::Read(const uint8_t* data, size_t size, SceneFlagTable& table, const char (&magic)[5]) {
  SobCursor header(data, size);
  if (!header.Magic(magic)) return kDamaged;
  const uint32_t storedSize = header.U32();
  const uint32_t unpackedSize = header.U32();
  const uint32_t entryCount = header.U32();
  const uint8_t* stored = header.Take(storedSize);
  if (!header.Ok() || header.Remaining() != 0) return kDamaged;

  std::vector<uint8_t> body;
  if (!UnpackBody(stored, storedSize, unpackedSize, body)) return kDamaged;
  // Every record needs its fixed fields, so the count is bounded by the body.
  if (uint64_t(entryCount) * kRecordFixedBytes > body.size()) return kDamaged;

  std::vector<StoredRecord> records;
  try {
    records.resize(entryCount);
  } catch (const std::bad_alloc&) {
    return kDamaged;
  }
  SobCursor cursor(body.data(), body.size());
  for (StoredRecord& record : records) {
    record.nameLength = cursor.U8();
    record.name = cursor.Take(record.nameLength);
    if (!cursor.Ok() || !ReadArray(cursor, record.a) || !ReadArray(cursor, record.b)) return kDamaged;
  }
  if (cursor.Remaining() != 0) return kDamaged;

  // The file holds together: now match and copy.
  for (SceneFlagEntry& entry : table.entries) entry.matched = 0;
  for (const StoredRecord& record : records) {
    for (SceneFlagEntry& entry : table.entries) {
      if (entry.matched || !SameName(entry, record)) continue;
      entry.matched = 1;
      LoadArray(entry.a, record.a);
      LoadArray(entry.b, record.b);
      break;
    }
  }
  return kOk;
}

}  // namespace orrivel
