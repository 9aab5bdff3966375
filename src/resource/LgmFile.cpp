#include "resource/LgmFile.h"

#include "resource/ByteCursor.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

constexpr uint8_t kLgmMagic[4] = {'L', 'G', 'M', 0};

// A name of `length` bytes; only the bytes before a zero byte count.
bool ReadName(ByteCursor& cursor, uint8_t length, std::string* name) {
  if (length > cursor.Remaining()) return false;
  const char* bytes = reinterpret_cast<const char*>(cursor.Here());
  std::string_view stored(bytes, length);
  const size_t zero = stored.find('\0');
  name->assign(stored.substr(0, zero));
  return cursor.Skip(length);
}

bool ReadPart(ByteCursor& cursor, LgmRecordForm form, LgmPart* part) {
  uint8_t nameLength = 0;
  if (!cursor.ReadU8(&nameLength) || !ReadName(cursor, nameLength, &part->name)) return false;
  if (!cursor.ReadU8(&part->kind) || !cursor.ReadS16(&part->x) || !cursor.ReadS16(&part->y) ||
      !cursor.ReadU8(&part->alpha) || !cursor.ReadU8(&part->visible)) {
    return false;
  }
  part->hasSize = form == LgmRecordForm::kControl || part->kind != 0;
  if (!part->hasSize) return true;
  return cursor.ReadS16(&part->width) && cursor.ReadS16(&part->height) && cursor.ReadU8(&part->flag);
}

}  // namespace

int ParseLgm(const uint8_t* data, uint64_t size, LgmRecordForm form, LgmFile* out) {
  *out = LgmFile();
  ByteCursor cursor(data, size);
  uint8_t magic[4];
  if (!cursor.ReadBytes(magic, 4) || std::memcmp(magic, kLgmMagic, 4) != 0) return kLgmParseBadMagic;
  uint8_t baseLength = 0;
  if (!cursor.ReadU8(&baseLength) || !ReadName(cursor, baseLength, &out->baseName)) {
    return kLgmParseTruncated;
  }
  uint16_t partCount = 0;
  if (!cursor.ReadU16(&partCount)) return kLgmParseTruncated;
  // Every record takes at least 8 bytes, so a count the data cannot hold
  // is refused before anything is reserved for it.
  if (uint64_t(partCount) * 8 > cursor.Remaining()) return kLgmParseTruncated;
  out->parts.resize(partCount);
  for (LgmPart& part : out->parts) {
    if (!ReadPart(cursor, form, &part)) return kLgmParseTruncated;
  }
  return kLgmParseOk;
}

std::string ResolveLgmName(std::string_view layoutFileName, std::string_view name) {
  const size_t separator = FindLastSeparator(layoutFileName);
  std::string resolved(separator == std::string_view::npos ? std::string_view()
                                                           : layoutFileName.substr(0, separator + 1));
  resolved.append(name);
  return resolved;
}

}  // namespace orrivel
