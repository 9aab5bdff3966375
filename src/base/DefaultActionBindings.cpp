#include "base/DefaultActionBindings.h"

#include "base/ActionMap.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

constexpr int32_t kKeyboard = 0;
constexpr int32_t kFirstJoystick = 2;

struct DefaultBinding {
  uint32_t action;
  int32_t device;
  uint8_t code;
};

constexpr DefaultBinding kDefaults[] = {
    {0, kKeyboard, platform::DIK_UP},     {0, kFirstJoystick, 0},
    {1, kKeyboard, platform::DIK_DOWN},   {1, kFirstJoystick, 1},
    {2, kKeyboard, platform::DIK_LEFT},   {2, kFirstJoystick, 2},
    {3, kKeyboard, platform::DIK_RIGHT},  {3, kFirstJoystick, 3},
    {4, kKeyboard, platform::DIK_RETURN}, {4, kKeyboard, platform::DIK_NUMPADENTER},
    {5, kKeyboard, platform::DIK_ESCAPE},
};

}  // namespace

int32_t InstallDefaultBindings(ActionMap& map) {
  int32_t refused = 0;
  for (const DefaultBinding& binding : kDefaults) {
    if (map.SetBinding(binding.action, binding.device, binding.code) != 0) ++refused;
  }
  return refused;
}

}  // namespace orrivel
