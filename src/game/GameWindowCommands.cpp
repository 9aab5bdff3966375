#include "game/GameWindowCommands.h"

#include <vector>

#include "base/ScopedLock.h"
#include "game/GameApplication.h"
#include "game/GameDialogs.h"
#include "game/GameMenu.h"
#include "game/TextInputDialog.h"
#include "natives/AppNativePort.h"
#include "natives/EngineServices.h"
#include "natives/WindowCommandRecords.h"
#include "platform/Backend.h"
#include "platform/TextCodec.h"
#include "sound/ObjectMovie.h"

namespace orrivel {

using namespace platform;

namespace {

std::string Cp932(const char* utf8) { return Utf8ToCp932Lossy(utf8); }

// The menu items of each switch.
std::vector<uint32_t> ItemsOfSwitch(uint32_t which) {
  switch (which) {
    case GameWindowCommands::kSwitchSettings: return {kCommandSettings, kCommandSettingsFromMenu};
    case GameWindowCommands::kSwitchSave: return {kCommandSave};
    case GameWindowCommands::kSwitchLoad: return {kCommandLoad};
    case GameWindowCommands::kSwitchReturnToTitle: return {kCommandReturnToTitle};
    case GameWindowCommands::kSwitchScreenMode: return {kCommandScreenMode};
    default: return {};
  }
}

void EnableItems(WindowId window, uint32_t which, bool enabled) {
  Menu* menu = window != kNoWindow ? CurrentBackend().GetMenu(window) : nullptr;
  if (menu == nullptr) return;
  for (uint32_t id : ItemsOfSwitch(which)) menu->Enable(id, enabled);
  menu->RequestRedraw();
}

}  // namespace

GameWindowCommands::GameWindowCommands(GameApplication& app) : app_(app) {
  // Scripts' message boxes are shown by the main window; their dialogs come
  // through it from whichever thread runs the scripts.
  shellPort_.messageBox = [this](uint8_t kind, const std::string& text, const std::optional<std::string>& caption,
                                 uint8_t icon) -> uint8_t {
    return app_.SendWindowCommand(kind, text, icon, caption ? caption->c_str() : nullptr);
  };
  shellPort_.dialogRequest = [this](uint8_t kind, const std::string& text, int32_t) -> uint8_t {
    return app_.dialogs.SendMessageIfWindow(kind, text);
  };
  previousShellPort_ = SetShellPort(&shellPort_);
}

GameWindowCommands::~GameWindowCommands() {
  if (&ShellPort() == &shellPort_) SetShellPort(previousShellPort_);
}

void GameWindowCommands::RegisterHandlers(WindowObject& window) {
  window.RegisterMessageHandler(WM_CREATE, this, &GameWindowCommands::OnCreate);
  window.RegisterMessageHandler(WM_SYSCOMMAND, this, &GameWindowCommands::OnSysCommand);
  window.RegisterMessageHandler(WM_COMMAND, this, &GameWindowCommands::OnCommand);
  window.RegisterMessageHandler(WM_DESTROY, this, &GameWindowCommands::OnDestroy);
  window.RegisterMessageHandler(WM_QUERYENDSESSION, this, &GameWindowCommands::OnQueryEndSession);
  window.RegisterMessageHandler(WM_APP_DIALOG_REQUEST, this, &GameWindowCommands::OnDialogRequest);
  window.RegisterMessageHandler(WM_APP_OBJECT_MOVIE, this, &GameWindowCommands::OnObjectMovieEvent);
}

int GameWindowCommands::OnObjectMovieEvent(MessageRecord&) {
  // Under the movie lock: the natives may be closing the movie meanwhile.
  app_.movies.PumpObjectMovieEvents();
  return 0;
}

void GameWindowCommands::AttachNativePort(AppNativePort& port) {
  nativePort_ = &port;
  for (size_t i = 0; i < switches_.size(); ++i) port.menuEnabled[i] = switches_[i] != 0;
  port.modalState = modal_;
  // Natives 0 and 1 change the switches, then ask for the bar to follow.
  port.applyMenuState = [this] {
    if (nativePort_ == nullptr) return;
    for (uint32_t i = 0; i < kSwitchScreenMode; ++i) UpdateMenuBar(i, nativePort_->menuEnabled[i]);
    UpdateMenuBar(kSwitchScreenMode, nativePort_->menuEnabled[kSwitchScreenMode] &&
                                         (nativePort_->Options() & AppNativePort::kOptionModeChange));
  };
  port.runMenuCommand = [this](uint8_t command, bool send) { return RunScriptCommand(command, send); };
}

void GameWindowCommands::SetModal(uint8_t value) {
  modal_ = value;
  if (nativePort_ != nullptr) nativePort_->modalState = value;
}

// --- Window messages ---------------------------------------------------------

int GameWindowCommands::OnCreate(MessageRecord& record) {
  // Without a screen-mode facility the mode cannot change from the menu.
  if (app_.screenModePolicy == 0) EnableItems(GetHandle(record), kSwitchScreenMode, false);
  return 1;
}

int GameWindowCommands::OnSysCommand(MessageRecord& record) {
  Backend& backend = CurrentBackend();
  const WindowId window = GetHandle(record);
  const uint32_t command = uint32_t(record.wParam) & 0xFFF0u;
  // The maximise box and the restore of a window that is not minimised
  // change the screen mode instead of the window's size.
  if (command == SC_MAXIMIZE) {
    if (backend.IsMinimized(window)) backend.ShowWindow(window, SW_RESTORE);
    app_.mainWindow.PostWindowMessage(WM_COMMAND, kCommandScreenMode, 0);
    return 0;
  }
  if (command == SC_RESTORE && !backend.IsMinimized(window) && backend.GetActiveWindow() == window) {
    app_.mainWindow.PostWindowMessage(WM_COMMAND, kCommandScreenMode, 0);
    return 0;
  }
  return 1;
}

int GameWindowCommands::OnCommand(MessageRecord& record) {
  OnMenuCommand(uint32_t(record.wParam) & 0xFFFFu, record.lParam);
  return 0;
}

int GameWindowCommands::OnDestroy(MessageRecord& record) {
  Backend& backend = CurrentBackend();
  const WindowId window = GetHandle(record);
  backend.ShowWindow(window, SW_HIDE);
  // The window block keeps where the window was for the next start.
  if (app_.screenMode == 2) {
    const Rect outer = backend.GetWindowRect(window);
    app_.savedWindowX = outer.left;
    app_.savedWindowY = outer.top;
  }
  return 1;  // the window object posts the quit
}

int GameWindowCommands::OnQueryEndSession(MessageRecord& record) {
  // The session may end without another message: everything the player
  // would lose is written now.
  if (AppPort().saveFrameReadFlags) AppPort().saveFrameReadFlags();
  if (app_.scripts) app_.scripts->SaveAll();
  app_.SaveSettings(0);
  record.result = 1;
  return 0;
}

int GameWindowCommands::OnDialogRequest(MessageRecord& record) {
  auto* request = reinterpret_cast<MessageDialogRecord*>(record.wParam);
  if (!app_.dialogs.IsSentRecord(request)) return 0;
  // A question that cannot be asked now is not answered Yes for the player.
  if (modal_ != kModalNone) return 0;
  SetModal(kModalMessage);
  app_.dialogs.ShowMessageDialogRecord(request);
  SetModal(kModalNone);
  return 0;
}

// --- Commands ----------------------------------------------------------------

void GameWindowCommands::OnMenuCommand(uint32_t id, intptr_t recordAddress) {
  switch (id) {
    case kCommandScreenMode:
      if (app_.screenModePolicy != 0 && SwitchState(kSwitchScreenMode)) ChangeScreenMode(false);
      return;
    case kCommandReturnToTitle:
      if (modal_ == kModalNone && SwitchState(kSwitchReturnToTitle)) ReturnToTitle();
      return;
    case kCommandQuit:
      app_.mainWindow.SendWindowMessage(WM_CLOSE, 0, 0);
      return;
    case kCommandVersion:
      if (modal_ != kModalNone) return;
      SetModal(kModalVersion);
      app_.dialogs.ShowVersionDialog();
      SetModal(kModalNone);
      return;
    case kCommandSettings:
    case kCommandSettingsFromMenu:
      if (modal_ != kModalNone || !SwitchState(kSwitchSettings) || !showSettingsSheet) return;
      SetModal(kModalSettings);
      app_.EnterModalState();
      showSettingsSheet();
      app_.LeaveModalState();
      SetModal(kModalNone);
      return;
    default:
      RunRecordCommand(id, recordAddress);
      return;
  }
}

void GameWindowCommands::RunRecordCommand(uint32_t id, intptr_t recordAddress) {
  if (id == kCommandForceWindow) {
    ChangeScreenMode(true);
    return;
  }
  if (recordAddress == 0) return;
  auto* record = reinterpret_cast<void*>(recordAddress);
  const WindowId owner = app_.mainWindow.GetHandle();
  switch (id) {
    case kCommandTextEntry: {
      auto* entry = static_cast<TextEntryCommandRecord*>(record);
      TextInputDialog dialog;
      dialog.onOpen = app_.textInputOpened;
      dialog.onIdle = [this] { return app_.PlayScriptedFrame(); };
      app_.EnterModalState();
      entry->text = dialog.Run(entry->request ? *entry->request : TextInputRequestCells{}, entry->text, owner);
      app_.LeaveModalState();
      return;
    }
    case kCommandOpenFile:
    case kCommandSaveFile:
    case kCommandBrowseFolder:
      app_.EnterModalState();
      RunDialogCommand(uint16_t(id), record, owner);
      app_.LeaveModalState();
      return;
    case kCommandRestartSound: {
      auto* restart = static_cast<SoundRestartCommandRecord*>(record);
      const AppSettings::UserBlock& user = app_.settings.blocks.user;
      uint16_t channels = 2;
      uint32_t rate = 44;
      uint16_t bits = 16;
      if (restart->result != 0) {
        channels = uint8_t(restart->result);
        rate = restart->rateCode;
        bits = uint16_t(restart->bitsPerSample);
      }
      restart->result = app_.sound.Initialize(nullptr, user[20] != 0, user[18] != 0, nullptr, channels, rate, bits);
      return;
    }
    default:
      return;
  }
}

void GameWindowCommands::ChangeScreenMode(bool forceWindow) {
  const WindowId window = app_.mainWindow.GetHandle();
  if (window == kNoWindow) return;
  {
    ScopedLock lock(app_.displayLock);
    const uint8_t mode = forceWindow || app_.screenMode != 2 ? 2 : 1;
    if (mode == 1 && !forceWindow) {
      int32_t monitor = 0;
      if (GetMonitorRect(window, &monitor) != 0) {
        app_.dialogs.ShowMessageDialog(Cp932("画面モード変更に失敗").c_str(), 0);
        return;
      }
    }
    const uint8_t method = app_.Screen().drawingMethod;
    if (app_.ApplyScreenMode(mode, app_.screenDepth, 1) != 0) {
      // The base has put the old mode back; the end reports the failure.
      app_.errorCode = 2;
    } else {
      // The new mode may have had to give up the chosen drawing method.
      app_.KeepDrawingMethodInUse(method);
      if (app_.screenMode == 2) {
        ApplyMenuStates();
        CentreOnWorkArea();
      }
    }
  }
  app_.pacing.ApplyFramePacing(-1);
}

void GameWindowCommands::CentreOnWorkArea() {
  Backend& backend = CurrentBackend();
  const WindowId window = app_.mainWindow.GetHandle();
  Rect work;
  app_.monitors.GetMonitorWorkArea(work, app_.monitors.MonitorFromRect(backend.GetWindowRect(window)));
  // A work area just as wide as the game: the frame would stick out on one
  // side, so the window sits in the middle.
  if (work.Width() == backend.GetClientRect(window).Width()) CentreWindow();
}

void GameWindowCommands::CentreWindow() {
  Backend& backend = CurrentBackend();
  const WindowId window = app_.mainWindow.GetHandle();
  if (window == kNoWindow) return;
  Rect outer = backend.GetWindowRect(window);
  Rect work;
  app_.monitors.GetMonitorWorkArea(work, app_.monitors.MonitorFromRect(outer));
  const int32_t width = outer.Width();
  const int32_t height = outer.Height();
  outer.left = work.left + (work.Width() - width) / 2;
  if (height < work.Height()) outer.top = work.top + (work.Height() - height) / 2;
  outer.right = outer.left + width;
  outer.bottom = outer.top + height;
  backend.MoveWindow(window, outer);
}

void GameWindowCommands::ReturnToTitle() {
  SetModal(kModalReturnToTitle);
  bool yes = app_.dialogs.ShowMessageDialog(Cp932("タイトルに戻ります。\nよろしいですか？").c_str(), 2) == 1;
  // The scripts may have closed the way back while the question was open.
  if (yes && !SwitchState(kSwitchReturnToTitle)) {
    app_.dialogs.ShowMessageDialog(Cp932("現在の状態でタイトルに戻ることは出来ません。\r\n"
                                         "行える状態になってから再度、実行して下さい。")
                                       .c_str(),
                                   0);
    yes = false;
  }
  SetModal(kModalNone);
  if (yes) app_.pendingInterrupt = 1;
}

int GameWindowCommands::ConfirmQuit(MessageRecord& record) {
  Backend& backend = CurrentBackend();
  const WindowId window = GetHandle(record);
  if (backend.IsMinimized(window)) {
    // A minimised full-screen game gets its display back when its window
    // is active again: the close waits for that (RunDeferredClose).
    const bool displayPending = app_.pendingDisplayRestore != 0;
    if (displayPending) deferredClose_ = true;
    backend.ShowWindow(window, SW_RESTORE);
    if (displayPending) return 0;
  }
  if (modal_ == kModalQuit) return 0;
  const uint8_t previous = modal_;
  SetModal(kModalQuit);
  const char* title = app_.GetTitle();
  const std::string question = Cp932("『") + (title ? title : "") + Cp932("』\nを終了しますか？");
  const bool yes = app_.dialogs.ShowMessageDialog(question.c_str(), 2) == 1;
  SetModal(previous);
  if (!yes) return 0;
  return app_.Application::OnClose(record);
}

void GameWindowCommands::RunDeferredClose() {
  if (!deferredClose_) return;
  deferredClose_ = false;
  app_.mainWindow.PostWindowMessage(WM_CLOSE, 0, 0);
}

// --- Switches ------------------------------------------------------------------

int GameWindowCommands::UpdateMenuBar(uint32_t which, bool enabled) {
  if (which > kSwitchScreenMode) return -1;
  const uint8_t value = enabled ? 1 : 0;
  if (switches_[which] == value) return 0;
  if (which == kSwitchScreenMode && app_.screenModePolicy == 0) return 0;
  switches_[which] = value;
  if (nativePort_ != nullptr) nativePort_->menuEnabled[which] = enabled;
  EnableItems(app_.mainWindow.GetHandle(), which, SwitchState(which) != 0);
  if (which == kSwitchScreenMode) SetMaximizeBoxes(enabled);
  return 0;
}

uint8_t GameWindowCommands::SwitchState(uint32_t which) const {
  if (which >= switches_.size()) return 0;
  if (frameScreenOpen_ && which != kSwitchScreenMode) return 0;
  return switches_[which];
}

void GameWindowCommands::SetFrameScreenOpen(bool open) {
  if (frameScreenOpen_ == open) return;
  frameScreenOpen_ = open;
  // Only the items whose switch is on change; the switches stay as the
  // scripts set them, also while the screen is open.
  for (uint32_t which = 0; which < kSwitchScreenMode; ++which) {
    if (switches_[which] != 0) EnableItems(app_.mainWindow.GetHandle(), which, !open);
  }
}

void GameWindowCommands::SetMaximizeBoxes(bool on) {
  Backend& backend = CurrentBackend();
  const auto apply = [&](WindowId window) {
    if (window == kNoWindow) return;
    const uint32_t style = backend.GetStyle(window);
    backend.SetStyle(window, on ? style | WS_MAXIMIZEBOX : style & ~WS_MAXIMIZEBOX);
  };
  // The window keeps the box across screen-mode switches.
  app_.windowStyle = on ? app_.windowStyle | WS_MAXIMIZEBOX : app_.windowStyle & ~WS_MAXIMIZEBOX;
  if (app_.screenMode == 2) apply(app_.mainWindow.GetHandle());
  if (app_.screenModePolicy == 2 && app_.frameKind != 2 && app_.fullScreenMenuWindow.IsValid()) {
    apply(app_.fullScreenMenuWindow.GetHandle());
  }
}

void GameWindowCommands::ApplyMenuStates() {
  const WindowId window = app_.mainWindow.GetHandle();
  for (uint32_t which = 0; which < switches_.size(); ++which) {
    if (which == kSwitchScreenMode && app_.screenModePolicy == 0) {
      EnableItems(window, which, false);
      continue;
    }
    EnableItems(window, which, SwitchState(which) != 0);
  }
}

int GameWindowCommands::GetMonitorRect(WindowId window, int32_t* monitorIndex) {
  DisplayScreenDevice* display = app_.Display();
  if (display == nullptr) return 1;
  const AppSettings::AppConfigBlock& config = app_.settings.blocks.appConfig;
  uint32_t monitor = 0;
  int32_t index = -1;
  if (config[157] == 0) {
    Rect around;
    if (window != kNoWindow && CurrentBackend().IsWindow(window)) {
      around = CurrentBackend().GetWindowRect(window);
    } else {
      around = app_.SavedWindowRect();
    }
    monitor = app_.monitors.MonitorFromRect(around);
  } else {
    index = int32_t(config[157]) - 1;
  }
  if (monitorIndex) *monitorIndex = index;
  return display->SelectMonitor(config[154] != 0, monitor, index, 0, &app_.monitors);
}

int GameWindowCommands::RunScriptCommand(uint8_t command, bool send) {
  AppCommandGates gates;
  gates.settings = SwitchState(kSwitchSettings) != 0;
  gates.save = SwitchState(kSwitchSave) != 0;
  gates.load = SwitchState(kSwitchLoad) != 0;
  gates.returnToTitle = SwitchState(kSwitchReturnToTitle) != 0;
  gates.screenModeChange = app_.screenModePolicy != 0 && SwitchState(kSwitchScreenMode) != 0;
  return PostAppCommand(command, send, 0, gates, [this](bool sent, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!app_.mainWindow.IsValid()) return false;
    if (sent) {
      app_.mainWindow.SendWindowMessage(message, wParam, lParam);
      return true;
    }
    return app_.mainWindow.PostWindowMessage(message, wParam, lParam);
  });
}

}  // namespace orrivel
