#pragma once
// What the player's actions and the page waits of the text-adventure frame
// take from the game around it: the fired control of the control host, the
// application's modal and window states, the confirmation box and its
// notices, the saves and the settings screen of the game. Each hook may be
// empty: an empty one answers as a declined box, a missing save or a
// screen that closed at once, so a frame without the game still plays its
// pages.
#include <cstdint>
#include <functional>
#include <string>

namespace orrivel {

// Whether a game's gate lets the frame go on: an empty one always does.
inline bool GateOpen(const std::function<bool()>& gate) { return !gate || gate(); }

struct TgsPlayerServices {
  // The tag of the control the player fired since the last call (-1 none);
  // the control host hands each out once.
  std::function<int32_t()> takeFiredTag;
  // Non-zero while a modal box of the main window is open.
  std::function<uint8_t()> modalState;
  // The application's window state byte (2: the application asks the
  // message window to hide).
  std::function<uint8_t()> windowState;
  // The confirmation box (UTF-8 text): 1 yes, 0 no, -1 it cannot be shown.
  std::function<int32_t(const std::string& utf8)> confirm;
  // A notice in the box for ms milliseconds (UTF-8 text).
  std::function<void(const std::string& utf8, uint32_t ms)> notice;
  // Quick save into group 11 (slot -1: the plain quick save); false when
  // it could not be written.
  std::function<bool(int32_t slot)> quickSave;
  // Makes the quick save of the slot the file to load, once the whole file
  // has been checked as a load reads it: kQuickLoadChosen, or
  // kQuickLoadMissing / kQuickLoadDamaged with nothing changed.
  static constexpr int32_t kQuickLoadChosen = 0;
  static constexpr int32_t kQuickLoadMissing = 1;
  static constexpr int32_t kQuickLoadDamaged = 2;
  std::function<int32_t(int32_t slot)> selectQuickLoad;
  // The save file the game's load screen chose (the current save file),
  // checked whole as selectQuickLoad checks the quick save: the same
  // codes. Empty: every choice loads.
  std::function<int32_t()> checkChosenLoad;
  // The automatic save of a choice point into group 10; false on failure.
  std::function<bool()> autoSave;
  // Keeps the state to go back to at this choice; false on failure.
  std::function<bool()> snapshotState;
  // Whether the game holds a state to go back to (taken at a choice, or
  // brought back by a loaded save).
  std::function<bool()> hasSnapshot;
  // Holds (true) or lets go (false) the confirmation box's running notice
  // on its timer list, so a notice given just before a blocking fade is
  // seen after the fade instead of running out under it.
  std::function<void(bool hold)> holdNotice;
  // The settings screen: -1 it failed, 0 closed, 1 the text settings
  // changed; skipReadChanged reports a change of "skip read text only".
  std::function<int32_t(bool& skipReadChanged)> settingsScreen;
  // Whether the game lets the player go back to its title now.
  std::function<bool()> titleAllowed;
  // Whether the game lets the player open its settings now.
  std::function<bool()> settingsAllowed;
  // A modal screen of the frame opens (true) or closes (false): the main
  // window's menu bar greys what must not run over it meanwhile and brings
  // it back after.
  std::function<void(bool open)> modalScreenMenu;
};

}  // namespace orrivel
