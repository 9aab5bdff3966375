#include "platform/headless/HeadlessInput.h"

#include <algorithm>

#include "platform/KeyTable.h"

namespace orrivel::platform {

bool HeadlessInput::IsLockOn(uint32_t virtualKey) {
  switch (virtualKey) {
    case VK_CAPITAL: return capsLock_;
    case VK_NUMLOCK: return numLock_;
    case VK_SCROLL: return scrollLock_;
    default: return false;
  }
}

void HeadlessInput::SetLock(uint32_t virtualKey, bool on) {
  switch (virtualKey) {
    case VK_CAPITAL: capsLock_ = on; break;
    case VK_NUMLOCK: numLock_ = on; break;
    case VK_SCROLL: scrollLock_ = on; break;
    default: break;
  }
}

uint32_t HeadlessInput::SystemCursor(int32_t shape) {
  if (shape < 0 || shape > 12) return 0;
  return 0x100 + uint32_t(shape);
}

uint32_t HeadlessInput::ResourceCursor(uint32_t resourceId) {
  if (std::find(resources_.begin(), resources_.end(), resourceId) == resources_.end()) return 0;
  return 0x10000 + resourceId;
}

HeadlessInput::Stick* HeadlessInput::FindStick(uint32_t device) {
  if (device >= sticks_.size()) return nullptr;
  return &sticks_[device];
}

bool HeadlessInput::JoystickCapabilities(uint32_t device, JoystickCaps& caps) {
  Stick* stick = FindStick(device);
  if (!stick || !stick->present || device >= deviceCount_) return false;
  caps = stick->caps;
  return true;
}

bool HeadlessInput::ReadJoystick(uint32_t device, JoystickPosition& position) {
  Stick* stick = FindStick(device);
  if (!stick || !stick->present || stick->failRead) return false;
  ++stick->reads;
  position = stick->position;
  return true;
}

void HeadlessInput::PlugJoystick(uint32_t device, const JoystickCaps& caps) {
  if (Stick* stick = FindStick(device)) {
    stick->present = true;
    stick->caps = caps;
    // At rest in the middle of its travel.
    stick->position.x = uint32_t((int64_t(caps.xMin) + caps.xMax) / 2);
    stick->position.y = uint32_t((int64_t(caps.yMin) + caps.yMax) / 2);
    stick->position.buttons = 0;
  }
}

void HeadlessInput::UnplugJoystick(uint32_t device) {
  if (Stick* stick = FindStick(device)) *stick = Stick{};
}

void HeadlessInput::MoveJoystick(uint32_t device, uint32_t x, uint32_t y) {
  if (Stick* stick = FindStick(device)) {
    stick->position.x = x;
    stick->position.y = y;
  }
}

void HeadlessInput::SetJoystickButtons(uint32_t device, uint32_t buttons) {
  if (Stick* stick = FindStick(device)) stick->position.buttons = buttons;
}

void HeadlessInput::FailJoystickRead(uint32_t device, bool fail) {
  if (Stick* stick = FindStick(device)) stick->failRead = fail;
}

int HeadlessInput::JoystickReads(uint32_t device) const {
  return device < sticks_.size() ? sticks_[device].reads : 0;
}

}  // namespace orrivel::platform
