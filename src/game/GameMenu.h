#pragma once
// The game's menu (resource 101) and accelerator table (resource 102), and
// the command numbers the main window handles.
#include <cstdint>

#include "platform/Menu.h"

namespace orrivel {

namespace platform {
class WindowSystem;
}

inline constexpr uint16_t kGameMenuId = 101;
inline constexpr uint16_t kGameAcceleratorsId = 102;

enum GameCommand : uint16_t {
  kCommandScreenMode = 40001,
  kCommandReturnToTitle = 40002,
  kCommandQuit = 40003,
  kCommandVersion = 40004,
  kCommandSettings = 40005,
  kCommandSettingsFromMenu = 40006,
  kCommandSave = 40007,
  kCommandLoad = 40008,
};

// Menu 101: the "System" pop-up (screen mode, return to title, settings,
// quit, then the version after a separator) and the bar's settings, save,
// load and quit. Each text holds its shortcut after a tab (CP932).
platform::Menu GameMenu();
// Shift+A 40012, Alt+Enter 40001, Shift+L 40009, Shift+G 40011, Shift+U
// 40010, Shift+V 40004, Shift+Z 40013.
platform::AcceleratorTable GameAccelerators();
// Makes both known to the window system under their resource numbers.
void RegisterGameMenuResources(platform::WindowSystem& windows);

}  // namespace orrivel
