// The polled keyboards: pressed against down over polls, keys that share a
// virtual key reading together, and the short key list.
#include "base/FullApiKeyboard.h"

#include <algorithm>
#include <set>

#include "InputTestSupport.h"
#include "base/ApiKeyboard.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

using test::Flags;

class FullApiKeyboardTest : public test::InputTest {};

// The codes of every row that shares the row's virtual key.
std::set<int> CodesOfVirtualKey(uint8_t virtualKey) {
  std::set<int> codes;
  for (const platform::KeyTableRow& row : platform::KeyTable()) {
    if (row.virtualKey == virtualKey) codes.insert(row.code);
  }
  return codes;
}

template <typename Keyboard>
std::set<int> DownCodes(const Keyboard& keyboard) {
  std::set<int> codes;
  for (int code = 0; code < 256; ++code) {
    if (keyboard.IsDown(uint8_t(code))) codes.insert(code);
  }
  return codes;
}

TEST_F(FullApiKeyboardTest, PressedOnTheFirstPollDownWhileHeld) {
  FullApiKeyboard keyboard;
  std::string frames;
  const bool held[] = {true, true, false, true};
  for (bool down : held) {
    source.SetKey(platform::DIK_SPACE, down);
    keyboard.Poll();
    frames += Flags(keyboard, platform::DIK_SPACE) + " ";
  }
  EXPECT_EQ(frames, "PD D - PD ");
  keyboard.Unacquire();
  EXPECT_EQ(Flags(keyboard, platform::DIK_SPACE), "-");
  EXPECT_EQ(keyboard.GetKind(), kInputWindowsApi);
}

TEST_F(FullApiKeyboardTest, EveryKeyOfTheTableReadsWithItsVirtualKeyPartners) {
  for (const platform::KeyTableRow& row : platform::KeyTable()) {
    SCOPED_TRACE(row.name);
    FullApiKeyboard keyboard;
    source.ReleaseAllKeys();
    source.SetKey(row.code, true);
    keyboard.Poll();
    EXPECT_EQ(DownCodes(keyboard), CodesOfVirtualKey(row.virtualKey));
    EXPECT_TRUE(keyboard.IsPressed(row.code));
  }
}

TEST_F(FullApiKeyboardTest, ShortListReadsOnlyItsOwnKeys) {
  auto list = platform::ShortKeyList();
  std::set<int> listed(list.begin(), list.end());
  ASSERT_EQ(listed.size(), 47u);
  for (const platform::KeyTableRow& row : platform::KeyTable()) {
    SCOPED_TRACE(row.name);
    ApiKeyboard keyboard;
    source.ReleaseAllKeys();
    source.SetKey(row.code, true);
    keyboard.Poll();
    std::set<int> expected;
    for (int code : CodesOfVirtualKey(row.virtualKey)) {
      if (listed.count(code)) expected.insert(code);
    }
    EXPECT_EQ(DownCodes(keyboard), expected);
  }
  EXPECT_EQ(ApiKeyboard().GetKind(), kInputShortKeyList);
}

TEST_F(FullApiKeyboardTest, LockStatesAreReadOnRequest) {
  FullApiKeyboard keyboard;
  source.SetLock(platform::VK_CAPITAL, true);
  source.SetLock(platform::VK_SCROLL, true);
  EXPECT_FALSE(keyboard.CapsLock());
  keyboard.RefreshLockStates();
  EXPECT_TRUE(keyboard.CapsLock());
  EXPECT_TRUE(keyboard.ScrollLock());
  EXPECT_FALSE(keyboard.NumLock());
}

}  // namespace
}  // namespace orrivel
