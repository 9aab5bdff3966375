#pragma once
// Decimal numbers that scripts write as text ("2.5", "-0.75", "1e3"), read
// the one way every native and effect reads them.
#include <cstddef>
#include <optional>
#include <string_view>

namespace orrivel {

// The finite number at the start of `text`: optional blanks, an optional
// sign, digits with an optional fraction and an optional decimal exponent
// (what the C library's reading of a decimal takes, without its
// hexadecimal, "inf" and "nan" forms). Whatever follows the number is left;
// `used`, when given, receives the count of characters read. None when the
// text does not begin with a number. A magnitude too large for a double
// reads as the largest double of its sign, one too small as zero.
std::optional<double> ParseDecimal(std::string_view text, std::size_t* used = nullptr);

// The values a computation holds, both ends included. A script's decimal is
// read against the range of what it feeds: a number outside comes back as
// the nearer end, never as something the computation cannot hold.
struct DecimalRange {
  double low;
  double high;

  double Clamp(double value) const { return value < low ? low : value > high ? high : value; }
  // The number `text` begins with, held to the range; `fallback` when the
  // text is absent or begins with no number.
  double Read(std::string_view text, double fallback) const;
  double Read(const char* text, double fallback) const;
};

// A computed value as a 32-bit integer, truncated, held to the integer's
// range (NaN gives 0).
inline int DoubleToInt32Clamped(double value) {
  if (!(value == value)) return 0;
  if (value <= -2147483648.0) return -2147483647 - 1;
  if (value >= 2147483647.0) return 2147483647;
  return int(value);
}

// Ranges most readers share.
// A factor of size, zoom or speed: far beyond any picture, far inside what
// a product with a picture's size still holds as an integer.
inline constexpr DecimalRange kScaleDecimals{-65536.0, 65536.0};
// The exponent of an easing curve (a power of a fraction of the time).
inline constexpr DecimalRange kCurveDecimals{-1024.0, 1024.0};
// An angle in degrees, or a count of milliseconds: whatever a 32-bit
// integer holds.
inline constexpr DecimalRange kInt32Decimals{-2147483648.0, 2147483647.0};
// What a single-precision float holds.
inline constexpr DecimalRange kFloatDecimals{-3.4028234663852886e38, 3.4028234663852886e38};

}  // namespace orrivel
