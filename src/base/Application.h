#pragma once
// The application base: owns the main window, the screen device, the input
// devices, the monitor list and the worker thread, runs start-up (Init) and
// shut-down (Exit) in their fixed order, and handles the main window's
// messages. The game derives from it and fills in the overridable steps.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/AppFramework.h"
#include "base/CriticalSection.h"
#include "base/ImeContext.h"
#include "base/InputManager.h"
#include "base/MainWindow.h"
#include "base/MonitorList.h"
#include "base/ScreenDevice.h"
#include "base/SystemInfo.h"
#include "base/SystemReport.h"
#include "base/WorkerThread.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"

namespace orrivel {

// Start-up failure codes of Init (the configuration step's own non-zero
// codes are passed on as they are).
enum InitError : int {
  kInitConfigureFailed = 1,
  kInitRemovableStart = 2,
  kInitAlreadyRunning = 3,
  kInitDisplayRefused = 5,
  kInitReportFailed = 6,
  kInitCanvasFailed = 7,
  kInitWindowResourcesFailed = 8,
  kInitWindowFailed = 11,
  kInitScreenModeFailed = 12,
  kInitDevicesFailed = 13,
};

// A message-box request sent to the window thread with 0x9001.
struct MessageBoxRequestRecord {
  uint8_t kind = 0;  // 0 OK box, 1 yes/no, 2 OK/cancel
  std::string text;  // CP932
  std::optional<std::string> caption;
  uint8_t iconKind = 0;
  uint8_t result = 1;
};

class Application : public AppFramework, public MainWindowHost {
 public:
  Application();
  ~Application() override;

  // --- Framework operations -------------------------------------------
  int Init() override;
  void Exit(int code) override;
  bool PreTranslateMessage(const platform::Message& message) override;
  const char* GetTitle() override;

  // --- Steps the game overrides ----------------------------------------
  virtual int Configure();
  virtual const char* GetSaveFolder() { return nullptr; }
  virtual int CreateWindowResources() { return 0; }
  virtual int CreateDevices() { return 0; }
  virtual void ReleaseDevices(int) {}
  virtual void SaveSettings(int) {}
  virtual int OnFullScreenMenu() { return 0; }
  virtual void RunJob();
  virtual int JobBegin() { return 0; }
  virtual int JobStep();
  virtual void JobEnd() {}
  virtual int WaitForWorker(platform::WindowId* window);
  virtual int EndWaitForWorker(platform::WindowId* window);
  virtual void OnScreenModeChanging() {}
  virtual void OnEnteredFullScreen() {}
  virtual void OnEnteredWindow() {}
  virtual void OnModalBegin() {}
  virtual void OnModalEnd() {}
  virtual void OnFullScreenActivate() {}
  virtual void OnFullScreenDeactivate() {}
  virtual void OnWindowActivate() {}
  virtual void OnWindowDeactivate() {}

  // --- Main-window message handlers: 0 consumed, non-zero go on ---------
  virtual int OnActivateApp(MessageRecord& record);
  virtual int OnActivate(MessageRecord& record);
  virtual int OnDisplayChange(MessageRecord& record);
  virtual int OnPaint(MessageRecord& record);
  virtual int OnClose(MessageRecord& record);
  virtual int OnKeyDown(MessageRecord& record);
  virtual int OnSysKeyUp(MessageRecord& record);
  virtual int OnMouseWheel(MessageRecord& record);
  virtual int OnSetCursor(MessageRecord& record);
  virtual int OnEnterMenuLoop(MessageRecord& record);
  virtual int OnExitMenuLoop(MessageRecord& record);
  virtual int OnEnterSizeMove(MessageRecord& record);
  virtual int OnExitSizeMove(MessageRecord& record);
  virtual int OnKeyUp(MessageRecord& record);
  virtual int OnSysKeyDown(MessageRecord& record);
  virtual int OnLButtonDown(MessageRecord& record);
  virtual int OnLButtonUp(MessageRecord& record);
  virtual int OnRButtonDown(MessageRecord& record);
  virtual int OnRButtonUp(MessageRecord& record);
  virtual int OnMButtonDown(MessageRecord& record);
  virtual int OnMButtonUp(MessageRecord& record);
  virtual int OnModalNotify(MessageRecord& record);
  virtual int OnMessageBoxRequest(MessageRecord& record);
  virtual int OnScreenModeRequest(MessageRecord& record);
  virtual int OnShowFullScreenMenu(MessageRecord& record);
  virtual int OnHideFullScreenMenu(MessageRecord& record);
  virtual int OnImeEnable(MessageRecord& record);
  virtual int OnJobFinished(MessageRecord& record);
  virtual int HandleTextInputMessage(MessageRecord&) { return 1; }

  // --- Services -----------------------------------------------------------
  // Icon kinds of the message boxes.
  static constexpr uint8_t kIconExclamation = 1;
  static constexpr uint8_t kIconInformation = 2;
  static constexpr uint8_t kIconQuestion = 3;
  static constexpr uint8_t kIconStop = 4;
  // Message boxes: icon kinds as above, others none. Owner none means the main window (the desktop
  // before it exists); the desktop makes the box system-modal.
  int ShowMessageBox(const std::string& text, uint8_t iconKind, platform::WindowId owner = platform::kNoWindow,
                     const char* caption = nullptr);
  bool AskYesNo(const std::string& text, uint8_t iconKind, platform::WindowId owner = platform::kNoWindow,
                const char* caption = nullptr);
  bool AskOkCancel(const std::string& text, uint8_t iconKind, platform::WindowId owner = platform::kNoWindow,
                   const char* caption = nullptr);
  // Shows a box on the window thread from any thread; the answer byte
  // (0 without a main window).
  uint8_t SendWindowCommand(uint8_t kind, const std::string& text, uint8_t iconKind, const char* caption);
  void EnterModalState();
  int LeaveModalState();
  // 0, 1 (too few colours) or 2 (no monitor large enough).
  void CheckDisplay(bool* depthOk, bool* fits);
  int CheckDisplayForStart();
  // 0 done, 1 no main window, else the screen device's code (+1 when positive).
  int ApplyScreenMode(uint8_t mode, uint8_t depth, uint8_t force);
  int RequestScreenMode(uint8_t mode, uint8_t depth, uint8_t force);
  // -1 already shown (re-shown), 0 shown, 1 cancelled by the game, 2 failed.
  int ShowFullScreenMenu();
  // 0 installed or not needed, 1 failed, -1 no low-level keyboard hooks here.
  int InstallKeyboardHook();
  void RemoveKeyboardHook();
  // Window services, on the window thread. Once a frame: where the cursor
  // is in game coordinates (cursorX, cursorY, cursorZone), and the
  // full-screen menu bar that opens when the cursor rests on the top row.
  // True while the position is valid for the game.
  bool UpdateWindowState();
  // Game coordinates to desktop coordinates.
  void GameToScreen(platform::Point& point);
  void SetCursorClientPos(int32_t x, int32_t y);
  // Whether the cursor is at the game point, as far as the screen can tell
  // points apart.
  bool IsCursorAt(int32_t x, int32_t y);
  // The main window's client area in desktop coordinates.
  void GetClientScreenRect(platform::Rect& out);
  // Over the main window when the window has a visible parent, else in the
  // middle of the work area and on top.
  void CenterWindowOnParent(platform::WindowId window);
  void SuspendScreenSaver();
  void ResumeScreenSaver();
  void SetImeEnabled(bool enable);
  // Replaces the screen device (before Init).
  void SetScreenDevice(std::unique_ptr<ScreenDevice> device);
  ScreenDevice& Screen() { return *screen; }
  InputManager& Input() { return *input; }
  void SetInputManager(std::unique_ptr<InputManager> manager) { input = std::move(manager); }
  WorkerThread& Worker() { return worker; }
  // The run's report while Init writes it.
  SystemReport* Report() { return report_; }

  // MainWindowHost.
  bool IsFullScreen() const override { return screenMode == 1; }
  void SetCandidateListOpen(bool open) override {
    if (open) ime.PlaceCandidateWindow();
    candidateListOpen = open;
  }

  // --- State ------------------------------------------------------------
  bool instanceMutex = false;
  std::string baseFolder;  // CP932, internal form
  uint32_t keyboardHook = 0;
  int32_t cursorX = -1;
  int32_t cursorY = -1;
  uint8_t cursorZone = 0;
  bool isActive = false;
  bool modeChanging = false;
  uint8_t pendingDisplayRestore = 0;
  // Written by the job thread around its message boxes, read by the window
  // thread's painting.
  std::atomic<bool> canPaint{true};
  bool sizeMoving = false;
  std::atomic<bool> waitingForWorker{false};
  uint32_t savedScreenSaver = 0;
  uint32_t savedLowPower = 0;
  uint32_t savedPowerOff = 0;
  uint32_t savedExecutionState = 0;
  MainWindow mainWindow{this};
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  std::unique_ptr<ScreenDevice> screen;
  CriticalSection displayLock;
  std::unique_ptr<InputManager> input;
  ImeContext ime;  // the main window's input-method context
  WorkerThread worker;
  // The machine's facts; the refresh rate is read again after display
  // changes and screen-mode switches.
  SystemInfo systemInfo;
  uint16_t desktopWidth = 0;
  uint16_t desktopHeight = 0;
  uint8_t desktopDepth = 0;
  MonitorList monitors;
  bool windowFits = false;
  bool enumerateAllMonitors = true;
  bool fullScreenTopMost = true;
  uint16_t gameWidth = 640;
  uint16_t gameHeight = 480;
  uint32_t windowStyle = platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
  uint32_t windowExStyle = 0;
  uint16_t iconId = 0;
  uint16_t menuId = 0;
  uint16_t acceleratorId = 0;

  // Settings bytes (the game's Configure sets them from its files).
  uint8_t singleInstance = 1;
  uint8_t screenModePolicy = 2;
  uint8_t allowRemovableStart = 0;
  uint8_t reportInProgramFolder = 1;
  uint8_t frameKind = 1;
  uint8_t versionMajor = 1;
  uint8_t versionMinor = 0;
  uint8_t versionLetter = 0;
  std::array<std::optional<std::string>, 5> appInfo;
  uint8_t threadMode = 0;
  uint8_t allowCmov = 1;
  uint8_t allowMmx = 1;
  uint8_t allowSse = 1;
  uint8_t allowSse2 = 1;
  uint8_t canvasMode = 1;
  std::array<uint8_t, 4> extraSettingsA{0, 0, 0, 1};
  uint8_t useDirect3D = 1;
  uint8_t useZBuffer = 0;
  uint8_t fullScreenFlagB = 0;
  uint8_t restoreDisplayOnActivate = 1;
  uint8_t writeReport = 0;
  uint8_t measureCpuClock = 0;
  // The report lists processes by their full program path, not their name.
  uint8_t reportProcessPaths = 0;
  uint8_t inputMethod = 2;
  uint8_t useJoystick = 1;
  std::array<uint8_t, 6> extraSettingsB{1, 0, 1, 2, 1, 1};
  uint8_t suppressScreenSaver = 0;
  uint8_t suppressPowerSaving = 0;
  uint8_t keepSystemAwake = 0;

  uint8_t screenMode = 0;  // 0 undecided, 1 full screen, 2 window
  uint8_t screenDepth = 3;
  int32_t savedWindowX = -1;
  int32_t savedWindowY = -1;
  bool centreCursorAfterModeChange = true;
  uint16_t menuHoverDelay = 0;
  bool pauseWhenInactive = false;
  // The screen flags. Bit 2 (kFullScreenAvailable) says that this machine
  // can show the game full screen: set from the start, cleared when the
  // monitors cannot be listed or the start's monitor check refuses full
  // screen. While it is set, the start fits the screen mode to the monitor
  // (the game's window-resources step) and a game offering both modes
  // keeps the window's maximise box.
  uint8_t systemKeyFlags = 0x05;
  static constexpr uint8_t kFullScreenAvailable = 0x04;
  // The screen-mode hint of a start option: 0 none; kHintWindowAsked when
  // whoever started the program asked for a window (the "/W" option of the
  // command line); kHintWindowGranted once the start turned that into a
  // window, which then stays a window. The start's monitor adjustment is
  // its only reader.
  static constexpr uint8_t kHintWindowAsked = 2;
  static constexpr uint8_t kHintWindowGranted = 3;
  uint8_t screenModeHint = 0;
  // The start's screen mode is already chosen, so the monitor adjustment
  // must not turn it into full screen: a window (screen mode 2 or 3: the
  // player's stored choice, Ctrl held at start or a granted start option)
  // or a game that offers no full screen (screenModePolicy 0). Only an
  // undecided start (screen mode 0) is made full screen where the monitor
  // takes it.
  bool FullScreenForbidden() const { return screenModePolicy == 0 || screenMode == 2 || screenMode == 3; }
  uint8_t errorCode = 0;
  MainWindow fullScreenMenuWindow{this};
  uint16_t menuHandle = 0;
  int32_t nonClientHeight = 0;
  bool menuBarShown = false;
  bool menuLoopActive = false;
  bool modalBoxOpen = false;
  bool screenSaverSuspended = false;
  uint32_t menuClosedAt = 0;
  uint32_t menuHoverStart = 0;  // 0 while the cursor is off the top row
  bool systemCursorShown = true;
  bool childRepaint = false;
  bool imeStatusOpen = true;
  bool candidateListOpen = false;
  CriticalSection secondLock;

 protected:
  // What the window services ask of the mouse device: an image cursor
  // stands in for the system cursor.
  bool MouseInImageCursorMode() const;
  // The game asked for the system cursor to be hidden (it draws its own):
  // only then is it hidden over the game, after boxes and after menus.
  bool GameHidesSystemCursor() const;
  // A cursor that leaves the window: a mouse device fed by window messages
  // forgets the buttons it still thinks are held (no button-up arrives
  // outside the window).
  void ResetMouseDevice();
  // After a screen-mode switch: back where the game had the cursor, else
  // where it is, inside the window.
  void PlaceCursorAfterModeChange(platform::Point remembered);
  // A menu opened from the keyboard or the top edge: the cursor goes onto
  // the menu bar when it was over the game.
  void MoveCursorOntoMenuBar();
  // The size the game picture is shown at in window mode.
  platform::Size DisplayedSize();

  // Init step 6: the main window's message map.
  void RegisterMessageHandlers();
  // The text of a start-up message (UTF-8 literal) as CP932.
  static std::string Text(const char* utf8);

 private:
  // The request of every box: the caption defaults to the title, the owner
  // to the main window (the desktop, system-modal, before it exists).
  platform::MessageBoxRequest MakeBoxRequest(const std::string& text, uint8_t iconKind, platform::WindowId owner,
                                             const char* caption, platform::MessageBoxButtons buttons);
  bool RegisterFullScreenMenuClass();
  int SystemCommandFilter(MessageRecord& record);

  platform::InstanceLock instanceLock_;
  SystemReport* report_ = nullptr;
  bool fullScreenMenuClassRegistered_ = false;
};

// The one application of the process (none until one is built).
Application* CurrentApplication();

}  // namespace orrivel
