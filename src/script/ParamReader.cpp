#include "script/ParamReader.h"

#include <cstring>

#include "base/Cp932.h"
#include "base/DecimalRange.h"

namespace orrivel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return IsBlank(c) || c == ',' || c == '(' || c == ')'; }
bool IsWordEnd(char c) { return c == '\0' || IsSeparator(c); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of c as a digit of base, or -1.
int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value >= 0 && value < base ? value : -1;
}

// Moves position past the bytes `skipped` takes; the byte it stops at (0
// without text). Single bytes only: none of the skipped bytes is a lead byte.
template <typename Skipped>
int SkipWhile(const char*& position, Skipped skipped) {
  if (!position) return 0;
  while (skipped(*position)) ++position;
  return uint8_t(*position);
}

}  // namespace

size_t ParamReader::CharBytes(const char* p) { return cp932::IsLeadByte(*p) && p[1] != '\0' ? 2 : 1; }

int ParamReader::SkipSeparators() { return SkipWhile(position_, IsSeparator); }
int ParamReader::SkipBlanksCommas() { return SkipWhile(position_, [](char c) { return IsBlank(c) || c == ','; }); }
int ParamReader::SkipBlanks() { return SkipWhile(position_, IsBlank); }

int ParamReader::SkipWord() {
  if (!position_) return 0;
  while (!IsWordEnd(*position_)) position_ += CharBytes(position_);
  return uint8_t(*position_);
}

int ParamReader::ReadWord(char* buffer, size_t size) {
  if (!position_ || *position_ == '\0' || size == 0 || !buffer) return kNoText;
  const char* end = position_;
  while (!IsWordEnd(*end)) end += CharBytes(end);
  const size_t length = size_t(end - position_);
  // Room for one more two-byte character and the zero, as callers expect.
  if (length + 2 > size) return kBufferTooSmall;
  std::memcpy(buffer, position_, length);
  buffer[length] = '\0';
  position_ = end;
  return kOk;
}

bool ParamReader::MatchKeyword(const char* literal) {
  if (!position_ || !literal) return false;
  SkipSeparators();
  const size_t length = std::strlen(literal);
  // strncmp stops at the text's zero, so it never reads past the text.
  if (std::strncmp(position_, literal, length) != 0) return false;
  position_ += length;
  return true;
}

int ParamReader::ReadInt(int32_t& out) {
  if (!position_) return kNoText;
  SkipSeparators();
  const char* p = position_;
  if (!IsDigit(*p) && *p != '-') return kNotFound;
  const bool negative = *p == '-';
  if (negative) ++p;
  int base = 10;
  if (p[0] == '0' && p[1] == 'x') {
    base = 16;
    p += 2;
  } else if (p[0] == '0' && p[1] == 'b') {
    base = 2;
    p += 2;
  }
  uint32_t value = 0;
  for (int digit; (digit = DigitValue(*p, base)) >= 0; ++p) value = value * uint32_t(base) + uint32_t(digit);
  out = int32_t(negative ? 0u - value : value);
  position_ = p;
  return kOk;
}

int ParamReader::ReadReal(double& out) {
  if (!position_) return kNoText;
  SkipSeparators();
  const char* p = position_;
  if (!IsDigit(*p) && *p != '-') return kNotFound;
  const char* start = p;
  if (*p == '-') ++p;
  const char* digits = p;
  while (IsDigit(*p)) ++p;
  bool anyDigit = p != digits;
  if (*p == '.') {
    ++p;
    const char* fraction = p;
    while (IsDigit(*p)) ++p;
    anyDigit = anyDigit || p != fraction;
  }
  const size_t length = size_t(p - start);
  if (length > kMaxRealText) return kNotFound;
  char text[kMaxRealText + 1];
  std::memcpy(text, start, length);
  text[length] = '\0';
  double value = 0.0;
  if (anyDigit) value = ParseDecimal(std::string_view(text, length)).value_or(0.0);
  out = value;
  position_ = p;
  return kOk;
}

int ParamReader::ReadQuoted(char* buffer, size_t size, bool keepQuotes) {
  if (!position_ || size == 0 || !buffer) return kNoText;
  SkipSeparators();
  if (*position_ != '"') return kNotFound;
  const char* start = position_ + 1;
  const char* end = start;
  while (*end != '"') {
    if (*end == '\0') return kUnterminated;
    end += CharBytes(end);
  }
  const size_t length = size_t(end - start);
  if (length + (keepQuotes ? 4 : 2) > size) return kBufferTooSmall;
  char* out = buffer;
  if (keepQuotes) *out++ = '"';
  std::memcpy(out, start, length);
  out += length;
  if (keepQuotes) *out++ = '"';
  *out = '\0';
  position_ = end + 1;
  return kOk;
}

}  // namespace orrivel
