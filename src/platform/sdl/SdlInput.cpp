#include "platform/sdl/SdlInput.h"

#include "platform/sdl/SdlApi.h"

#include <algorithm>
#include <iterator>

#include "platform/KeyTable.h"
#include "platform/ProgramCursors.h"
#include "platform/TextCodec.h"
#include "platform/sdl/SdlKeyMap.h"

namespace orrivel::platform {
namespace {

constexpr SDL_SystemCursor kShapes[13] = {
    SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_ARROW,  // no help shape
    SDL_SYSTEM_CURSOR_IBEAM,     SDL_SYSTEM_CURSOR_NO,        SDL_SYSTEM_CURSOR_SIZEALL,
    SDL_SYSTEM_CURSOR_SIZENESW,  SDL_SYSTEM_CURSOR_SIZENS,    SDL_SYSTEM_CURSOR_SIZENWSE,
    SDL_SYSTEM_CURSOR_SIZEWE,    SDL_SYSTEM_CURSOR_ARROW,  // no up-arrow shape
    SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_WAIT,
};

// The gamepad buttons reported as joystick buttons 0-10 (the pad is the stick).
constexpr SDL_GameControllerButton kPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,     SDL_CONTROLLER_BUTTON_LEFTSTICK,  SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
};

uint32_t AxisValue(int16_t value) { return uint32_t(int32_t(value) + 32768); }

}  // namespace

SdlInput::~SdlInput() {
  // SDL_Quit, run by the back end, closes the devices and cursors.
}

void SdlInput::ReadKeyboard(std::array<uint8_t, 256>& state) {
  state.fill(0);
  int count = 0;
  const Uint8* keys = sdl::Api().GetKeyboardState(&count);
  for (int scancode = 0; scancode < count; ++scancode) {
    if (!keys[scancode]) continue;
    if (uint8_t code = KeyCodeFromSdlScancode(scancode)) state[code] = 0x80;
  }
}

bool SdlInput::IsLockOn(uint32_t virtualKey) {
  SDL_Keymod mod = sdl::Api().GetModState();
  switch (virtualKey) {
    case VK_CAPITAL: return (mod & KMOD_CAPS) != 0;
    case VK_NUMLOCK: return (mod & KMOD_NUM) != 0;
    case VK_SCROLL: return (mod & KMOD_SCROLL) != 0;
    default: return false;
  }
}

uint32_t SdlInput::MouseButtons() {
  uint32_t held = sdl::Api().GetMouseState(nullptr, nullptr);
  uint32_t buttons = 0;
  if (held & SDL_BUTTON_LMASK) buttons |= 1;
  if (held & SDL_BUTTON_RMASK) buttons |= 2;
  if (held & SDL_BUTTON_MMASK) buttons |= 4;
  return buttons;
}

int32_t SdlInput::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  sdl::Api().ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount_;
}

uint32_t SdlInput::SystemCursor(int32_t shape) {
  if (shape < 0 || shape > 12) return 0;
  if (!cursors_[size_t(shape)]) cursors_[size_t(shape)] = sdl::Api().CreateSystemCursor(kShapes[shape]);
  return cursors_[size_t(shape)] ? uint32_t(shape) + 1 : 0;
}

uint32_t SdlInput::ResourceCursor(uint32_t resourceId) {
  std::optional<ProgramCursor> picture = MakeProgramCursor(resourceId);
  if (!picture) return 0;
  const size_t slot = std::size(kShapes) + (resourceId - ProgramCursor::kFirstResource);
  if (!cursors_[slot]) {
    SDL_Surface* surface = sdl::Api().CreateRGBSurfaceWithFormatFrom(picture->pixels.data(), picture->width,
                                                              picture->height, 32, picture->width * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return 0;
    cursors_[slot] = sdl::Api().CreateColorCursor(surface, picture->hotX, picture->hotY);
    sdl::Api().FreeSurface(surface);
  }
  return cursors_[slot] ? uint32_t(slot) + 1 : 0;
}

void SdlInput::SetCursor(uint32_t handle) {
  if (handle >= 1 && handle <= cursors_.size() && cursors_[handle - 1]) {
    sdl::Api().SetCursor(static_cast<SDL_Cursor*>(cursors_[handle - 1]));
  }
}

bool SdlInput::StartJoysticks() {
  if (joysticksStarted_) return true;
  if (joysticksFailed_) return false;
  if (sdl::Api().InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    joysticksFailed_ = true;
    return false;
  }
  joysticksStarted_ = true;
  return true;
}

uint32_t SdlInput::JoystickDeviceCount() { return StartJoysticks() ? uint32_t(sticks_.size()) : 0; }

SdlInput::Stick* SdlInput::OpenStick(uint32_t device) {
  if (device >= sticks_.size() || !StartJoysticks()) return nullptr;
  Stick& stick = sticks_[device];
  if (stick.joystick && sdl::Api().JoystickGetAttached(static_cast<SDL_Joystick*>(stick.joystick))) return &stick;
  stick = Stick{};
  if (int(device) >= sdl::Api().NumJoysticks()) return nullptr;
  if (sdl::Api().IsGameController(int(device))) {
    if (SDL_GameController* pad = sdl::Api().GameControllerOpen(int(device))) {
      stick.controller = pad;
      stick.joystick = sdl::Api().GameControllerGetJoystick(pad);
      return &stick;
    }
  }
  stick.joystick = sdl::Api().JoystickOpen(int(device));
  return stick.joystick ? &stick : nullptr;
}

bool SdlInput::JoystickCapabilities(uint32_t device, JoystickCaps& caps) {
  Stick* stick = OpenStick(device);
  if (!stick) return false;
  auto* joystick = static_cast<SDL_Joystick*>(stick->joystick);
  caps = JoystickCaps{};
  caps.xMin = caps.yMin = 0;
  caps.xMax = caps.yMax = 65535;
  if (stick->controller) {
    caps.buttons = uint32_t(std::size(kPadButtons));
    caps.axes = 2;
  } else {
    caps.buttons = uint32_t(std::clamp(sdl::Api().JoystickNumButtons(joystick), 0, 32));  // negative on error
    caps.axes = uint32_t(std::max(sdl::Api().JoystickNumAxes(joystick), 0));
  }
  const char* name = stick->controller
                         ? sdl::Api().GameControllerName(static_cast<SDL_GameController*>(stick->controller))
                         : sdl::Api().JoystickName(joystick);
  if (name) caps.name = Utf8ToCp932Lossy(name);
  return true;
}

bool SdlInput::ReadJoystick(uint32_t device, JoystickPosition& position) {
  Stick* stick = OpenStick(device);
  if (!stick) return false;
  sdl::Api().JoystickUpdate();
  auto* joystick = static_cast<SDL_Joystick*>(stick->joystick);
  if (!sdl::Api().JoystickGetAttached(joystick)) return false;
  position = JoystickPosition{};
  bool up = false, down = false, left = false, right = false;
  if (auto* pad = static_cast<SDL_GameController*>(stick->controller)) {
    position.x = AxisValue(sdl::Api().GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
    position.y = AxisValue(sdl::Api().GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    for (size_t n = 0; n < std::size(kPadButtons); ++n) {
      if (sdl::Api().GameControllerGetButton(pad, kPadButtons[n])) position.buttons |= 1u << n;
    }
    up = sdl::Api().GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP);
    down = sdl::Api().GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    left = sdl::Api().GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    right = sdl::Api().GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  } else {
    position.x = sdl::Api().JoystickNumAxes(joystick) > 0 ? AxisValue(sdl::Api().JoystickGetAxis(joystick, 0)) : 32768;
    position.y = sdl::Api().JoystickNumAxes(joystick) > 1 ? AxisValue(sdl::Api().JoystickGetAxis(joystick, 1)) : 32768;
    int buttons = std::min(sdl::Api().JoystickNumButtons(joystick), 32);
    for (int n = 0; n < buttons; ++n) {
      if (sdl::Api().JoystickGetButton(joystick, n)) position.buttons |= 1u << n;
    }
    if (sdl::Api().JoystickNumHats(joystick) > 0) {
      Uint8 hat = sdl::Api().JoystickGetHat(joystick, 0);
      up = hat & SDL_HAT_UP;
      down = hat & SDL_HAT_DOWN;
      left = hat & SDL_HAT_LEFT;
      right = hat & SDL_HAT_RIGHT;
    }
  }
  if (up) position.y = 0;
  if (down) position.y = 65535;
  if (left) position.x = 0;
  if (right) position.x = 65535;
  return true;
}

}  // namespace orrivel::platform
