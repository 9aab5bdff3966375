#pragma once
// Test doubles for the controls: a host that records the engine services
// it is asked for (the game's own host behaves as the comments say), a
// rectangle control that records its notifications, and an input device
// whose held and newly pressed codes a test sets per frame.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/ActionMap.h"
#include "base/DefaultActionBindings.h"
#include "base/InputDevice.h"
#include "base/InputManager.h"
#include "platform/Clock.h"
#include "platform/headless/HeadlessInput.h"
#include "scene/Control.h"
#include "scene/ControlHost.h"

namespace orrivel::test {

class ScriptedDevice : public InputDevice {
 public:
  bool IsDown(uint8_t code) const override { return down.count(code) != 0; }
  bool IsPressed(uint8_t code) const override { return pressed.count(code) != 0; }
  int32_t FirstDown() const override { return down.empty() ? -1 : *down.begin(); }
  int32_t FirstPressed() const override { return pressed.empty() ? -1 : *pressed.begin(); }
  void Reset() override { down.clear(), pressed.clear(); }
  int32_t GetKind() const override { return kInputWindowMessages; }
  void Unacquire() override {}
  int32_t Poll() override { return 0; }
  // Holds the code; newly pressed when it was not held before.
  void Hold(uint8_t code) {
    if (!down.count(code)) pressed.insert(code);
    down.insert(code);
  }
  void Release(uint8_t code) { down.erase(code); }
  // The next frame: presses become plain holds.
  void NextFrame() { pressed.clear(); }

  std::set<uint8_t> down;
  std::set<uint8_t> pressed;
};

// Records every service call as one line of its log.
class RecordingHost : public ControlHost {
 public:
  ~RecordingHost() override = default;
  void GetPointerPos(int32_t* x, int32_t* y) override {
    *x = pointerX;
    *y = pointerY;
  }
  void SetPointerPos(int32_t x, int32_t y) override {
    Log("pointer " + std::to_string(x) + "," + std::to_string(y));
    pointerX = x;
    pointerY = y;
  }
  int32_t GetScreenWidth() override { return 640; }
  int32_t GetScreenHeight() override { return 480; }
  uint8_t GetPointerMode() override { return pointerMode; }
  int32_t PlaySound(const char* name, int32_t code, int32_t, int32_t) override {
    Log(std::string("sound ") + (name ? name : "-") + " " + std::to_string(code));
    return 0;
  }
  void RunEvent(const char* a, const char* b, int32_t c) override {
    Log(std::string("event ") + (a ? a : "-") + " " + (b ? b : "-") + " " + std::to_string(c));
  }
  void SetSelected(int32_t tag) override { Log("selected " + std::to_string(tag)); }
  ActionMap* GetActionMap() override { return actions; }
  InputDevice* GetKeyboard() override { return keyboard; }
  InputDevice* GetPointerDevice() override { return pointer; }
  void ShowTooltip(const char* text, int32_t x, int32_t y) override {
    Log(std::string("tooltip ") + text + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void HideTooltipBox() override { Log("tooltip hidden"); }
  // As the game's host: every enabled visible control ticks each frame.
  bool PreUpdate(uint32_t now, bool*, int32_t, int32_t) override {
    for (Control* control : Controls())
      if (control->IsEnabled() && control->IsVisible()) control->Tick(now);
    return true;
  }

  void Log(const std::string& line) { log.push_back(line); }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  int32_t pointerX = -5;
  int32_t pointerY = -5;
  uint8_t pointerMode = 0;
  ActionMap* actions = nullptr;
  InputDevice* keyboard = nullptr;
  InputDevice* pointer = nullptr;
  std::vector<std::string> log;
};

// A rectangle that tells the host's log what it hears.
class LoggingControl : public Control {
 public:
  LoggingControl(std::string name, RecordingHost* log, int32_t x = 0, int32_t y = 0, int32_t w = 10,
                 int32_t h = 10)
      : id_(std::move(name)), log_(log), x_(x), y_(y), w_(w), h_(h) {}

  int32_t GetKind() const override { return kControlHotSpot; }
  int32_t GetX() const override { return x_; }
  int32_t GetY() const override { return y_; }
  int32_t GetWidth() const override { return w_; }
  int32_t GetHeight() const override { return h_; }
  void SetPosition(int32_t x, int32_t y) override { x_ = x, y_ = y; }
  void SetVisible(bool show) override {
    if (!show) GiveUpFocusAndHover();
    visible_ = show;
  }
  bool IsVisible() const override { return visible_; }
  int32_t AttachToSpriteList(int32_t, int32_t group, uint8_t) override {
    group_ = group;
    return 0;
  }
  int32_t GetOrder() const override { return 0; }
  void SetDrawFlags(uint8_t) override {}
  uint8_t IsReady() const override { return 255; }
  bool HitTest(int32_t x, int32_t y) override { return x >= x_ && x < x_ + w_ && y >= y_ && y < y_ + h_; }
  void OnPointerMove(int32_t x, int32_t y) override {
    Log("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnPointerEnter() override { Log("enter"); }
  void OnPointerLeave() override { Log("leave"); }
  bool OnPointerButtons(int32_t, int32_t, InputDevice* device) override {
    return device != nullptr && device->IsPressed(0) && (Log("click"), true);
  }
  void OnFocusGained(Control* previous, int32_t direction) override {
    Log("gained from " + NameOf(previous) + " " + std::to_string(direction));
  }
  void OnFocusLost(Control* next) override { Log("lost to " + NameOf(next)); }
  bool Update(ActionMap*) override { return takeUpdate; }
  int32_t Tick(uint32_t) override { return ++ticks; }

  const std::string& Id() const { return id_; }
  bool takeUpdate = false;
  int ticks = 0;

 private:
  static std::string NameOf(Control* control) {
    auto* logging = dynamic_cast<LoggingControl*>(control);
    return logging ? logging->id_ : "none";
  }
  void Log(const std::string& what) {
    if (log_) log_->Log(id_ + " " + what);
  }

  std::string id_;
  RecordingHost* log_;
  int32_t x_, y_, w_, h_;
  bool visible_ = true;
};

// The engine's own input path in memory: a headless source, polled
// keyboard and mouse devices, the default action bindings on the keys, and
// a manual clock. Tests hold keys and buttons, then run a frame.
struct HeadlessControlInput {
  HeadlessControlInput() {
    input.CreateDevices(1);
    input.Activate();
    input.CreateActionMap(8, &actions);
    InstallDefaultBindings(*actions);  // the stick bindings need a joystick; keys are enough
  }
  void Connect(RecordingHost& host) {
    host.actions = actions;
    host.keyboard = input.Keyboard();
    host.pointer = input.Mouse();
  }
  // Polls the devices with these keys (key codes) and mouse buttons held.
  void Poll(std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    source.ReleaseAllKeys();
    for (uint8_t k : keys) source.SetKey(k, true);
    source.SetMouseButtons(buttons);
    input.Update();
  }

  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource{source};
  platform::ManualClock clock{5000};
  platform::ScopedClock scopedClock{clock};
  InputManager input;
  ActionMap* actions = nullptr;
};

}  // namespace orrivel::test
