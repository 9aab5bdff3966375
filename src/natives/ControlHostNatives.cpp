// Natives 682 to 719, 739 and 742 to 745: the scripts make GUI controls
// through the run's control factory, put them into the game's control host,
// drive its input, focus and saved lists, and set the factory's creation
// defaults. Controls go to the script as handles checked against the
// factory's list; an option marker in a creation's cells stands for the
// fixed defaults of the cells after it.
#include <string>

#include "natives/DisplayObjectArguments.h"
#include "natives/GameDrawable.h"
#include "natives/GameControlHost.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptControlCells.h"
#include "base/Application.h"
#include "base/TickSource.h"
#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/ControlFactory.h"
#include "scene/HotSpotControl.h"
#include "scene/ScrollBar.h"
#include "scene/TextEntryControl.h"
#include "scene/TextInputHook.h"
#include "scene/TextListControl.h"
#include "scene/TextPanelControl.h"
#include "scene/WindowControl.h"
#include "script/NativeArgs.h"

namespace orrivel {

namespace {

constexpr uint32_t kMinusOneMarker = uint32_t(-1);
constexpr uint32_t kRefused = uint32_t(-1);
constexpr uint8_t kAllDrawFlags = 255;
constexpr size_t kNameBytes = 259;

// Drawn scroll bars without their own colours.
constexpr int32_t kDefaultBarThickness = 16;
constexpr uint32_t kDefaultBarThumb = 0x00D4D0C8;
constexpr uint32_t kDefaultBarTrack = 0x00E2DFDA;
constexpr uint32_t kDefaultBarHover = 0x400080FF;
constexpr uint32_t kDefaultBarPressed = 0x4000FF80;

// Text cells may be 0 (none); the texts live as long as the call.
struct OptionalText {
  bool given = false;
  std::string text;
  const char* Get() const { return given ? text.c_str() : nullptr; }
};
OptionalText TextAt(NativeArgs& args, uint32_t i, size_t limit = 1u << 20) {
  OptionalText out;
  out.given = args.Cell(i) != 0;
  if (out.given) out.text = args.String(i, limit);
  return out;
}

class ControlHostNatives {
 public:
  explicit ControlHostNatives(GameScriptHost& host) : cells_(host) {}

  void Bind(NativeBinder& binder);

 private:
  // A creation through the factory: its answer as the script sees it.
  template <class T, class Make>
  uint32_t Create(NativeArgs& args, Make&& make) {
    ControlFactory* factory = cells_.Factory();
    if (factory == nullptr || args.Failed()) return uint32_t(ControlFactory::kOutOfMemory);
    T* made = nullptr;
    const int32_t code = make(*factory, &made);
    return cells_.Answer(code, made);
  }

  uint32_t CreateTextButton(NativeArgs& args);
  uint32_t CreateImageButton(NativeArgs& args);
  uint32_t CreateSurfaceButton(NativeArgs& args);
  uint32_t CreateImageCheckButton(NativeArgs& args);
  uint32_t CreateSurfaceCheckButton(NativeArgs& args);
  uint32_t CreateColorBox(NativeArgs& args);
  uint32_t CreateTextEntry(NativeArgs& args, bool alternative);
  uint32_t CreateDrawnScrollBar(NativeArgs& args);
  uint32_t CreateImageScrollBar(NativeArgs& args);
  uint32_t CreateWindow(NativeArgs& args);
  uint32_t CreateGameDrawable(NativeArgs& args);
  uint32_t CreateTextList(NativeArgs& args);
  uint32_t CreateHotSpot(NativeArgs& args);
  uint32_t CreateTextPanel(NativeArgs& args);
  uint32_t CreateItemMenu(NativeArgs& args);

  uint32_t SetScrollBarTrack(NativeArgs& args);
  uint32_t SetControlCanvas(NativeArgs& args);
  uint32_t DeleteControl(NativeArgs& args);
  uint32_t DeleteGroup(NativeArgs& args);
  uint32_t DeleteAll();
  uint32_t Attach(NativeArgs& args);
  uint32_t Detach(NativeArgs& args);
  uint32_t SetTextInputHook(NativeArgs& args);
  uint32_t SetImeIndicator(NativeArgs& args);

  ScriptControlCells cells_;
};

uint32_t ControlHostNatives::CreateTextButton(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1), width = args.Int(2), height = args.Int(3);
  const bool given = args.Given(4);
  const bool hasDisabled = given && args.Flag(4);
  const OptionalText text = given ? TextAt(args, 5) : OptionalText{};
  Font* font = given ? ControlFontAt(args, 6) : nullptr;
  const int32_t order = given ? args.Int(7) : 0;
  return Create<ButtonControl>(args, [&](ControlFactory& f, ButtonControl** out) {
    return f.CreateTextButton(out, x, y, width, height, hasDisabled, text.Get(), font, order);
  });
}

uint32_t ControlHostNatives::CreateImageButton(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1);
  const OptionalText name = TextAt(args, 2, kNameBytes);
  const bool given = args.Given(3);
  const bool hasDisabled = given && args.Flag(3);
  const bool hasPressed = given ? args.Flag(4) : true;
  const uint8_t blend = given ? args.Byte(5) : 2;
  const int32_t keyX = given ? args.Int(6) : -1, keyY = given ? args.Int(7) : -1;
  const int32_t order = given ? args.Int(8) : 0;
  return Create<ButtonControl>(args, [&](ControlFactory& f, ButtonControl** out) {
    return f.CreateImageButton(out, x, y, name.Get(), hasDisabled, hasPressed, blend, kAllDrawFlags, keyX, keyY,
                               order);
  });
}

uint32_t ControlHostNatives::CreateSurfaceButton(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1);
  Surface* surface = GetObjectSurface(args.Cell(2));
  if (surface == nullptr || args.Failed()) return kRefused;
  const bool given = args.Given(3);
  const bool hasDisabled = given && args.Flag(3);
  const bool hasPressed = given ? args.Flag(4) : true;
  const uint8_t blend = given ? args.Byte(5) : 2;
  const int32_t order = given ? args.Int(6) : 0;
  return Create<ButtonControl>(args, [&](ControlFactory& f, ButtonControl** out) {
    return f.CreateSurfaceButton(out, x, y, surface, hasDisabled, hasPressed, blend, kAllDrawFlags, order);
  });
}

uint32_t ControlHostNatives::CreateImageCheckButton(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1);
  const OptionalText name = TextAt(args, 2, kNameBytes);
  const uint8_t style = args.Byte(3);
  const bool given = args.Given(4);
  const bool hasDisabled = given && args.Flag(4);
  Control* leader = given ? cells_.ControlAt(args, 5) : nullptr;
  if (given && args.Cell(5) != 0 && leader == nullptr) return 1;
  const uint8_t blend = given ? args.Byte(6) : 2;
  const int32_t keyX = given ? args.Int(7) : -1, keyY = given ? args.Int(8) : -1;
  const int32_t order = given ? args.Int(9) : 0;
  return Create<CheckButtonControl>(args, [&](ControlFactory& f, CheckButtonControl** out) {
    return f.CreateImageCheckButton(out, x, y, name.Get(), style, hasDisabled, leader, blend, kAllDrawFlags, keyX,
                                    keyY, order);
  });
}

uint32_t ControlHostNatives::CreateSurfaceCheckButton(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1);
  Surface* surface = GetObjectSurface(args.Cell(2));
  if (surface == nullptr || args.Failed()) return kRefused;
  const uint8_t style = args.Byte(3);
  const bool given = args.Given(4);
  const bool hasDisabled = given && args.Flag(4);
  Control* leader = given ? cells_.ControlAt(args, 5) : nullptr;
  if (given && args.Cell(5) != 0 && leader == nullptr) return 1;
  const uint8_t blend = given ? args.Byte(6) : 2;
  const int32_t order = given ? args.Int(7) : 0;
  return Create<CheckButtonControl>(args, [&](ControlFactory& f, CheckButtonControl** out) {
    return f.CreateSurfaceCheckButton(out, x, y, surface, style, hasDisabled, leader, blend, kAllDrawFlags, order);
  });
}

uint32_t ControlHostNatives::CreateColorBox(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1), width = args.Int(2), height = args.Int(3);
  const uint32_t normal = args.Cell(4), hover = args.Cell(5), pressed = args.Cell(6);
  const int32_t order = args.Int(7);
  return Create<ColorBoxControl>(args, [&](ControlFactory& f, ColorBoxControl** out) {
    return f.CreateColorBox(out, x, y, width, height, normal, hover, pressed, order);
  });
}

// The plain entry: x, y, font, length, then inset, border, order; the
// alternative one has a line count before the length and a line gap after
// the inset.
uint32_t ControlHostNatives::CreateTextEntry(NativeArgs& args, bool alternative) {
  const int32_t x = args.Int(0), y = args.Int(1);
  Font* font = ControlFontAt(args, 2);
  const uint32_t rest = alternative ? 5 : 4;
  const int32_t lines = alternative ? args.Int(3) : 0;
  const int32_t length = args.Int(rest - 1);
  const bool given = args.Given(rest);
  const int32_t inset = given ? args.Int(rest) : 2;
  uint32_t next = rest + 1;
  const int32_t lineGap = alternative ? (given ? args.Int(next++) : 2) : 0;
  const bool border = given ? args.Flag(next) : true;
  const int32_t order = given ? args.Int(next + 1) : 0;
  return Create<TextEntryControl>(args, [&](ControlFactory& f, TextEntryControl** out) {
    return alternative ? f.CreateTextEntryAlt(out, x, y, font, lines, length, inset, lineGap, border, order)
                       : f.CreateTextEntry(out, x, y, font, length, inset, border, order);
  });
}

uint32_t ControlHostNatives::CreateDrawnScrollBar(NativeArgs& args) {
  DrawnScrollBarArgs bar;
  bar.x = args.Int(0);
  bar.y = args.Int(1);
  bar.vertical = args.Flag(2);
  int32_t order = 0;
  if (args.Given(3)) {
    bar.thickness = args.Int(3);
    bar.thumbColour = args.Cell(4);
    bar.trackColour = args.Cell(5);
    bar.hoverColour = args.Cell(6);
    bar.pressedColour = args.Cell(7);
    bar.arrowColour = args.Cell(8);
    order = args.Int(9);
  } else {
    bar.thickness = kDefaultBarThickness;
    bar.thumbColour = kDefaultBarThumb;
    bar.trackColour = kDefaultBarTrack;
    bar.hoverColour = kDefaultBarHover;
    bar.pressedColour = kDefaultBarPressed;
    bar.arrowColour = 0;
  }
  return Create<ScrollBar>(args, [&](ControlFactory& f, ScrollBar** out) {
    return f.CreateDrawnScrollBar(out, bar, order);
  });
}

uint32_t ControlHostNatives::CreateImageScrollBar(NativeArgs& args) {
  ImageScrollBarArgs bar;
  bar.x = args.Int(0);
  bar.y = args.Int(1);
  bar.trackOriginX = args.Int(2);
  bar.trackOriginY = args.Int(3);
  const OptionalText thumb = TextAt(args, 4, kNameBytes);
  OptionalText track, back, forward;
  const bool pieces = args.Given(5);
  if (pieces) {
    bar.thumbStartCap = args.Int(5);
    bar.thumbEndCap = args.Int(6);
    track = TextAt(args, 7, kNameBytes);
    bar.trackStartCap = args.Int(8);
    bar.trackEndCap = args.Int(9);
    back = TextAt(args, 10, kNameBytes);
    forward = TextAt(args, 11, kNameBytes);
  }
  int32_t order = 0;
  bar.hasDisabledCell = false;
  bar.vertical = true;
  bar.blend = 2;
  if (pieces && args.Given(12)) {
    bar.hasDisabledCell = args.Flag(12);
    bar.vertical = args.Flag(13);
    bar.blend = args.Byte(14);
    bar.keyX = args.Int(15);
    bar.keyY = args.Int(16);
    order = args.Int(17);
  }
  bar.drawFlags = kAllDrawFlags;
  bar.thumbImage = thumb.Get();
  bar.barImage = track.Get();
  bar.backArrowImage = back.Get();
  bar.forwardArrowImage = forward.Get();
  return Create<ScrollBar>(args, [&](ControlFactory& f, ScrollBar** out) {
    return f.CreateImageScrollBar(out, bar, order);
  });
}

// Windows and the script's message window: x, y, width, height, the
// background mode, then (unless cell 5 holds the -1 marker) the background
// colour and alpha, the fonts and the order.
struct WindowCells {
  int32_t x, y, width, height;
  uint8_t mode;
  uint32_t rgb = 0;
  uint8_t alpha = 0;
  Font* font = nullptr;
  Font* ruby = nullptr;
  int32_t order = 0;
};
WindowCells ReadWindowCells(NativeArgs& args) {
  WindowCells w{args.Int(0), args.Int(1), args.Int(2), args.Int(3), args.Byte(4)};
  if (args.Cell(5) != kMinusOneMarker) {
    w.rgb = args.Cell(5);
    w.alpha = args.Byte(6);
    w.font = ControlFontAt(args, 7);
    w.ruby = ControlFontAt(args, 8);
    w.order = args.Int(9);
  }
  return w;
}

uint32_t ControlHostNatives::CreateWindow(NativeArgs& args) {
  const WindowCells w = ReadWindowCells(args);
  return Create<WindowControl>(args, [&](ControlFactory& f, WindowControl** out) {
    return f.CreateWindow(out, w.x, w.y, w.width, w.height, w.mode, w.rgb, w.alpha, w.font, w.ruby, w.order);
  });
}

// The message window types the host's shared text on the object timer list.
uint32_t ControlHostNatives::CreateGameDrawable(NativeArgs& args) {
  const WindowCells w = ReadWindowCells(args);
  GameScriptHost& host = cells_.Host();
  return Create<GameDrawable>(args, [&](ControlFactory& f, GameDrawable** out) {
    return orrivel::CreateGameDrawable(f, out, &host.Message(), host.ObjectTimers(), w.x, w.y, w.width, w.height,
                                       w.mode, w.rgb, w.alpha, w.font, w.ruby, w.order);
  });
}

uint32_t ControlHostNatives::CreateTextList(NativeArgs& args) {
  TextListArgs list;
  list.x = args.Int(0);
  list.y = args.Int(1);
  list.lineWidth = args.Int(2);
  list.lineHeight = args.Int(3);
  list.lineSpacing = args.Int(4);
  list.font = ControlFontAt(args, 5);
  list.spriteFlags = args.Cell(6);
  return Create<TextListControl>(args, [&](ControlFactory& f, TextListControl** out) {
    return f.CreateTextList(out, list, 0);
  });
}

uint32_t ControlHostNatives::CreateHotSpot(NativeArgs& args) {
  const int32_t x = args.Int(0), y = args.Int(1), width = args.Int(2), height = args.Int(3);
  const bool given = args.Cell(4) != kMinusOneMarker;
  const int32_t centreX = given ? args.Int(4) : -1, centreY = given ? args.Int(5) : -1;
  const uint8_t hit = given && args.Flag(6), activation = given && args.Flag(7);
  return Create<HotSpotControl>(args, [&](ControlFactory& f, HotSpotControl** out) {
    return f.CreateHotSpot(out, x, y, width, height, centreX, centreY, hit, activation, uint32_t(f.currentGroup));
  });
}

uint32_t ControlHostNatives::CreateTextPanel(NativeArgs& args) {
  TextPanelArgs panel;
  panel.x = args.Int(0);
  panel.y = args.Int(1);
  panel.font = ControlFontAt(args, 2);
  panel.height = args.Int(3);
  panel.width = args.Int(4);
  const OptionalText thumb = TextAt(args, 5, kNameBytes);
  panel.thumbStartCap = args.Int(6);
  panel.thumbEndCap = args.Int(7);
  panel.barLength = args.Int(8);
  panel.barX = args.Int(9);
  panel.barY = args.Int(10);
  const bool given = args.Given(11);
  OptionalText icon;
  int32_t order = 0;
  if (given) {
    panel.barBlend = args.Byte(11);
    icon = TextAt(args, 12, kNameBytes);
    panel.lineSpacing = args.Int(13);
    order = args.Int(14);
  } else {
    panel.barBlend = 2;
    panel.lineSpacing = 3;
  }
  panel.thumbImage = thumb.Get();
  panel.iconFile = icon.Get();
  return Create<TextPanelControl>(args, [&](ControlFactory& f, TextPanelControl** out) {
    return f.CreateTextPanel(out, panel, order);
  });
}

uint32_t ControlHostNatives::CreateItemMenu(NativeArgs& args) {
  const OptionalText map = TextAt(args, 0, kNameBytes);
  const uint8_t count = args.Byte(1);
  const int32_t x = args.Int(2), y = args.Int(3);
  const uint8_t activation = args.Flag(4);
  return Create<ItemMenuControl>(args, [&](ControlFactory& f, ItemMenuControl** out) {
    return f.CreateItemMenu(out, map.Get(), count, x, y, activation);
  });
}

uint32_t ControlHostNatives::SetScrollBarTrack(NativeArgs& args) {
  Control* control = cells_.ControlAt(args, 0);
  if (control == nullptr || control->GetKind() != kControlScrollBar) return kRefused;
  const int32_t length = args.Int(1), total = args.Int(2), visible = args.Int(3), value = args.Int(4),
                endInset = args.Int(5), middle = args.Int(6);
  if (args.Failed()) return kRefused;
  return uint32_t(static_cast<ScrollBar*>(control)->SetTrack(length, total, visible, value, endInset, middle));
}

uint32_t ControlHostNatives::SetControlCanvas(NativeArgs& args) {
  SpriteCanvas* canvas = nullptr;
  if (GetCanvasPartWithSpriteCanvas(args.Cell(0), &canvas) == nullptr || canvas == nullptr) return 1;
  ControlFactory* factory = cells_.Factory();
  GameControlHost* host = cells_.ControlHost();
  if (factory == nullptr || host == nullptr) return 1;
  host->SetCanvas(canvas);
  factory->SetCanvas(canvas);
  // Both let go of the canvas when the scripts delete its image.
  cells_.Host().WatchDrawObjects(ScriptDisplayObjects());
  return 0;
}

// The cell holds the control; it is cleared only when the control went.
uint32_t ControlHostNatives::DeleteControl(NativeArgs& args) {
  const uint32_t variable = args.Cell(0);
  const uint32_t handle = args.Load(variable);
  ControlFactory* factory = cells_.Factory();
  if (args.Failed() || factory == nullptr) return 1;
  if (handle == 0) return 1;
  Control* control = cells_.Find(handle);
  if (control == nullptr) return 2;
  cells_.Forget(control);
  const int32_t code = factory->Delete(control);
  if (code == 0) args.Store(variable, 0);
  return uint32_t(code);
}

uint32_t ControlHostNatives::DeleteGroup(NativeArgs& args) {
  const int32_t group = args.Int(0);
  const bool allBut = args.Flag(1);
  ControlFactory* factory = cells_.Factory();
  if (args.Failed() || factory == nullptr) return 0;
  for (Control* control : factory->Controls()) {
    if ((control->GetGroup() == group) != allBut) cells_.Forget(control);
  }
  factory->DeleteByGroup(group, allBut);
  return 0;
}

uint32_t ControlHostNatives::DeleteAll() {
  ControlFactory* factory = cells_.Factory();
  if (factory == nullptr) return 0;
  for (Control* control : factory->Controls()) cells_.Forget(control);
  factory->DeleteAll();
  return 0;
}

uint32_t ControlHostNatives::Attach(NativeArgs& args) {
  Control* control = cells_.ControlAt(args, 0);
  const int32_t index = args.Int(1);
  GameControlHost* host = cells_.ControlHost();
  if (control == nullptr || host == nullptr || args.Failed()) return kRefused;
  switch (control->GetKind()) {
    case kControlScrollBar:
      return uint32_t(static_cast<ScrollBar*>(control)->AddToHost(host, index));
    case kControlTextPanelB:
      if (auto* panel = dynamic_cast<TextPanelControl*>(control)) return uint32_t(panel->Attach(host, index));
      break;
    default:
      break;
  }
  return host->AddControl(control, index);
}

uint32_t ControlHostNatives::Detach(NativeArgs& args) {
  Control* control = cells_.ControlAt(args, 0);
  GameControlHost* host = cells_.ControlHost();
  if (control == nullptr || host == nullptr) return 0;
  switch (control->GetKind()) {
    case kControlScrollBar:
      static_cast<ScrollBar*>(control)->RemoveFromHost();
      return 0;
    case kControlTextPanelB:
      if (auto* panel = dynamic_cast<TextPanelControl*>(control)) return panel->Detach() ? 1 : 0;
      break;
    default:
      break;
  }
  host->RemoveControl(control);
  return 0;
}

uint32_t ControlHostNatives::SetTextInputHook(NativeArgs& args) {
  const bool on = args.Flag(0);
  GameControlHost* host = cells_.ControlHost();
  TextInputHook* hook = host != nullptr ? host->TextInput() : nullptr;
  if (hook == nullptr || args.Failed()) return 0;
  const Application* app = host->App();
  hook->AttachTextInputHook(on && app != nullptr ? app->mainWindow.GetHandle() : platform::kNoWindow);
  return 0;
}

uint32_t ControlHostNatives::SetImeIndicator(NativeArgs& args) {
  ControlFactory* factory = cells_.Factory();
  const uint32_t font = args.Cell(0);
  if (factory == nullptr || args.Failed()) return 0;
  if (font == 0) {
    factory->DestroyImeIndicator();
    return 0;
  }
  const int32_t x = args.Int(1), y = args.Int(2);
  if (args.Failed()) return 0;
  return uint32_t(factory->CreateImeIndicator(ControlFontAt(args, 0), x, y));
}

void ControlHostNatives::Bind(NativeBinder& binder) {
  auto bind = [&](uint32_t number, uint32_t (ControlHostNatives::*native)(NativeArgs&)) {
    binder.Bind(number, [self = *this, native](NativeArgs& args) mutable { return (self.*native)(args); });
  };
  auto onHost = [&](uint32_t number, auto body) {
    binder.Bind(number, [cells = cells_, body](NativeArgs& args) -> uint32_t {
      GameControlHost* host = cells.ControlHost();
      return host != nullptr ? body(*host, args) : 0;
    });
  };
  auto onFactory = [&](uint32_t number, auto body) {
    binder.Bind(number, [cells = cells_, body](NativeArgs& args) -> uint32_t {
      ControlFactory* factory = cells.Factory();
      return factory != nullptr && !args.Failed() ? body(*factory, args) : 0;
    });
  };

  bind(682, &ControlHostNatives::CreateTextButton);
  bind(683, &ControlHostNatives::CreateImageButton);
  bind(684, &ControlHostNatives::CreateSurfaceButton);
  bind(685, &ControlHostNatives::CreateImageCheckButton);
  bind(686, &ControlHostNatives::CreateSurfaceCheckButton);
  bind(687, &ControlHostNatives::CreateColorBox);
  binder.Bind(688, [self = *this](NativeArgs& args) mutable { return self.CreateTextEntry(args, false); });
  binder.Bind(689, [self = *this](NativeArgs& args) mutable { return self.CreateTextEntry(args, true); });
  bind(690, &ControlHostNatives::CreateDrawnScrollBar);
  bind(691, &ControlHostNatives::CreateImageScrollBar);
  bind(692, &ControlHostNatives::SetScrollBarTrack);
  bind(693, &ControlHostNatives::CreateWindow);
  bind(694, &ControlHostNatives::CreateGameDrawable);
  bind(695, &ControlHostNatives::CreateTextList);
  bind(696, &ControlHostNatives::CreateHotSpot);
  bind(697, &ControlHostNatives::CreateTextPanel);
  bind(698, &ControlHostNatives::CreateItemMenu);
  bind(699, &ControlHostNatives::SetControlCanvas);
  onHost(700, [](GameControlHost& host, NativeArgs& args) -> uint32_t {
    const bool all = args.Flag(0);
    const int32_t first = args.Int(1), second = args.Int(2);
    const uint32_t value = args.Cell(3);
    if (!args.Failed()) host.RequestRedraw(all, first, second, value);
    return 0;
  });
  onHost(701, [](GameControlHost& host, NativeArgs& args) -> uint32_t {
    const int32_t kind = args.Int(0);
    return args.Failed() ? 0 : uint32_t(host.SetCursorKind(kind) ? 1 : 0);
  });
  onHost(702, [](GameControlHost& host, NativeArgs&) -> uint32_t {
    host.ResetInput();
    return 0;
  });
  onHost(703, [](GameControlHost& host, NativeArgs&) -> uint32_t { return uint32_t(host.Update(CurrentTickMs())); });
  binder.Bind(704, [cells = cells_](NativeArgs&) -> uint32_t {
    GameControlHost* host = cells.ControlHost();
    return host != nullptr ? uint32_t(host->TakeEvent()) : kRefused;
  });
  binder.Bind(705, [cells = cells_](NativeArgs& args) -> uint32_t {
    GameControlHost* host = cells.ControlHost();
    const uint32_t handle = args.Cell(0);
    if (host == nullptr || args.Failed()) return 1;
    Control* control = cells.Find(handle);
    // A handle that reaches nothing is not in the list either.
    if (handle != 0 && control == nullptr) return host->Controls().empty() ? 1 : 2;
    return host->SetFocus(control);
  });
  onHost(706, [cells = cells_](GameControlHost& host, NativeArgs&) { return cells.HandleOf(host.GetFocused()); });
  // The control that holds the pointer: the hovered one.
  onHost(707, [cells = cells_](GameControlHost& host, NativeArgs&) { return cells.HandleOf(host.GetHovered()); });
  binder.Bind(708, [self = *this](NativeArgs&) mutable { return self.DeleteAll(); });
  onFactory(709, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    const bool previous = factory.useOverlay;
    factory.useOverlay = args.Flag(0);
    return previous ? 1 : 0;
  });
  onFactory(710, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.currentGroup = args.Int(0);
    return 0;
  });
  bind(711, &ControlHostNatives::DeleteGroup);
  bind(712, &ControlHostNatives::DeleteControl);
  bind(713, &ControlHostNatives::Attach);
  bind(714, &ControlHostNatives::Detach);
  onHost(715, [](GameControlHost& host, NativeArgs&) -> uint32_t {
    host.Clear();
    return 0;
  });
  bind(716, &ControlHostNatives::SetTextInputHook);
  bind(717, &ControlHostNatives::SetImeIndicator);
  onHost(718, [](GameControlHost& host, NativeArgs&) { return host.PushControls(); });
  onHost(719, [](GameControlHost& host, NativeArgs&) { return host.PopControls(); });
  onFactory(739, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.buttonFace = args.Cell(0);
    factory.buttonHighlight = args.Cell(1);
    return 0;
  });
  onFactory(742, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.textEntryTextColour = args.Cell(0);
    factory.textEntryFillColour = args.Cell(1);
    factory.textEntryImeOnFocus = args.Cell(2);
    return 0;
  });
  onFactory(743, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.textEntrySize = args.Int(0);
    factory.textEntryCompositionColour = args.Int(1);
    factory.textEntryCompositionBackColour = args.Int(2);
    return 0;
  });
  onFactory(744, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.scrollClickMode = args.Byte(0);
    factory.scrollKeyStep = args.Cell(1);
    return 0;
  });
  onFactory(745, [](ControlFactory& factory, NativeArgs& args) -> uint32_t {
    factory.panelBackColour = args.Cell(0);
    factory.panelHoverColour = args.Cell(1);
    factory.panelSelectColour = args.Cell(2);
    factory.panelDefaultState = args.Flag(3) ? 1 : 0;
    return 0;
  });
}

}  // namespace

void BindControlHostNatives(NativeBinder& binder) {
  ControlHostNatives(binder.Host()).Bind(binder);
}

}  // namespace orrivel
