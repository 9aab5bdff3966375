#pragma once
// Where text entry controls get their typing: not from the keyboard devices
// but from the game window's own messages. A filter put in front of the
// window's procedure keeps the last key pressed and buffers the typed
// characters (CP932, a lead byte never delivered without its trail byte),
// opens and closes the input method on request, and hands the buffer to the
// focused control once a frame. Every message then goes on to the procedure
// the filter replaced.
//
// Messages arrive on the main thread; the lock keeps the buffer consistent
// against TakeTypedText and AttachTextInputHook all the same.
#include <array>
#include <cstdint>
#include <string>

#include "base/CriticalSection.h"
#include "base/ImeContext.h"
#include "platform/WindowSystem.h"

namespace orrivel {

class Control;

class TextInputHook : public platform::WindowClient {
 public:
  static constexpr int32_t kBufferBytes = 32;

  // The main window is the one whose input context SetImeEnabled switches.
  explicit TextInputHook(platform::WindowId mainWindow = platform::kNoWindow) : mainWindow_(mainWindow) {}
  ~TextInputHook() override { AttachTextInputHook(platform::kNoWindow); }
  TextInputHook(const TextInputHook&) = delete;
  TextInputHook& operator=(const TextInputHook&) = delete;

  void SetMainWindow(platform::WindowId window) { mainWindow_ = window; }
  // Puts the filter in front of the window's procedure (after taking it
  // off the previous window); no window takes it off. Forgets every key and
  // character. 0.
  int32_t AttachTextInputHook(platform::WindowId window);
  // Lets the main window's input method work (on) or not: 0, 2 when it
  // cannot be switched on, 3 when it cannot be switched off.
  int32_t SetImeEnabled(bool on);
  bool IsImeEnabled() const { return imeEnabled_; }
  // Sends the hooked window an input-method command (1 open, 0 close);
  // false when nothing is hooked.
  bool PostWindowCommand(uint8_t value);
  // Once a frame for the focused control: the last key first, else the
  // characters typed since the last delivery. False when nothing was
  // delivered (or the control did not take it).
  bool TakeTypedText(Control* control);

  // The filter's procedure and the message operation it runs first.
  intptr_t WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void HandleTextInputMessage(uint32_t message, uintptr_t wParam);

  platform::WindowId HookedWindow() const { return hookedWindow_; }
  uint32_t LastKey() const { return lastKey_; }
  std::string TypedBytes() const;
  int32_t TakenCount() const { return takenCount_; }
  bool PendingLeadByte() const { return pendingLeadByte_; }
  ImeContext& Ime() { return ime_; }

 private:
  void ClearInput();
  void StoreCharacter(uint8_t byte);
  void Unhook();

  bool imeEnabled_ = false;
  ImeContext ime_;
  uint32_t lastKey_ = 0;
  std::array<char, kBufferBytes> typedChars_{};
  int32_t typedCount_ = 0;
  int32_t takenCount_ = 0;
  bool pendingLeadByte_ = false;
  platform::WindowId hookedWindow_ = platform::kNoWindow;
  platform::WindowClient* previousProc_ = nullptr;
  platform::WindowId mainWindow_;
  CriticalSection lock_;
};

}  // namespace orrivel
