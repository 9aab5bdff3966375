#include "text/MarkupTextBase.h"

#include <algorithm>
#include <cstring>

#include "base/Cp932.h"
#include "script/ScriptAddressSpace.h"
#include "text/TextWalker.h"

namespace orrivel {

namespace {

// Longest text a page or an inserted string may grow to; records are
// script data, and a page is never near this.
constexpr size_t kMaxPageBytes = size_t(1) << 20;

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint8_t ByteAt(const char* text, size_t size, size_t i) { return i < size ? uint8_t(text[i]) : 0; }

bool IsDigit(uint8_t b) { return b >= '0' && b <= '9'; }

// Bytes of the character at i: a lead byte with its trail byte, "@@", and
// "@" with its digits each stay whole.
size_t CharacterBytes(const char* text, size_t size, size_t i) {
  const uint8_t b = ByteAt(text, size, i);
  if (cp932::IsLeadByte(b)) return ByteAt(text, size, i + 1) != 0 ? 2 : 1;
  if (b != '@') return 1;
  if (ByteAt(text, size, i + 1) == '@') return 2;
  size_t digits = 0;
  while (digits < size_t(kPictureDigits) && IsDigit(ByteAt(text, size, i + 1 + digits))) ++digits;
  return 1 + digits;
}

// Moves i past the character at i (one byte or a whole pair).
size_t SkipPair(const char* text, size_t size, size_t i) {
  return cp932::IsLeadByte(ByteAt(text, size, i)) && ByteAt(text, size, i + 1) != 0 ? i + 2 : i + 1;
}

// Length of a well-formed block at pos ("[" NUL ...), 0 when it is damaged
// or runs past the end.
size_t BlockLength(const uint8_t* text, size_t size, size_t pos) {
  if (size - pos < MarkupTextBase::kMinBlockLength) return 0;
  const size_t length = size_t(text[pos + MarkupTextBase::kBlockLengthOffset]) |
                        size_t(text[pos + MarkupTextBase::kBlockLengthOffset + 1]) << 8;
  if (length < MarkupTextBase::kMinBlockLength || length > size - pos) return 0;
  return length;
}

bool IsBlockStart(const char* text, size_t size, size_t pos) {
  return ByteAt(text, size, pos) == '[' && pos + 1 < size && text[pos + 1] == '\0';
}

void ParseTag(std::string_view inner, MarkupTag* tag) {
  if (!tag) return;
  const size_t split = inner.find_first_of(" \t=");
  tag->name.assign(inner.substr(0, split));
  tag->arguments.clear();
  if (split == std::string_view::npos) return;
  std::string_view rest = inner.substr(split + 1);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  tag->arguments.assign(rest);
}

}  // namespace

MarkupTextBase::MarkupTextBase(ScriptAddressSpace* space) : space_(space) {}

MarkupTextBase::~MarkupTextBase() = default;

bool MarkupTextBase::IsPageRead(uint8_t, uint16_t) { return false; }

void MarkupTextBase::MarkPageRead(uint8_t, uint16_t) {}

// --- tokenizer ----------------------------------------------------------------

MarkupToken MarkupTextBase::ScanToken(const char* text, size_t size, size_t pos, std::string* quoted,
                                      MarkupTag* tag) {
  MarkupToken token;
  token.start = token.end = pos;
  if (!text) return token;
  const uint8_t b = ByteAt(text, size, pos);
  if (b == 0) {
    token.kind = kTokenEnd;
    return token;
  }
  auto character = [&](size_t at, size_t length, size_t end) {
    token.kind = kTokenCharacter;
    token.character = at;
    token.characterLength = length;
    token.end = end;
    return token;
  };
  // Tags and blocks take a backslash right after them along.
  auto closed = [&](int kind, size_t end) {
    token.kind = kind;
    token.end = ByteAt(text, size, end) == '\\' ? end + 1 : end;
    return token;
  };
  switch (b) {
    case '<': {
      const uint8_t next = ByteAt(text, size, pos + 1);
      if (next == '<') return character(pos + 1, 1, pos + 2);
      const size_t from = next == '"' ? pos + 2 : pos + 1;
      const uint8_t close = next == '"' ? '"' : '>';
      size_t i = from;
      while (ByteAt(text, size, i) != 0 && ByteAt(text, size, i) != close) i = SkipPair(text, size, i);
      if (ByteAt(text, size, i) != close) return token;
      if (next != '"') {
        ParseTag(std::string_view(text + from, i - from), tag);
        return closed(kTokenTag, i + 1);
      }
      if (i == from || ByteAt(text, size, i + 1) != '>') return token;
      if (quoted) quoted->assign(text + from, i - from);
      return closed(kTokenQuoted, i + 2);
    }
    case '[': {
      if (IsBlockStart(text, size, pos)) {
        const size_t length = BlockLength(reinterpret_cast<const uint8_t*>(text), size, pos);
        if (length == 0) return token;
        return closed(kTokenBlock, pos + length);
      }
      if (ByteAt(text, size, pos + 1) == 0) return character(pos, 1, pos + 1);
      // The escaped character is taken whole: "[" before a lead byte keeps
      // its pair together.
      const size_t end = SkipPair(text, size, pos + 1);
      return character(pos + 1, end - pos - 1, end);
    }
    case '$': {
      const uint8_t next = ByteAt(text, size, pos + 1);
      token.kind = next == '&' ? kTokenStop : next == 0 ? kTokenLastStop : kTokenVariable;
      token.end = pos + (next == '&' ? 2 : 1);
      return token;
    }
    case '&':
      token.kind = kTokenClearPage;
      token.end = pos + 1;
      return token;
    default: {
      const size_t length = CharacterBytes(text, size, pos);
      return character(pos, length, pos + length);
    }
  }
}

int MarkupTextBase::NextToken() {
  if (!hasText_) return kTokenBad;
  cursor_ = std::min(cursor_, body_.size());
  lastToken_ = ScanToken(body_.data(), body_.size(), cursor_, &quoted_, &tag_);
  const int kind = lastToken_.kind;
  if (kind == kTokenBad) return kind;
  cursor_ = lastToken_.end;
  if (kind == kTokenBlock) blockStart_ = lastToken_.start;
  if (kind >= kTokenStop && kind <= kTokenEnd && !pageRead_) {
    MarkPageRead(readMarkByte_, readMarkNumber_);
    pageRead_ = 1;
  }
  return kind;
}

int MarkupTextBase::NextTokenFrom(size_t position) {
  SetReadCursor(position);
  return NextToken();
}

int MarkupTextBase::NextNonCharacterToken() {
  int kind;
  do kind = NextToken();
  while (kind == kTokenCharacter);
  return kind;
}

// --- page -------------------------------------------------------------------------

bool MarkupTextBase::ResolveInsertion(uint8_t flag, uint32_t address, std::string& out) const {
  if (!space_) return false;
  uint32_t target = address;
  if (flag != 0) {
    // The value names a cell that holds the string's address.
    if (space_->LiveBytesAt(address) < 4 || !space_->Read32(address, target)) return false;
  }
  return space_->ReadLiveString(target, out, kMaxPageBytes);
}

bool MarkupTextBase::CopyWithInsertions(const uint8_t* record, size_t size, size_t& pos, bool nameOnly,
                                        std::string& out) const {
  const char* text = reinterpret_cast<const char*>(record);
  std::string inserted;
  while (pos < size && record[pos] != 0 && !(nameOnly && record[pos] == '$')) {
    if (out.size() > kMaxPageBytes) return false;
    if (record[pos] == '%') {
      if (size - pos < kInsertionBytes) return false;
      if (!ResolveInsertion(record[pos + 1], ReadU32(record + pos + 2), inserted)) return false;
      out += inserted;
      pos += kInsertionBytes;
    } else if (!nameOnly && IsBlockStart(text, size, pos)) {
      const size_t length = BlockLength(record, size, pos);
      if (length == 0) return false;
      out.append(text + pos, length);
      pos += length;
    } else if (!nameOnly && record[pos] == '[' && pos + 1 < size && record[pos + 1] != 0 && record[pos + 1] != '%') {
      // "[" escapes the character after it, as the tokenizer reads it: "[["
      // before a block is an escaped "[", not the start of the block.
      const size_t next = SkipPair(text, size, pos + 1);
      out.append(text + pos, next - pos);
      pos = next;
    } else {
      const size_t next = SkipPair(text, size, pos);
      out.append(text + pos, next - pos);
      pos = next;
    }
  }
  return out.size() <= kMaxPageBytes;
}

int MarkupTextBase::SetText(const uint8_t* record, size_t size) {
  if (!textEnabled) return -1;
  if (!record || size == 0) return kRecordRefused;
  std::string name, body;
  size_t pos = 0;
  if (record[0] == '#') {
    pos = 1;
    if (!CopyWithInsertions(record, size, pos, true, name)) return kRecordRefused;
    while (pos < size && (record[pos] == '$' || record[pos] == '&')) ++pos;
  }
  if (!CopyWithInsertions(record, size, pos, false, body)) return kRecordRefused;
  SetPage(std::move(name), std::move(body), record[0]);
  PushHistory();
  return 0;
}

void MarkupTextBase::SetPage(std::string name, std::string body, uint8_t textMode) {
  name_ = std::move(name);
  body_ = std::move(body);
  textMode_ = textMode;
  hasText_ = true;
  cursor_ = 0;
  lastToken_ = MarkupToken{};
  ++pageSerial_;
  pageRead_ = IsPageRead(readMarkByte_, readMarkNumber_) ? 1 : 0;
}

void MarkupTextBase::SetReadMark(uint8_t markByte, uint16_t markNumber) {
  readMarkByte_ = markByte;
  readMarkNumber_ = markNumber;
  pageRead_ = IsPageRead(markByte, markNumber) ? 1 : 0;
}

void MarkupTextBase::Clear() {
  hasText_ = false;
  name_.clear();
  body_.clear();
  cursor_ = 0;
  lastToken_ = MarkupToken{};
  ++pageSerial_;
  ClearItems();
  SetHistoryCapacity(int32_t(history_.size()));
}

size_t MarkupTextBase::GetComponent(int32_t n, char* buffer, size_t size) const {
  if (!hasText_) return 0;
  return ComponentOf(body_, n, buffer, size);
}

size_t MarkupTextBase::ComponentOf(const std::string& source, int32_t n, char* buffer, size_t size) {
  if (n < 0) return 0;
  const char* text = source.data();
  const size_t length = source.size();
  size_t from = 0, to = length;
  if (n > 0) {
    int32_t part = 1;
    size_t i = 0;
    bool found = false;
    while (!found) {
      if (i >= length || text[i] == '\\') {
        if (part == n) {
          to = std::min(i, length);
          found = true;
        } else if (i >= length) {
          return 0;
        } else {
          ++part;
          from = ++i;
        }
        continue;
      }
      if (IsBlockStart(text, length, i)) {
        const size_t block = BlockLength(reinterpret_cast<const uint8_t*>(text), length, i);
        i = block ? i + block : i + 1;
      } else if (text[i] == '[' && i + 1 < length) {
        i = SkipPair(text, length, i + 1);  // an escaped character, "\\" too
      } else {
        i = SkipPair(text, length, i);
      }
    }
  }
  if (buffer && size > 0) {
    const size_t copied = std::min(to - from, size - 1);
    std::memcpy(buffer, text + from, copied);
    buffer[copied] = '\0';
  }
  return to - from + 1;
}

// --- items --------------------------------------------------------------------------

bool MarkupTextBase::WalkPackedItems(const std::vector<uint8_t>& packed, uint32_t count,
                                     std::vector<size_t>& offsets) {
  offsets.clear();
  size_t at = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (packed.size() - at < 3) return false;
    const size_t length = packed[at];
    if (length < 3 || length > packed.size() - at) return false;
    // The text starts after the length and insertion bytes and ends with a
    // NUL inside the record.
    if (!std::memchr(packed.data() + at + 2, 0, length - 2)) return false;
    offsets.push_back(at);
    at += length;
  }
  return true;
}

const char* MarkupTextBase::ItemText(const Item& item) const {
  if (item.owned) return item.owned->c_str();
  return reinterpret_cast<const char*>(packedItems_.data() + item.offset + 2);
}

int MarkupTextBase::SetItems(const uint8_t* record, size_t size) {
  if (!acceptingItems) return -1;
  if (NewestEntryInUse()) return -2;
  if (!record || size < kItemHeaderBytes) return kRecordRefused;
  const uint32_t count = std::min<uint32_t>(record[4], uint32_t(std::max(itemCapacity_, 0)));
  std::vector<uint8_t> packed(record + kItemHeaderBytes, record + size);
  std::vector<size_t> offsets;
  if (!WalkPackedItems(packed, count, offsets)) return kRecordRefused;
  std::vector<Item> items;
  for (size_t offset : offsets) {
    Item item;
    item.offset = offset;
    if (packed[offset + 1] != 0) {
      // The insertions are resolved now; the resolved text must still pack
      // into a record with a one-byte length.
      std::string text;
      size_t pos = offset + 2;
      if (!CopyWithInsertions(packed.data(), offset + packed[offset], pos, false, text) ||
          text.size() > kMaxItemLength)
        return kRecordRefused;
      item.owned = std::move(text);
    }
    items.push_back(std::move(item));
  }
  packed.resize(offsets.empty() ? 0 : offsets.back() + packed[offsets.back()]);
  items_ = std::move(items);
  packedItems_ = std::move(packed);
  itemFlagMode_ = record[0];
  itemFlagBase_ = uint16_t(record[1] | record[2] << 8);
  itemLimit_ = record[3];
  StoreItemsInHistory();
  return 0;
}

int MarkupTextBase::AddItem(const char* text) {
  if (!acceptingItems) return -1;
  if (NewestEntryInUse()) return -2;
  if (!text) return 1;
  if (int64_t(items_.size()) >= itemCapacity_) return 2;
  const size_t length = std::strlen(text);
  if (length > kMaxItemLength) return 3;
  Item item;
  item.owned = std::string(text, length);
  items_.push_back(std::move(item));
  return 0;
}

void MarkupTextBase::ClearItems() {
  items_.clear();
  packedItems_.clear();
  itemFlagMode_ = kNoItemFlags;
}

const char* MarkupTextBase::GetItem(int32_t n) const {
  if (n < 0 || size_t(n) >= items_.size()) return nullptr;
  return ItemText(items_[size_t(n)]);
}

int MarkupTextBase::CopyItem(int32_t n, char* buffer, size_t size) const {
  if (n < 0 || size_t(n) >= items_.size()) return 1;
  const char* text = ItemText(items_[size_t(n)]);
  if (!text) return 2;
  const size_t bytes = std::strlen(text) + 1;
  if (!buffer || bytes > size) return 3;
  std::memcpy(buffer, text, bytes);
  return 0;
}

int MarkupTextBase::SetItemCapacity(int32_t n) {
  if (n < 0) return 1;
  ClearItems();
  itemCapacity_ = n;
  return 0;
}

}  // namespace orrivel
