#pragma once
// The settings sheet as the engine draws it: the tabs of the four pages,
// the page shown with its controls filled from the sheet's working copy
// (their enabled states included), and the defaults, OK and Cancel buttons
// along the bottom. Our own layout of the pages' templates 135 to 138.
#include <cstdint>

#include "game/SettingsSheet.h"
#include "platform/DialogService.h"

namespace orrivel {

struct SettingsSheetLayout {
  // The sheet's client area.
  static constexpr int32_t kClientWidth = 418;
  static constexpr int32_t kClientHeight = 378;
  static constexpr uint16_t kCancelId = 2;
  static constexpr uint16_t kFirstTabId = 0x7000;  // + page
  // Key and button fields of actions 4-17.
  static constexpr uint16_t kFirstFieldId = 1054;
};

// The sheet's page as controls (client coordinates; request.rect is the
// client area at the origin). `joystickPresent` enables the joystick page's
// controls.
platform::DialogRequest LayOutSettingsSheet(const SettingsSheet& sheet, bool joystickPresent);

}  // namespace orrivel
