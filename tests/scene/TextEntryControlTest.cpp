// The text entry box: editing whole CP932 characters (typing, Backspace,
// Delete, the caret keys in both writing directions), the length limit,
// Enter, Tab and Escape, SetText never cutting a pair, the view following
// the caret, the blinking caret on the timer list, the composition overlay
// and its clause, and the box's focus, pointer and input-method duties.
#include "scene/TextEntryControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GoldenSupport.h"
#include "TextEntryTestSupport.h"
#include "platform/KeyTable.h"
#include "platform/Messages.h"
#include "scene/ImeModeIndicator.h"

namespace orrivel {
namespace {

using test::Sjis;

class TextEntryControlTest : public test::TextEntryFixture {};

// One editing step: typed bytes, or a virtual key when `key` is set.
struct Step {
  std::string bytes;
  uint8_t key = 0;
};
Step Chars(std::string bytes) { return Step{std::move(bytes), 0}; }
Step Key(uint32_t key) { return Step{{}, uint8_t(key)}; }

TEST_F(TextEntryControlTest, EditingWholeCharacters) {
  using namespace platform;
  const std::string a = Sjis("あ");
  // ャ is 0x83 0x83 and ＝ is 0x81 0x81: trail bytes in the lead-byte range.
  const std::string trailInLead = Sjis("ャ"), trailInLead2 = Sjis("＝");
  ASSERT_EQ(trailInLead, "\x83\x83");
  ASSERT_EQ(trailInLead2, "\x81\x81");
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string text;
    int32_t caret;
  };
  const Case cases[] = {
      {"mixed one- and two-byte typing", {Chars("ab" + a + "c")}, "ab" + a + "c", 5},
      {"backspace after a two-byte character", {Chars("x" + a), Chars("\b")}, "x", 1},
      {"backspace over a trail byte in the lead range", {Chars("ab" + trailInLead), Chars("\b")}, "ab", 2},
      {"backspace after two such pairs", {Chars(trailInLead2 + trailInLead), Chars("\b")}, trailInLead2, 2},
      {"backspace after a single byte behind a pair", {Chars(trailInLead + "z"), Chars("\b")}, trailInLead, 2},
      {"backspace at the start", {Chars("ab"), Key(VK_HOME), Chars("\b")}, "ab", 0},
      {"left steps over whole pairs",
       {Chars("a" + trailInLead + "b"), Key(VK_LEFT), Key(VK_LEFT), Chars("X")},
       "aX" + trailInLead + "b", 2},
      {"delete removes the pair at the caret",
       {Chars("a" + a + "b"), Key(VK_LEFT), Key(VK_LEFT), Key(VK_DELETE)}, "ab", 1},
      {"delete at the end does nothing", {Chars("ab"), Key(VK_DELETE)}, "ab", 2},
      {"home and end", {Chars("bc"), Key(VK_HOME), Chars("a"), Key(VK_END), Chars("d")}, "abcd", 4},
      {"right stops at the end", {Chars(a), Key(VK_HOME), Key(VK_RIGHT), Key(VK_RIGHT)}, a, 2},
      {"tab and escape change nothing", {Chars("ab\t\x1b"), Chars("\t"), Chars("\x1b")}, "ab", 2},
      {"line feed needs several lines", {Chars("a\nb")}, "ab", 2},
      {"control bytes are not text", {Chars(std::string("a\x01\x7F", 3) + "b")}, "ab", 2},
      {"a lead byte without its trail", {Chars("a"), Chars("\x82")}, "a", 1},
      {"NUL bytes are never stored", {Chars(std::string("a\0\x82\0b", 5))}, "ab", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto entry = MakeEntry();
    for (const Step& step : c.steps) {
      if (step.key != 0) {
        EXPECT_TRUE(entry->OnKey(step.key));
      } else {
        Type(*entry, step.bytes);
      }
    }
    EXPECT_EQ(std::string(entry->Text()), c.text);
    EXPECT_EQ(entry->GetLength(), int32_t(c.text.size()));
    EXPECT_EQ(entry->GetCaret(), c.caret);
  }
}

TEST_F(TextEntryControlTest, AnImeOnlyBoxRefusesSingleBytes) {
  auto entry = MakeEntry();
  entry->SetImeOnFocus(true);
  Type(*entry, "a" + Sjis("あ") + "b");
  EXPECT_EQ(std::string(entry->Text()), Sjis("あ"));
  EXPECT_FALSE(entry->OnKey(uint8_t('A')));  // letters are not the box's keys
}

TEST_F(TextEntryControlTest, TheLengthLimitKeepsPairsWhole) {
  {
    SCOPED_TRACE("255 bytes");
    auto entry = MakeEntry();
    EXPECT_EQ(entry->GetMaxLength(), 255);
    EXPECT_EQ(entry->SetMaxLength(10), 1);  // fixed once made
    ASSERT_EQ(entry->SetText(std::string(254, 'a').c_str()), 0);
    entry->OnKey(platform::VK_END);
    Type(*entry, Sjis("あ"));  // would make 256 bytes
    EXPECT_EQ(entry->GetLength(), 254);
    Type(*entry, "bc");  // one fits, then typing stops
    EXPECT_EQ(entry->GetLength(), 255);
    EXPECT_EQ(std::string(entry->Text()).back(), 'b');
    Type(*entry, "\b" + Sjis("あ"));  // 254 again: still no room for a pair
    EXPECT_EQ(entry->GetLength(), 254);
  }
  {
    SCOPED_TRACE("SetText stops before a pair that would be cut");
    auto entry = MakeEntry(100, 5);
    const std::string text = "abcd" + Sjis("あ") + "z";
    ASSERT_EQ(entry->SetText(text.c_str()), 0);
    EXPECT_EQ(std::string(entry->Text()), "abcd");
    EXPECT_EQ(entry->GetCaret(), 0);
    ASSERT_EQ(entry->SetText(("abc" + Sjis("あ") + "z").c_str()), 0);
    EXPECT_EQ(std::string(entry->Text()), "abc" + Sjis("あ"));
    char small[4];
    ASSERT_EQ(entry->GetText(small, sizeof small), 0);  // cut for the target, whole characters
    EXPECT_EQ(std::string(small), "abc");
    EXPECT_EQ(entry->GetText(nullptr, 4), 1);
    EXPECT_EQ(entry->SetText(nullptr), 1);
    EXPECT_EQ(entry->Clear(), 0);
    EXPECT_EQ(entry->GetLength(), 0);
  }
  {
    SCOPED_TRACE("a box of several lines keeps room for its line feeds");
    auto entry = std::make_unique<TextEntryControl>();
    entry->SetMaxLength(10);
    ASSERT_EQ(entry->CreateAlt(&list, 5, 0, 0, &font, 3, 100, 0, 2, false, &timers, 0), 0);
    Type(*entry, "abcdefghij");
    EXPECT_EQ(entry->GetLength(), 7);
    Type(*entry, "\n\n\n");  // the room kept is theirs; the third would make four lines
    EXPECT_EQ(entry->GetLineCount(), 3);
    EXPECT_EQ(entry->GetLength(), 9);
  }
  {
    SCOPED_TRACE("creation refusals");
    TextEntryControl entry;
    EXPECT_EQ(entry.Create(nullptr, 0, 0, 0, &font, 10, 0, false, nullptr, 0), 1);
    EXPECT_EQ(entry.Create(&list, 0, 0, 0, nullptr, 10, 0, false, nullptr, 0), 1);
    EXPECT_EQ(entry.Create(&list, 0, 0, 0, &font, 0, 0, false, nullptr, 0), 1);
    EXPECT_EQ(entry.CreateAlt(&list, 0, 0, 0, &font, 1, 10, 0, 0, false, nullptr, 0), 1);
    // Insets, gaps and line counts whose box no number holds: refused as
    // a box that cannot be made.
    EXPECT_EQ(entry.Create(&list, 0, 0, 0, &font, 10, 0x41414142, true, nullptr, 0), 2);
    EXPECT_EQ(entry.Create(&list, 0, 0, 0, &font, 10, INT32_MAX, false, nullptr, 0), 2);
    EXPECT_EQ(entry.CreateAlt(&list, 0, 0, 0, &font, INT32_MAX, 10, 0, 0, false, nullptr, 0), 2);
    EXPECT_EQ(entry.CreateAlt(&list, 0, 0, 0, &font, 3, 10, 0, INT32_MAX, false, nullptr, 0), 2);
    EXPECT_EQ(entry.CreateAlt(&list, 0, 0, 0, &font, 3, 10, 0, INT32_MIN, false, nullptr, 0), 2);
    EXPECT_EQ(entry.SetText("a"), 1);
    EXPECT_EQ(entry.Clear(), 1);
  }
}

TEST_F(TextEntryControlTest, EnterMovesTheFocusOnOrDropsIt) {
  auto entry = MakeEntry();
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  EXPECT_TRUE(Type(*entry, "ab\rcd"));
  EXPECT_EQ(std::string(entry->Text()), "ab");  // the call ends at Enter
  EXPECT_EQ(host.GetFocused(), nullptr);

  auto next = MakeEntry();
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  EXPECT_TRUE(Type(*entry, "\r"));
  EXPECT_EQ(host.GetFocused(), next.get());
}

TEST_F(TextEntryControlTest, CaretKeysFollowTheWritingDirection) {
  using namespace platform;
  struct Case {
    const char* name;
    bool vertical;
    uint8_t key;
    bool handled;
    int32_t caret;  // from the caret after "ab" on line 1 of "xyz\nab\nq"
  };
  const Case cases[] = {
      {"horizontal left", false, VK_LEFT, true, 5},
      {"horizontal right", false, VK_RIGHT, true, 7},
      {"horizontal up: previous line", false, VK_UP, true, 2},
      {"horizontal down: next line, clamped to its end", false, VK_DOWN, true, 8},
      {"vertical up: back one", true, VK_UP, true, 5},
      {"vertical down: on one", true, VK_DOWN, true, 7},
      {"vertical left: next line", true, VK_LEFT, true, 8},
      {"vertical right: previous line", true, VK_RIGHT, true, 2},
      {"other keys are not the box's", false, VK_PRIOR, false, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    font.SetAngle(c.vertical ? 2700 : 0);
    TextEntryControl entry;
    ASSERT_EQ(entry.CreateAlt(&list, 5, 0, 0, &font, 3, 100, 0, 2, false, nullptr, 0), 0);
    EXPECT_EQ(entry.IsVertical(), c.vertical);
    ASSERT_EQ(entry.SetText("xyz\nab\nq"), 0);
    EXPECT_TRUE(entry.OnKey(c.vertical ? VK_LEFT : VK_DOWN));  // to the start of "ab"
    for (int i = 0; i < 2; ++i) entry.OnKey(c.vertical ? VK_DOWN : VK_RIGHT);
    ASSERT_EQ(entry.GetCaret(), 6);
    ASSERT_EQ(entry.GetCaretLine(), 1);
    EXPECT_EQ(entry.OnKey(c.key), c.handled);
    EXPECT_EQ(entry.GetCaret(), c.caret);
  }
  font.SetAngle(0);
  {
    SCOPED_TRACE("a single vertical line takes no sideways keys");
    font.SetAngle(2700);
    TextEntryControl entry;
    ASSERT_EQ(entry.Create(&list, 5, 0, 0, &font, 100, 0, false, nullptr, 0), 0);
    EXPECT_EQ(entry.GetWidth(), 10);
    EXPECT_EQ(entry.GetHeight(), 100);
    ASSERT_EQ(entry.SetText("abc"), 0);
    EXPECT_TRUE(entry.OnKey(VK_DOWN));
    EXPECT_EQ(entry.GetCaret(), 1);
    EXPECT_FALSE(entry.OnKey(VK_LEFT));
    EXPECT_FALSE(entry.OnKey(VK_RIGHT));
    EXPECT_EQ(entry.GetCaret(), 1);
    font.SetAngle(0);
  }
}

TEST_F(TextEntryControlTest, UpAndDownKeepThePixelColumn) {
  TextEntryControl entry;
  ASSERT_EQ(entry.CreateAlt(&list, 5, 0, 0, &font, 3, 200, 0, 2, false, nullptr, 0), 0);
  const std::string a = Sjis("あ");
  ASSERT_EQ(entry.SetText(("abcdef\n" + a + a + a + "\nxy").c_str()), 0);
  for (int i = 0; i < 3; ++i) entry.OnKey(platform::VK_RIGHT);  // 18 pixels into line 0
  entry.OnKey(platform::VK_DOWN);
  EXPECT_EQ(entry.GetCaretLine(), 1);
  EXPECT_EQ(entry.GetCaret(), 7 + 4);  // after the second pair (24 pixels, 18 is past its middle)
  entry.OnKey(platform::VK_UP);
  EXPECT_EQ(entry.GetCaret(), 4);  // 24 pixels in
}

TEST_F(TextEntryControlTest, TheViewKeepsTheCaretVisible) {
  // 60 pixels less a frame of 3 on each side: 54, nine characters.
  auto entry = MakeEntry(60);
  auto shown = [&] { return entry->TextLength(entry->GetScrollStart(), entry->GetCaret()); };
  for (int i = 0; i < 20; ++i) {
    Type(*entry, std::string(1, char('a' + i)));
    EXPECT_LE(shown(), 54);
    EXPECT_LE(entry->GetScrollStart(), entry->GetCaret());
  }
  EXPECT_EQ(entry->GetScrollStart(), 11);  // as much as fits before the caret
  for (int i = 0; i < 15; ++i) {
    entry->OnKey(platform::VK_LEFT);
    EXPECT_LE(entry->GetScrollStart(), entry->GetCaret());
    EXPECT_LE(shown(), 54);
  }
  EXPECT_EQ(entry->GetScrollStart(), 5);
  entry->OnKey(platform::VK_HOME);
  EXPECT_EQ(entry->GetScrollStart(), 0);
  entry->OnKey(platform::VK_END);
  EXPECT_EQ(entry->GetScrollStart(), 11);
  // Two-byte characters scroll by whole pairs.
  entry->Clear();
  for (int i = 0; i < 8; ++i) Type(*entry, Sjis("あ"));
  EXPECT_EQ(entry->GetScrollStart(), 2 * 4);  // four pairs of 12 pixels fit
  EXPECT_LE(shown(), 54);
}

TEST_F(TextEntryControlTest, TheCaretBlinksEvery500Ms) {
  auto entry = MakeEntry();
  EXPECT_FALSE(entry->CaretSprite().IsVisible());
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  EXPECT_TRUE(entry->CaretSprite().IsVisible());
  EXPECT_TRUE(entry->IsBlinking());
  const uint32_t start = clock.TickMs();
  const struct {
    uint32_t at;
    bool visible;
  } beats[] = {{499, true}, {500, false}, {999, false}, {1000, true}, {1500, false}};
  for (const auto& beat : beats) {
    clock.SetTick(start + beat.at);
    timers.Step(0);
    EXPECT_EQ(entry->CaretSprite().IsVisible(), beat.visible) << beat.at;
  }
  host.SetFocus(nullptr);
  EXPECT_FALSE(entry->CaretSprite().IsVisible());
  EXPECT_FALSE(entry->IsBlinking());
  clock.SetTick(start + 2000);
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 0u);
  EXPECT_FALSE(entry->CaretSprite().IsVisible());
  // A box that goes away while focused leaves no task behind.
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  entry.reset();
  clock.SetTick(start + 2500);
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 0u);
}

TEST_F(TextEntryControlTest, TheCaretStandsAfterTheTextShown) {
  auto entry = MakeEntry(60);
  Type(*entry, "abc");
  // Box at (10, 20); frame 1 + inset 2; three characters of 6 pixels.
  EXPECT_EQ(entry->CaretSprite().GetX(), 10 + 3 + 18);
  EXPECT_EQ(entry->CaretSprite().GetY(), 20 + 3);
  entry->SetPosition(0, 0);
  EXPECT_EQ(entry->CaretSprite().GetX(), 3 + 18);
  Type(*entry, std::string(20, 'x'));
  EXPECT_EQ(entry->CaretSprite().GetX(), 3 + 54);  // scrolled: at the right of the space
}

TEST_F(TextEntryControlTest, TheBoxPicture) {
  auto entry = MakeEntry(40);
  EXPECT_EQ(entry->GetWidth(), 40);
  EXPECT_EQ(entry->GetHeight(), 10 + 2 * 3);
  entry->SetTextColour(0x102030);
  Type(*entry, "ab" + Sjis("あ") + "cdefgh");
  Surface& s = entry->TextSurface();
  EXPECT_EQ(test::Pixel32(s, 20, 0), TextEntryControl::kBevelDark);
  EXPECT_EQ(test::Pixel32(s, 0, 8), TextEntryControl::kBevelDark);
  EXPECT_EQ(test::Pixel32(s, 39, 8), TextEntryControl::kBevelLight);
  EXPECT_EQ(test::Pixel32(s, 20, 15), TextEntryControl::kBevelLight);
  EXPECT_EQ(test::Pixel32(s, 1, 1), TextBufferControl::kDefaultFillColour);
  // The view ends at the caret: the last characters show, whole ones only.
  EXPECT_EQ(test::Pixel32(s, 3, 3) & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(test::Pixel32(s, 37, 5), TextBufferControl::kDefaultFillColour);
  test::ExpectGolden(s, "text_entry_box");
}

TEST_F(TextEntryControlTest, TheCompositionShowsAtTheCaretWithItsClause) {
  auto entry = MakeEntry(100);
  Type(*entry, "ab");
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  Compose("かなかん", 3);  // the cursor in the second clause
  fakeIme.clauses = {0, 4, 8};
  Frame();
  EXPECT_EQ(entry->ShownComposition(), Sjis("かなかん"));
  EXPECT_EQ(entry->ClauseStart(), 4);
  EXPECT_EQ(entry->ClauseEnd(), 8);
  const ImageSprite& overlay = entry->CompositionSprite();
  EXPECT_TRUE(overlay.IsVisible());
  EXPECT_EQ(overlay.GetX(), 10 + 3 + 12);
  EXPECT_EQ(overlay.GetY(), 20 + 3);
  EXPECT_EQ(hook.Ime().CandidateX(), 10 + 3 + 12);
  EXPECT_EQ(hook.Ime().CandidateY(), 20 + 3 + 10);
  Surface& s = entry->CompositionSurface();
  ASSERT_EQ(s.GetWidth(), 48);
  // Outside the clause: the composition colour on its back colour; inside,
  // the other way round. Block glyphs leave the cell's last 2 columns bare.
  EXPECT_EQ(test::Pixel32(s, 0, 0) & 0xFFFFFF, TextBufferControl::kDefaultCompositionColour);
  EXPECT_EQ(test::Pixel32(s, 11, 0) & 0xFFFFFF, TextBufferControl::kDefaultCompositionBackColour);
  EXPECT_EQ(test::Pixel32(s, 24, 0) & 0xFFFFFF, TextBufferControl::kDefaultCompositionBackColour);
  EXPECT_EQ(test::Pixel32(s, 35, 0) & 0xFFFFFF, TextBufferControl::kDefaultCompositionColour);

  fakeIme.clauses.clear();  // as the window system gives it: one clause
  Compose("かなかんじ", 5);
  Frame();
  EXPECT_EQ(entry->ClauseStart(), 0);
  EXPECT_EQ(entry->ClauseEnd(), 10);

  Compose("", 0);  // committed or cancelled
  Frame();
  EXPECT_FALSE(entry->CompositionSprite().IsVisible());
  EXPECT_TRUE(entry->ShownComposition().empty());

  Compose("かな", 1);
  Frame();
  EXPECT_TRUE(entry->CompositionSprite().IsVisible());
  host.SetFocus(nullptr);  // the overlay goes with the focus
  EXPECT_FALSE(entry->CompositionSprite().IsVisible());
}

TEST_F(TextEntryControlTest, FocusOpensAndClosesTheInputMethodAndShowsTheIndicator) {
  ImeModeIndicator indicator;
  ASSERT_EQ(indicator.Create(&list, &hook.Ime(), &font, 0, 0, false, 10), 0);
  fakeIme.modesKnown = false;
  auto entry = MakeEntry();
  entry->SetImeIndicator(&indicator);
  entry->SetImeOnFocus(true);
  ASSERT_EQ(hook.Ime().SetOpen(false), 0);
  host.TakeLog();
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  EXPECT_TRUE(hook.Ime().GetOpen());
  EXPECT_TRUE(indicator.Sprite().IsVisible());
  // Focus from the keyboard brings the pointer to the box.
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"ime 1", "pointer 60,28"}));
  Frame();
  // The window system tells no modes: an open input method is taken to be
  // in full-width hiragana.
  EXPECT_EQ(std::vector<std::string>(indicator.ShownLabels().begin(), indicator.ShownLabels().end()),
            (std::vector<std::string>{"全", "ひ"}));
  host.SetFocus(nullptr);
  EXPECT_FALSE(hook.Ime().GetOpen());
  EXPECT_FALSE(indicator.Sprite().IsVisible());
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"ime 0"}));

  // An input method that was open already stays open afterwards.
  ASSERT_EQ(hook.Ime().SetOpen(true), 0);
  host.SetFocus(entry.get());
  host.SetFocus(nullptr);
  EXPECT_TRUE(hook.Ime().GetOpen());
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"pointer 60,28"}));
}

TEST_F(TextEntryControlTest, ThePointerHoverAndClicks) {
  auto entry = MakeEntry(100);
  ASSERT_EQ(entry->SetText("abcdef"), 0);
  host.TakeLog();
  // Hovering takes the focus and the text cursor.
  host.pointerX = 30, host.pointerY = 25;
  Frame();
  EXPECT_EQ(host.GetFocused(), entry.get());
  EXPECT_EQ(host.cursorKind, TextBufferControl::kCursorHorizontal);
  // A click in the left half of "c" puts the caret before it, in the right
  // half after it.
  host.pointerX = 10 + 3 + 12 + 2;
  Poll({}, 1);
  host.Update(clock.TickMs());
  EXPECT_EQ(entry->GetCaret(), 2);
  host.pointerX = 10 + 3 + 12 + 4;
  Poll({}, 0);
  Poll({}, 1);
  host.Update(clock.TickMs());
  EXPECT_EQ(entry->GetCaret(), 3);
  host.pointerX = 99;
  Poll({}, 0);
  Poll({}, 1);
  host.Update(clock.TickMs());
  EXPECT_EQ(entry->GetCaret(), 6);

  // Typing hides the pointer once; moving over the box shows it again.
  host.TakeLog();
  Type(*entry, "x");
  Type(*entry, "y");
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"cursor 0"}));
  EXPECT_TRUE(entry->IsPointerHidden());
  host.pointerX = 40;
  Poll({}, 0);
  host.Update(clock.TickMs());
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"cursor 1"}));

  // Read-only: no focus from the pointer, and setting it drops the focus.
  entry->SetReadOnly(true);
  EXPECT_EQ(host.GetFocused(), nullptr);
  host.pointerX = 50;
  Frame();
  EXPECT_EQ(host.GetFocused(), nullptr);
}

TEST_F(TextEntryControlTest, TypingThroughTheWindowReachesTheFocusedBox) {
  auto entry = MakeEntry();
  ASSERT_EQ(host.SetFocus(entry.get()), 0u);
  backend.PostTextInput(window, "ab");
  backend.PostTextInput(window, "かな");
  EXPECT_EQ(Frame(), ControlHost::kUpdateTyped);
  EXPECT_EQ(std::string(entry->Text()), "ab" + Sjis("かな"));
  backend.PostMessage(window, platform::WM_KEYDOWN, platform::VK_HOME, 0);
  EXPECT_EQ(Frame(), ControlHost::kUpdateTyped);
  EXPECT_EQ(entry->GetCaret(), 0);
  // The arrows of the writing direction edit instead of moving the focus.
  auto other = MakeEntry();
  entry->SetNeighbours(nullptr, other.get(), nullptr, nullptr);
  Poll({platform::DIK_RIGHT});
  EXPECT_EQ(host.Update(clock.TickMs()), ControlHost::kUpdateFocused);
  EXPECT_EQ(host.GetFocused(), entry.get());
}

}  // namespace
}  // namespace orrivel
