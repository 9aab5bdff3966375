#pragma once
// The background tint table of "DATA/BG.TXT": 32-bit values ending with 0.
// A negative value -n opens tint class n; the positive values after it are
// background numbers of that class.
//
// The file is text (CR-LF or LF lines). Empty lines and lines starting with
// "//" are skipped. A line starting with "[" holds a label word (at most 64
// bytes) and a non-zero class number n, stored as -n. A line starting with
// "*" repeats the value before it and is allowed only right after a class
// line. Any other line holds one number, decimal or "0x" hexadecimal.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrivel {

class TgsBackgroundTints {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kMissing = 1;
  static constexpr int32_t kNoEntries = 2;
  static constexpr int32_t kClassZero = 3;
  static constexpr int32_t kRepeatFirst = 4;
  static constexpr int32_t kRepeatNotAfterClass = 5;
  static constexpr size_t kMaxLabelBytes = 64;

  // Parses the file's bytes into table (0 at the end); table is left empty
  // unless the result is kOk.
  static int32_t Parse(const uint8_t* data, size_t size, std::vector<int32_t>& table);
};

}  // namespace orrivel
