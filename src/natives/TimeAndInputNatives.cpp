// Natives 538 to 592: the tick count and the local time, the scripts'
// stopwatches, the action bindings, direct keyboard, mouse and joystick
// queries and the mouse cursor. Each forwards to one object; a missing
// device answers 0 and a missing map or array refuses as its own
// operations do.
#include <memory>

#include "base/ActionMap.h"
#include "base/Application.h"
#include "base/InputManager.h"
#include "base/SystemInfoProvider.h"
#include "base/TickSource.h"
#include "display/DrawObjectManager.h"
#include "frame/TimerArray.h"
#include "natives/AppNativePort.h"
#include "natives/GameControlHost.h"
#include "natives/NativeBinder.h"
#include "natives/ProcessObjects.h"
#include "natives/SceneCursorObject.h"
#include "platform/KeyTable.h"
#include "platform/Messages.h"

namespace orrivel {

namespace {

constexpr uint32_t kGetTicks = 538;
constexpr uint32_t kGetLocalTimeFields = 539;
constexpr uint32_t kFirstTimerNative = 540;
constexpr uint32_t kIsActionPressed = 548;
constexpr uint32_t kClearAction = 549;
constexpr uint32_t kFindPressedAction = 550;
constexpr uint32_t kFindHeldAction = 551;
constexpr uint32_t kSetActionBinding = 552;
constexpr uint32_t kAddActionBinding = 553;
constexpr uint32_t kChangeActionBinding = 554;
constexpr uint32_t kFirstFixedPressed = 555;  // 555-560
constexpr uint32_t kFirstFixedClear = 561;    // 561-566
constexpr uint32_t kIsSkipKeyPressed = 567;
constexpr uint32_t kIsSkipKeyDown = 568;
constexpr uint32_t kIsKeyPressed = 569;
constexpr uint32_t kIsKeyDown = 570;
constexpr uint32_t kKeyboardByteA = 571;
constexpr uint32_t kKeyboardByteB = 572;
constexpr uint32_t kKeyboardByteC = 573;
constexpr uint32_t kSetKeyboardByteD = 574;
constexpr uint32_t kKeyboardQueryCode = 575;
constexpr uint32_t kSetCursorShape = 576;
constexpr uint32_t kSetImageCursor = 577;
constexpr uint32_t kSetMenuHelperState = 578;
constexpr uint32_t kGetCursorClientPos = 579;
constexpr uint32_t kSetCursorClientPos = 580;
constexpr uint32_t kGetCursorInClient = 581;
constexpr uint32_t kFirstMousePressed = 582;  // 582-584
constexpr uint32_t kFirstMouseDown = 585;     // 585-587
constexpr uint32_t kGetWheelUp = 588;
constexpr uint32_t kGetWheelDown = 589;
constexpr uint32_t kGetJoystickValue = 590;
constexpr uint32_t kIsJoystickButtonPressed = 591;
constexpr uint32_t kIsJoystickButtonDown = 592;

// Natives 555-560 and 561-566 name their actions in this order.
constexpr uint32_t kFixedActions[] = {4, 5, 0, 1, 2, 3};

// The program's cursors are resources 120-123, reached by shapes 13-16.
constexpr int32_t kFirstResourceShape = 13;
constexpr uint32_t kResourceCursorBase = 107;

// The skip key: Ctrl when the player's setting (application settings byte
// 130) is set, else Shift.
constexpr size_t kSkipKeySetting = 130;
constexpr uint8_t kWheelUpCode = 3;
constexpr uint8_t kWheelDownCode = 4;

// What the natives reach of the running application: through the control
// host the start-up attached.
Application* App() {
  ProcessObjects* objects = GetProcessObjects();
  return objects != nullptr ? objects->ControlHost().App() : nullptr;
}

ActionMap* Actions() {
  ProcessObjects* objects = GetProcessObjects();
  return objects != nullptr ? objects->ControlHost().GetActionMap() : nullptr;
}

InputManager* Input() {
  Application* app = App();
  return app != nullptr && app->input ? app->input.get() : nullptr;
}

KeyboardDevice* Keyboard() {
  InputManager* input = Input();
  return input != nullptr ? input->Keyboard() : nullptr;
}

MouseDevice* Mouse() {
  InputManager* input = Input();
  return input != nullptr ? input->Mouse() : nullptr;
}

JoystickDevice* Joystick() {
  InputManager* input = Input();
  return input != nullptr ? input->GetJoystick(0) : nullptr;
}

uint32_t AsFlag(bool value) { return value ? 1u : 0u; }

// The image cursor made from a script's object, kept while the mouse shows
// it. A host that goes takes its cursor off the mouse first, so no cursor
// outlives the scripts that made it.
class ImageCursorSlot {
 public:
  ~ImageCursorSlot() {
    if (cursor_ != nullptr && mouse_ != nullptr && mouse_->ImageCursor() == cursor_.get()) {
      mouse_->SetImageCursor(nullptr, 0, 0, false, 0, 0);
    }
  }

  int32_t Set(MouseDevice& mouse, const DrawObjectManager* objects, uint32_t handle, uint32_t frames,
              uint32_t frameTime, bool pingPong, int32_t hotX, int32_t hotY) {
    auto cursor = std::make_unique<SceneCursorObject>(objects, handle);
    const int32_t result = mouse.SetImageCursor(handle != 0 ? cursor.get() : nullptr, frames, frameTime, pingPong,
                                                hotX, hotY);
    // The mouse keeps the new cursor or still shows the old one (a refused
    // image leaves it as it was); only one the mouse no longer holds goes.
    if (mouse.ImageCursor() == cursor.get()) {
      cursor_ = std::move(cursor);
      mouse_ = &mouse;
    } else if (mouse.ImageCursor() == nullptr) {
      cursor_.reset();
    }
    return result;
  }

 private:
  std::unique_ptr<SceneCursorObject> cursor_;
  MouseDevice* mouse_ = nullptr;
};

void BindTimerNatives(NativeBinder& binder) {
  binder.Bind(kFirstTimerNative, [](NativeArgs& args) -> uint32_t {
    const uint16_t count = args.Word16(0);
    ProcessObjects* objects = GetProcessObjects();
    if (args.Failed() || objects == nullptr) return TimerArray::kNoTimers;
    return uint32_t(objects->Timers().Create(count));
  });
  // 541-547 on one timer (or all of them); an index past the array is
  // refused by the array itself.
  using TimerOp = uint32_t (*)(TimerArray&, NativeArgs&);
  static constexpr TimerOp kOps[] = {
      [](TimerArray& timers, NativeArgs& args) { return AsFlag(timers.Start(args.Word16(0))); },
      [](TimerArray& timers, NativeArgs& args) { return timers.Elapsed(args.Word16(0)); },
      [](TimerArray& timers, NativeArgs& args) {
        timers.SetElapsed(args.Word16(0), args.Cell(1));
        return 0u;
      },
      [](TimerArray& timers, NativeArgs& args) {
        timers.Pause(args.Word16(0));
        return 0u;
      },
      [](TimerArray& timers, NativeArgs& args) {
        timers.Resume(args.Word16(0));
        return 0u;
      },
      [](TimerArray& timers, NativeArgs&) {
        timers.PauseAll();
        return 0u;
      },
      [](TimerArray& timers, NativeArgs&) {
        timers.ResumeAll();
        return 0u;
      },
  };
  for (uint32_t i = 0; i < std::size(kOps); ++i) {
    binder.Bind(kFirstTimerNative + 1 + i, [op = kOps[i]](NativeArgs& args) -> uint32_t {
      ProcessObjects* objects = GetProcessObjects();
      if (objects == nullptr) return 0;
      const uint32_t result = op(objects->Timers(), args);
      return args.Failed() ? 0 : result;
    });
  }
}

// The lowest action of the range first..last whose binding answers; -1
// when none does or the range is empty.
template <typename Find>
uint32_t FindInRange(NativeArgs& args, Find find) {
  const uint32_t first = args.Cell(0);
  const uint32_t last = args.Cell(1);
  ActionMap* map = Actions();
  if (args.Failed() || map == nullptr || last < first) return uint32_t(-1);
  return uint32_t(find(*map, first, last - first + 1));
}

void BindActionNatives(NativeBinder& binder) {
  binder.Bind(kIsActionPressed, [](NativeArgs& args) -> uint32_t {
    const uint32_t action = args.Cell(0);
    ActionMap* map = Actions();
    return map != nullptr && !args.Failed() ? AsFlag(map->IsPressed(action)) : 0;
  });
  binder.Bind(kClearAction, [](NativeArgs& args) -> uint32_t {
    const uint32_t action = args.Cell(0);
    ActionMap* map = Actions();
    if (map == nullptr || args.Failed()) return 1;
    return uint8_t(map->RemoveBinding(action, -1, 0));
  });
  binder.Bind(kFindPressedAction, [](NativeArgs& args) {
    return FindInRange(args, [](ActionMap& map, uint32_t first, uint32_t count) {
      return map.FindPressedAction(first, count);
    });
  });
  binder.Bind(kFindHeldAction, [](NativeArgs& args) {
    return FindInRange(args, [](ActionMap& map, uint32_t first, uint32_t count) {
      return map.FindHeldAction(first, count);
    });
  });
  // Setting and adding are one operation of the map: a further binding.
  for (uint32_t number : {kSetActionBinding, kAddActionBinding}) {
    binder.Bind(number, [](NativeArgs& args) -> uint32_t {
      const uint32_t action = args.Cell(0);
      const int32_t device = args.Int(1);
      const uint8_t code = args.Byte(2);
      ActionMap* map = Actions();
      if (map == nullptr || args.Failed()) return 1;
      return uint32_t(map->SetBinding(action, device, code));
    });
  }
  binder.Bind(kChangeActionBinding, [](NativeArgs& args) -> uint32_t {
    const uint32_t action = args.Cell(0);
    const int32_t device = args.Int(1);
    const int32_t oldCode = args.Int(2);
    const uint8_t newCode = args.Byte(3);
    ActionMap* map = Actions();
    if (map == nullptr || args.Failed()) return 1;
    return uint32_t(map->ChangeBinding(action, device, newCode, oldCode));
  });
  for (uint32_t i = 0; i < std::size(kFixedActions); ++i) {
    const uint32_t action = kFixedActions[i];
    binder.Bind(kFirstFixedPressed + i, [action](NativeArgs&) -> uint32_t {
      ActionMap* map = Actions();
      return map != nullptr ? AsFlag(map->IsPressed(action)) : 0;
    });
    binder.Bind(kFirstFixedClear + i, [action](NativeArgs&) -> uint32_t {
      ActionMap* map = Actions();
      return map != nullptr ? uint8_t(map->RemoveBinding(action, -1, 0)) : 1;
    });
  }
}

// Either key of the player's skip pair, newly pressed or held.
uint32_t SkipKey(bool pressed) {
  KeyboardDevice* keyboard = Keyboard();
  if (keyboard == nullptr) return 0;
  const bool ctrl = AppPort().appConfig[kSkipKeySetting] != 0;
  const uint8_t first = ctrl ? platform::DIK_LCONTROL : platform::DIK_LSHIFT;
  const uint8_t second = ctrl ? platform::DIK_RCONTROL : platform::DIK_RSHIFT;
  if (pressed) return AsFlag(keyboard->IsPressed(first) || keyboard->IsPressed(second));
  return AsFlag(keyboard->IsDown(first) || keyboard->IsDown(second));
}

void BindKeyboardNatives(NativeBinder& binder) {
  binder.Bind(kIsSkipKeyPressed, [](NativeArgs&) { return SkipKey(true); });
  binder.Bind(kIsSkipKeyDown, [](NativeArgs&) { return SkipKey(false); });
  binder.Bind(kIsKeyPressed, [](NativeArgs& args) -> uint32_t {
    const uint8_t code = args.Byte(0);
    KeyboardDevice* keyboard = Keyboard();
    return keyboard != nullptr ? AsFlag(keyboard->IsPressed(code)) : 0;
  });
  binder.Bind(kIsKeyDown, [](NativeArgs& args) -> uint32_t {
    const uint8_t code = args.Byte(0);
    KeyboardDevice* keyboard = Keyboard();
    return keyboard != nullptr ? AsFlag(keyboard->IsDown(code)) : 0;
  });
  // The keyboard's three state bytes are its lock keys, the fourth whether
  // auto-repeated keys count as presses.
  binder.Bind(kKeyboardByteA, [](NativeArgs&) -> uint32_t {
    KeyboardDevice* keyboard = Keyboard();
    return keyboard != nullptr ? AsFlag(keyboard->ScrollLock()) : 0;
  });
  binder.Bind(kKeyboardByteB, [](NativeArgs&) -> uint32_t {
    KeyboardDevice* keyboard = Keyboard();
    return keyboard != nullptr ? AsFlag(keyboard->CapsLock()) : 0;
  });
  binder.Bind(kKeyboardByteC, [](NativeArgs&) -> uint32_t {
    KeyboardDevice* keyboard = Keyboard();
    return keyboard != nullptr ? AsFlag(keyboard->NumLock()) : 0;
  });
  binder.Bind(kSetKeyboardByteD, [](NativeArgs& args) -> uint32_t {
    const uint8_t value = args.Byte(0);
    if (KeyboardDevice* keyboard = Keyboard(); keyboard != nullptr && !args.Failed()) {
      keyboard->SetAutoRepeatCounts(value != 0);
    }
    return 0;
  });
  // The keyboard devices have no answer of their own to this query.
  binder.Bind(kKeyboardQueryCode, [](NativeArgs&) -> uint32_t { return 0; });
}

void BindCursorNatives(NativeBinder& binder, std::shared_ptr<ImageCursorSlot> slot) {
  binder.Bind(kSetCursorShape, [](NativeArgs& args) -> uint32_t {
    const uint8_t shape = args.Byte(0);
    MouseDevice* mouse = Mouse();
    if (mouse == nullptr || args.Failed()) return 0;
    const uint32_t resource = shape >= kFirstResourceShape ? shape + kResourceCursorBase : 0;
    mouse->SetCursorShape(shape, 0, resource);
    if (mouse->ImageCursor() != nullptr) mouse->SetImageCursor(nullptr, 0, 0, false, 0, 0);
    return 0;
  });
  binder.Bind(kSetImageCursor, [slot](NativeArgs& args) -> uint32_t {
    const uint32_t handle = args.Cell(0);
    const uint32_t frames = args.Cell(1);
    const uint32_t frameTime = args.Cell(2);
    const bool pingPong = args.Byte(3) != 0;
    const int32_t hotX = args.Int(4);
    const int32_t hotY = args.Int(5);
    MouseDevice* mouse = Mouse();
    if (mouse == nullptr || args.Failed()) return 3;
    // The object is one of the display's scene objects, by its handle there.
    Application* app = App();
    const auto* objects = dynamic_cast<const DrawObjectManager*>(app != nullptr ? app->screen.get() : nullptr);
    const int32_t result = slot->Set(*mouse, objects, handle, frames, frameTime, pingPong, hotX, hotY);
    // The picture stands in for the system cursor: the window hides it.
    if (result == 0 && mouse->ImageCursor() != nullptr && mouse->CursorState() != 0 && app != nullptr &&
        app->mainWindow.IsValid()) {
      mouse->SetCursorState(0, app->mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    }
    return uint32_t(result);
  });
  binder.Bind(kSetMenuHelperState, [](NativeArgs& args) -> uint32_t {
    const bool flag = args.Flag(0);
    // A host without the game's window has no menu to tell.
    if (!args.Failed() && AppPort().forwardMenuState) AppPort().forwardMenuState(AsFlag(flag));
    return 0;
  });
  binder.Bind(kGetCursorClientPos, [](NativeArgs& args) -> uint32_t {
    Application* app = App();
    args.SetInt(0, uint32_t(app != nullptr ? app->cursorX : -1));
    args.SetInt(1, uint32_t(app != nullptr ? app->cursorY : -1));
    return 0;
  });
  binder.Bind(kSetCursorClientPos, [](NativeArgs& args) -> uint32_t {
    const int32_t x = args.Int(0);
    const int32_t y = args.Int(1);
    if (Application* app = App(); app != nullptr && !args.Failed()) app->SetCursorClientPos(x, y);
    return 0;
  });
  // The recorded position is (-1, -1) whenever the pointer is off the game.
  binder.Bind(kGetCursorInClient, [](NativeArgs&) -> uint32_t {
    Application* app = App();
    return app != nullptr ? AsFlag(app->cursorX >= 0 && app->cursorY >= 0) : 0;
  });
}

void BindMouseAndJoystickNatives(NativeBinder& binder) {
  for (uint8_t button = 0; button < 3; ++button) {
    binder.Bind(kFirstMousePressed + button, [button](NativeArgs&) -> uint32_t {
      MouseDevice* mouse = Mouse();
      return mouse != nullptr ? AsFlag(mouse->IsPressed(button)) : 0;
    });
    binder.Bind(kFirstMouseDown + button, [button](NativeArgs&) -> uint32_t {
      MouseDevice* mouse = Mouse();
      return mouse != nullptr ? AsFlag(mouse->IsDown(button)) : 0;
    });
  }
  for (auto [number, code] : {std::pair{kGetWheelUp, kWheelUpCode}, std::pair{kGetWheelDown, kWheelDownCode}}) {
    // An init-capture: clang before 16 cannot capture a structured binding.
    binder.Bind(number, [code = code](NativeArgs& args) -> uint32_t {
      MouseDevice* mouse = Mouse();
      if (mouse == nullptr) return 0;
      if (args.Given(0)) args.SetOptionalInt(0, uint32_t(mouse->GetWheel()));
      return args.Failed() ? 0 : AsFlag(mouse->IsDown(code));
    });
  }
  // The first joystick's button count: what a script needs to know of it.
  binder.Bind(kGetJoystickValue, [](NativeArgs&) -> uint32_t {
    JoystickDevice* joystick = Joystick();
    return joystick != nullptr ? joystick->ButtonCount() : 0;
  });
  binder.Bind(kIsJoystickButtonPressed, [](NativeArgs& args) -> uint32_t {
    const uint8_t code = args.Byte(0);
    JoystickDevice* joystick = Joystick();
    return joystick != nullptr ? AsFlag(joystick->IsPressed(code)) : 0;
  });
  binder.Bind(kIsJoystickButtonDown, [](NativeArgs& args) -> uint32_t {
    const uint8_t code = args.Byte(0);
    JoystickDevice* joystick = Joystick();
    return joystick != nullptr ? AsFlag(joystick->IsDown(code)) : 0;
  });
}

}  // namespace

void BindTimeAndInputNatives(NativeBinder& binder) {
  binder.Bind(kGetTicks, [](NativeArgs&) -> uint32_t { return CurrentTickMs(); });
  binder.Bind(kGetLocalTimeFields, [](NativeArgs& args) -> uint32_t {
    const platform::LocalTime now = CurrentSystemInfoProvider().Now();
    const int fields[] = {now.year, now.month, now.day, now.hour, now.minute};
    for (uint32_t i = 0; i < std::size(fields) && !args.Failed(); ++i) args.SetInt(i, uint32_t(fields[i]));
    return 0;
  });
  BindTimerNatives(binder);
  BindActionNatives(binder);
  BindKeyboardNatives(binder);
  BindCursorNatives(binder, std::make_shared<ImageCursorSlot>());
  BindMouseAndJoystickNatives(binder);
}

}  // namespace orrivel
