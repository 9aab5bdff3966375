#include "game/GameSystemPort.h"

#include "game/ConfirmBox.h"
#include "game/GameApplication.h"
#include "game/GameSavePorts.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

// The sprite list a script names by the handle of a canvas image: its
// overlay list when it has one, else its canvas's main list.
SpriteList* OwnerList(GameApplication& app, uint32_t handle) {
  DisplayScreenDevice* display = app.Display();
  auto* image = display && handle ? dynamic_cast<CanvasDrawImage*>(display->GetImage(handle)) : nullptr;
  if (image == nullptr) return nullptr;
  if (SpriteList* overlay = image->GetOverlayList()) return overlay;
  SpriteCanvas* canvas = image->GetCanvas();
  return canvas ? &canvas->MainList() : nullptr;
}

}  // namespace

GameSystemPort::GameSystemPort(GameApplication& app) {
  soundSystem = &app.sound;
  saveService_ = MakeGameSaveService(app);
  saves = saveService_.get();
  resolveSprite = [&app](uint32_t handle) -> ImageSprite* {
    DisplayScreenDevice* display = app.Display();
    return display ? dynamic_cast<ImageSprite*>(display->GetSprite(handle)) : nullptr;
  };
  // What a page of the open text frame switched off comes back on.
  restoreFrameMenu = [&app] {
    TgsFrame* frame = app.scripts ? app.scripts->TextFrameSlot().frame.get() : nullptr;
    if (frame != nullptr) frame->WindowState().RestoreMenuState();
  };
  if (ConfirmBox* box = GetConfirmBox()) {
    confirmBox = box;
    confirmFont = box->GetPorts().font;
    openNotice = [box](const char* text, int32_t value) { return box->Open(text, uint32_t(value)); };
    moveCursorTo = [box, &app](uint32_t control, int32_t, int32_t) {
      auto* button = app.scripts ? app.scripts->Handles().Get<ButtonControl>(control, HandleFamily::Control) : nullptr;
      return box->MoveCursorTo(button);
    };
    runBox = [box, &app](int32_t mode, const char* text, int32_t x, int32_t y, int32_t defaultButton,
                         uint32_t owner) {
      return box->Run(mode, text, x, y, defaultButton, OwnerList(app, owner));
    };
  }
  previous_ = SetSystemPort(this);
}

GameSystemPort::~GameSystemPort() {
  if (&SystemPort() == this) SetSystemPort(previous_);
}

}  // namespace orrivel
