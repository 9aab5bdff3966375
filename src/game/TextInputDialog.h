#pragma once
// The text-input dialog "データ入力": a prompt line, an edit field and an OK
// button, asking the player for a short text (a name, for example) the way
// a script's request describes it (caption, prompt, full-width only,
// maximum length, input method, width and position). It is modal over its
// owner and cannot be cancelled: Esc and closing do nothing, only OK (or
// Enter) ends it.
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "game/DialogInteraction.h"
#include "game/DialogLayer.h"
#include "natives/AppNativePort.h"
#include "platform/Rect.h"
#include "platform/WindowSystem.h"

namespace orrivel {

// Where the dialog and its controls go.
struct TextInputLayout {
  // The template's own size.
  static constexpr int32_t kTemplateWidth = 240;
  static constexpr int32_t kTemplateHeight = 96;
  static constexpr int32_t kOkWidth = 64;
  static constexpr int32_t kFieldMargin = 16;

  platform::Rect window;      // desktop coordinates
  int32_t fieldWidth = 0;     // prompt and edit
  int32_t okLeft = 0;         // the OK button, in the dialog
};

// Placement: with x or y negative the dialog is centred over the owner's
// window (`owner` non-empty), else on the screen; otherwise it goes to
// (x, y) in the owner's client area (`ownerClientOrigin`). A width of 0
// keeps the template's; another widens the prompt and the edit to width -
// 16 and centres the OK button in it. A width is held between the OK
// button with its margins and the screen's width, and a position within
// 2^24 pixels of the origin, so no script's cells make a window the
// machine cannot draw.
TextInputLayout LayoutTextInputDialog(const TextInputRequestCells& request, const platform::Rect* owner,
                                      platform::Point ownerClientOrigin, const platform::Rect& screen);

// What OK makes of the edit's text: with full-width only the text ends at
// the first character that is not a two-byte one; a maximum length (0: no
// limit) ends it before the first character that would not fit whole, so
// no half character ever ends the result. A lead byte without its trail
// byte is dropped.
std::string AcceptTextInput(std::string_view text, bool fullWidthOnly, uint8_t maxLength);

class TextInputDialog final : public platform::WindowClient {
 public:
  static constexpr uint16_t kOkId = 1;
  static constexpr uint16_t kEditId = 1000;
  static constexpr const char* kClassName = "OrrivelTextInput";

  // Called once the dialog's window exists, before it takes input (a
  // scripted run types into it from here).
  std::function<void(platform::WindowId)> onOpen;
  // Called whenever the dialog has nothing to do; true when it queued
  // something (a scripted run's next frame of input), so it does not wait.
  std::function<bool()> onIdle;

  // Runs the dialog over the owner (none: the desktop) with the initial
  // text in the edit; the accepted text. A program that is closing (the
  // queue's quit) ends it with an empty text and leaves the quit queued.
  std::string Run(const TextInputRequestCells& request, const std::string& initial, platform::WindowId owner);

  // While it runs: the window, the edit's text (CP932) and the layout.
  platform::WindowId Window() const { return window_; }
  const std::string& EditText() const { return edit_; }
  const TextInputLayout& Layout() const { return layout_; }
  // The layer the dialog is drawn in (over its owner, else in its window).
  DialogLayer& Layer() { return layer_; }
  // The dialog as the engine draws it: the prompt, the edit with its text
  // and the OK button, in the client area below the caption.
  platform::DialogRequest Drawing() const;

  intptr_t WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void Accept();
  void Repaint();
  // A key, typed byte or click for the dialog; false for other messages.
  bool TakeInput(const platform::Message& message);

  const TextInputRequestCells* request_ = nullptr;
  platform::WindowId window_ = platform::kNoWindow;
  TextInputLayout layout_;
  platform::WindowId owner_ = platform::kNoWindow;
  DialogLayer layer_;
  DialogInteraction interaction_;
  std::string edit_;
  std::string result_;
  bool done_ = false;
};

}  // namespace orrivel
