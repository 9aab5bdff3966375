// The player's keyboard and pointer on an engine-drawn dialog: focus
// moves, keys on each kind of control, typing into edits, combo lists and
// slider drags, each as a table of input and the dialog's state after it.
#include "game/DialogInteraction.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/DialogPainter.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"

namespace orrivel {
namespace {

using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Point;
using Modifiers = DialogInteraction::Modifiers;
using Kind = DialogAction::Kind;

constexpr uint16_t kFirstTab = 0x7000;

DialogRequest Sample() {
  DialogRequest request;
  request.rect = {0, 0, 300, 200};
  request.defaultButton = 1;
  request.cancelButton = 2;
  auto add = [&](uint16_t id, DialogControlKind kind, platform::Rect r) -> DialogControl& {
    DialogControl control;
    control.id = id;
    control.kind = kind;
    control.rect = r;
    request.controls.push_back(control);
    return request.controls.back();
  };
  add(0, DialogControlKind::Frame, {2, 24, 298, 160});
  add(kFirstTab, DialogControlKind::Tab, {4, 4, 64, 24}).checked = true;
  add(kFirstTab + 1, DialogControlKind::Tab, {64, 4, 124, 24});
  add(kFirstTab + 2, DialogControlKind::Tab, {124, 4, 184, 24});
  add(10, DialogControlKind::CheckBox, {10, 30, 150, 48});
  add(11, DialogControlKind::CheckBox, {10, 50, 150, 68}).enabled = false;
  add(20, DialogControlKind::Radio, {10, 70, 100, 88}).checked = true;
  add(21, DialogControlKind::Radio, {110, 70, 200, 88});
  DialogControl& combo = add(30, DialogControlKind::Combo, {10, 94, 150, 114});
  combo.items = {"a", "b", "c"};
  combo.text = "a";
  DialogControl& slider = add(40, DialogControlKind::Slider, {10, 120, 150, 142});
  slider.maximum = 10;
  slider.value = 5;
  DialogControl& edit = add(50, DialogControlKind::Edit, {160, 30, 290, 50});
  edit.text = "12";
  add(1, DialogControlKind::Button, {150, 170, 210, 194}).text = "OK";
  add(2, DialogControlKind::Button, {220, 170, 280, 194}).text = "Cancel";
  return request;
}

// The dialog's owner: it does what each action asks, as a game dialog does.
struct Model {
  DialogRequest request = Sample();
  DialogInteraction interaction;
  std::string pressed;

  void Apply(const DialogAction& action) {
    if (action.kind == Kind::Cancel) pressed += "cancel ";
    if (action.kind == Kind::Press) {
      pressed += std::to_string(action.id) + " ";
      const DialogControl* pressedControl = request.Find(action.id);
      if (pressedControl != nullptr && pressedControl->kind == DialogControlKind::Tab) {
        for (DialogControl& c : request.controls) {
          if (c.kind == DialogControlKind::Tab) c.checked = c.id == action.id;
        }
      }
    }
    DialogControl* c = request.Find(action.id);
    if (c == nullptr) return;
    switch (action.kind) {
      case Kind::Toggle: c->checked = !c->checked; break;
      case Kind::Choose:
        for (DialogControl& radio : request.controls) {
          if (radio.kind == DialogControlKind::Radio) radio.checked = radio.id == action.id;
        }
        break;
      case Kind::Select: c->value = action.value; c->text = c->items[size_t(action.value)]; break;
      case Kind::Slide: c->value = action.value; break;
      case Kind::Edit: c->text = action.text; break;
      default: break;
    }
  }
  void Key(uint32_t key, Modifiers held = {}) { Apply(interaction.KeyDown(request, key, held)); }
  void Type(const std::string& bytes) {
    for (char byte : bytes) Apply(interaction.Character(request, uint8_t(byte)));
  }
  void Down(Point at) { Apply(interaction.PointerDown(request, at)); }
  void Move(Point at) { Apply(interaction.PointerMove(request, at)); }
  void Up(Point at) { Apply(interaction.PointerUp(request, at)); }
  void Click(Point at) {
    Down(at);
    Up(at);
  }

  // The state as one line: focus, page, check box, radio, combo, slider,
  // edit, open list and the buttons pressed.
  std::string State() const {
    DialogRequest shown = request;
    interaction.Decorate(shown);
    std::string out = "focus=" + std::to_string(interaction.Focus());
    for (const DialogControl& c : shown.controls) {
      if (c.kind == DialogControlKind::Tab && c.checked) out += " page=" + std::to_string(c.id - kFirstTab);
    }
    out += std::string(" check=") + (request.Find(10)->checked ? "1" : "0");
    out += std::string(" radio=") + (request.Find(21)->checked ? "21" : "20");
    out += " combo=" + std::to_string(request.Find(30)->value);
    out += " slider=" + std::to_string(request.Find(40)->value);
    out += " edit=" + request.Find(50)->text;
    for (const DialogControl& c : shown.controls) {
      if (c.dropped) out += " list=" + std::to_string(c.highlighted);
    }
    if (!pressed.empty()) out += " pressed=" + pressed;
    return out;
  }
};

struct Input {
  enum { Key, Char } kind;
  uint32_t code;
  Modifiers held;
};
Input K(uint32_t key, Modifiers held = {}) { return Input{Input::Key, key, held}; }
Input C(char byte) { return Input{Input::Char, uint8_t(byte), {}}; }
constexpr Modifiers kShift{true, false, false};
constexpr Modifiers kCtrl{false, true, false};
constexpr Modifiers kCtrlShift{true, true, false};
constexpr Modifiers kAlt{false, false, true};

std::vector<Input> Tabs(int count, std::vector<Input> then = {}) {
  std::vector<Input> out(size_t(count), K(platform::VK_TAB));
  out.insert(out.end(), then.begin(), then.end());
  return out;
}

TEST(DialogInteraction, KeysMoveTheFocusAndWorkTheFocusedControl) {
  using namespace platform;
  const std::string start = " page=0 check=0 radio=20 combo=0 slider=5 edit=12";
  struct Case {
    const char* name;
    std::vector<Input> keys;
    std::string state;
  };
  const Case cases[] = {
      // Tab stops: the page's tab, the enabled check box (not the disabled
      // one), the chosen radio only, combo, slider, edit and the buttons.
      {"tab once", Tabs(1), "focus=28672" + start},
      {"tab twice", Tabs(2), "focus=10" + start},
      {"tab skips the disabled box", Tabs(3), "focus=20" + start},
      {"tab to the slider", Tabs(5), "focus=40" + start},
      {"tab to Cancel", Tabs(8), "focus=2" + start},
      {"tab wraps round", Tabs(9), "focus=28672" + start},
      {"shift+tab from nothing", {K(VK_TAB, kShift)}, "focus=2" + start},
      {"shift+tab back", Tabs(3, {K(VK_TAB, kShift)}), "focus=10" + start},
      // Space flips, chooses, presses.
      {"space flips the box", Tabs(2, {K(VK_SPACE)}), "focus=10 page=0 check=1 radio=20 combo=0 slider=5 edit=12"},
      {"space twice", Tabs(2, {K(VK_SPACE), K(VK_SPACE)}), "focus=10" + start},
      {"space presses Cancel", Tabs(8, {K(VK_SPACE)}), "focus=2" + start + " pressed=2 "},
      // Enter: the focused button, else the default one; Esc cancels.
      {"enter", {K(VK_RETURN)}, "focus=0" + start + " pressed=1 "},
      {"enter on Cancel", Tabs(8, {K(VK_RETURN)}), "focus=2" + start + " pressed=2 "},
      {"enter on the box", Tabs(2, {K(VK_RETURN)}), "focus=10" + start + " pressed=1 "},
      {"esc", {K(VK_ESCAPE)}, "focus=0" + start + " pressed=cancel "},
      // Arrows: radios move in their group and wrap, the combo's choice
      // holds at its ends, the slider steps, pages and jumps.
      {"down on the radio", Tabs(3, {K(VK_DOWN)}), "focus=21 page=0 check=0 radio=21 combo=0 slider=5 edit=12"},
      {"radio wraps", Tabs(3, {K(VK_DOWN), K(VK_RIGHT)}), "focus=20" + start},
      {"up on the radio wraps", Tabs(3, {K(VK_UP)}), "focus=21 page=0 check=0 radio=21 combo=0 slider=5 edit=12"},
      {"combo down", Tabs(4, {K(VK_DOWN), K(VK_DOWN), K(VK_DOWN)}),
       "focus=30 page=0 check=0 radio=20 combo=2 slider=5 edit=12"},
      {"combo end then up", Tabs(4, {K(VK_END), K(VK_UP)}), "focus=30 page=0 check=0 radio=20 combo=1 slider=5 edit=12"},
      {"slider steps", Tabs(5, {K(VK_RIGHT), K(VK_RIGHT), K(VK_LEFT)}),
       "focus=40 page=0 check=0 radio=20 combo=0 slider=6 edit=12"},
      {"slider ends", Tabs(5, {K(VK_END), K(VK_RIGHT)}), "focus=40 page=0 check=0 radio=20 combo=0 slider=10 edit=12"},
      {"slider home and page", Tabs(5, {K(VK_HOME), K(VK_NEXT)}),
       "focus=40 page=0 check=0 radio=20 combo=0 slider=1 edit=12"},
      // Pages: Ctrl+Tab, Ctrl+PageDown forwards, with Shift or PageUp back,
      // the arrows on the focused tab.
      {"ctrl+tab", {K(VK_TAB, kCtrl)}, "focus=28673 page=1 check=0 radio=20 combo=0 slider=5 edit=12 pressed=28673 "},
      {"ctrl+shift+tab wraps back", {K(VK_TAB, kCtrlShift)},
       "focus=28674 page=2 check=0 radio=20 combo=0 slider=5 edit=12 pressed=28674 "},
      {"ctrl+pagedown twice", {K(VK_NEXT, kCtrl), K(VK_NEXT, kCtrl)},
       "focus=28674 page=2 check=0 radio=20 combo=0 slider=5 edit=12 pressed=28673 28674 "},
      {"ctrl+pageup", {K(VK_PRIOR, kCtrl)},
       "focus=28674 page=2 check=0 radio=20 combo=0 slider=5 edit=12 pressed=28674 "},
      {"right on the tab", Tabs(1, {K(VK_RIGHT)}),
       "focus=28673 page=1 check=0 radio=20 combo=0 slider=5 edit=12 pressed=28673 "},
      // The combo's list from the keyboard: F4 or Alt+Down opens it, the
      // arrows move its highlight, Enter picks, Esc closes it only.
      {"f4 opens the list", Tabs(4, {K(VK_F4), K(VK_DOWN)}), "focus=30" + start + " list=1"},
      {"enter picks", Tabs(4, {K(VK_F4), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)}),
       "focus=30 page=0 check=0 radio=20 combo=2 slider=5 edit=12"},
      {"esc closes the list only", Tabs(4, {K(VK_DOWN, kAlt), K(VK_DOWN), K(VK_ESCAPE)}), "focus=30" + start},
      {"alt+up picks", Tabs(4, {K(VK_DOWN, kAlt), K(VK_END), K(VK_UP, kAlt)}),
       "focus=30 page=0 check=0 radio=20 combo=2 slider=5 edit=12"},
      {"tab closes the list", Tabs(4, {K(VK_F4), K(VK_DOWN), K(VK_TAB)}), "focus=40" + start},
      // Typing: into the focused edit only; the editing characters act as
      // their keys.
      {"typing into the edit", Tabs(6, {C('3'), K(VK_LEFT), C('0')}),
       "focus=50 page=0 check=0 radio=20 combo=0 slider=5 edit=1203"},
      {"typing elsewhere", Tabs(2, {C('3')}), "focus=10" + start},
      {"backspace character", Tabs(6, {C('\b')}), "focus=50 page=0 check=0 radio=20 combo=0 slider=5 edit=1"},
      {"enter character", {C('\r')}, "focus=0" + start + " pressed=1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    for (const Input& input : c.keys) {
      if (input.kind == Input::Key) model.Key(input.code, input.held);
      else model.Type(std::string(1, char(input.code)));
    }
    EXPECT_EQ(model.State(), c.state);
  }
  // A slider with steps of its own: an arrow moves a line, Page Down a page.
  Model stepped;
  stepped.request.Find(40)->lineStep = 2;
  stepped.request.Find(40)->pageStep = 4;
  stepped.interaction.SetFocus(40);
  stepped.Key(platform::VK_RIGHT);
  EXPECT_EQ(stepped.request.Find(40)->value, 7);
  stepped.Key(platform::VK_PRIOR);
  EXPECT_EQ(stepped.request.Find(40)->value, 3);
  stepped.Key(platform::VK_NEXT);
  stepped.Key(platform::VK_NEXT);
  EXPECT_EQ(stepped.request.Find(40)->value, 10);
}

// What an edit makes of typed text and its editing keys: the caret moves
// by whole characters, the limit and the digits-only rule refuse what
// does not fit.
TEST(DialogInteraction, EditsTakeTypedTextAtTheCaret) {
  using namespace platform;
  const std::string a = Utf8ToCp932Lossy("あ"), i = Utf8ToCp932Lossy("い"), u = Utf8ToCp932Lossy("う");
  struct Case {
    const char* name;
    std::string text;
    uint16_t limit;
    bool digits;
    bool readOnly;
    std::vector<Input> keys;
    std::string typed;
    std::string after;
    int32_t caret;
  };
  const std::vector<Case> cases = {
      {"appends", "ab", 0, false, false, {}, "c", "abc", 3},
      {"home then types", "ab", 0, false, false, {K(VK_HOME)}, "x", "xab", 1},
      {"left and backspace", "ab", 0, false, false, {K(VK_LEFT), K(VK_BACK)}, "", "b", 0},
      {"home and delete", "ab", 0, false, false, {K(VK_HOME), K(VK_DELETE)}, "", "b", 0},
      {"delete at the end", "ab", 0, false, false, {K(VK_DELETE)}, "", "ab", 2},
      {"backspace past the start", "a", 0, false, false, {K(VK_BACK), K(VK_BACK)}, "", "", 0},
      {"right at the end stays", "ab", 0, false, false, {K(VK_RIGHT), K(VK_END)}, "", "ab", 2},
      {"whole characters", a + i, 0, false, false, {K(VK_LEFT), K(VK_BACK)}, "", i, 0},
      {"typed between two", a + i, 0, false, false, {K(VK_LEFT)}, u, a + u + i, 4},
      {"digits only", "12", 0, true, false, {}, "a3-", "123", 3},
      {"limit", "12", 3, true, false, {}, "345", "123", 3},
      {"a character past the limit", a, 4, false, false, {}, i + u, a + i, 4},
      {"a single byte fits the last place", a, 3, false, false, {}, i + "x", a + "x", 3},
      {"read only", "Z", 0, false, true, {K(VK_BACK)}, "q", "Z", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    DialogControl& edit = *model.request.Find(50);
    edit.text = c.text;
    edit.textLimit = c.limit;
    edit.digitsOnly = c.digits;
    edit.readOnly = c.readOnly;
    model.interaction.SetFocus(50);
    for (const Input& input : c.keys) model.Key(input.code, input.held);
    model.Type(c.typed);
    EXPECT_EQ(model.request.Find(50)->text, c.after);
    DialogRequest shown = model.request;
    model.interaction.Decorate(shown);
    EXPECT_EQ(shown.Find(50)->caret, c.caret);
  }
}

// The pointer: a combo's list drops down on a click and follows the
// pointer, a click on an item picks it and one anywhere else only closes
// it; a slider follows the held pointer to its ends; a button acts only
// when pressed and released over it.
TEST(DialogInteraction, ThePointerDropsListsAndDragsSliders) {
  const DialogRequest sample = Sample();
  const DialogControl& combo = *sample.Find(30);
  const platform::Rect list = DialogPainter::DropListRect(sample, combo);
  auto item = [&](int32_t n) { return Point{list.left + 10, list.top + 1 + n * DialogPainter::kListItemHeight + 8}; };
  const Point onCombo{20, 104}, onBox{20, 39}, onOk{160, 180}, onCancel{230, 180};
  const platform::Rect track = sample.Find(40)->rect;
  const int32_t y = (track.top + track.bottom) / 2;
  const int32_t span = track.Width() - 2 * DialogPainter::kThumbHalf - 1;
  auto along = [&](int32_t value) { return Point{track.left + DialogPainter::kThumbHalf + span * value / 10, y}; };
  const std::string start = " page=0 check=0 radio=20 combo=0 slider=5 edit=12";
  struct Case {
    const char* name;
    std::function<void(Model&)> act;
    std::string state;
  };
  const Case cases[] = {
      {"a click drops the list", [&](Model& m) { m.Click(onCombo); }, "focus=30" + start + " list=0"},
      {"the item under the pointer lights", [&](Model& m) { m.Click(onCombo); m.Move(item(2)); },
       "focus=30" + start + " list=2"},
      {"a click picks", [&](Model& m) { m.Click(onCombo); m.Move(item(2)); m.Click(item(1)); },
       "focus=30 page=0 check=0 radio=20 combo=1 slider=5 edit=12"},
      {"a click outside only closes", [&](Model& m) { m.Click(onCombo); m.Click(onBox); }, "focus=30" + start},
      {"a click on the combo closes", [&](Model& m) { m.Click(onCombo); m.Click(onCombo); }, "focus=30" + start},
      {"esc closes", [&](Model& m) { m.Click(onCombo); m.Key(platform::VK_ESCAPE); }, "focus=30" + start},
      {"the thumb follows the pointer",
       [&](Model& m) { m.Down(along(5)); m.Move(along(8)); m.Up(along(8)); },
       "focus=40 page=0 check=0 radio=20 combo=0 slider=8 edit=12"},
      {"past the ends holds",
       [&](Model& m) { m.Down(along(5)); m.Move(Point{track.right + 50, y + 40}); m.Up(Point{0, 0}); },
       "focus=40 page=0 check=0 radio=20 combo=0 slider=10 edit=12"},
      {"a press on the track jumps", [&](Model& m) { m.Down(along(1)); m.Up(along(1)); },
       "focus=40 page=0 check=0 radio=20 combo=0 slider=1 edit=12"},
      {"released, it stays",
       [&](Model& m) { m.Down(along(5)); m.Up(along(5)); m.Move(along(0)); },
       "focus=40" + start},
      {"pressed on OK, let go on Cancel", [&](Model& m) { m.Down(onOk); m.Up(onCancel); }, "focus=1" + start},
      {"clicked on OK", [&](Model& m) { m.Click(onOk); }, "focus=1" + start + " pressed=1 "},
      {"a disabled box", [&](Model& m) { m.Click(Point{20, 59}); }, "focus=0" + start},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    c.act(model);
    EXPECT_EQ(model.State(), c.state);
  }
  // The list opens above a combo near the client area's bottom.
  DialogControl low = combo;
  low.rect = {10, 180, 150, 198};
  EXPECT_EQ(DialogPainter::DropListRect(sample, low).bottom, 180);
}

}  // namespace
}  // namespace orrivel
