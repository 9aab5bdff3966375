#pragma once
// The keyboard vocabulary of the engine: key codes in the DirectInput
// numbering (what every keyboard device reports and what settings and
// scripts store) beside the virtual key that window messages carry for the
// same key. The table order matters: where two keys share one virtual key,
// the later row is the one a window message is taken for.
#include <cstdint>
#include <span>

namespace orrivel::platform {

struct KeyTableRow {
  const char* name;
  uint8_t code;        // DirectInput key code
  uint8_t virtualKey;  // window-message key code
};

// All 104 keys the engine knows, in their fixed order.
std::span<const KeyTableRow> KeyTable();
// The 47 key codes of the short list, in the order they are polled.
std::span<const uint8_t> ShortKeyList();
// The row of a key code, or null for a code no key has.
const KeyTableRow* FindKeyRow(uint8_t code);

// Key codes the engine names in code.
constexpr uint8_t DIK_ESCAPE = 0x01;
constexpr uint8_t DIK_RETURN = 0x1C;
constexpr uint8_t DIK_LCONTROL = 0x1D;
constexpr uint8_t DIK_LSHIFT = 0x2A;
constexpr uint8_t DIK_RSHIFT = 0x36;
constexpr uint8_t DIK_LMENU = 0x38;
constexpr uint8_t DIK_SPACE = 0x39;
constexpr uint8_t DIK_CAPITAL = 0x3A;
constexpr uint8_t DIK_NUMPADENTER = 0x9C;
constexpr uint8_t DIK_RCONTROL = 0x9D;
constexpr uint8_t DIK_RMENU = 0xB8;
constexpr uint8_t DIK_HOME = 0xC7;
constexpr uint8_t DIK_UP = 0xC8;
constexpr uint8_t DIK_PRIOR = 0xC9;
constexpr uint8_t DIK_LEFT = 0xCB;
constexpr uint8_t DIK_RIGHT = 0xCD;
constexpr uint8_t DIK_DOWN = 0xD0;
constexpr uint8_t DIK_NEXT = 0xD1;

// Virtual keys of the three lock keys.
constexpr uint32_t VK_CAPITAL = 0x14;
constexpr uint32_t VK_NUMLOCK = 0x90;
constexpr uint32_t VK_SCROLL = 0x91;
// Virtual keys of the mouse buttons, as the key-state read sees them.
constexpr uint32_t VK_LBUTTON = 0x01;
constexpr uint32_t VK_RBUTTON = 0x02;
constexpr uint32_t VK_MBUTTON = 0x04;

}  // namespace orrivel::platform
