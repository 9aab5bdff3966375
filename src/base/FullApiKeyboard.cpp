#include "base/FullApiKeyboard.h"

#include <array>

#include "platform/InputSource.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

// Every key code of the key table, in table order.
const std::array<uint8_t, 104>& AllKeyCodes() {
  static const std::array<uint8_t, 104> codes = [] {
    std::array<uint8_t, 104> out{};
    size_t i = 0;
    for (const platform::KeyTableRow& row : platform::KeyTable()) out[i++] = row.code;
    return out;
  }();
  return codes;
}

}  // namespace

FullApiKeyboard::FullApiKeyboard() : FullApiKeyboard(AllKeyCodes()) {}

FullApiKeyboard::FullApiKeyboard(std::span<const uint8_t> codes) : codes_(codes) {}

int32_t FullApiKeyboard::Poll() {
  std::array<uint8_t, 256> keys{};
  platform::CurrentInputSource().ReadKeyboard(keys);
  // A virtual key is held when any key that produces it is held.
  std::array<uint8_t, 256> virtualKeys{};
  for (const platform::KeyTableRow& row : platform::KeyTable()) virtualKeys[row.virtualKey] |= keys[row.code] & 0x80;
  Table& table = WriteTable();
  for (uint8_t code : codes_) {
    const platform::KeyTableRow* row = platform::FindKeyRow(code);
    table[code] = row ? virtualKeys[row->virtualKey] : 0;
  }
  FlipTables();
  return 0;
}

}  // namespace orrivel
