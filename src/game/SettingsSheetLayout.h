#pragma once
// The settings sheet as the engine draws it: the tabs of the four pages,
// the page shown with its controls filled from the sheet's working copy
// (their enabled states included), and the defaults, OK and Cancel buttons
// along the bottom. Our own layout of the pages' templates 135 to 138.
#include <cstdint>
#include <optional>
#include <vector>

#include "game/DialogInteraction.h"
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

// What the player's action on one of the page's controls changes: the byte,
// and the value a radio stands for or a ticked check box holds; a combo's
// choices run from minimum to maximum; a slider's value is the byte over
// divisor; a slider's edit shows the byte itself (up to maximum).
struct SettingsSheetBinding {
  uint16_t id = 0;
  platform::DialogControlKind kind = platform::DialogControlKind::CheckBox;
  uint8_t offset = 0;
  uint32_t value = 1;
  uint32_t minimum = 0;
  uint32_t maximum = 0;
  uint32_t divisor = 1;
};

// The sheet's page as controls (client coordinates; request.rect is the
// client area at the origin). `joystickPresent` enables the joystick page's
// controls. With `bindings`, what each value control changes.
platform::DialogRequest LayOutSettingsSheet(const SettingsSheet& sheet, bool joystickPresent,
                                            std::vector<SettingsSheetBinding>* bindings = nullptr);

// The byte's new value after the player's action on a control: a check box
// flips, a radio chooses its value, a combo takes its choice, a slider its
// value (times the divisor), an edit the number typed into it (held to the
// byte's range). None when the action changes nothing.
std::optional<uint32_t> ActionValue(const SettingsSheet& sheet, const SettingsSheetBinding& binding,
                                    const DialogAction& action);

}  // namespace orrivel
