#include "base/Application.h"

#include <cstdio>

#include "base/ScopedLock.h"
#include "base/SoundDeviceList.h"
#include "base/StartupHooks.h"
#include "base/TickSource.h"
#include "platform/Backend.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/InputSource.h"
#include "platform/TextCodec.h"
#include "platform/ThreadId.h"

namespace orrivel {

using namespace platform;

namespace {

Application* g_application = nullptr;

MessageBoxIcon IconFromKind(uint8_t kind) {
  switch (kind) {
    case 1: return MessageBoxIcon::Exclamation;
    case 2: return MessageBoxIcon::Information;
    case 3: return MessageBoxIcon::Question;
    case 4: return MessageBoxIcon::Stop;
    default: return MessageBoxIcon::None;
  }
}

// Keeps the report pointer valid only while Init runs; the report itself
// closes with its scope, on every path.
struct ReportScope {
  SystemReport*& slot;
  ~ReportScope() { slot = nullptr; }
};

}  // namespace

Application* CurrentApplication() { return g_application; }

std::string Application::Text(const char* utf8) { return Utf8ToCp932Lossy(utf8); }

Application::Application() : AppFramework(true) {
  g_application = this;
  screen = std::make_unique<ScreenDevice>();
  input = std::make_unique<InputManager>();
  if (auto folder = ProgramFolder()) baseFolder = *folder;
  Backend& backend = CurrentBackend();
  DisplayMode desktop = backend.DesktopMode();
  desktopWidth = uint16_t(desktop.width);
  desktopHeight = uint16_t(desktop.height);
  desktopDepth = desktop.depth;
}

Application::~Application() {
  // A job still running must not wait on a window that is going away.
  worker.RequestStop();
  fullScreenMenuWindow.Destroy();
  mainWindow.Destroy();
  worker.Join();
  if (CurrentScreenDevice() == screen.get()) SetCurrentScreenDevice(nullptr);
  if (CurrentMonitorList() == &monitors) SetCurrentMonitorList(nullptr);
  if (g_application == this) g_application = nullptr;
}

const char* Application::GetTitle() { return appInfo[0] ? appInfo[0]->c_str() : nullptr; }

int Application::Configure() {
  appInfo[0] = "TMB DX Application";
  appInfo[1] = "Tamberlo DX";
  appInfo[2] = "Tamberlo DX application framework";
  appInfo[3] = "http://";
  appInfo[4].reset();
  return 0;
}

void Application::SetScreenDevice(std::unique_ptr<ScreenDevice> device) {
  if (device) screen = std::move(device);
}

// ---------------------------------------------------------------------------
// Start-up

int Application::Init() {
  Backend& backend = CurrentBackend();
  StartupHooks& hooks = GetStartupHooks();

  // 1. The game's settings. Its own failure code (the game's settings
  // files name theirs) is what the run ends with.
  if (const int configured = Configure(); configured != 0) return configured;
  // 2-3.
  if (screenModePolicy == 1 && screenMode == 2) screenMode = 0;
  if (clientWidth == 0) {
    clientWidth = gameWidth;
    clientHeight = gameHeight;
  }
  // 4. Never from a CD or DVD drive unless allowed.
  if (!allowRemovableStart && backend.GetDriveKind(baseFolder) == DriveKind::CdRom) {
    ShowMessageBox(Text("ハードディスクから起動してください"), kIconExclamation, kDesktopWindow);
    return kInitRemovableStart;
  }
  // 5. One running copy. A missing title still makes a valid guard name.
  if (singleInstance) {
    const char* title = GetTitle();
    std::string name = std::string("Tamberlo DX") + (title ? title : "");
    InstanceLock::Result result = instanceLock_.Acquire(name, backend.RuntimeFolder());
    if (result == InstanceLock::Result::HeldElsewhere) {
      // The other copy's window can be raised only when it lives in this
      // process; another process's copy is left as it is.
      std::string text = title ? title : "";
      if (WindowId other = backend.FindWindow(text, text)) {
        backend.SetForegroundWindow(other);
        backend.ShowWindow(other, SW_SHOWNORMAL);
      } else {
        // Nothing to raise: without a word the player would only see the
        // game fail to start.
        ShowMessageBox(Text("「") + text + Text("」は既に起動しています。"), kIconExclamation, kDesktopWindow);
      }
      return kInitAlreadyRunning;
    }
    instanceMutex = result == InstanceLock::Result::Acquired;
    if (!instanceMutex) {
      std::fprintf(stderr, "orrivel: single-instance guard off: no lock in the run-time folder \"%s\"\n",
                   backend.RuntimeFolder().c_str());
    }
  }
  // 6.
  RegisterMessageHandlers();
  // 7. Enough colours, and a monitor that holds the window.
  switch (CheckDisplayForStart()) {
    case 1:
      ShowMessageBox(Text("画面モードをHighColor(16bit)以上にして起動して下さい"), kIconInformation, kDesktopWindow);
      return kInitDisplayRefused;
    case 2:
      ShowMessageBox(Text("画面解像度を現在の設定より大きくして起動して下さい"), kIconInformation, kDesktopWindow);
      return kInitDisplayRefused;
    default:
      break;
  }
  // 8.
  if (hooks.identifyProcessor) hooks.identifyProcessor();
  // 9. The report, begun here and extended after each device step.
  SystemReport report;
  ReportScope reportScope{report_};
  if (writeReport) {
    // Into the save-data folder once the game names one; until then beside
    // the game data.
    const char* saveFolder = reportInProgramFolder != 1 ? GetSaveFolder() : nullptr;
    std::string folder = saveFolder && *saveFolder ? saveFolder : baseFolder;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    std::string path = folder + "SYS_LOG.TXT";
    if (!report.Open(path)) {
      ShowMessageBox(Text("ログファイルの作成に失敗"), kIconStop, kDesktopWindow);
      return kInitReportFailed;
    }
    report_ = &report;
    std::vector<std::string> lines;
    for (int i = 1; i <= 2; ++i) {
      if (appInfo[i]) lines.push_back(*appInfo[i]);
    }
    const char* title = GetTitle();
    report.WriteHead(title ? title : "", versionMajor, versionMinor, versionLetter, lines);
    report.WriteSystem();
    report.WriteCpu(measureCpuClock != 0);
  }
  // 10.
  if (hooks.maskProcessorFeatures) hooks.maskProcessorFeatures(allowCmov, allowMmx, allowSse, allowSse2);
  // 11. Monitor information: required for full screen only.
  if (screen->EnumMonitors(monitors, gameWidth, gameHeight) != 0) {
    if (screenModePolicy == 1) {
      ShowMessageBox(Text("ディスプレイデバイスの情報を取得できません。"), kIconStop, kDesktopWindow);
      return kInitDisplayRefused;
    }
    ShowMessageBox(Text("ディスプレイデバイスの情報取得に失敗しました。\nウィンドウモードのみ利用可能です。"),
                   kIconExclamation, kDesktopWindow);
    screenModePolicy = 0;
    screenMode = 2;
    systemKeyFlags &= ~kFullScreenAvailable;
  }
  // 12. The content size, or the screen canvas.
  if (canvasMode == 0) {
    screen->SetContentSize(gameWidth, gameHeight);
  } else {
    int flag = canvasMode == 2 ? 2 : 0;
    uint32_t canvas = 0;
    if (screen->CreateCanvasDrawObjectForSource(&canvas, gameWidth, gameHeight, 32, flag) != 0) {
      ShowMessageBox(Text("ディスプレイキャンバスの作成に失敗"), kIconStop, kDesktopWindow);
      return kInitCanvasFailed;
    }
    screen->SetScreenImage(canvas, flag);
  }
  // 13. The game's window resources, which fit the screen mode to the
  // monitor unless the start's mode was already chosen.
  if (CreateWindowResources() != 0) return kInitWindowResourcesFailed;
  // 14.
  useMessageLoop = threadMode != 0;
  SetCurrentMonitorList(&monitors);
  // 15. The main window.
  if (menuId != 0) {
    FrameMetrics metrics = backend.Metrics();
    nonClientHeight = metrics.menuHeight;
    if (frameKind == 1) nonClientHeight += metrics.captionHeight + 2 * metrics.dialogFrameY;
    if (!(screenModePolicy == 2 && (systemKeyFlags & kFullScreenAvailable))) windowStyle &= ~WS_MAXIMIZEBOX;
  }
  {
    const char* title = GetTitle();
    WindowCreateRecord record;
    record.x = savedWindowX;
    record.y = savedWindowY;
    record.clientWidth = clientWidth;
    record.clientHeight = clientHeight;
    record.style = windowStyle;
    record.exStyle = windowExStyle;
    record.iconId = iconId;
    record.menuId = menuId;
    record.brush = canvasMode == 0 ? ClassBrush::Black : ClassBrush::Hollow;
    record.text = title ? title : "";
    record.className = record.text;
    if (mainWindow.Create(record, kNoWindow, true, true) != 0) {
      ShowMessageBox(Text("ウィンドウの作成に失敗"), kIconStop, kDesktopWindow);
      return kInitWindowFailed;
    }
  }
  // 16.
  if (acceleratorId != 0) {
    if (!backend.LoadAccelerators(acceleratorId, accelerators)) accelerators.clear();
    acceleratorWindow = mainWindow.GetHandle();
  }
  // 17. The input method: bound to the main window, off until a text field asks.
  ime.Attach(mainWindow.GetHandle());
  SetImeEnabled(false);
  // 18. Input devices.
  if (inputMethod == 0 && input->InitDirectInput() != 0) inputMethod = 1;
  input->CreateDevices(inputMethod);
  if (useJoystick) input->AddJoystick(-1);
  if (input->HasMouse()) input->SetCursorPositionTarget(&cursorX, &cursorY);
  // 19.
  if (report_) {
    report.WriteInput(inputMethod);
    EnumSoundDevices();
    report.WriteSound();
  }
  // 20-21. The screen mode; a full-screen start that fails falls back once.
  if (screenMode == 0) {
    screenMode = screenModePolicy;
    screenDepth = desktopDepth;
  }
  int modeResult = ApplyScreenMode(screenMode, screenDepth, 2);
  if (modeResult != 0) {
    if (screenModePolicy != 1 && screen->hasDeviceObject) {
      errorCode = 2;
      screen->drawingMethod = 0;
      screen->drawingCompanion = false;
      screenMode = 0;
      screenDepth = desktopDepth;
      modeResult = ApplyScreenMode(2, screenDepth, 1);
    }
    if (modeResult != 0) {
      char text[96];
      std::snprintf(text, sizeof text, "%s%d", Text("画面の初期化に失敗 : ").c_str(), modeResult);
      ShowMessageBox(text, kIconStop, kDesktopWindow);
      return kInitScreenModeFailed;
    }
  }
  // 22. Publish what drawing code reads.
  SetCurrentScreenDevice(screen.get());
  if (hooks.publishRasterSetting) hooks.publishRasterSetting(extraSettingsB[5]);
  if (hooks.buildBlendTables) hooks.buildBlendTables();
  SetNtFamilyFlag(systemInfo.IsNtFamily());
  // 23.
  if (report_) report.WriteDisplay(useDirect3D != 0);
  // 24.
  if (CreateDevices() != 0) return kInitDevicesFailed;
  // 25. Thread mode: the game runs as the worker's job.
  if (threadMode) {
    JobHandle job = JobHandle::Make(new MemberJobCall<Application>(this, &Application::RunJob), true);
    worker.SetJob(job);
  }
  // 26.
  if (report_) {
    report.WriteDrives();
    report.WriteApplications();
    report.WriteProcesses(reportProcessPaths != 0);
    report.WriteTail();
  }
  // 27-29. Keep the screen on for the run.
  if (suppressScreenSaver) {
    savedScreenSaver = backend.GetPowerSetting(PowerSetting::ScreenSaver);
    if (savedScreenSaver) backend.SetPowerSetting(PowerSetting::ScreenSaver, false);
  }
  if (suppressPowerSaving) {
    savedLowPower = backend.GetPowerSetting(PowerSetting::LowPower);
    savedPowerOff = backend.GetPowerSetting(PowerSetting::PowerOff);
    if (savedLowPower) backend.SetPowerSetting(PowerSetting::LowPower, false);
    if (savedPowerOff) backend.SetPowerSetting(PowerSetting::PowerOff, false);
  }
  if (keepSystemAwake) savedExecutionState = backend.SetExecutionState(1);
  return 0;
}

void Application::RegisterMessageHandlers() {
  WindowObject& w = mainWindow;
  w.RegisterMessageHandler(WM_ACTIVATEAPP, this, &Application::OnActivateApp);
  w.RegisterMessageHandler(WM_ACTIVATE, this, &Application::OnActivate);
  w.RegisterMessageHandler(WM_DISPLAYCHANGE, this, &Application::OnDisplayChange);
  w.RegisterMessageHandler(WM_PAINT, this, &Application::OnPaint);
  w.RegisterMessageHandler(WM_CLOSE, this, &Application::OnClose);
  w.RegisterMessageHandler(WM_KEYDOWN, this, &Application::OnKeyDown);
  w.RegisterMessageHandler(WM_SYSKEYUP, this, &Application::OnSysKeyUp);
  w.RegisterMessageHandler(WM_MOUSEWHEEL, this, &Application::OnMouseWheel);
  w.RegisterMessageHandler(WM_SETCURSOR, this, &Application::OnSetCursor);
  w.RegisterMessageHandler(WM_ENTERMENULOOP, this, &Application::OnEnterMenuLoop);
  w.RegisterMessageHandler(WM_EXITMENULOOP, this, &Application::OnExitMenuLoop);
  w.RegisterMessageHandler(WM_APP_MODAL_NOTIFY, this, &Application::OnModalNotify);
  w.RegisterMessageHandler(WM_APP_MESSAGE_BOX, this, &Application::OnMessageBoxRequest);
  w.RegisterMessageHandler(WM_APP_SCREEN_MODE, this, &Application::OnScreenModeRequest);
  w.RegisterMessageHandler(WM_APP_SHOW_FULLSCREEN_MENU, this, &Application::OnShowFullScreenMenu);
  w.RegisterMessageHandler(WM_APP_HIDE_FULLSCREEN_MENU, this, &Application::OnHideFullScreenMenu);
  w.RegisterMessageHandler(WM_APP_IME_ENABLE, this, &Application::OnImeEnable);
  if (inputMethod == 2) {
    w.RegisterMessageHandler(WM_KEYUP, this, &Application::OnKeyUp);
    w.RegisterMessageHandler(WM_SYSKEYDOWN, this, &Application::OnSysKeyDown);
    w.RegisterMessageHandler(WM_LBUTTONDOWN, this, &Application::OnLButtonDown);
    w.RegisterMessageHandler(WM_LBUTTONUP, this, &Application::OnLButtonUp);
    w.RegisterMessageHandler(WM_RBUTTONDOWN, this, &Application::OnRButtonDown);
    w.RegisterMessageHandler(WM_RBUTTONUP, this, &Application::OnRButtonUp);
    w.RegisterMessageHandler(WM_MBUTTONDOWN, this, &Application::OnMButtonDown);
    w.RegisterMessageHandler(WM_MBUTTONUP, this, &Application::OnMButtonUp);
  }
  if (threadMode) {
    w.RegisterMessageHandler(WM_APP_JOB_FINISHED, this, &Application::OnJobFinished);
  } else {
    w.RegisterMessageHandler(WM_ENTERSIZEMOVE, this, &Application::OnEnterSizeMove);
    w.RegisterMessageHandler(WM_EXITSIZEMOVE, this, &Application::OnExitSizeMove);
  }
}

// ---------------------------------------------------------------------------
// Shut-down

void Application::Exit(int code) {
  Backend& backend = CurrentBackend();
  // 1. Destroy the window and take what its end leaves in the queue. The
  // drain stops once the queue is empty: the WM_QUIT of the window's end is
  // already queued by then, and a window that posts none must not hang here.
  ime.Free();
  if (!threadMode && mainWindow.IsValid()) {
    backend.DestroyWindow(mainWindow.GetHandle());
    Message message;
    while (!quitSeen && backend.PeekMessage(message, true)) {
      if (message.message == WM_QUIT) break;
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
  }
  // A job that still runs (the blocking loop ended early) would go on using
  // what the next steps release: stop it, answering its messages until it
  // has ended.
  if (threadMode && worker.IsRunning()) {
    worker.RequestStop();
    Message message;
    while (worker.IsRunning()) {
      if (backend.PeekMessage(message, true)) {
        if (message.message != WM_QUIT) backend.DispatchMessage(message);
      } else {
        backend.WaitMessage(10);
      }
    }
    worker.Join();
  }
  // 2.
  ReleaseDevices(code);
  // 3-5. Give back the system settings.
  if (suppressScreenSaver && savedScreenSaver) backend.SetPowerSetting(PowerSetting::ScreenSaver, true);
  if (suppressPowerSaving) {
    if (savedLowPower) backend.SetPowerSetting(PowerSetting::LowPower, true);
    if (savedPowerOff) backend.SetPowerSetting(PowerSetting::PowerOff, true);
  }
  // The state held before the run is given back even when it was 0 (nothing
  // held): here 0 is a state like any other, not a failed call.
  if (keepSystemAwake) backend.SetExecutionState(savedExecutionState);
  // 6.
  screen->ReleaseDevice();
  screen->ReleaseScreenSurfaces();
  screen->ReleaseDisplay();
  // 7.
  fullScreenMenuWindow.Destroy();
  mainWindow.Destroy();
  // 8.
  RemoveKeyboardHook();
  // 9.
  if (instanceMutex) {
    instanceLock_.Release();
    instanceMutex = false;
  }
  // 10.
  SaveSettings(code);
  // 11.
  if (writeReport) FreeSoundDeviceList();
  // 12.
  if (errorCode != 0) {
    char text[160];
    std::snprintf(text, sizeof text, "%s%d",
                  Text("予期せぬエラーが発生したため、強制終了しました。ErrorCode：").c_str(), errorCode);
    ShowMessageBox(text, kIconStop, kDesktopWindow);
  }
}

bool Application::PreTranslateMessage(const Message& message) {
  if (message.message == WM_SYSKEYUP && message.wParam == VK_F10) return true;
  if ((systemKeyFlags & 0x03) == 0) {
    if (message.message == WM_SYSKEYUP) return true;
    if (message.message == WM_SYSKEYDOWN && message.wParam != VK_F4 && message.wParam != VK_MENU &&
        message.wParam != VK_F10) {
      return true;
    }
  }
  if (screenMode == 1 && message.message == WM_SYSKEYUP && message.wParam == VK_ESCAPE) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Thread mode

void Application::RunJob() {
  if (JobBegin() == 0) {
    while (worker.CanContinue()) {
      if (JobStep() != 0) break;
    }
    JobEnd();
  }
  mainWindow.SendWindowMessage(WM_APP_JOB_FINISHED, 0, 0);
}

int Application::JobStep() {
  Clock().Sleep(16);
  return 0;
}

int Application::WaitForWorker(WindowId* window) {
  if (!threadMode) return 0;
  if (worker.GetThreadId() == CurrentThreadId()) return 1;
  waitingForWorker = true;
  Backend& backend = CurrentBackend();
  if (window && *window) backend.EnableWindow(*window, false);
  for (;;) {
    Clock().Sleep(10);
    if (PumpMessages(true) == 1) {
      if (window) *window = kNoWindow;
      return -1;
    }
    if (!worker.CanContinue()) return -2;
    if (!waitingForWorker) return 0;
  }
}

int Application::EndWaitForWorker(WindowId* window) {
  if (window && *window) CurrentBackend().EnableWindow(*window, true);
  waitingForWorker = false;
  return 0;
}

// ---------------------------------------------------------------------------
// Message handlers

int Application::OnActivateApp(MessageRecord& record) {
  isActive = record.wParam != 0;
  Backend& backend = CurrentBackend();
  if (screen->mode == 1 || pendingDisplayRestore != 0) {
    if (!isActive) {
      if (menuBarShown) {
        MessageRecord exit{record.window, WM_EXITMENULOOP, 0, 0, 0};
        OnExitMenuLoop(exit);
      }
      if (screen->flipChain && menuId != 0) {
        if (fullScreenMenuWindow.IsValid()) {
          backend.SetMenu(fullScreenMenuWindow.GetHandle(), 0);
          fullScreenMenuWindow.Destroy();
        }
      } else if (screen->exclusive && restoreDisplayOnActivate) {
        {
          ScopedLock lock(displayLock);
          screen->RestoreWindowMode();
          pendingDisplayRestore = uint8_t(screen->modeSelector + 1);
        }
        backend.ShowWindow(mainWindow.GetHandle(), SW_MINIMIZE);
      }
      OnFullScreenDeactivate();
    } else {
      {
        ScopedLock lock(displayLock);
        if (pendingDisplayRestore != 0) {
          const ScreenDevice::StoredMode& m = screen->storedModes[pendingDisplayRestore == 1 ? 0 : 1];
          if (screen->SetDisplayMode(m.width, m.height, m.depth, m.refresh) != 0) errorCode = 2;
          pendingDisplayRestore = 0;
        }
        if (screen->RestoreLostSurfaces() > 1) errorCode = 1;
      }
      if (fullScreenMenuWindow.IsValid() && frameKind != 2) {
        WindowId menuWindow = fullScreenMenuWindow.GetHandle();
        backend.SetStyle(menuWindow, backend.GetStyle(menuWindow) | WS_MAXIMIZE);
      }
      OnFullScreenActivate();
    }
  } else if (isActive) {
    OnWindowActivate();
  } else {
    OnWindowDeactivate();
  }
  return 0;
}

int Application::OnActivate(MessageRecord& record) {
  ScopedLock lock(displayLock);
  if (record.wParam & 0xFFFF) {
    input->Activate();
  } else {
    input->Deactivate();
  }
  return 1;
}

int Application::OnDisplayChange(MessageRecord& record) {
  if (screenMode == 1) return 0;
  // The outputs' names go with the records; read them again.
  if (monitors.Refresh()) monitors.ReadDeviceNames();
  desktopDepth = uint8_t(record.wParam);
  desktopWidth = uint16_t(uint32_t(record.lParam) & 0xFFFF);
  desktopHeight = uint16_t((uint32_t(record.lParam) >> 16) & 0xFFFF);
  systemInfo.ReadRefreshRate();
  if (threadMode && screen) {
    ScopedLock lock(displayLock);
    if (screen->RestoreLostSurfaces() > 1) errorCode = 1;
  }
  return 0;
}

int Application::OnPaint(MessageRecord& record) {
  Backend& backend = CurrentBackend();
  WindowId window = GetHandle(record);
  Rect paint = backend.BeginPaint(window);
  bool framePresents = !screen->hasDeviceObject && !sizeMoving && (modeChanging || canPaint) &&
                       (isActive || !pauseWhenInactive) && !waitingForWorker;
  if (!framePresents) {
    bool skipGdi = childRepaint && screenMode != 2 && (!screen->hasDeviceObject || screen->hasSecondObject);
    if (!skipGdi) screen->PaintWindow(window, paint);
    if (screen->letterbox) {
      for (const Rect& bar : screen->letterboxBars) {
        bool meets = bar.left < paint.right && paint.left < bar.right && bar.top < paint.bottom &&
                     paint.top < bar.bottom;
        if (meets && !bar.IsEmpty()) backend.FillClient(window, bar, 0x000000);
      }
    }
    if (childRepaint) {
      if (WindowId child = backend.GetTopChild(window)) backend.InvalidateWindow(child);
    }
  }
  backend.EndPaint(window);
  return 0;
}

int Application::OnClose(MessageRecord&) {
  if (threadMode) {
    worker.RequestStop();
  } else {
    CurrentBackend().DestroyWindow(mainWindow.GetHandle());
  }
  return 0;
}

int Application::OnKeyDown(MessageRecord& record) {
  input->OnKeyDown(record.wParam, record.lParam);
  return 0;
}

int Application::OnSysKeyUp(MessageRecord& record) {
  input->OnKeyUp(record.wParam, record.lParam);
  if (screenMode != 1) return 1;
  if ((systemKeyFlags & 0x03) == 0) return 0;
  if (record.wParam != VK_MENU && record.wParam != VK_F10) return 1;
  uint32_t now = CurrentTickMs();
  if (menuId != 0 && frameKind != 0 && !menuLoopActive && isActive && TickDiff(now, menuClosedAt) >= 251) {
    menuBarShown = true;
    menuLoopActive = true;
    if (screen->exclusive) screen->BeginGdiDialog();
    ShowFullScreenMenu();
    fullScreenMenuWindow.SendWindowMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 1;
  }
  return 0;
}

int Application::OnMouseWheel(MessageRecord& record) {
  input->OnMouseWheel(record.wParam);
  return 0;
}

int Application::OnSetCursor(MessageRecord& record) {
  if ((uint32_t(record.lParam) & 0xFFFF) != HTCLIENT) return 1;
  if (MouseDevice* mouse = input->Mouse()) mouse->ShowCurrentCursor();
  return 0;
}

int Application::OnEnterMenuLoop(MessageRecord&) {
  bool wasOpen = menuBarShown;
  if (!(screenMode == 1 && !menuBarShown)) {
    menuLoopActive = true;
    if (!threadMode) {
      canPaint = false;
      OnModalBegin();
    }
  }
  if (screenMode == 1 && menuId != 0 && frameKind != 0 && !menuBarShown) {
    if (screen->exclusive) screen->BeginGdiDialog();
    menuBarShown = true;
    mainWindow.SendWindowMessage(WM_APP_SHOW_FULLSCREEN_MENU, 0, 0);
  }
  if (input->HasMouse()) {
    input->ShowSystemCursor(true);
  } else {
    // No mouse device to ask: raise the system's display count directly.
    for (int i = 0; i < 1024 && CurrentInputSource().ShowCursor(true) < 0; ++i) {
    }
  }
  if (centreCursorAfterModeChange && wasOpen) MoveCursorOntoMenuBar();
  return 0;
}

void Application::MoveCursorOntoMenuBar() {
  Backend& backend = CurrentBackend();
  WindowId window = mainWindow.GetHandle();
  Point cursor;
  if (!backend.IsWindow(window) || !backend.GetCursorPos(cursor)) return;
  // Only a cursor over the game picture is taken to the menu.
  Rect client;
  GetClientScreenRect(client);
  int32_t width = gameWidth, height = gameHeight;
  const ScreenDevice::StoredMode& stored = screen->storedModes[screen->modeSelector ? 1 : 0];
  if (screenMode == 1 && stored.width > 0 && stored.height > 0) {
    width = stored.width;
    height = stored.height;
  }
  const bool overGame = cursor.x >= client.left && cursor.x < client.left + width && cursor.y >= client.top &&
                        cursor.y < client.top + height;
  if (!overGame) return;
  const Rect outer = backend.GetWindowRect(window);
  const int32_t menuHeight = backend.Metrics().menuHeight;
  Point target{outer.left + 8 + (menuId != 0 ? 20 : 0), 0};
  target.y = screenMode == 1 ? outer.top + nonClientHeight - menuHeight : client.top - 1;
  backend.SetCursorPos(target);
}

int Application::OnExitMenuLoop(MessageRecord&) {
  if (screenMode == 1) {
    // An image cursor keeps the system cursor as the game left it.
    if (!MouseInImageCursorMode() && GameHidesSystemCursor()) input->ShowSystemCursor(false);
    if (menuBarShown) {
      menuBarShown = false;
      mainWindow.SendWindowMessage(WM_APP_HIDE_FULLSCREEN_MENU, 0, 0);
      if (screen->exclusive) screen->EndGdiDialog();
      menuClosedAt = CurrentTickMs();
    }
  }
  if (!threadMode) {
    canPaint = true;
    OnModalEnd();
  }
  if (!modalBoxOpen) menuLoopActive = false;
  return 0;
}

int Application::OnEnterSizeMove(MessageRecord&) {
  sizeMoving = true;
  return 0;
}

int Application::OnExitSizeMove(MessageRecord&) {
  sizeMoving = false;
  return 0;
}

int Application::OnKeyUp(MessageRecord& record) {
  input->OnKeyUp(record.wParam, record.lParam);
  return 0;
}

int Application::OnSysKeyDown(MessageRecord& record) {
  input->OnKeyDown(record.wParam, record.lParam);
  return 1;
}

int Application::OnLButtonDown(MessageRecord& r) { input->OnLeftButtonDown(r.wParam, r.lParam); return 0; }
int Application::OnLButtonUp(MessageRecord& r) { input->OnLeftButtonUp(r.wParam, r.lParam); return 0; }
int Application::OnRButtonDown(MessageRecord& r) { input->OnRightButtonDown(r.wParam, r.lParam); return 0; }
int Application::OnRButtonUp(MessageRecord& r) { input->OnRightButtonUp(r.wParam, r.lParam); return 0; }
int Application::OnMButtonDown(MessageRecord& r) { input->OnMiddleButtonDown(r.wParam, r.lParam); return 0; }
int Application::OnMButtonUp(MessageRecord& r) { input->OnMiddleButtonUp(r.wParam, r.lParam); return 0; }

int Application::OnModalNotify(MessageRecord& record) {
  if (input->HasMouse()) {
    const bool show = record.wParam != 0;
    // Hidden again only when the game hid it: a game that keeps the system
    // cursor would otherwise lose it over its window and after every box.
    if (!show && !GameHidesSystemCursor()) return 0;
    input->ShowSystemCursor(show);
    systemCursorShown = show;
  }
  return 0;
}

int Application::OnMessageBoxRequest(MessageRecord& record) {
  auto* request = reinterpret_cast<MessageBoxRequestRecord*>(record.lParam);
  if (!request) return 0;
  const char* caption = request->caption ? request->caption->c_str() : nullptr;
  WindowId owner = mainWindow.GetHandle();
  switch (request->kind) {
    case 0:
      ShowMessageBox(request->text, request->iconKind, owner, caption);
      break;
    case 1:
      request->result = AskYesNo(request->text, request->iconKind, owner, caption) ? 1 : 0;
      break;
    case 2:
      request->result = AskOkCancel(request->text, request->iconKind, owner, caption) ? 1 : 0;
      break;
    default:
      break;
  }
  return 0;
}

int Application::OnScreenModeRequest(MessageRecord& record) {
  uint32_t packed = uint32_t(record.wParam);
  int result = ApplyScreenMode(uint8_t(packed >> 16), uint8_t(packed >> 8), uint8_t(packed));
  if (auto* out = reinterpret_cast<int32_t*>(record.lParam)) *out = result;
  return 0;
}

int Application::OnShowFullScreenMenu(MessageRecord&) {
  ShowFullScreenMenu();
  return 0;
}

int Application::OnHideFullScreenMenu(MessageRecord&) {
  if (fullScreenMenuWindow.IsValid()) CurrentBackend().ShowWindow(fullScreenMenuWindow.GetHandle(), SW_HIDE);
  return 0;
}

int Application::OnImeEnable(MessageRecord& record) {
  SetImeEnabled(record.wParam != 0);
  return 0;
}

int Application::OnJobFinished(MessageRecord& record) {
  CurrentBackend().DestroyWindow(GetHandle(record));
  return 0;
}

// ---------------------------------------------------------------------------
// Services

MessageBoxRequest Application::MakeBoxRequest(const std::string& text, uint8_t iconKind, WindowId owner,
                                              const char* caption, MessageBoxButtons buttons) {
  MessageBoxRequest request;
  request.text = text;
  const char* title = caption ? caption : GetTitle();
  request.caption = title ? title : "";
  request.icon = IconFromKind(iconKind);
  request.buttons = buttons;
  request.owner = owner != kNoWindow ? owner : (mainWindow.IsValid() ? mainWindow.GetHandle() : kDesktopWindow);
  request.systemModal = request.owner == kDesktopWindow;
  return request;
}

int Application::ShowMessageBox(const std::string& text, uint8_t iconKind, WindowId owner, const char* caption) {
  const MessageBoxRequest request = MakeBoxRequest(text, iconKind, owner, caption, MessageBoxButtons::Ok);
  EnterModalState();
  CurrentBackend().ShowMessageBox(request);
  return LeaveModalState();
}

bool Application::AskYesNo(const std::string& text, uint8_t iconKind, WindowId owner, const char* caption) {
  const MessageBoxRequest request = MakeBoxRequest(text, iconKind, owner, caption, MessageBoxButtons::YesNo);
  EnterModalState();
  int answer = CurrentBackend().ShowMessageBox(request);
  LeaveModalState();
  return answer == IDYES;
}

bool Application::AskOkCancel(const std::string& text, uint8_t iconKind, WindowId owner, const char* caption) {
  const MessageBoxRequest request = MakeBoxRequest(text, iconKind, owner, caption, MessageBoxButtons::OkCancel);
  EnterModalState();
  int answer = CurrentBackend().ShowMessageBox(request);
  LeaveModalState();
  return answer == IDOK;
}

uint8_t Application::SendWindowCommand(uint8_t kind, const std::string& text, uint8_t iconKind, const char* caption) {
  if (!mainWindow.IsValid()) return 0;
  MessageBoxRequestRecord request;
  request.kind = kind;
  request.text = text;
  if (caption) request.caption = std::string(caption);
  request.iconKind = iconKind;
  canPaint = false;
  OnModalBegin();
  mainWindow.SendWindowMessage(WM_APP_MESSAGE_BOX, 0, reinterpret_cast<intptr_t>(&request));
  canPaint = true;
  OnModalEnd();
  return request.result;
}

void Application::EnterModalState() {
  modalBoxOpen = true;
  menuLoopActive = true;
  if (!threadMode) {
    canPaint = false;
    OnModalBegin();
  }
  if (mainWindow.IsValid()) mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 1, 0);
  if (screen->exclusive) {
    SuspendScreenSaver();
    screen->BeginGdiDialog();
  }
}

int Application::LeaveModalState() {
  if (screen->exclusive) {
    screen->EndGdiDialog();
    ResumeScreenSaver();
  }
  if (input->HasMouse() && !MouseInImageCursorMode() && mainWindow.IsValid()) {
    mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 0, 0);
  }
  if (!threadMode) {
    canPaint = true;
    OnModalEnd();
  }
  menuLoopActive = false;
  modalBoxOpen = false;
  return 0;
}

void Application::CheckDisplay(bool* depthOk, bool* fits) {
  bool depth = desktopDepth > 8;
  WindowPlacement outer =
      mainWindow.ComputeWindowRect(clientWidth, clientHeight, windowStyle, windowExStyle, menuId != 0, false, 0, 0);
  windowFits = monitors.FindMonitorFor(outer.outer.Width(), outer.outer.Height()) != 0;
  if (depthOk) *depthOk = depth;
  if (fits) *fits = windowFits;
}

int Application::CheckDisplayForStart() {
  bool depthOk = false, fits = false;
  CheckDisplay(&depthOk, &fits);
  if (screenModePolicy == 0) {
    if (!depthOk) return 1;
    if (!fits) return 2;
    screenMode = 2;
    return 0;
  }
  if (screenMode == 2 && (!depthOk || !fits)) screenMode = 0;
  return 0;
}

int Application::ApplyScreenMode(uint8_t mode, uint8_t depth, uint8_t force) {
  if (force == 0 && mode == screenMode) return 0;
  if (!mainWindow.IsValid()) return 1;
  Backend& backend = CurrentBackend();
  WindowId window = mainWindow.GetHandle();
  Point rememberedCursor{cursorX, cursorY};
  OnScreenModeChanging();
  modeChanging = true;
  if (screen->mode == 2) {
    Rect rect = backend.GetWindowRect(window);
    savedWindowX = rect.left;
    savedWindowY = rect.top;
  }
  uint8_t oldMode = screenMode;
  screenMode = mode;
  int result;
  if (mode == 1) {
    if (menuId != 0) backend.SetMenu(window, 0);
    backend.SetStyle(window, WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX);
    backend.SetExStyle(window, 0);
    result = screen->SetScreenMode(window, false, fullScreenFlagB, useZBuffer);
    if (result == 0) {
      backend.ShowWindow(window, SW_SHOW);
      backend.MoveWindow(window, screen->monitorRect);
      backend.SetTopMost(window, fullScreenTopMost);
      // A child window over the game (a movie, a dialog) repaints over the
      // newly styled window.
      if (childRepaint) {
        if (WindowId child = backend.GetTopChild(window)) backend.InvalidateWindow(child);
      }
      OnEnteredFullScreen();
      systemInfo.ReadRefreshRate();
      InstallKeyboardHook();
      imeStatusOpen = false;
    }
  } else {
    result = screen->SetScreenMode(window, true, fullScreenFlagB, useZBuffer);
    if (result == 0) {
      // The client area: the screen device's own window size when the
      // player chose one, else the game's.
      const bool ownSize = screen->stretched && !screen->displayRect.IsEmpty();
      const int32_t clientWidth = ownSize ? screen->displayRect.Width() : int32_t(gameWidth);
      const int32_t clientHeight = ownSize ? screen->displayRect.Height() : int32_t(gameHeight);
      if (force == 2) {
        // The window was made at the game's size before the player's window
        // size was known: a picture shown smaller needs the smaller window.
        if (ownSize) {
          const Rect now = backend.GetWindowRect(window);
          WindowPlacement where = mainWindow.ComputeWindowRect(clientWidth, clientHeight, windowStyle, windowExStyle,
                                                               menuId != 0, false, 0, 0);
          backend.MoveWindow(window, Rect{now.left, now.top, now.left + where.width, now.top + where.height});
        }
        backend.ShowWindow(window, SW_SHOW);
      } else {
        if (menuId != 0) {
          if (fullScreenMenuWindow.IsValid()) {
            backend.SetMenu(fullScreenMenuWindow.GetHandle(), 0);
            fullScreenMenuWindow.Destroy();
          }
          backend.SetMenu(window, menuHandle ? menuHandle : menuId);
        }
        backend.SetStyle(window, windowStyle);
        backend.SetExStyle(window, windowExStyle);
        WindowPlacement where = mainWindow.ComputeWindowRect(clientWidth, clientHeight, windowStyle, windowExStyle,
                                                             menuId != 0, true, savedWindowX, savedWindowY);
        backend.ShowWindow(window, SW_SHOW);
        backend.MoveWindow(window, Rect{where.x, where.y, where.x + where.width, where.y + where.height});
        backend.SetTopMost(window, false);
        OnEnteredWindow();
        systemInfo.ReadRefreshRate();
        imeStatusOpen = true;
      }
      RemoveKeyboardHook();
    }
  }
  if (result == 0) {
    backend.SetForegroundWindow(window);
    systemKeyFlags |= 0x08;
    screenMode = screen->mode;
    screenDepth = screenMode == 1 ? depth : 3;
    if (centreCursorAfterModeChange) PlaceCursorAfterModeChange(rememberedCursor);
  } else {
    result = result > 0 ? result + 1 : result;
    screenMode = oldMode;
  }
  modeChanging = false;
  cursorZone = 0;
  return result;
}

int Application::RequestScreenMode(uint8_t mode, uint8_t depth, uint8_t force) {
  int32_t result = 1;
  uintptr_t packed = (uintptr_t(mode) << 16) | (uintptr_t(depth) << 8) | force;
  if (!mainWindow.IsValid()) return 1;
  mainWindow.SendWindowMessage(WM_APP_SCREEN_MODE, packed, reinterpret_cast<intptr_t>(&result));
  return result;
}

bool Application::RegisterFullScreenMenuClass() {
  if (fullScreenMenuClassRegistered_) return true;
  WindowClass windowClass;
  windowClass.name = "TMB DX FullScreenMenu";
  windowClass.brush = ClassBrush::Window;
  fullScreenMenuClassRegistered_ = CurrentBackend().RegisterClass(windowClass) ||
                                   CurrentBackend().IsClassRegistered(windowClass.name);
  return fullScreenMenuClassRegistered_;
}

int Application::SystemCommandFilter(MessageRecord& record) {
  uint32_t command = uint32_t(record.wParam) & 0xFFF0u;
  if (command == SC_CLOSE || command == SC_MINIMIZE || command == SC_MAXIMIZE || command == SC_RESTORE) {
    MessageRecord exit{record.window, WM_EXITMENULOOP, 0, 0, 0};
    OnExitMenuLoop(exit);
    mainWindow.PostWindowMessage(WM_SYSCOMMAND, record.wParam, record.lParam);
    return 0;
  }
  if (command == SC_SCREENSAVE) return 0;
  return 1;
}

int Application::ShowFullScreenMenu() {
  Backend& backend = CurrentBackend();
  if (fullScreenMenuWindow.IsValid()) {
    backend.ShowWindow(fullScreenMenuWindow.GetHandle(), SW_HIDE);
    backend.ShowWindow(fullScreenMenuWindow.GetHandle(), SW_SHOW);
    return -1;
  }
  fullScreenMenuWindow.RegisterMessageHandler(WM_SYSCOMMAND, this, &Application::SystemCommandFilter);
  fullScreenMenuWindow.RegisterMessageHandler(WM_ENTERMENULOOP, this, &Application::OnEnterMenuLoop);
  fullScreenMenuWindow.RegisterMessageHandler(WM_EXITMENULOOP, this, &Application::OnExitMenuLoop);
  if (OnFullScreenMenu() != 0) return 1;
  if (!RegisterFullScreenMenuClass()) return 2;
  Rect monitor = screen->monitorRect;
  FrameMetrics metrics = backend.Metrics();
  uint32_t style = windowStyle;
  int32_t width = monitor.Width();
  if (frameKind == 1) width -= 2 * metrics.dialogFrameX;
  if (frameKind == 2) style = (style & ~WS_CAPTION) | WS_POPUP;
  if (!(screenModePolicy == 2 && (systemKeyFlags & kFullScreenAvailable))) style &= ~WS_MAXIMIZEBOX;
  const char* title = GetTitle();
  WindowCreateParams params;
  params.className = "TMB DX FullScreenMenu";
  params.text = title ? title : "";
  params.style = style;
  params.exStyle = WS_EX_TOPMOST;
  params.x = monitor.left;
  params.y = monitor.top;
  params.width = width;
  params.height = metrics.menuHeight;
  params.parent = mainWindow.GetHandle();
  params.client = &fullScreenMenuWindow;
  if (backend.CreateWindow(params) == kNoWindow) return 2;
  WindowId window = fullScreenMenuWindow.GetHandle();
  backend.SetMenu(window, menuId);
  if (frameKind != 2) backend.SetStyle(window, backend.GetStyle(window) | WS_MAXIMIZE);
  backend.ShowWindow(window, SW_SHOW);
  return 0;
}

void Application::SetImeEnabled(bool enable) {
  if (mainWindow.IsValid()) CurrentBackend().SetTextInputEnabled(mainWindow.GetHandle(), enable);
}

}  // namespace orrivel
