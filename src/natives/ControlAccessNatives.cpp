// Natives 720 to 787 that act on one control a script holds: the common
// properties of every control, the value accessors by kind, and the
// operations of check buttons, scroll bars, windows, text panels, item
// menus and text lists. A null, stale or forged handle and a control of a
// kind the native does not serve get the same refusal value.
#include <string>

#include "natives/ControlAccess.h"
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

// The kinds whose colour-and-flag operation takes no event record answer
// 1; the others take the three flag cells.
bool TakesNoEventCells(int32_t kind) {
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

PushEvents EventCells(NativeArgs& args) {
  PushEvents events;
  events.clicked = ScriptCell{&args.Space(), args.Cell(1)};
  events.hover = ScriptCell{&args.Space(), args.Cell(2)};
  events.leave = ScriptCell{&args.Space(), args.Cell(3)};
  return events;
}

uint32_t SetEventCells(Control& control, NativeArgs& args) {
  const int32_t kind = control.GetKind();
  if (TakesNoEventCells(kind)) return 1;
  const PushEvents events = EventCells(args);
  if (args.Failed()) return 0;
  if (auto* push = dynamic_cast<PushControl*>(&control)) push->SetEvents(events);
  if (auto* check = dynamic_cast<CheckButtonBase*>(&control)) check->SetEventRecord(events);
  if (auto* spot = dynamic_cast<HotSpotControl*>(&control)) spot->SetEventRecord(events);
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
  binder.Bind(723, OnControl(cells, uint32_t(-1), SetEventCells));
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
  binder.Bind(736, [cells](NativeArgs& args) -> uint32_t {
    return uint32_t(GetControlValue(cells.ControlAt(args, 0), nullptr));
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

}  // namespace

void BindControlAccessNatives(NativeBinder& binder) {
  const ScriptControlCells cells(binder.Host());
  BindCommonNatives(binder, cells);
  BindKindNatives(binder, cells);
  ScriptControls& registry = binder.Host().ControlHandles();
  MessageWindowNatives windows(cells);
  binder.Bind(786, [windows, &registry](NativeArgs& args) { return windows.Register(args, registry); });
  binder.Bind(787, OnKind(cells, kControlTextList, uint32_t(-1), [windows, &registry](Control& c, NativeArgs&) -> uint32_t {
    return windows.Link(static_cast<TextListControlBase&>(c), registry);
  }));
}

}  // namespace orrivel
