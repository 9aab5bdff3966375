#pragma once
// The game's handlers of its main window's messages and the command
// dispatch behind the menu, the accelerators and the commands natives send:
// the five command switches that enable and grey the commands, the byte
// naming the prompt or dialog that runs, the screen-mode change, return to
// title, the quit prompt and its deferral while the window is minimised.
// Every handler runs on the main thread.
#include <array>
#include <cstdint>
#include <functional>

#include "base/MessageRecord.h"
#include "natives/ShellNativePort.h"
#include "platform/Messages.h"

namespace orrivel {

class GameApplication;
class WindowObject;
struct AppNativePort;

class GameWindowCommands {
 public:
  // The switches (not stored in any file).
  enum Switch : uint32_t { kSwitchSettings = 0, kSwitchSave, kSwitchLoad, kSwitchReturnToTitle, kSwitchScreenMode };
  // What the modal-command byte names.
  enum Modal : uint8_t {
    kModalNone = 0,
    kModalSettings = 1,
    kModalQuit = 4,
    kModalVersion = 6,
    kModalReturnToTitle = 7,
    kModalMessage = 8,
  };

  explicit GameWindowCommands(GameApplication& app);
  ~GameWindowCommands();
  GameWindowCommands(const GameWindowCommands&) = delete;
  GameWindowCommands& operator=(const GameWindowCommands&) = delete;

  // The main window's handlers (before the window is made) and the
  // message-box natives' port.
  void RegisterHandlers(WindowObject& window);

  int OnCreate(MessageRecord& record);
  int OnSysCommand(MessageRecord& record);
  int OnCommand(MessageRecord& record);
  int OnDestroy(MessageRecord& record);
  int OnQueryEndSession(MessageRecord& record);
  // 0x9009 from SendMessageIfWindow: the dialog is shown only when no
  // modal command runs; otherwise its answer stays 0.
  int OnDialogRequest(MessageRecord& record);
  // 0x9006: the object movie's events are read (a finished movie loops or
  // stops).
  int OnObjectMovieEvent(MessageRecord& record);

  // The command of the menu, an accelerator or a native; recordAddress
  // points to the record of commands 40026 to 40031.
  void OnMenuCommand(uint32_t id, intptr_t recordAddress);
  // WM_CLOSE: a minimised window is restored first, and the close waits
  // while the display is being given back (RunDeferredClose ends it);
  // otherwise asks the player and closes on Yes.
  int ConfirmQuit(MessageRecord& record);
  // A close that waited: cleared and posted again.
  void RunDeferredClose();
  // -1 for a switch above 4, else 0. A changed switch enables or greys its
  // menu items; switch 4 (only with a screen-mode facility) also the
  // maximise boxes.
  int UpdateMenuBar(uint32_t which, bool enabled);
  // A modal screen of the text frame (its history) opens (true): the
  // commands that would run over it (settings, save, load, return to
  // title) are greyed and refused while it is open; on closing (false)
  // they follow their switches again, as the scripts left them meanwhile.
  // The screen-mode change stays as it is.
  void SetFrameScreenOpen(bool open);
  // The monitor full screen would use and whether the display takes it:
  // the device's answer, non-zero when full screen is not possible.
  int GetMonitorRect(platform::WindowId window, int32_t* monitorIndex);
  // Natives' command numbers 0 to 7 through the main window; 1 when it
  // went out.
  int RunScriptCommand(uint8_t command, bool send);
  // A window just as wide as its monitor's work area is centred on it (the
  // frame would stick out on one side); any other window stays.
  void CentreOnWorkArea();
  // Centres the window on its monitor's work area: horizontally always,
  // vertically when it is shorter than the work area.
  void CentreWindow();
  // The application natives' port reads and changes the switches.
  void AttachNativePort(AppNativePort& port);

  // Whether a switch's commands run now: its switch, and for those an open
  // frame screen greys, that no such screen is open. 0 above switch 4.
  uint8_t SwitchState(uint32_t which) const;
  uint8_t ModalCommand() const { return modal_; }
  bool CloseDeferred() const { return deferredClose_; }

  // The settings sheet (40005, 40006) comes from the input dialogs; unset,
  // the commands do nothing.
  std::function<void()> showSettingsSheet;

 private:
  void SetModal(uint8_t value);
  void ChangeScreenMode(bool forceWindow);
  void ReturnToTitle();
  void ApplyMenuStates();
  void SetMaximizeBoxes(bool on);
  void RunRecordCommand(uint32_t id, intptr_t recordAddress);

  GameApplication& app_;
  // The switches as the scripts (natives 0 and 1) and the game set them.
  std::array<uint8_t, 5> switches_{1, 0, 0, 0, 1};
  // A modal screen of the frame is open: switches 0 to 3 show greyed
  // whatever they are.
  bool frameScreenOpen_ = false;
  uint8_t modal_ = kModalNone;
  bool deferredClose_ = false;
  AppNativePort* nativePort_ = nullptr;
  ShellNativePort shellPort_;
  ShellNativePort* previousShellPort_ = nullptr;
};

}  // namespace orrivel
