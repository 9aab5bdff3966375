#include "game/GameNativePort.h"

#include "game/GameApplication.h"
#include "game/TextInputDialog.h"
#include "natives/EngineServices.h"

namespace orrivel {

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
  prepareFullScreen = [](uint8_t depth) { return depth; };
  requestWindowSize = [&app](int32_t width, int32_t height) {
    DisplayScreenDevice* display = app.Display();
    if (!display) return;
    if (width == 0) display->ClearRequestedSize();
    else display->SetWindowSizeKeepAspect(width, height);
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
  // Native 70 asks the player through the text-input dialog, as native
  // 71's request last described it, over the main window.
  askText = [this, &app](const std::string& initial) {
    TextInputDialog dialog;
    dialog.onOpen = app.textInputOpened;
    return dialog.Run(textInput, initial, app.mainWindow.GetHandle());
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
