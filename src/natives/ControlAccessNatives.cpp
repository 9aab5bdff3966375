// Natives 720 to 787 that act on one control a script holds: the common
// properties of every control, the value accessors by kind, and the
// operations of check buttons, scroll bars, windows, text panels, item
// menus and text lists. A null, stale or forged handle and a control of a
// kind the native does not serve get the same refusal value.
#include <string>

#include "display/DrawObjectManager.h"
#include "natives/ControlAccess.h"
#include "natives/ControlLoans.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/ProcessObjects.h"
#include "raster/Surface.h"
#include "platform/Rect.h"
#include "text/Font.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptControlCells.h"
#include "scene/CheckButtonBase.h"
#include "scene/ControlFactory.h"
#include "scene/HotSpotControl.h"
#include "scene/ItemMenuControl.h"
#include "scene/PushControl.h"
#include "scene/ScrollBar.h"
#include "scene/TextListControl.h"
#include "scene/TextPanelControl.h"
#include "scene/WindowControl.h"
#include "script/NativeArgs.h"

namespace orrivel {

namespace {

// The script's own message window.
constexpr int32_t kControlGameDrawable = 111;

constexpr uint32_t kDisabledLineColour = 0x00909090;
constexpr uint32_t kDisabledGradientTop = 0x00B0B0B0;
constexpr uint32_t kDisabledGradientBottom = 0x00595959;

bool IsWindowKind(int32_t kind) { return kind == kControlWindow || kind == kControlGameDrawable; }

// The kinds without an event or sound operation; native 723 answers 1 for
// them and changes nothing.
bool TakesNoSoundCodes(int32_t kind) {
  return kind == kControlTextEntry || kind == kControlWindow || kind == kControlTextPanelA ||
         kind == kControlTextPanelB || kind > kControlItemMenu;
}

// A native on one control: the body runs only for a control the script
// may reach; refused answers the rest.
template <class Body>
ScriptNative OnControl(ScriptControlCells cells, uint32_t refused, Body body) {
  return [cells, refused, body](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    if (control == nullptr || args.Failed()) return refused;
    const uint32_t result = body(*control, args);
    return args.Failed() ? refused : result;
  };
}

// As OnControl, for the kinds the test accepts only.
template <class Accept, class Body>
ScriptNative OnKinds(ScriptControlCells cells, uint32_t refused, Accept accept, Body body) {
  return OnControl(cells, refused, [refused, accept, body](Control& control, NativeArgs& args) -> uint32_t {
    return accept(control.GetKind()) ? body(control, args) : refused;
  });
}

template <class Body>
ScriptNative OnKind(ScriptControlCells cells, int32_t kind, uint32_t refused, Body body) {
  return OnKinds(cells, refused, [kind](int32_t k) { return k == kind; }, body);
}

// Native 723: cells 1-3 are the activate, hover and leave sound codes. They
// go last into the kind's event operation, whose other values (event names
// and value, the three flag cells, the sound names) are all none: buttons,
// colour boxes, check buttons and hot spots take a whole event record of
// them, scroll bars, text lists and item menus their sound operation (no
// names, the three codes). The cells are values: no address is kept.
uint32_t SetSoundCodes(Control& control, NativeArgs& args) {
  const int32_t kind = control.GetKind();
  if (TakesNoSoundCodes(kind)) return 1;
  const int32_t activate = args.Int(1), hover = args.Int(2), leave = args.Int(3);
  if (args.Failed()) return 0;
  PushEvents events;
  events.activateCode = activate;
  events.hoverCode = hover;
  events.leaveCode = leave;
  if (auto* push = dynamic_cast<PushControl*>(&control)) push->SetEvents(events);
  if (auto* check = dynamic_cast<CheckButtonBase*>(&control)) check->SetEventRecord(events);
  if (auto* spot = dynamic_cast<HotSpotControl*>(&control)) spot->SetEventRecord(events);
  if (auto* bar = dynamic_cast<ScrollBar*>(&control)) bar->SetSounds(nullptr, nullptr, nullptr, activate, hover, leave);
  if (auto* list = dynamic_cast<TextListControlBase*>(&control))
    list->SetSounds(nullptr, nullptr, nullptr, activate, hover, leave);
  if (auto* menu = dynamic_cast<ItemMenuControl*>(&control))
    menu->SetSounds(nullptr, nullptr, nullptr, activate, hover, leave);
  return 0;
}

// Two optional output addresses; 0 for either is none.
void WritePair(NativeArgs& args, uint32_t first, uint32_t second) {
  args.SetOptionalInt(1, first);
  args.SetOptionalInt(2, second);
}

uint32_t SetItemMenuItem(ItemMenuControl& menu, NativeArgs& args) {
  const uint8_t item = args.Byte(1);
  const int32_t selection = args.Int(2);
  const bool hasText = args.Cell(3) != 0;
  const std::string text = hasText ? args.String(3) : std::string();
  if (args.Failed()) return 0;
  if (selection >= 0 && menu.SetItemEnabled(item, selection != 0 ? 1 : 0) != 0) return 2;
  if (hasText) {
    const ItemMenuItemRecord* current = menu.Record(item);
    ItemMenuItemRecord record = current != nullptr ? *current : ItemMenuItemRecord{};
    record.tooltip = text;
    if (menu.SetItem(item, record) != 0) return 3;
  }
  return 0;
}

uint32_t AddTextListLine(TextListControl& list, NativeArgs& args) {
  const bool hasText = args.Cell(1) != 0;
  const std::string text = hasText ? args.String(1) : std::string();
  TextListLineArgs line;
  line.text = hasText ? text.c_str() : nullptr;
  line.value = args.Int(2);
  if (args.Cell(3) != uint32_t(-1)) {
    line.disabled = args.Flag(3);
    line.activatedFlag = ScriptCell{&args.Space(), args.Cell(4)};
    line.hoverFlag = ScriptCell{&args.Space(), args.Cell(5)};
    line.idleFlag = ScriptCell{&args.Space(), args.Cell(6)};
  }
  if (args.Failed()) return 4;
  return uint32_t(list.AddLine(line));
}

// Natives 786 and 787: the text list that shows the message's read flags.
class MessageWindowNatives {
 public:
  explicit MessageWindowNatives(ScriptControlCells cells) : cells_(cells) {}

  // The registered window hears that it no longer has a source and goes;
  // a text list in cell 0 takes its place.
  uint32_t Register(NativeArgs& args, ScriptControls& registry) const {
    if (auto* old = dynamic_cast<TextListControlBase*>(cells_.Find(registry.messageWindow))) {
      old->SetChoiceMemory(nullptr, 0, ScriptCell{});
    }
    registry.messageWindow = 0;
    const uint32_t handle = args.Cell(0);
    Control* control = cells_.Find(handle);
    if (control == nullptr || control->GetKind() != kControlTextList) return 1;
    registry.messageWindow = handle;
    return 0;
  }
  uint32_t Link(TextListControlBase& list, ScriptControls& registry) const {
    auto* window = dynamic_cast<TextListControlBase*>(cells_.Find(registry.messageWindow));
    return uint32_t(list.CopyChoiceMemory(window));
  }

 private:
  ScriptControlCells cells_;
};

void BindCommonNatives(NativeBinder& binder, ScriptControlCells cells) {
  binder.Bind(720, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    c.SetTag(args.Int(1));
    return 1;
  }));
  binder.Bind(721, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    const bool given = args.Cell(1) != 0;
    const std::string name = given ? args.String(1) : std::string();
    if (!args.Failed()) c.SetName(given ? name.c_str() : nullptr);
    return 1;
  }));
  binder.Bind(723, OnControl(cells, uint32_t(-1), SetSoundCodes));
  binder.Bind(724, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    return c.SetEnabled(args.Flag(1)) ? 1 : 0;
  }));
  binder.Bind(725, OnControl(cells, 0, [](Control& c, NativeArgs&) -> uint32_t { return c.IsEnabled() ? 1 : 0; }));
  binder.Bind(726, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    c.SetVisible(args.Flag(1));
    return 1;
  }));
  binder.Bind(727, OnControl(cells, 0, [](Control& c, NativeArgs&) -> uint32_t { return c.IsVisible() ? 1 : 0; }));
  binder.Bind(728, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    c.SetPosition(args.Int(1), args.Int(2));
    return 1;
  }));
  binder.Bind(729, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    return uint32_t(c.AttachToSpriteList(args.Int(1), 0, 1));
  }));
  binder.Bind(730, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    c.SetDrawFlags(args.Byte(1));
    return 1;
  }));
  binder.Bind(735, [cells](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    // A text entry's value, and what a window types, is the text at the
    // cell's address.
    const int32_t kind = control != nullptr ? control->GetKind() : -1;
    const bool text = (kind == kControlTextEntry || kind == kControlWindow) && args.Cell(1) != 0;
    const std::string value = text ? args.String(1) : std::string();
    if (args.Failed()) return uint32_t(-1);
    return uint32_t(SetControlValue(control, args.Int(1), text ? value.c_str() : nullptr));
  });
  // A text entry answers with the address of its text, copied into the
  // script's memory (one block per control handle, rewritten each call).
  binder.Bind(736, [cells, &host = binder.Host()](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    std::string text;
    const int32_t value = GetControlValue(control, &text);
    if (control == nullptr || control->GetKind() != kControlTextEntry) return uint32_t(value);
    return host.HostString("text entry " + std::to_string(args.Cell(0)), text);
  });
}

void BindKindNatives(NativeBinder& binder, ScriptControlCells cells) {
  binder.Bind(740, OnKind(cells, kControlCheckButton, uint32_t(-1), [](Control& c, NativeArgs& args) -> uint32_t {
    static_cast<CheckButtonBase&>(c).SetState(args.Byte(1));
    return 0;
  }));
  binder.Bind(741, OnKind(cells, kControlCheckButton, uint32_t(-1), [](Control& c, NativeArgs&) -> uint32_t {
    return static_cast<CheckButtonBase&>(c).IsOn() ? 1 : 0;
  }));
  // A refused range still clears the caller's two variables.
  binder.Bind(746, [cells](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    if (control == nullptr || control->GetKind() != kControlScrollBar) {
      WritePair(args, 0, 0);
      return 0;
    }
    const auto* bar = static_cast<ScrollBar*>(control);
    WritePair(args, uint32_t(bar->GetMaximum()), uint32_t(bar->GetThumbLength()));
    return 1;
  });
  binder.Bind(752, OnKinds(
                       cells, 0, [](int32_t k) { return IsWindowKind(k) || k == kControlTextList; },
                       [](Control& c, NativeArgs&) -> uint32_t {
                         if (auto* list = dynamic_cast<TextListControl*>(&c)) list->Clear();
                         if (auto* window = dynamic_cast<WindowControl*>(&c)) window->ClearPage();
                         return 1;
                       }));
  auto panel = [](int32_t k) { return k == kControlTextPanelB; };
  binder.Bind(754, OnKinds(cells, uint32_t(-1), panel, [](Control& c, NativeArgs& args) -> uint32_t {
    const std::string text = args.Cell(1) != 0 ? args.String(1) : std::string();
    const bool hasFace = args.Cell(2) != 0;
    const std::string face = hasFace ? args.String(2) : std::string();
    if (args.Failed()) return uint32_t(-1);
    return uint32_t(static_cast<TextPanelControl&>(c).AppendLine(text.c_str(), hasFace ? face.c_str() : nullptr,
                                                                  args.Flag(3)));
  }));
  binder.Bind(755, OnKinds(cells, 0, panel, [](Control& c, NativeArgs& args) -> uint32_t {
    auto& p = static_cast<TextPanelControl&>(c);
    if (args.Flag(1)) {
      p.Refresh();
    } else {
      p.Redraw();
    }
    return 1;
  }));
  binder.Bind(756, OnKinds(cells, uint32_t(-1), panel, [](Control& c, NativeArgs& args) -> uint32_t {
    return uint32_t(static_cast<TextPanelControl&>(c).SetItemState(args.Int(1), args.Flag(2), args.Flag(3)));
  }));
  binder.Bind(757, OnKinds(cells, 0, panel, [](Control& c, NativeArgs& args) -> uint32_t {
    return static_cast<TextPanelControl&>(c).GetItemState(args.Int(1));
  }));
  binder.Bind(758, OnKinds(cells, 0, panel, [](Control& c, NativeArgs&) -> uint32_t {
    return uint32_t(static_cast<TextPanelControl&>(c).GetSelected());
  }));
  binder.Bind(759, OnKind(cells, kControlItemMenu, 1, [](Control& c, NativeArgs& args) -> uint32_t {
    return SetItemMenuItem(static_cast<ItemMenuControl&>(c), args);
  }));
  binder.Bind(768, [cells](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    return control != nullptr && control->GetKind() == kControlGameDrawable ? 1 : 0;
  });
  // The lists' layout and colours; the disabled lines keep fixed greys.
  binder.Bind(778, OnKind(cells, kControlTextList, 4, [](Control& c, NativeArgs& args) -> uint32_t {
    return uint32_t(static_cast<TextListControl&>(c).SetLineSize(args.Int(1), args.Int(2), args.Int(3), args.Int(4)));
  }));
  binder.Bind(781, OnKind(cells, kControlTextList, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    static_cast<TextListControl&>(c).SetColours(args.Cell(1), args.Cell(2), args.Cell(3), kDisabledLineColour);
    return 1;
  }));
  binder.Bind(782, OnKind(cells, kControlTextList, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    static_cast<TextListControl&>(c).SetGradients(args.Cell(1), args.Cell(2), args.Cell(3), args.Cell(4), args.Cell(5),
                                                  args.Cell(6), kDisabledGradientTop, kDisabledGradientBottom);
    return 1;
  }));
  binder.Bind(784, OnKind(cells, kControlTextList, 4, [](Control& c, NativeArgs& args) -> uint32_t {
    return AddTextListLine(static_cast<TextListControl&>(c), args);
  }));
}

// Natives 737 and 738: the flag cell passed to an access by kind, which
// answers -1 for a null control itself.
ScriptNative FlagByKind(ScriptControlCells cells, int32_t (*set)(Control*, bool)) {
  return [cells, set](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    const bool flag = args.Flag(1);
    return args.Failed() ? uint32_t(-1) : uint32_t(set(control, flag));
  };
}

// Natives 733 and 734: the control's sprite and surface as display-object
// handles the scripts can draw with. The objects stay the control's; the
// handles go stale when it goes. A surface the control only borrows is
// named by the handle its owner has, or none.
uint32_t LendControlSprite(Control& c, NativeArgs& args) {
  const int32_t index = args.Int(1);
  ProcessObjects* objects = GetProcessObjects();
  if (args.Failed() || objects == nullptr) return 0;
  return objects->ControlDisplayLoans().LendSprite(ScriptDisplayObjects(), c, GetControlSprite(&c, index));
}

uint32_t LendControlSurface(Control& c, NativeArgs& args) {
  const int32_t index = args.Int(1);
  ProcessObjects* objects = GetProcessObjects();
  if (args.Failed() || objects == nullptr) return 0;
  // A text list answers with a line's value.
  if (c.GetKind() == kControlTextList) return uint32_t(GetTextListLineValue(&c, index));
  bool borrowed = false;
  Surface* surface = GetControlSurface(&c, index, &borrowed);
  DrawObjectManager* display = ScriptDisplayObjects();
  if (surface == nullptr || display == nullptr) return 0;
  if (borrowed) return display->HandleOfImage(surface);
  return objects->ControlDisplayLoans().LendImage(display, c, surface);
}

// Natives 722, 731-734, 737 and 738: bounds, the two state values, the
// sprite and surface, the display flag and the input lock, on any kind
// that has them.
void BindStateNatives(NativeBinder& binder, ScriptControlCells cells) {
  binder.Bind(722, OnControl(cells, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    const int32_t left = args.Int(1), top = args.Int(2), right = args.Int(3), bottom = args.Int(4);
    if (!args.Failed()) SetControlBounds(&c, left, top, right, bottom);
    return 1;
  }));
  binder.Bind(731, OnControl(cells, 0, [](Control& c, NativeArgs&) { return uint32_t(GetControlState(&c, 0)); }));
  binder.Bind(732, OnControl(cells, 0, [](Control& c, NativeArgs&) { return uint32_t(GetControlState(&c, 1)); }));
  binder.Bind(733, OnControl(cells, 0, LendControlSprite));
  binder.Bind(734, OnControl(cells, 0, LendControlSurface));
  binder.Bind(737, FlagByKind(cells, SetControlFlag));
  binder.Bind(738, FlagByKind(cells, SetControlOption));
  binder.Bind(747, OnKind(cells, kControlHotSpot, 0, [](Control& c, NativeArgs& args) -> uint32_t {
    static_cast<HotSpotControl&>(c).SetCentre(args.Int(1), args.Int(2));
    return 1;
  }));
}

// The window and text-list operations of natives 748-753 and the window
// operations of 760-766; a window of the script's message window too.
WindowControl* WindowOf(Control& c) { return IsWindowKind(c.GetKind()) ? dynamic_cast<WindowControl*>(&c) : nullptr; }
TextListControl* ListOf(Control& c) {
  return c.GetKind() == kControlTextList ? dynamic_cast<TextListControl*>(&c) : nullptr;
}
bool WindowOrList(int32_t k) { return IsWindowKind(k) || k == kControlTextList; }

uint32_t SetMarginsAndGaps(Control& c, NativeArgs& args) {
  // Windows take six cells, lists eight.
  WindowControl* window = WindowOf(c);
  int32_t v[8] = {};
  for (uint32_t i = 0; i < (window != nullptr ? 6u : 8u); ++i) v[i] = args.Int(i + 1);
  if (args.Failed()) return 0;
  if (window != nullptr) {
    window->SetMargins(v[0], v[1], v[2], v[3], true);
    window->SetGaps(v[4], v[5], window->RubyGap());
  } else if (TextListControl* list = ListOf(c)) {
    list->SetMargins(v[0], v[1], v[2], v[3]);
    list->pressOffsetX = v[4], list->pressOffsetY = v[5];
    list->textOffsetX = v[6], list->textOffsetY = v[7];
  }
  return 1;
}

uint32_t SetWindowFont(Control& c, NativeArgs& args) {
  const bool ruby = args.Byte(1) != 0;
  Font* font = ControlFontAt(args, 2);
  const bool redraw = args.Byte(3) != 0;
  if (args.Failed()) return uint32_t(-1);
  if (WindowControl* window = WindowOf(c)) {
    return uint32_t(ruby ? window->SetFonts(window->GetFont(), font, redraw)
                         : window->SetFonts(font, window->GetRubyFont(), redraw));
  }
  if (font == nullptr) return 1;
  ListOf(c)->SetFont(font);
  return 0;
}

// The text's size in the control's font, written to the two addresses.
uint32_t MeasureText(Control& c, NativeArgs& args) {
  const std::string text = args.Cell(3) != 0 ? args.String(3) : std::string();
  const bool withEffect = args.Flag(4);
  if (args.Failed()) return 0;
  WindowControl* window = WindowOf(c);
  Font* font = window != nullptr ? window->GetFont() : ListOf(c)->GetFont();
  // A font deleted under the control measures nothing: refused as the
  // font's own measure refuses, with the addresses left alone.
  if (font == nullptr) return 0;

  Size size{0, 0};
  const int result = font->MeasureText(text.c_str(), &size, nullptr, nullptr, withEffect, nullptr);
  WritePair(args, uint32_t(size.width), uint32_t(size.height));
  return uint8_t(result);
}

// Vertical writing, line and character gaps, wrapping, ruby gap and
// hanging, then the page laid out again.
uint32_t SetWindowStyle(WindowControl& w, NativeArgs& args) {
  const bool vertical = args.Flag(1), wrap = args.Flag(4);
  const int32_t lineGap = args.Int(2), charGap = args.Int(3), rubyGap = args.Int(5), hang = args.Int(6);
  if (args.Failed()) return 0;
  w.SetVertical(vertical, false);
  w.SetGaps(lineGap, charGap, rubyGap);
  w.SetAutoWrap(wrap);
  w.SetHangCount(hang);
  w.RecomputeWrapLimit();
  w.ResetCursor(true);
  return 1;
}

void BindWindowNatives(NativeBinder& binder, ScriptControlCells cells) {
  binder.Bind(748, OnKinds(cells, 0, WindowOrList, SetMarginsAndGaps));
  binder.Bind(749, OnKinds(cells, uint32_t(-1), WindowOrList, [](Control& c, NativeArgs& args) -> uint32_t {
    const int32_t first = args.Int(1);
    const uint32_t second = args.Cell(2);
    if (args.Failed()) return uint32_t(-1);
    if (WindowControl* window = WindowOf(c)) {
      window->SetMinLineHeight(first);
      return 0;
    }
    return uint32_t(ListOf(c)->SetBackground(uint8_t(first), second, 0));
  }));
  binder.Bind(750, OnKinds(cells, uint32_t(-1), WindowOrList, SetWindowFont));
  binder.Bind(751, OnKinds(cells, 0, WindowOrList, [](Control& c, NativeArgs& args) -> uint32_t {
    const uint8_t flag = args.Byte(1);
    if (WindowControl* window = WindowOf(c)) {
      window->SetAutoWrap(flag != 0);
    } else {
      ListOf(c)->markChosen = flag;
    }
    return 1;
  }));
  binder.Bind(753, OnKinds(cells, 0, WindowOrList, MeasureText));
  auto window = [](int32_t k) { return IsWindowKind(k); };
  auto onWindow = [&](uint32_t number, uint32_t refused, auto body) {
    binder.Bind(number, OnKinds(cells, refused, window, [body](Control& c, NativeArgs& args) -> uint32_t {
      return body(*WindowOf(c), args);
    }));
  };
  onWindow(760, 0, SetWindowStyle);
  onWindow(761, 0, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    w.SetAlphaThreshold(args.Byte(1));
    return 1;
  });
  onWindow(762, 4, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    const int32_t width = args.Int(1), height = args.Int(2);
    return args.Failed() ? 4 : uint32_t(w.Resize(width, height));
  });
  onWindow(763, 9, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    const uint8_t mode = args.Byte(1), alpha = args.Byte(3);
    const uint32_t rgb = args.Cell(2);
    return args.Failed() ? 9 : uint32_t(w.SetBackground(mode, rgb, alpha));
  });
  onWindow(764, 9, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    const bool given = args.Cell(1) != 0;
    const std::string text = given ? args.String(1) : std::string();
    const int32_t x = args.Int(2), y = args.Int(3);
    const bool viaCursor = args.Flag(4);
    if (args.Failed()) return 9;
    return uint32_t(w.DrawStringAt(given ? text.c_str() : nullptr, x, y, viaCursor));
  });
  onWindow(765, 2, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    return uint32_t(w.SetVertical(args.Flag(1), false));
  });
  onWindow(766, 5, [](WindowControl& w, NativeArgs& args) -> uint32_t {
    return uint32_t(w.SetItemsEnabled(args.Flag(1)));
  });
}

// Text lists: the frame pictures (779), the highlight (780), the drag
// alpha and chosen mark (783) and moving the hover or activating (785).
uint32_t SetListFrames(TextListControl& list, NativeArgs& args) {
  std::string names[9];
  const char* given[9] = {};
  const bool marker = args.Cell(7) == uint32_t(-1);
  for (uint32_t i = 0; i < 9; ++i) {
    const uint32_t cell = 4 + i;
    if ((marker && cell >= 7) || args.Cell(cell) == 0) continue;
    names[i] = args.String(cell);
    given[i] = names[i].c_str();
  }
  const int32_t cellCount = args.Int(1);
  const bool pressed = args.Flag(2), disabled = args.Flag(3);
  if (args.Failed()) return 4;
  const TextListControl::FrameFiles body{given[0], given[1], given[2]};
  const TextListControl::FrameFiles header{given[3], given[4], given[5]};
  const TextListControl::FrameFiles footer{given[6], given[7], given[8]};
  return uint32_t(list.SetFrameFiles(cellCount, pressed, disabled, body, header, footer));
}

void BindListNatives(NativeBinder& binder, ScriptControlCells cells) {
  auto onList = [&](uint32_t number, uint32_t refused, auto body) {
    binder.Bind(number, OnKind(cells, kControlTextList, refused, [body](Control& c, NativeArgs& args) -> uint32_t {
      return body(static_cast<TextListControl&>(c), args);
    }));
  };
  onList(779, 4, SetListFrames);
  onList(780, 0, [](TextListControl& list, NativeArgs& args) -> uint32_t {
    list.highlightMode = args.Byte(1);
    list.highlightColour = args.Cell(2);
    return 1;
  });
  onList(783, 0, [](TextListControl& list, NativeArgs& args) -> uint32_t {
    list.dragAlpha = args.Byte(1);
    list.markChosen = args.Byte(2);
    return 1;
  });
  onList(785, uint32_t(-1), [](TextListControl& list, NativeArgs& args) -> uint32_t {
    const int32_t line = args.Int(1);
    const bool activate = args.Byte(2) != 0;
    if (args.Failed()) return uint32_t(-1);
    return (activate ? list.Activate(line) : list.HoverLine(line)) ? 1 : 0;
  });
}

}  // namespace

void BindControlAccessNatives(NativeBinder& binder) {
  const ScriptControlCells cells(binder.Host());
  BindCommonNatives(binder, cells);
  BindKindNatives(binder, cells);
  BindStateNatives(binder, cells);
  BindWindowNatives(binder, cells);
  BindListNatives(binder, cells);
  ScriptControls& registry = binder.Host().ControlHandles();
  MessageWindowNatives windows(cells);
  binder.Bind(786, [windows, &registry](NativeArgs& args) { return windows.Register(args, registry); });
  binder.Bind(787, OnKind(cells, kControlTextList, uint32_t(-1), [windows, &registry](Control& c, NativeArgs&) -> uint32_t {
    return windows.Link(static_cast<TextListControlBase&>(c), registry);
  }));
}

}  // namespace orrivel
