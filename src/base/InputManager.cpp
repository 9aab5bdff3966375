#include "base/InputManager.h"

#include <new>

#include "base/ActionMap.h"
#include "base/ApiKeyboard.h"
#include "base/ApiMouse.h"
#include "base/FullApiKeyboard.h"
#include "base/MessageKeyboard.h"
#include "base/MessageMouse.h"
#include "base/WinmmJoystick.h"
#include "platform/KeyTable.h"

namespace orrivel {

InputManager::InputManager() = default;

InputManager::~InputManager() {
  ReleaseDevices();
  loader_.reset();
}

int32_t InputManager::InitDirectInput(bool use, uintptr_t instance) {
  ReleaseDevices();
  loader_.reset();
  if (!use) return 0;
  if (instance == 0) return 1;
  auto loader = std::unique_ptr<DirectInputLoader>(new (std::nothrow) DirectInputLoader());
  if (!loader) return 2;
  if (loader->Create(instance) != 0) return 3;
  loader_ = std::move(loader);
  return 0;
}

int32_t InputManager::CreateDevices(platform::WindowId, int32_t keyboardKind, int32_t mouseKind) {
  // With an interface both devices would be its own; this system never has one.
  if (loader_) return 4;
  method_ = uint8_t(keyboardKind);
  std::unique_ptr<KeyboardDevice> keyboard;
  switch (keyboardKind) {
    case kInputWindowsApi: keyboard.reset(new (std::nothrow) FullApiKeyboard()); break;
    case kInputWindowMessages: keyboard.reset(new (std::nothrow) MessageKeyboard()); break;
    case kInputShortKeyList: keyboard.reset(new (std::nothrow) ApiKeyboard()); break;
    default: return 1;
  }
  if (!keyboard) return 3;
  // The maps hold the devices they were built over.
  DeleteActionMaps();
  keyboard_ = std::move(keyboard);
  std::unique_ptr<MouseDevice> mouse;
  switch (mouseKind) {
    case kInputWindowsApi: mouse.reset(new (std::nothrow) ApiMouse()); break;
    case kInputWindowMessages: mouse.reset(new (std::nothrow) MessageMouse()); break;
    default: return 2;
  }
  if (!mouse) return 3;
  mouse_ = std::move(mouse);
  return 0;
}

void InputManager::DeleteActionMaps() { actionMaps_.clear(); }

void InputManager::ReleaseDevices() {
  DeleteActionMaps();
  keyboard_.reset();
  mouse_.reset();
  joysticks_.clear();
}

int32_t InputManager::AddJoystick(int32_t deviceNumber, platform::WindowId) {
  if (loader_) return 1;
  auto joystick = std::unique_ptr<WinmmJoystick>(new (std::nothrow) WinmmJoystick());
  if (!joystick || joystick->Open(deviceNumber, false, true) != 0) return 2;
  int32_t opened = joystick->DeviceNumber();
  joysticks_.push_back(std::move(joystick));
  return opened;
}

JoystickDevice* InputManager::GetJoystick(uint32_t n) const {
  return n < joysticks_.size() ? joysticks_[n].get() : nullptr;
}

int32_t InputManager::CreateActionMap(uint32_t count, ActionMap** out) {
  if (out) *out = nullptr;
  auto map = std::unique_ptr<ActionMap>(new (std::nothrow) ActionMap(this));
  if (!map) return 1;
  if (map->Create(count) != 0) return 2;
  if (out) *out = map.get();
  actionMaps_.push_back(std::move(map));
  return 0;
}

void InputManager::Activate() {
  active_ = true;
  if (keyboard_) {
    keyboard_->Acquire();
    keyboard_->RefreshLockStates();
  }
  if (mouse_) mouse_->Acquire();
  for (auto& joystick : joysticks_) joystick->Acquire();
}

void InputManager::Deactivate() {
  active_ = false;
  if (keyboard_) keyboard_->Unacquire();
  if (mouse_) mouse_->Unacquire();
  for (auto& joystick : joysticks_) joystick->Unacquire();
}

void InputManager::Update() {
  if (!active_) {
    if (mouse_) mouse_->UpdateImageCursor();
    return;
  }
  if (keyboard_) keyboard_->Poll();
  if (mouse_) {
    mouse_->Poll();
    mouse_->UpdateImageCursor();
  }
  if (joysticksEnabled_) {
    for (auto& joystick : joysticks_) joystick->Poll();
  }
}

void InputManager::SetJoysticksEnabled(bool on) {
  joysticksEnabled_ = on;
  if (!on) {
    for (auto& joystick : joysticks_) joystick->Reset();
  }
}

bool InputManager::OnKeyDown(uintptr_t virtualKey, intptr_t lParam) {
  if (keyboard_ && (virtualKey == platform::VK_CAPITAL || virtualKey == platform::VK_NUMLOCK ||
                    virtualKey == platform::VK_SCROLL)) {
    keyboard_->RefreshLockStates();
  }
  auto* keyboard = dynamic_cast<MessageKeyboard*>(keyboard_.get());
  return keyboard && keyboard->OnKeyDown(uint32_t(virtualKey), lParam);
}

bool InputManager::OnKeyUp(uintptr_t virtualKey, intptr_t) {
  auto* keyboard = dynamic_cast<MessageKeyboard*>(keyboard_.get());
  return keyboard && keyboard->OnKeyUp(uint32_t(virtualKey));
}

bool InputManager::OnMouseWheel(uintptr_t wParam) {
  if (!mouse_) return false;
  mouse_->OnWheel(wParam);
  return true;
}

bool InputManager::FeedMouseButton(uint8_t button, bool down) {
  auto* mouse = dynamic_cast<MessageMouse*>(mouse_.get());
  if (!mouse) return false;
  return down ? mouse->OnButtonDown(button) : mouse->OnButtonUp(button);
}

bool InputManager::OnLeftButtonDown(uintptr_t, intptr_t) { return FeedMouseButton(0, true); }
bool InputManager::OnLeftButtonUp(uintptr_t, intptr_t) { return FeedMouseButton(0, false); }
bool InputManager::OnRightButtonDown(uintptr_t, intptr_t) { return FeedMouseButton(1, true); }
bool InputManager::OnRightButtonUp(uintptr_t, intptr_t) { return FeedMouseButton(1, false); }
bool InputManager::OnMiddleButtonDown(uintptr_t, intptr_t) { return FeedMouseButton(2, true); }
bool InputManager::OnMiddleButtonUp(uintptr_t, intptr_t) { return FeedMouseButton(2, false); }

void InputManager::SetCursorPositionTarget(const int32_t* x, const int32_t* y) {
  if (mouse_) mouse_->SetTrackedPosition(x, y);
}

void InputManager::ShowSystemCursor(bool show) {
  if (mouse_) mouse_->ShowSystemCursor(show);
}

}  // namespace orrivel
