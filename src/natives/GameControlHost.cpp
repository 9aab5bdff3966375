#include "natives/GameControlHost.h"

#include "base/Application.h"
#include "base/InputManager.h"
#include "base/TickSource.h"
#include "platform/Messages.h"
#include "raster/SpriteList.h"
#include "scene/SpriteCanvas.h"
#include "scene/TextInputHook.h"
#include "sound/SoundManager.h"
#include "text/Font.h"

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

GameControlHost::GameControlHost() {
  canvas_.SetOnBroken([this] { SetCanvas(nullptr); });
}

GameControlHost::~GameControlHost() {
  if (tipList_) tipList_->Remove(&tipSprite_);
}

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

void GameControlHost::ParkPointer() { SetPointerPos(GetScreenWidth() - 1, GetScreenHeight() - 1); }

int32_t GameControlHost::GetScreenWidth() { return app_ != nullptr ? app_->gameWidth : 0; }
int32_t GameControlHost::GetScreenHeight() { return app_ != nullptr ? app_->gameHeight : 0; }

int32_t GameControlHost::PlaySound(const char*, int32_t code, int32_t, int32_t) {
  if (sounds_ == nullptr || code < 0) return kNoSound;
  return sounds_->PlayChannel(code, false);
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

void GameControlHost::SetCanvas(SpriteCanvas* canvas) {
  canvas_ = canvas;
  SetTipList(canvas != nullptr ? &canvas->MainList() : nullptr, kTipOrder);
}

void GameControlHost::SetTipList(SpriteList* list, uint32_t order) {
  // The list the tip is in, not the one last given: a deleted canvas's
  // list has let the sprite go already.
  if (SpriteList* owning = tipSprite_.OwningList()) owning->Remove(&tipSprite_);
  tipList_ = list;
  tipSprite_.SetVisible(0);
  if (tipList_) tipList_->Add(&tipSprite_, order, 0);
}

int32_t GameControlHost::BuildTipImage(Surface& surface, Font* font, const char* text) {
  Size textSize{0, 0};
  if (font != nullptr && text != nullptr) font->MeasureText(text, &textSize, nullptr, nullptr, false, nullptr);
  // The box with its border, and one more pixel each way for the shadow.
  const int32_t boxWidth = textSize.width + 2 * kTipMarginX + 2;
  const int32_t boxHeight = textSize.height + 2 * kTipMarginY + 2;
  if (surface.Create(boxWidth + 1, boxHeight + 1, 32, 0) != 0) return 1;
  surface.FillBox(0, 0, boxWidth + 1, boxHeight + 1, kTipClear);
  surface.FillBox(1, 1, boxWidth, boxHeight, kTipShadow);
  surface.FillBox(0, 0, boxWidth, boxHeight, kTipBorder);
  surface.FillBox(1, 1, boxWidth - 2, boxHeight - 2, kTipFill);
  if (font != nullptr && text != nullptr && textSize.width > 0) {
    font->DrawText(&surface, 1 + kTipMarginX, 1 + kTipMarginY, text, nullptr, nullptr);
  }
  return 0;
}

void GameControlHost::PlaceTip(int32_t pointerX, int32_t pointerY, int32_t offsetY, int32_t width, int32_t height,
                               int32_t screenWidth, int32_t screenHeight, int32_t* x, int32_t* y) {
  int32_t left = pointerX;
  int32_t top = pointerY + offsetY;
  if (left + width > screenWidth) left -= left + width - screenWidth;
  if (top + height > screenHeight) top -= top + height - screenHeight;
  *x = left;
  *y = top;
}

void GameControlHost::ShowTooltip(const char* text, int32_t x, int32_t y) {
  if (BuildTipImage(tipSurface_, tipFont_.Get(), text) != 0) return;
  int32_t left = 0, top = 0;
  PlaceTip(x, y, tipOffsetY_, tipSurface_.GetWidth(), tipSurface_.GetHeight(), GetScreenWidth(), GetScreenHeight(),
           &left, &top);
  if (tipSprite_.SetImage(&tipSurface_, nullptr, left, top) != 0) return;
  tipSprite_.SetVisible(1);
  tipShown_ = true;
}

void GameControlHost::HideTooltipBox() {
  tipSprite_.SetVisible(0);
  tipShown_ = false;
}

void GameControlHost::OnPointerMoved(int32_t x, int32_t y) {
  if (!tipShown_) return;
  int32_t left = 0, top = 0;
  PlaceTip(x, y, tipOffsetY_, tipSurface_.GetWidth(), tipSurface_.GetHeight(), GetScreenWidth(), GetScreenHeight(),
           &left, &top);
  tipSprite_.SetPosition(left, top);
}

bool GameControlHost::PreUpdate(uint32_t now, bool* moved, int32_t x, int32_t y) {
  frameNow_ = now;
  if (moved != nullptr && *moved) OnPointerMoved(x, y);
  TickControls(now);
  return true;
}

uint32_t GameControlHost::Now() { return CurrentTickMs(); }

}  // namespace orrivel
