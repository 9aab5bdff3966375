#include "base/DecimalRange.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <system_error>

namespace orrivel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The decimal exponent of the number's leading digit (ten to it is its
// order of magnitude), to tell an overflow from an underflow; `digits` is
// the mantissa with its point, `exponent` the written one.
long long LeadingPower(std::string_view digits, long long exponent) {
  const std::size_t point = std::min(digits.find('.'), digits.size());
  const std::size_t lead = digits.find_first_not_of("0.");
  if (lead == std::string_view::npos) return -1;  // all zeros
  if (lead < point) return exponent + (long long)(point - lead) - 1;
  return exponent - (long long)(lead - point);
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text, std::size_t* used) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::size_t mantissa = at;
  std::size_t digits = 0;
  while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  }
  if (digits == 0) return std::nullopt;
  const std::size_t mantissaEnd = at;
  // An exponent counts only with a digit after its letter and sign.
  long long exponent = 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t e = at + 1;
    bool negativeExponent = false;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) negativeExponent = text[e++] == '-';
    if (e < text.size() && IsDigit(text[e])) {
      while (e < text.size() && IsDigit(text[e])) {
        if (exponent < 100000) exponent = exponent * 10 + (text[e] - '0');
        ++e;
      }
      if (negativeExponent) exponent = -exponent;
      at = e;
    }
  }
  if (used != nullptr) *used = at;
  double magnitude = 0.0;
  const char* first = text.data() + mantissa;
  const auto result = std::from_chars(first, text.data() + at, magnitude, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    const long long power = LeadingPower(text.substr(mantissa, mantissaEnd - mantissa), exponent);
    magnitude = power > 0 ? DBL_MAX : 0.0;
  } else if (result.ec != std::errc() || !(magnitude <= DBL_MAX)) {
    magnitude = result.ec == std::errc() ? DBL_MAX : 0.0;
  }
  return negative ? -magnitude : magnitude;
}

double DecimalRange::Read(std::string_view text, double fallback) const {
  const std::optional<double> value = ParseDecimal(text);
  return value ? Clamp(*value) : fallback;
}

double DecimalRange::Read(const char* text, double fallback) const {
  return text != nullptr ? Read(std::string_view(text), fallback) : fallback;
}

}  // namespace orrivel
