#include "effect/StaffRollLayout.h"

#include <cstring>
#include <new>

#include "resource/FileObject.h"
#include "script/ParamReader.h"

namespace orrivel {
namespace {

// The longest line read, its terminator included.
constexpr uint32_t kLineBuffer = 512;
// Room for a quoted string of at most n bytes.
constexpr size_t RoomFor(size_t n) { return n + 2; }
constexpr size_t kMaxFaceBytes = 30;
constexpr size_t kMaxTextBytes = 510;
// Names of pictures and music: the longest path a file name can have.
constexpr size_t kMaxNameBytes = 259;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks the comma-separated fields after a keyword. An empty field, or one
// that holds no value of the kind asked for, leaves the value as it was.
class FieldCursor {
 public:
  explicit FieldCursor(const char* p) : p_(p) {}

  // True when a number was read.
  bool Int(int32_t& value) {
    if (AtEmptyField()) return NextField(), false;
    ParamReader reader(p_);
    int32_t read = 0;
    const bool ok = reader.ReadInt(read) == ParamReader::kOk;
    if (ok) {
      value = read;
      p_ = reader.Position();
    }
    NextField();
    return ok;
  }
  bool Unsigned(uint32_t& value) {
    int32_t v = int32_t(value);
    const bool ok = Int(v);
    value = uint32_t(v);
    return ok;
  }
  // 0 absent, 1 read, -1 a string that is not one (or longer than
  // maxBytes).
  int String(std::string& value, size_t maxBytes) {
    if (AtEmptyField()) return NextField(), 0;
    std::string buffer(RoomFor(maxBytes), '\0');
    ParamReader reader(p_);
    if (reader.ReadQuoted(buffer.data(), buffer.size(), false) != ParamReader::kOk) return -1;
    value.assign(buffer.c_str());
    p_ = reader.Position();
    NextField();
    return 1;
  }

 private:
  bool AtEmptyField() {
    while (IsBlank(*p_)) ++p_;
    return *p_ == ',' || *p_ == '\0';
  }
  // Past the comma that ends the field (extra text before it is ignored).
  void NextField() {
    while (*p_ != '\0' && *p_ != ',') ++p_;
    if (*p_ == ',') ++p_;
  }

  const char* p_;
};

constexpr const char* kKeywords[] = {"init", "font", "layout", "text", "gtext", "laygrp", "grp", "egrp", "end"};

}  // namespace

void StaffRollLayout::Clear() { *this = StaffRollLayout(); }

bool StaffRollLayout::HasLines() const {
  for (const StaffRollEntry& e : entries_) {
    if (e.kind == StaffRollEntry::Kind::Text || e.kind == StaffRollEntry::Kind::Picture) return true;
  }
  return false;
}

int32_t StaffRollLayout::Load(const char* fileName) {
  if (fileName == nullptr) return kLayoutNoName;
  Clear();
  FileObject file;
  if (file.Open(fileName) != 0) return kLayoutCannotOpen;
  const int32_t result = Read(file);
  if (result != kLayoutOk) Clear();
  return result;
}

int32_t StaffRollLayout::Read(FileObject& file) {
  try {
    char line[kLineBuffer];
    for (;;) {
      const int32_t used = file.ReadLine(line, sizeof line);
      if (used == 0) break;
      // A line longer than the buffer is not one the layout can hold.
      if (used < 0) return kLayoutFailed;
      const int32_t result = ReadLine(line);
      if (result != kLayoutOk) return result;
    }
  } catch (const std::bad_alloc&) {
    return kLayoutFailed;
  }
  return kLayoutOk;
}

int32_t StaffRollLayout::ReadLine(const char* line) {
  while (IsBlank(*line) || *line == ',') ++line;
  if (*line == '\0') return kLayoutOk;
  if (std::strncmp(line, "/*", 2) == 0) {
    ++commentDepth_;
    return kLayoutOk;
  }
  if (commentDepth_ > 0) {
    if (std::strncmp(line, "*/", 2) == 0) --commentDepth_;
    return kLayoutOk;
  }
  if (std::strncmp(line, "//", 2) == 0) return kLayoutOk;
  for (const char* keyword : kKeywords) {
    const size_t n = std::strlen(keyword);
    if (std::strncmp(line, keyword, n) == 0) return ReadFields(keyword, line + n);
  }
  return kLayoutUnknownKeyword;
}

int32_t StaffRollLayout::ReadFields(const char* keyword, const char* fields) {
  FieldCursor f(fields);
  using Kind = StaffRollEntry::Kind;
  const std::string k(keyword);
  if (k == "init") {
    f.Unsigned(scrollMs_);
    std::string music;
    const int got = f.String(music, kMaxNameBytes);
    if (got > 0) {
      hasMusic_ = true;
      music_ = music;
    }
    return kLayoutOk;
  }
  if (k == "font") {
    bool remake = false;
    const int face = f.String(font_.face, kMaxFaceBytes);
    if (face < 0) return kLayoutBadFace;
    remake |= face > 0;
    remake |= f.Int(font_.size);
    int32_t colour = int32_t(font_.colour);
    f.Int(colour);
    font_.colour = uint32_t(colour) & 0xFFFFFF;
    remake |= f.Int(font_.bold);
    remake |= f.Int(font_.italic);
    fontChanged_ |= remake;
    return kLayoutOk;
  }
  if (k == "layout") {
    f.Int(line_.margin);
    f.Int(line_.alignment);
    return kLayoutOk;
  }
  if (k == "text" || k == "gtext") {
    const bool text = k == "text";
    StaffRollEntry& last = text ? lastText_ : lastPicture_;
    f.Int(last.xOffset);
    f.Int(last.advance);
    std::string value;
    if (f.String(value, text ? kMaxTextBytes : kMaxNameBytes) <= 0) {
      return text ? kLayoutBadText : kLayoutBadPictureName;
    }
    StaffRollEntry entry;
    entry.kind = text ? Kind::Text : Kind::Picture;
    entry.text = std::move(value);
    entry.xOffset = last.xOffset;
    entry.advance = last.advance;
    entry.margin = line_.margin;
    entry.alignment = line_.alignment;
    if (text) {
      entry.font = font_;
      entry.remakeFont = fontChanged_;
      fontChanged_ = false;
    }
    entries_.push_back(std::move(entry));
    return kLayoutOk;
  }
  if (k == "laygrp") {
    f.Int(group_.startOffset);
    f.Int(group_.length);
    f.Unsigned(group_.fadeInMs);
    f.Unsigned(group_.fadeOutMs);
    f.Unsigned(group_.order);
    return kLayoutOk;
  }
  if (k == "grp") {
    f.Int(lastGroup_.x);
    f.Int(lastGroup_.y);
    std::string value;
    if (f.String(value, kMaxNameBytes) <= 0) return kLayoutBadGroupName;
    StaffRollEntry entry = group_;
    entry.kind = Kind::Group;
    entry.text = std::move(value);
    entry.x = lastGroup_.x;
    entry.y = lastGroup_.y;
    entry.endX = entry.x;
    entry.endY = entry.y;
    f.Int(entry.endX);
    f.Int(entry.endY);
    int32_t opacity = lastGroup_.maxOpacity;
    f.Int(opacity);
    lastGroup_.maxOpacity = uint8_t(opacity);
    entry.maxOpacity = lastGroup_.maxOpacity;
    entries_.push_back(std::move(entry));
    return kLayoutOk;
  }
  if (k == "egrp") {
    f.Int(lastEndGroupOffset_);
    StaffRollEntry entry;
    entry.kind = Kind::EndGroup;
    entry.advance = lastEndGroupOffset_;
    entry.startOffset = group_.startOffset;
    entries_.push_back(std::move(entry));
    return kLayoutOk;
  }
  // "end"
  f.Int(extraHeight_);
  f.Unsigned(holdMs_);
  f.Unsigned(fadeMs_);
  int32_t finish = finishAtEnd_ ? 1 : 0;
  f.Int(finish);
  finishAtEnd_ = finish != 0;
  return kLayoutOk;
}

void StaffRollLayout::Place(int32_t screenWidth, const std::function<void(size_t, int32_t*, int32_t*)>& size) {
  using Kind = StaffRollEntry::Kind;
  int32_t total = 0;
  int32_t lastHeight = 0;
  StaffRollEntry* group = nullptr;
  for (size_t i = 0; i < entries_.size(); ++i) {
    StaffRollEntry& e = entries_[i];
    switch (e.kind) {
      case Kind::Text:
      case Kind::Picture: {
        int32_t width = 0, height = 0;
        size(i, &width, &height);
        e.placedX = e.xOffset;
        if (e.alignment == 0) e.placedX += e.margin;
        if (e.alignment == 1) e.placedX += e.margin + (screenWidth - width - e.margin) / 2;
        if (e.alignment == 2) e.placedX += e.margin - width;
        e.baseY = total + e.advance;
        total += e.advance;
        lastHeight = height;
        break;
      }
      case Kind::Group:
        e.startHeight = total + e.startOffset;
        e.endHeight = e.length >= 0 ? e.startHeight + e.length : -1;
        if (group != nullptr) {
          if (group->endHeight == -1) group->endHeight = e.startHeight;
          group->span = group->endHeight - group->startHeight;
        }
        group = &e;
        break;
      case Kind::EndGroup:
        if (group != nullptr) group->endHeight = total + e.advance + e.startOffset;
        break;
    }
  }
  total += lastHeight + extraHeight_;
  totalHeight_ = total;
  if (group != nullptr) {
    if (group->endHeight == -1) group->endHeight = total;
    // Also a last group closed by "egrp": without its span it would never
    // move.
    group->span = group->endHeight - group->startHeight;
  }
}

}  // namespace orrivel
