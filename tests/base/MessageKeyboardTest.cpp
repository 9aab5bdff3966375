// The keyboard fed by key messages: scripted message sequences between
// polls, auto-repeat, and the virtual-key map over every key of the table.
#include "base/MessageKeyboard.h"

#include <map>

#include "InputTestSupport.h"
#include "platform/KeyTable.h"
#include "platform/Messages.h"

namespace orrivel {
namespace {

using test::Flags;

constexpr uint32_t kVkZ = 'Z';
constexpr uint8_t kCodeZ = 44;

struct Script {
  const char* name;
  bool autoRepeat;
  // d key down, r auto-repeated key down, u key up, p poll (then the flags
  // of Z are recorded).
  const char* steps;
  const char* frames;  // the flags after each poll, space-separated
};

const Script kScripts[] = {
    {"held over two polls is pressed on the first only", true, "dppup", "PD D -"},
    {"tap between polls is pressed, not down, for one frame", true, "dupp", "P -"},
    {"nothing happened", true, "pp", "- -"},
    {"auto-repeat counts as presses with the repeat bit", true, "dprprpup", "PD PDR PDR -"},
    {"auto-repeat ignored when counting is off", false, "dprprpup", "PD D D -"},
    {"two taps in one frame are one press", true, "duddpp", "PD D"},
    {"release in the next frame", true, "dpup", "PD -"},
    {"press again after a release", true, "dpudp", "PD PD"},
    {"up without down", true, "upp", "- -"},
};

TEST(MessageKeyboardTest, ScriptedMessageSequences) {
  for (const Script& script : kScripts) {
    SCOPED_TRACE(script.name);
    MessageKeyboard keyboard;
    keyboard.SetAutoRepeatCounts(script.autoRepeat);
    std::string frames;
    for (const char* step = script.steps; *step; ++step) {
      switch (*step) {
        case 'd': EXPECT_TRUE(keyboard.OnKeyDown(kVkZ, 1)); break;
        case 'r': keyboard.OnKeyDown(kVkZ, intptr_t(1 | platform::KF_REPEAT_BIT)); break;
        case 'u': EXPECT_TRUE(keyboard.OnKeyUp(kVkZ)); break;
        case 'p':
          keyboard.Poll();
          if (!frames.empty()) frames += ' ';
          frames += Flags(keyboard, kCodeZ);
          break;
      }
    }
    EXPECT_EQ(frames, script.frames);
  }
}

TEST(MessageKeyboardTest, FirstCodesResetAndUnknownKeys) {
  MessageKeyboard keyboard;
  EXPECT_EQ(keyboard.FirstDown(), -1);
  EXPECT_EQ(keyboard.FirstPressed(), -1);
  keyboard.OnKeyDown('Z', 1);   // 44
  keyboard.OnKeyDown('A', 1);   // 30
  keyboard.OnKeyDown(platform::VK_ESCAPE, 1);  // 1
  keyboard.OnKeyUp(platform::VK_ESCAPE);
  keyboard.Poll();
  EXPECT_EQ(keyboard.FirstPressed(), 1);  // released, but pressed this frame
  EXPECT_EQ(keyboard.FirstDown(), 30);
  // A virtual key no key of the table produces is not taken.
  EXPECT_FALSE(keyboard.OnKeyDown(0xE7, 1));
  EXPECT_FALSE(keyboard.OnKeyUp(0x1FF));
  keyboard.Reset();
  EXPECT_EQ(keyboard.FirstDown(), -1);
  EXPECT_EQ(keyboard.FirstPressed(), -1);
  EXPECT_EQ(keyboard.GetKind(), kInputWindowMessages);
}

TEST(MessageKeyboardTest, EveryKeyOfTheTableArrivesUnderItsCode) {
  // Keys sharing a virtual key arrive as the later row of the table.
  const std::map<uint32_t, uint8_t> shared = {{16, 42}, {17, 29}, {18, 56}, {13, 28}};
  for (const platform::KeyTableRow& row : platform::KeyTable()) {
    SCOPED_TRACE(row.name);
    MessageKeyboard keyboard;
    ASSERT_TRUE(keyboard.OnKeyDown(row.virtualKey, 1));
    keyboard.Poll();
    auto it = shared.find(row.virtualKey);
    uint8_t expected = it != shared.end() ? it->second : row.code;
    EXPECT_EQ(keyboard.FirstPressed(), expected);
    EXPECT_EQ(keyboard.FirstDown(), expected);
    EXPECT_TRUE(keyboard.OnKeyUp(row.virtualKey));
    EXPECT_EQ(keyboard.FirstDown(), -1);
  }
}

}  // namespace
}  // namespace orrivel
