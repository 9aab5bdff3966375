#include "natives/GameControlHost.h"

#include "base/Application.h"
#include "base/InputManager.h"
#include "base/TickSource.h"
#include "platform/Messages.h"
#include "scene/TextInputHook.h"
#include "sound/SoundManager.h"

namespace orrivel {

namespace {

// The program's own cursors stand behind two of the shapes.
uint32_t CursorResourceFor(int32_t shape) {
  if (shape == 13) return GameControlHost::kCursorResourceHand;
  if (shape == 14) return GameControlHost::kCursorResourceWait;
  return 0;
}

MouseDevice* MouseOf(Application* app) {
  return app != nullptr && app->input ? app->input->Mouse() : nullptr;
}

}  // namespace

void GameControlHost::Attach(Application* app, ActionMap* actions, TextInputHook* textInput) {
  app_ = app;
  actions_ = actions;
  textInput_ = textInput;
}

void GameControlHost::SetPointerPos(int32_t x, int32_t y) {
  if (app_ != nullptr) app_->SetCursorClientPos(x, y);
}

void GameControlHost::GetPointerPos(int32_t* x, int32_t* y) {
  if (x != nullptr) *x = app_ != nullptr ? app_->cursorX : -1;
  if (y != nullptr) *y = app_ != nullptr ? app_->cursorY : -1;
}

bool GameControlHost::SetCursorKind(int32_t kind) {
  if (kind < 0 || kind >= kCursorKinds) return false;
  if (kind == cursorKind_) return true;
  const CursorKind& entry = kCursorTable[size_t(kind)];
  if (MouseDevice* mouse = MouseOf(app_)) {
    mouse->SetCursorShape(entry.shape, 0, CursorResourceFor(entry.shape));
    // A cursor on show takes its new shape at once.
    if (mouse->CursorState() != 0) mouse->ShowCurrentCursor();
  }
  tipOffsetY_ = entry.tipOffsetY;
  cursorKind_ = kind;
  return true;
}

void GameControlHost::ApplyCursorState(uint32_t state) {
  if (MouseDevice* mouse = MouseOf(app_)) {
    mouse->ApplyCursorState(state, app_->mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
  }
}

int32_t GameControlHost::GetScreenWidth() { return app_ != nullptr ? app_->gameWidth : 0; }
int32_t GameControlHost::GetScreenHeight() { return app_ != nullptr ? app_->gameHeight : 0; }

int32_t GameControlHost::PlaySound(const char*, int32_t code, int32_t, int32_t) {
  if (sounds_ == nullptr) return kNoSound;
  int32_t channel = code;
  if (code < 0) {
    if (code < -4 || code > -2) return kNoSound;
    channel = defaultChannels_[size_t(code + 4)];
    if (channel < 0) return kNoSound;
  }
  return sounds_->PlayChannel(channel, false);
}

void GameControlHost::PostWindowCommand(uint8_t command) {
  if (textInput_ != nullptr) textInput_->PostWindowCommand(command);
}

InputDevice* GameControlHost::GetKeyboard() {
  return app_ != nullptr && app_->input ? app_->input->Keyboard() : nullptr;
}

InputDevice* GameControlHost::GetPointerDevice() { return MouseOf(app_); }

void GameControlHost::ResetInput() {
  selected_ = -1;
  ControlHost::ResetInput();
}

bool GameControlHost::DeliverTypedText(Control* control) {
  return textInput_ != nullptr && textInput_->TakeTypedText(control);
}

uint32_t GameControlHost::Now() {
  now_ = CurrentTickMs();
  return now_;
}

}  // namespace orrivel
