#include "game/GameNativePort.h"

#include <algorithm>
#include <initializer_list>

#include "display/DrawObjectManager.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "game/GameApplication.h"
#include "game/MessageColours.h"
#include "natives/WindowCommandRecords.h"
#include "platform/Messages.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/EngineServices.h"
#include "scene/TextListControl.h"
#include "scene/WindowControl.h"
#include "text/SurfaceText.h"

namespace orrivel {

namespace {

constexpr int32_t kWindowKind = 5;
constexpr int32_t kTextListKind = 6;
constexpr int32_t kScriptMessageWindowKind = 111;

// The script's control of the kind, as the class that kind is made of.
template <class T>
T* ScriptControlOfKind(GameApplication& app, uint32_t handle, std::initializer_list<int32_t> kinds) {
  if (!app.scripts || handle == 0) return nullptr;
  ScriptHandles& handles = app.scripts->Handles();
  const int32_t kind = handles.Kind(handle, HandleFamily::Control);
  if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) return nullptr;
  return dynamic_cast<T*>(handles.Get<Control>(handle, HandleFamily::Control));
}

// Native 9 outside a text-adventure frame: the objects the scripts name get
// the player's message colours, and a font the gradient.
void ApplyMessageColoursToScriptObjects(GameApplication& app, int32_t window, uint32_t textSprite,
                                        uint32_t textObject, bool gradient) {
  const MessageColours colours(app.settings.blocks.appConfig);
  if (window != -1) {
    if (auto* control = ScriptControlOfKind<WindowControl>(app, uint32_t(window),
                                                           {kWindowKind, kScriptMessageWindowKind}))
      colours.ApplyTo(*control);
  }
  if (auto* list = ScriptControlOfKind<TextListControl>(app, textSprite, {kTextListKind})) colours.ApplyTo(*list);
  if (!gradient) return;
  Font* font = nullptr;
  if (textObject == 0) {
    font = DefaultFont();
  } else if (const DrawObjectManager* objects = ScriptDisplayObjects()) {
    font = objects->GetFont(textObject);
  }
  if (font) colours.ApplyGradient(*font);
}

}  // namespace

GameNativePort::GameNativePort(GameApplication& app) : system_(app) {
  AppSettings& blocks = app.settings.blocks;
  appConfig = std::span<uint8_t, kAppConfigSize>(blocks.appConfig);
  user = std::span<uint8_t, kUserSize>(blocks.user);
  window = std::span<uint8_t, kWindowSize>(blocks.window);
  boot = std::span<uint8_t, kBootSize>(blocks.boot);
  screenModeFacility = app.screenModePolicy;
  title = app.GetTitle() ? app.GetTitle() : "";
  nameQuery = title;
  // The natives read and change the application's own bytes.
  AttachLiveBytes(&app.systemKeyFlags, &app.screenMode, &app.screenDepth);
  requestScreenMode = [&app](uint8_t mode, uint8_t depth) { return app.RequestScreenMode(mode, depth, 0); };
  reapplyWindowMode = [&app](uint8_t depth) { return app.RequestScreenMode(2, depth, 1); };
  prepareFullScreen = [](uint8_t depth) { return depth; };
  requestWindowSize = [&app](int32_t width, int32_t height) {
    DisplayScreenDevice* display = app.Display();
    if (!display) return;
    if (width == 0) display->ClearRequestedSize();
    else display->SetWindowSizeKeepAspect(width, height);
  };
  centreWindowOnWorkArea = [&app] { app.windowCommands.CentreOnWorkArea(); };
  windowOptionsChanged = [this, &app] {
    app.centreCursorAfterModeChange = window[10] != 0;
    app.menuHoverDelay = uint16_t(window[11] | window[12] << 8);
    app.pauseWhenInactive = window[13] != 0;
  };
  setKeyboardHook = [&app](bool installed) {
    if (installed) app.InstallKeyboardHook();
    else app.RemoveKeyboardHook();
  };
  beginForcedVSync = [&app] { return app.pacing.BeginForcedVSync(); };
  endForcedVSync = [&app] { return app.pacing.EndForcedVSync(); };
  beginMillisecondPacing = [&app] { return app.pacing.BeginMillisecondPacing(); };
  endMillisecondPacing = [&app] { return app.pacing.EndMillisecondPacing(); };
  enterLowPriority = [&app] {
    if (app.lowPriority) app.lowPriority->Enter();
    return 0;
  };
  leaveLowPriority = [&app] {
    if (app.lowPriority) app.lowPriority->Leave();
    return 0;
  };
  applyFramePacing = [&app](int32_t rate) { app.pacing.ApplyFramePacing(rate); };
  // Native 69's text goes to the desktop's clipboard as well.
  setClipboard = [](const std::string& text) { CopyTextToClipboard(text.c_str(), 0); };
  // The records of the window's commands cross to the main thread with
  // the command, whichever thread runs the scripts.
  sendWindowCommand = [&app](uint16_t command, void* record) {
    if (!app.mainWindow.IsValid()) return false;
    app.mainWindow.SendWindowMessage(platform::WM_COMMAND, command, reinterpret_cast<intptr_t>(record));
    return true;
  };
  forwardMenuState = [&app](uint32_t value) { app.ForwardMenuState(value); };
  // Native 32 and the end of the session write the open text frame's read
  // marks, so that what the player read survives a kill right after.
  saveFrameReadFlags = [&app] {
    TgsFrame* frame = app.scripts ? app.scripts->TextFrameSlot().frame.get() : nullptr;
    if (frame != nullptr) frame->SaveReadFlags(std::nullopt);
  };
  // Native 70 asks the player through the text-input dialog of the main
  // window (command 40026), as native 71's request last described it.
  askText = [this](const std::string& initial) {
    TextEntryCommandRecord record;
    record.request = &textInput;
    record.text = initial;
    if (!sendWindowCommand(kCommandTextEntry, &record)) return std::string();
    return record.text;
  };
  applyMessageColours = [&app](int32_t window, uint32_t textSprite, uint32_t textObject, bool gradient) {
    ApplyMessageColoursToScriptObjects(app, window, textSprite, textObject, gradient);
  };
  showError = [&app](const std::string& text) { app.ShowMessageBox(text, Application::kIconStop); };
  // The menu switches and commands of the main window.
  app.windowCommands.AttachNativePort(*this);
  dropTarget = &app.dropTarget;
  enableFileDrop = [&app](bool accept) { app.EnableFileDrop(accept); };
  previous_ = SetAppPort(this);
}

GameNativePort::~GameNativePort() {
  if (&AppPort() == this) SetAppPort(previous_);
}

}  // namespace orrivel
