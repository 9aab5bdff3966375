#include "scene/TextInputHook.h"

#include "base/Cp932.h"
#include "base/ScopedLock.h"
#include "platform/Backend.h"
#include "scene/Control.h"

namespace orrivel {

using platform::CurrentBackend;
using platform::kNoWindow;
using platform::WindowId;

void TextInputHook::ClearInput() {
  ScopedLock guard(lock_);
  lastKey_ = 0;
  typedCount_ = takenCount_ = 0;
  pendingLeadByte_ = false;
}

void TextInputHook::Unhook() {
  if (hookedWindow_ == kNoWindow) return;
  platform::WindowSystem& windows = CurrentBackend();
  // Only a filter still in place is taken off: a later one keeps its chain.
  if (windows.GetWindowClient(hookedWindow_) == this) windows.SetWindowClient(hookedWindow_, previousProc_);
  previousProc_ = nullptr;
  hookedWindow_ = kNoWindow;
}

int32_t TextInputHook::AttachTextInputHook(WindowId window) {
  platform::WindowSystem& windows = CurrentBackend();
  if (window == kNoWindow && hookedWindow_ != kNoWindow && imeEnabled_) {
    // Sent while the filter still sees it, so that its own flag follows.
    windows.SendMessage(hookedWindow_, platform::WM_APP_IME_ENABLE, 0, 0);
  }
  Unhook();
  if (window != kNoWindow && windows.IsWindow(window)) {
    ime_.Attach(window);
    previousProc_ = windows.SetWindowClient(window, this);
    hookedWindow_ = window;
    if (!imeEnabled_) windows.SendMessage(window, platform::WM_APP_IME_ENABLE, 1, 0);
  } else if (window == kNoWindow) {
    ime_.Attach(kNoWindow);
  }
  ClearInput();
  return 0;
}

int32_t TextInputHook::SetImeEnabled(bool on) {
  platform::WindowSystem& windows = CurrentBackend();
  const WindowId target = mainWindow_ != kNoWindow ? mainWindow_ : hookedWindow_;
  if (on && !imeEnabled_) {
    if (!windows.IsWindow(target)) return 2;
    windows.SetTextInputEnabled(target, true);
    imeEnabled_ = true;
  } else if (!on && imeEnabled_) {
    imeEnabled_ = false;
    if (!windows.IsWindow(target)) return 3;
    windows.SetTextInputEnabled(target, false);
  }
  return 0;
}

bool TextInputHook::PostWindowCommand(uint8_t value) {
  if (hookedWindow_ == kNoWindow) return false;
  CurrentBackend().SendMessage(hookedWindow_, platform::WM_APP_IME_OPEN, value, 0);
  return true;
}

bool TextInputHook::TakeTypedText(Control* control) {
  if (lastKey_ != 0) {
    // A key goes first; the characters follow on the next frame.
    const uint8_t key = uint8_t(lastKey_);
    lastKey_ = 0;
    return control != nullptr && control->TakeKey(key);
  }
  ScopedLock guard(lock_);
  if (takenCount_ != 0 || typedCount_ <= 0 || pendingLeadByte_) return false;
  takenCount_ = typedCount_;
  return control != nullptr && control->TakeCharacters(typedChars_.data(), typedCount_);
}

std::string TextInputHook::TypedBytes() const { return std::string(typedChars_.data(), size_t(typedCount_)); }

void TextInputHook::StoreCharacter(uint8_t byte) {
  if (typedCount_ < kBufferBytes) {
    typedChars_[size_t(typedCount_++)] = char(byte);
    pendingLeadByte_ = cp932::IsLeadByte(byte) && !pendingLeadByte_;
    return;
  }
  // Full: the byte is dropped, and a lead byte waiting for it goes too, so
  // that no half character is ever delivered.
  if (pendingLeadByte_) {
    --typedCount_;
    pendingLeadByte_ = false;
  }
}

void TextInputHook::HandleTextInputMessage(uint32_t message, uintptr_t wParam) {
  switch (message) {
    case platform::WM_KEYDOWN:
      lastKey_ = uint32_t(wParam);
      break;
    case platform::WM_CHAR: {
      ScopedLock guard(lock_);
      if (takenCount_ != 0) typedCount_ = takenCount_ = 0;  // a fresh buffer after a delivery
      StoreCharacter(uint8_t(wParam));
      break;
    }
    case platform::WM_APP_IME_ENABLE:
      SetImeEnabled(wParam != 0);
      break;
    case platform::WM_APP_IME_OPEN:
      ime_.SetOpen(wParam != 0);
      break;
    default:
      break;
  }
}

intptr_t TextInputHook::WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  HandleTextInputMessage(message, wParam);
  platform::WindowClient* next = previousProc_;
  const intptr_t result = next != nullptr ? next->WindowProcedure(window, message, wParam, lParam)
                                          : CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  if (message == platform::WM_DESTROY && window == hookedWindow_) AttachTextInputHook(kNoWindow);
  return result;
}

}  // namespace orrivel
