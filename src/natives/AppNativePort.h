#pragma once
// What the application natives reach of the running application: its
// settings blocks, option flags, state bytes and the operations of the
// game shell (screen modes, pacing nestings, menu commands). The game shell
// fills the process-wide port when it boots the scripts; until then the
// port holds blocks of its own at their defaults and empty operations, so
// the natives answer as a game without those services.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace orrivel {

class DropTarget;

// The request native 71 fills for the next text-input dialog.
struct TextInputRequestCells {
  std::string caption;
  std::string prompt;
  bool fullWidthOnly = false;
  uint8_t maxLength = 0;
  bool openIme = false;
  int32_t width = 0;
  // Negative: the dialog is centred.
  int32_t x = -1;
  int32_t y = -1;
};

// Blocks of the port's own, made before the views that start on them.
struct AppNativePortBlocks {
  static constexpr size_t kAppConfigSize = 196;
  static constexpr size_t kUserSize = 72;
  static constexpr size_t kWindowSize = 14;
  static constexpr size_t kBootSize = 17;

 protected:
  std::array<uint8_t, kAppConfigSize> ownAppConfig_{};
  std::array<uint8_t, kUserSize> ownUser_{};
  std::array<uint8_t, kWindowSize> ownWindow_{};
  std::array<uint8_t, kBootSize> ownBoot_{};
  uint8_t ownOptions_ = 0;
  uint8_t ownScreenMode_ = 2;
  uint8_t ownScreenDepth_ = 3;
};

struct AppNativePort : AppNativePortBlocks {
  // Option flags: bits 0-1 the full-screen keyboard hook, bit 2 the player
  // may change the screen mode, bit 3 a request the scripts take once.
  static constexpr uint8_t kOptionModeChange = 4;
  static constexpr uint8_t kOptionRequest = 8;

  AppNativePort();
  AppNativePort(const AppNativePort&) = delete;
  AppNativePort& operator=(const AppNativePort&) = delete;

  // The settings blocks (the application's own, or the port's defaults).
  std::span<uint8_t, kAppConfigSize> appConfig;
  std::span<uint8_t, kUserSize> user;
  std::span<uint8_t, kWindowSize> window;
  std::span<uint8_t, kBootSize> boot;

  // The application's option flags, screen mode (1 full screen, 2 window)
  // and depth (1 16 bits, 2 24 bits, 3 32 bits), where it keeps them.
  uint8_t& Options() { return *options_; }
  uint8_t& ScreenMode() { return *screenMode_; }
  uint8_t& ScreenDepth() { return *screenDepth_; }
  void AttachLiveBytes(uint8_t* options, uint8_t* screenMode, uint8_t* screenDepth) {
    options_ = options;
    screenMode_ = screenMode;
    screenDepth_ = screenDepth;
  }

  // 0: no screen-mode facility; else its kind (kind 1 has no window mode).
  uint8_t screenModeFacility = 0;
  uint8_t pendingMode = 0;
  uint8_t flagA = 0;
  uint8_t catchUpLive = 0;  // set by option 1 and native 20
  uint8_t settingsChanged = 0;
  uint8_t modalState = 0;
  uint8_t furtherByte = 0;
  // Set while pages read before must not be skipped (the script messages
  // type them out).
  uint8_t skipSuppress = 0;
  uint32_t appWord = 0;
  // Items of native 3 that the game shell keeps (by selector).
  std::array<int32_t, 23> stateItems{};
  std::array<bool, 5> menuEnabled{true, true, true, true, true};
  std::string title;
  std::string nameQuery;
  std::string clipboardText;
  TextInputRequestCells textInput;

  // Operations of the game shell; an empty one is a service the game does
  // not have here.
  // Asks for mode 1 (full screen) or 2 (window) at a depth: 0 done.
  std::function<int(uint8_t mode, uint8_t depth)> requestScreenMode;
  // Prepares the monitor for a full-screen depth; the depth settled on, or
  // 0 when it cannot.
  std::function<uint8_t(uint8_t depth)> prepareFullScreen;
  // 0 clears the requested window size, else asks for width x height.
  std::function<void(int32_t width, int32_t height)> requestWindowSize;
  // Switches to window mode again even when the game is in a window already,
  // so a new window size takes effect: 0 done.
  std::function<int(uint8_t depth)> reapplyWindowMode;
  // After a switch to window mode: a window as wide as its monitor's work
  // area is centred on it.
  std::function<void()> centreWindowOnWorkArea;
  // Native 1 changed a window-block option (bytes 10 to 13): the shell
  // takes the block's values as its own, so they are live and stored.
  std::function<void()> windowOptionsChanged;
  std::function<void()> applyMenuState;
  std::function<void(bool installed)> setKeyboardHook;
  std::function<int()> beginForcedVSync, endForcedVSync;
  std::function<int()> beginMillisecondPacing, endMillisecondPacing;
  std::function<int()> enterLowPriority, leaveLowPriority;
  std::function<void(int32_t rate)> applyFramePacing;
  std::function<int(uint8_t command, bool flag)> runMenuCommand;
  // Sends the main window a command that carries a record (40026 to 40031)
  // and waits for it, from whichever thread runs the scripts; false when
  // there is no window to handle it.
  std::function<bool(uint16_t command, void* record)> sendWindowCommand;
  // Native 578's flag for the main window's menu helper (the mouse device
  // shows or hides the system cursor over the menu).
  std::function<void(uint32_t value)> forwardMenuState;
  std::function<void(const std::string&)> setClipboard;
  std::function<std::string(const std::string& initial)> askText;
  std::function<void(const std::string& message)> showError;
  // The message colours go to a window object (-1 none) and a text sprite,
  // and with gradient set the gradient to a text object (0: the default
  // font).
  std::function<void(int32_t window, uint32_t textSprite, uint32_t textObject, bool gradient)> applyMessageColours;
  // A text-adventure frame writes its read-message flags file.
  std::function<void()> saveFrameReadFlags;
  // Files dropped on the main window (none: nothing is ever dropped) and
  // the switch that lets the window take drops.
  DropTarget* dropTarget = nullptr;
  std::function<void(bool accept)> enableFileDrop;

 private:
  uint8_t* options_ = &ownOptions_;
  uint8_t* screenMode_ = &ownScreenMode_;
  uint8_t* screenDepth_ = &ownScreenDepth_;
};

// The process-wide port (one with the defaults until the shell installs
// its own).
AppNativePort& AppPort();
// Installs a port (null goes back to the defaults); returns the previous one.
AppNativePort* SetAppPort(AppNativePort* port);

}  // namespace orrivel
