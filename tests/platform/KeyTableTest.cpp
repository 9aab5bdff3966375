// The key table and SDL's keys in its terms: every key of the table has one
// SDL key, and SDL key events carry the table's virtual keys.
#include "platform/KeyTable.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/sdl/SdlKeyMap.h"

namespace orrivel::platform {
namespace {

TEST(KeyTableTest, TableShape) {
  auto table = KeyTable();
  ASSERT_EQ(table.size(), 104u);
  std::set<int> codes;
  for (const KeyTableRow& row : table) codes.insert(row.code);
  EXPECT_EQ(codes.size(), 104u);
  auto shortList = ShortKeyList();
  ASSERT_EQ(shortList.size(), 47u);
  for (uint8_t code : shortList) EXPECT_NE(FindKeyRow(code), nullptr) << int(code);
  EXPECT_EQ(table.front().code, 123);
  EXPECT_EQ(table.back().virtualKey, 20);
  const KeyTableRow* pad = FindKeyRow(DIK_NUMPADENTER);
  ASSERT_NE(pad, nullptr);
  EXPECT_STREQ(pad->name, "NumpadEnter");
  EXPECT_EQ(pad->virtualKey, 13);
  EXPECT_EQ(FindKeyRow(0), nullptr);
}

TEST(KeyTableTest, EveryKeyHasOneSdlKeyAndItsVirtualKey) {
  std::set<int32_t> scancodes;
  for (const KeyTableRow& row : KeyTable()) {
    SCOPED_TRACE(row.name);
    int32_t scancode = SdlScancodeFromKeyCode(row.code);
    ASSERT_NE(scancode, 0);
    scancodes.insert(scancode);
    EXPECT_EQ(KeyCodeFromSdlScancode(scancode), row.code);
    // A keycode that names no letter or digit: the position decides.
    EXPECT_EQ(VirtualKeyFromSdlKey(scancode, 0), row.virtualKey);
  }
  EXPECT_EQ(scancodes.size(), 104u);
  EXPECT_EQ(KeyCodeFromSdlScancode(0), 0);
  EXPECT_EQ(KeyCodeFromSdlScancode(9999), 0);
  EXPECT_EQ(VirtualKeyFromSdlKey(0, 0), 0u);
  // Letters and digits follow the layout: the key at Q's place typing 'a'.
  EXPECT_EQ(VirtualKeyFromSdlKey(SdlScancodeFromKeyCode(16), 'a'), uint32_t('A'));
  EXPECT_EQ(VirtualKeyFromSdlKey(SdlScancodeFromKeyCode(2), '7'), uint32_t('7'));
}

}  // namespace
}  // namespace orrivel::platform
