#include "frame/TgsPageBuffer.h"

#include <cstring>

#include "frame/TgsArguments.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

void PutU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

}  // namespace

void TgsPageBuffer::Rewind() {
  used_ = 0;
  overflowed_ = false;
  reported_ = false;
}

bool TgsPageBuffer::Fits(size_t bytes) {
  if (bytes <= kCapacity - used_) return true;
  overflowed_ = true;
  return false;
}

bool TgsPageBuffer::TakeOverflowReport() {
  if (!overflowed_ || reported_) return false;
  reported_ = true;
  return true;
}

bool TgsPageBuffer::AppendCharacter(const uint8_t* bytes, size_t count) {
  if (!Fits(count)) return false;
  std::memcpy(bytes_.data() + used_, bytes, count);
  used_ += count;
  return true;
}

bool TgsPageBuffer::AppendCommand(uint32_t opcode, const TgsArguments& arguments) {
  // The record is built aside first, so one that does not fit leaves the
  // page exactly as it was.
  std::vector<uint8_t> record(kRecordHead);
  record[0] = kMarker;
  record[1] = kBracket;
  PutU32(&record[6], opcode);
  PutU32(&record[10], arguments.Count());
  for (uint32_t k = 0; k < arguments.Count(); ++k) {
    const uint32_t type = arguments.Type(k);
    record.push_back(uint8_t(type));
    const size_t at = record.size();
    if (type & TgsArguments::kStringBit) {
      const std::string text = arguments.Text(k);
      const uint32_t n = arguments.Value(k) ? uint32_t(text.size() + 1) : 0;
      record.resize(at + 4 + n);
      PutU32(&record[at], n);
      if (n) std::memcpy(&record[at + 4], text.c_str(), n);
    } else {
      record.resize(at + 4);
      PutU32(&record[at], arguments.Value(k));
    }
  }
  PutU32(&record[2], uint32_t(record.size() - 2));
  if (!Fits(record.size())) return false;
  std::memcpy(bytes_.data() + used_, record.data(), record.size());
  used_ += record.size();
  return true;
}

bool TgsPageBuffer::ReadCommand(const uint8_t* record, size_t available, TgsPageCommand& out, size_t& taken) {
  out = TgsPageCommand{};
  taken = 0;
  SobCursor head(record, available);
  const uint32_t length = head.U32();
  if (!head.Ok() || length < 12 || length > available) return false;
  SobCursor cursor(record, length);
  cursor.U32();
  out.opcode = cursor.U32();
  const uint32_t count = cursor.U32();
  // Each argument takes at least five bytes of the record.
  if (!cursor.Ok() || uint64_t(count) * 5 > cursor.Remaining()) return false;
  out.arguments.resize(count);
  for (TgsPageCommand::Argument& argument : out.arguments) {
    argument.type = cursor.U8();
    if (argument.type & TgsArguments::kStringBit) {
      const uint32_t n = cursor.U32();
      const uint8_t* bytes = cursor.Take(n);
      if (!cursor.Ok()) return false;
      if (n) {
        // The copy stops at the first NUL and never passes the record.
        const void* nul = std::memchr(bytes, 0, n);
        const size_t textBytes = nul ? static_cast<const uint8_t*>(nul) - bytes : n;
        argument.text.assign(reinterpret_cast<const char*>(bytes), textBytes);
        argument.value = 1;
      }
    } else {
      argument.value = cursor.U32();
    }
    if (!cursor.Ok()) return false;
  }
  if (cursor.Remaining() != 0) return false;
  taken = length;
  return true;
}

}  // namespace orrivel
