#pragma once
// The modal window of the settings sheet: it takes the page, field, value
// and button commands of the sheet's controls as window messages, and the
// player's keys and pointer on the drawn sheet through the dialog layer's
// interaction; it polls a keyboard of its own and the game's joystick on
// its timer while a key or button page is shown, and ends with OK, Cancel or closing. The sheet itself (SettingsSheet) keeps the
// working copy and stores it.
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/DialogInteraction.h"
#include "game/DialogLayer.h"
#include "game/SettingsSheet.h"
#include "game/SettingsSheetLayout.h"
#include "platform/WindowSystem.h"

namespace orrivel {

class InputManager;
class KeyboardDevice;

class SettingsSheetWindow final : public platform::WindowClient {
 public:
  static constexpr const char* kClassName = "OrrivelSettingsSheet";
  static constexpr int32_t kWidth = 420;
  static constexpr int32_t kHeight = 400;
  // Command ids: OK, Cancel, the defaults button; the page tabs from
  // kFirstPageCommand; the key and button fields from kFirstFieldId (their
  // focus comes as the set-focus notification in the high word).
  static constexpr uint32_t kOkId = 1;
  static constexpr uint32_t kCancelId = 2;
  static constexpr uint32_t kFirstPageCommand = 0x7000;
  static constexpr uint32_t kFirstFieldId = 1054;
  static constexpr uint32_t kSetFocusNotify = 0x0100;
  // The pages' timer, and a control's new value (wParam the block offset,
  // lParam the value).
  static constexpr uint32_t kTimerMessage = 0x0113;
  static constexpr uint32_t kSetValueMessage = 0x9010;
  static constexpr uint32_t kTimerMs = 50;

  // Called once the window exists, before it takes input.
  std::function<void(platform::WindowId)> onOpen;
  // Called whenever the sheet has nothing to do; true when it queued
  // something (a scripted run's next frame of input), so the sheet does
  // not wait.
  std::function<bool()> onIdle;

  // Runs the sheet over the owner: 1 after OK, 0 after Cancel or when the
  // program is closing (the quit stays queued). With pointerToCentre the
  // pointer moves to the sheet's centre.
  int Run(SettingsSheet& sheet, platform::WindowId owner, InputManager* input, bool pointerToCentre);

  platform::WindowId Window() const { return window_; }
  // The layer the sheet is drawn in (over its owner, else in its window).
  DialogLayer& Layer() { return layer_; }

  intptr_t WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void OnCommand(uint32_t id, uint32_t notify);
  void PollDevices();
  void Close(int result);
  // Draws the page as it stands now (nothing when it did not change).
  void Repaint();
  // The player's keys and pointer on the drawn sheet, over the sheet's own
  // window or the window it is drawn over (true when the message was
  // taken): the control acts as its window command would.
  bool TakeInput(const platform::Message& message);
  void Apply(const DialogAction& action);
  // A key field of the keyboard page has the focus: the keyboard's keys
  // are its to take.
  bool Capturing() const;
  void FollowFocus();

  SettingsSheet* sheet_ = nullptr;
  InputManager* input_ = nullptr;
  // The keyboard the key pages read while the sheet is up: one of the
  // sheet's own, since raising the sheet takes the activation from the main
  // window and with it the game's devices.
  std::unique_ptr<KeyboardDevice> captureKeyboard_;
  platform::WindowId window_ = platform::kNoWindow;
  platform::WindowId owner_ = platform::kNoWindow;
  DialogLayer layer_;
  platform::DialogRequest shown_;
  std::vector<SettingsSheetBinding> bindings_;
  DialogInteraction interaction_;
  uint16_t typedId_ = 0;  // the edit showing typed text, and the text
  std::string typed_;
  bool textInput_ = false;
  int result_ = 0;
  bool done_ = false;
};

}  // namespace orrivel
