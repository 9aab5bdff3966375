#pragma once
// Pages for the message window's tests: CP932 text and the page commands
// their command runners understand (opcode 1 begins ruby, 2 draws it, 3
// asks to stop), as serialised records: 0x00, "[", length 12, the opcode
// and no arguments.
#include <cstdint>
#include <string>

#include "platform/TextCodec.h"

namespace orrivel::test {

inline std::string PageCommand(uint32_t opcode) {
  std::string out(2, '\0');
  out[1] = '[';
  const uint32_t words[3] = {12, opcode, 0};
  out.append(reinterpret_cast<const char*>(words), sizeof words);
  return out;
}

inline std::string RepeatSjis(const char* utf8, int n) {
  std::string out;
  const std::string one = platform::Utf8ToCp932(utf8).value();
  for (int i = 0; i < n; ++i) out += one;
  return out;
}

}  // namespace orrivel::test
