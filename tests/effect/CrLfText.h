#pragma once
// Layout and table texts as the engine reads them: CR-LF line ends.
#include <string>

namespace orrivel::testing {

inline std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace orrivel::testing
