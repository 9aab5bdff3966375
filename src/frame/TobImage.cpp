#include "frame/TobImage.h"

#include <cstring>

#include "base/Cp932.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint32_t kHeaderWords = 12;  // magic, S1, label count

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool CheckLabels(const uint8_t* data, const TobLayout& layout) {
  uint64_t at = layout.labelsOffset;
  for (uint32_t i = 0; i < layout.labelCount; ++i) {
    if (at >= layout.labelsEnd) return false;
    const uint32_t length = data[at];
    const uint64_t start = at + 1;
    if (start + length > layout.labelsEnd) return false;
    const void* nul = length ? std::memchr(data + start, 0, length) : nullptr;
    if (!nul) return false;
    const uint64_t nameBytes = static_cast<const uint8_t*>(nul) - (data + start) + 1;
    if (nameBytes + 4 > length) return false;
    if (ReadU32(data + start + nameBytes) >= layout.textSize) return false;
    at = start + length;
  }
  return true;
}

bool CheckResumePoints(const uint8_t* data, const TobLayout& layout) {
  for (uint32_t i = 0; i < layout.resumeCount; ++i)
    if (ReadU32(data + layout.resumeOffset + 4 * uint64_t(i)) >= layout.textSize) return false;
  return true;
}

// Walks the text as the reader does; true when it ends on the final NUL.
bool CheckText(const uint8_t* text, uint64_t size) {
  if (size == 0 || text[size - 1] != 0) return false;
  const uint64_t last = size - 1;
  uint64_t at = 0;
  while (at < last) {
    const TobTextItem item = TobImage::TextItemAt(text, size, at);
    switch (item.kind) {
      case TobTextItem::Kind::kInlineBlock:
      case TobTextItem::Kind::kScriptBlock: {
        const uint64_t body = item.next;
        const uint64_t taken = item.kind == TobTextItem::Kind::kInlineBlock
                                   ? TobImage::InlineBlockSize(text + body, last - body)
                                   : TobImage::ScriptBlockSize(text + body, last - body);
        if (taken == 0) return false;
        at = body + taken;
        break;
      }
      case TobTextItem::Kind::kCharacter:
        // A lead byte's trail byte may not be the final NUL.
        if (item.characterBytes == 1 && cp932::IsLeadByte(text[item.character]) && item.next >= last) return false;
        at = item.next;
        break;
      default: at = item.next; break;
    }
  }
  return at == last;
}

// The five relocation lists fill exactly `bytes` bytes: each a count (u8 or
// u32) and that many 8-byte entries.
bool ListsFit(const uint8_t* lists, uint64_t bytes, bool wideCounts) {
  SobCursor cursor(lists, bytes);
  for (int list = 0; list < 5; ++list) {
    const uint64_t count = wideCounts ? cursor.U32() : cursor.U8();
    if (!cursor.Ok() || count * 8 > cursor.Remaining()) return false;
    cursor.Take(count * 8);
  }
  return cursor.Remaining() == 0;
}

}  // namespace

TobTextItem TobImage::TextItemAt(const uint8_t* text, uint64_t size, uint64_t at) {
  TobTextItem item;
  const auto characterAt = [&](uint64_t from) {
    item.kind = TobTextItem::Kind::kCharacter;
    item.character = from;
    item.characterBytes = cp932::IsLeadByte(text[from]) && from + 1 < size && text[from + 1] != 0 ? 2 : 1;
    item.next = from + item.characterBytes;
    return item;
  };
  if (text[at] == 0) {
    item.next = at + 1;
    return item;
  }
  if (text[at] != '[') return characterAt(at);
  const uint8_t after = at + 1 < size ? text[at + 1] : 0;
  if (after == ' ' || after == 's') {
    item.kind = after == ' ' ? TobTextItem::Kind::kInlineBlock : TobTextItem::Kind::kScriptBlock;
    item.next = at + 2;
    return item;
  }
  if (after == 0) {
    item.kind = TobTextItem::Kind::kDroppedBracket;
    item.next = at + 1;
    return item;
  }
  return characterAt(at + 1);
}

uint64_t TobImage::InlineBlockSize(const uint8_t* block, uint64_t size) {
  SobCursor cursor(block, size);
  cursor.U32();  // opcode
  switch (cursor.U8()) {
    case 0: cursor.U32(); break;
    case 1: break;
    case 2: cursor.Take(8); break;
    case 3: {
      cursor.Take(cursor.U16());
      cursor.U8();
      const uint16_t lists = cursor.U16();
      if (lists < 2) return 0;
      const uint8_t* entries = cursor.Take(lists - 2);
      if (!entries || !ListsFit(entries, lists - 2, false)) return 0;
      break;
    }
    default: return 0;
  }
  const uint64_t rField = cursor.Position();
  const uint32_t r = cursor.U32();
  if (!cursor.Ok() || r < 5 || rField + r > size) return 0;
  return rField + r;
}

uint64_t TobImage::ScriptBlockSize(const uint8_t* block, uint64_t size) {
  SobCursor cursor(block, size);
  cursor.Take(cursor.U32());
  cursor.U8();
  const uint32_t lists = cursor.U32();
  if (!cursor.Ok() || lists < 4) return 0;
  const uint8_t* entries = cursor.Take(lists - 4);
  if (!entries || !ListsFit(entries, lists - 4, true)) return 0;
  return cursor.Position();
}

int32_t TobImage::Parse(const uint8_t* data, size_t size, TobLayout& layout) {
  layout = TobLayout{};
  SobCursor cursor(data, size);
  const uint8_t* magic = cursor.Take(4);
  if (!magic) return kNotModule;
  if (std::memcmp(magic, "TOB1", 4) == 0) layout.hasResumeTable = true;
  else if (std::memcmp(magic, "TOB0", 4) != 0) return kNotModule;
  const uint64_t s1 = cursor.U32();
  layout.labelCount = cursor.U32();
  if (!cursor.Ok() || s1 < 8) return kNotModule;
  const uint64_t resumeBlock = 4 + s1;
  // S2 and R must be there; the label entries lie between.
  if (resumeBlock + 8 > size) return kNotModule;
  const uint64_t s2 = ReadU32(data + resumeBlock);
  const uint64_t r = ReadU32(data + resumeBlock + 4);
  if (s2 < 8 || resumeBlock + s2 > size || 4 * r > s2 - 8) return kNotModule;
  layout.labelsOffset = kHeaderWords;
  layout.labelsEnd = uint32_t(resumeBlock);
  layout.textOffset = uint32_t(resumeBlock + s2);
  layout.textSize = uint32_t(size - layout.textOffset);
  layout.resumeCount = uint32_t(r);
  layout.resumeOffset = uint32_t(layout.textOffset - 4 * r);
  if (!CheckLabels(data, layout) || !CheckResumePoints(data, layout) ||
      !CheckText(data + layout.textOffset, layout.textSize))
    return kNotModule;
  return kOk;
}

int32_t TobImage::LookupLabel(const uint8_t* image, const TobLayout& layout, std::string_view label) {
  uint64_t at = layout.labelsOffset;
  for (uint32_t i = 0; i < layout.labelCount; ++i) {
    const uint32_t length = image[at];
    const char* name = reinterpret_cast<const char*>(image + at + 1);
    const size_t nameLength = std::strlen(name);  // Parse saw its NUL inside the entry
    if (std::string_view(name, nameLength) == label) return int32_t(ReadU32(image + at + 1 + nameLength + 1));
    at += 1 + uint64_t(length);
  }
  return -1;
}

int32_t TobImage::ResumePoint(const uint8_t* image, const TobLayout& layout, uint32_t n) {
  if (!layout.hasResumeTable || n >= layout.resumeCount) return -1;
  return int32_t(ReadU32(image + layout.resumeOffset + 4 * uint64_t(n)));
}

}  // namespace orrivel
