#pragma once
// The settings sheet "入力・その他設定": four pages (keyboard, mouse and
// joystick, other, window) that edit a working copy of the application
// settings block, with a button that brings back the defaults of the page
// shown, key and button capture into the key fields, and OK / Cancel. Only
// OK stores anything; each visited page then stores its own bytes and, for
// the two input pages, turns them into bindings of the action map.
//
// The routines that turn the block's input bytes into bindings and its
// sound bytes into sound-manager settings live here too: start-up and the
// script boot use them as well.
//
// Main thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "game/AppSettings.h"

namespace orrivel {

class ActionMap;
class InputManager;
class KeyboardDevice;
class JoystickDevice;
class SoundManager;

// The action each mouse code (1 right button, 2 wheel button, 3 wheel up,
// 4 wheel down) was last bound to, so a binding changes only when the
// player's choice does. One per run.
struct MouseBindingRecord {
  static constexpr uint8_t kNone = 0;
  std::array<uint8_t, 4> actions{kNone, kNone, kNone, kNone};
};

// Bytes 114-129 (keys of actions 4-19) become the configurable keyboard
// binding of each action; actions 4 and 5 keep their fixed keys (two and
// one) before it. A key 0 removes the binding, another key changes it.
void ApplyKeyboardBindings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, ActionMap& map);
// Byte 132 switches the joysticks, bytes 133-148 bind their buttons to
// actions 4-19, bytes 149-153 the right button, wheel button and wheel.
void ApplyJoystickMouseBindings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, InputManager& input,
                                ActionMap& map, MouseBindingRecord& mouse);
// Bytes 82-107 to the sound manager; false without one.
bool ApplySoundSettings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, SoundManager* sounds);

// The name the key fields show for a key code; empty for a code without a
// name (the reserved keys, which the fields never take).
std::string KeyName(uint8_t code);
// A joystick button code as the button fields show it (CP932); empty for 0.
std::string JoystickButtonName(uint8_t code);
// Actions of the mouse-function lists, in list order (index 0: none).
inline constexpr std::array<uint8_t, 7> kMouseFunctionActions{MouseBindingRecord::kNone, 12, 11, 6, 15, 7, 8};

class SettingsSheet {
 public:
  enum Page : uint8_t { kKeyboardPage = 0, kInputPage = 1, kOtherPage = 2, kWindowPage = 3 };
  static constexpr uint16_t kFirstTemplate = 135;
  static constexpr uint16_t kDefaultsButton = 1201;
  static constexpr uint32_t kDefaultsMessage = 0x900A;
  // Key and button fields: actions 4-17, one each.
  static constexpr int32_t kFieldCount = 14;
  static constexpr uint8_t kDeleteKey = 211;

  // One byte the sheet edits: where, on which page, and its default.
  struct Setting {
    uint8_t offset;
    Page page;
    uint32_t defaultValue;
    bool u32;
  };
  // Every byte of the block the sheet edits, in page order.
  static std::span<const Setting> Settings();
  // A complete block at the sheet's defaults over `block` (bytes the sheet
  // does not edit are kept). The capability flag picks the drawing method.
  static AppSettings::AppConfigBlock Defaults(const AppSettings::AppConfigBlock& block, bool capabilityFlag);

  // What the sheet reaches beyond the block; any may be empty.
  struct Services {
    InputManager* input = nullptr;
    ActionMap* actions = nullptr;
    MouseBindingRecord* mouse = nullptr;
    bool capabilityFlag = false;
    bool moviesAvailable = true;
    // The playing movie's volume (0-256), at once while the slider moves.
    std::function<void(int32_t)> setMovieVolume;
    // After the sheet: the popup-hint settings (shown, delay in ms).
    std::function<void(bool, uint32_t)> applyHints;
    // The live display options: drawing method, the four further switches,
    // the topmost window.
    std::function<void(uint8_t, std::array<uint8_t, 4>)> applyDrawingOptions;
    std::function<void(bool)> applyTopmost;
    // The names of the application's monitors (CP932), in list order.
    std::vector<std::string> monitorNames;
  };

  // What the sheet keeps between openings.
  struct Memory {
    Page lastPage = kKeyboardPage;
    bool blockChanged = false;  // the block is written at exit
  };

  SettingsSheet(AppSettings::AppConfigBlock& block, Memory& memory, Services services);

  // Opens on the page shown last, with the sheet's flags cleared.
  void Open();
  void ShowPage(Page page);
  Page CurrentPage() const { return page_; }
  const Services& GetServices() const { return services_; }

  // --- the controls --------------------------------------------------------------
  // The working value of a byte (or word) the sheet edits.
  uint32_t Value(uint8_t offset) const;
  // Sets a check, radio, combo or slider value of the page shown; values
  // are held to their control's range. False for a byte of another page.
  bool SetValue(uint8_t offset, uint32_t value);
  // The key field (0-13) that has the focus; -1 none.
  void FocusField(int32_t field) { focus_ = field; }
  int32_t FocusedField() const { return focus_; }
  // The texts the key or button fields show.
  std::string FieldText(int32_t field) const;
  // Whether the control of a byte takes input now: the movie controls
  // only with movies (and the movie box ticked), the hint delay only with
  // hints shown, the joystick controls only with a joystick (and the
  // joystick box ticked).
  bool ControlEnabled(uint8_t offset, bool joystickPresent) const;

  // A key pressed while the keyboard page is shown (codes 1-211 count). A
  // reserved key and the field's own key change nothing; a key another
  // field holds leaves that field empty; the focus moves on. True when the
  // field took the key.
  bool PressKey(uint8_t code);
  // A joystick code while the input page is shown: buttons (4 and up) are
  // taken like keys; the Delete key clears the field.
  bool PressJoystickButton(uint8_t code);
  bool PressDeleteKey();
  // The pages' timers: the first code newly pressed on the device.
  void PollKeyboard(const KeyboardDevice& keyboard);
  void PollJoystick(const JoystickDevice& joystick, const KeyboardDevice* keyboard);

  // The defaults button: the page shown takes the defaults (nothing is
  // stored until OK).
  void RestoreDefaults();

  // OK: every visited page stores its bytes and applies them; the block is
  // marked for saving; hint changes go out. Cancel: the movie keeps the
  // stored volume. Both close the sheet.
  void Ok();
  void Cancel();
  bool HintsChanged() const { return hintsChanged_; }

 private:
  void StoreKeyboardPage();
  void StoreInputPage();
  void StoreOtherPage();
  void StoreWindowPage();
  void CopyBack(Page page);
  bool TakeCode(uint8_t firstOffset, uint8_t code);
  void FocusNext();

  AppSettings::AppConfigBlock& block_;
  Memory& memory_;
  Services services_;
  AppSettings::AppConfigBlock working_{};
  Page page_ = kKeyboardPage;
  std::array<bool, 4> visited_{};
  int32_t focus_ = -1;
  bool volumeMoved_ = false;
  bool hintsChanged_ = false;
};

}  // namespace orrivel
