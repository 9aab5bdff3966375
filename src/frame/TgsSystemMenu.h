#pragma once
// The system menu of the text-adventure frame: twelve items over a base
// picture near the pointer, opened with the right button while a module
// plays. It runs its own frame loop until an item is chosen or it is
// dismissed, asks for confirmation where the settings say so, and does the
// quick save and quick load itself; everything else goes back to the
// caller as a result code (the frame action to run, or the pending request
// it set).
//
// The menu reaches the controls, pictures, fades, boxes and saves of the
// game through TgsSystemMenuPort, so that the loop is the same on screen
// and under test.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orrivel {

// Where the menu goes for a pointer position.
struct SystemMenuPlacement {
  int32_t x = 0;
  int32_t y = 0;
  bool moved = false;     // a correction applied: the pointer glides to the item
  bool keyboard = false;  // summoned by key: the item is focused instead
};

// The pointer at (x, y) (-2: outside on that axis; (1279, 719): summoned
// by key), the default item and the pointer-edge code (4 left, 8 top).
SystemMenuPlacement PlaceSystemMenu(int32_t x, int32_t y, uint8_t defaultItem, int32_t pointerEdge);

// What the game around the menu does for it.
class TgsSystemMenuPort {
 public:
  virtual ~TgsSystemMenuPort() = default;
  // The frame pump: 0 when the program closes.
  virtual int Pump() = 0;
  // Restores the main-menu state and pushes the control list (only the
  // menu's controls take input); CloseControls deletes the menu's controls
  // (group 5) and pops the list.
  virtual void OpenControls() = 0;
  virtual void CloseControls() = 0;
  // Loads the item layout ("SYS/SM_BG.GMP") as group 5; the parts made.
  virtual int32_t LoadItems() = 0;
  // Shows every item moved by (x, y) from its layout place.
  virtual void PlaceItems(int32_t x, int32_t y) = 0;
  // Loads "SYS/SM_BASE.ELG" into a sprite at (x, y); FreeBase lets it go.
  virtual bool PlaceBase(int32_t x, int32_t y) = 0;
  virtual void FreeBase() = 0;
  virtual void SetItemEnabled(int32_t item, bool on) = 0;
  virtual void SetItemState(int32_t item, bool on) = 0;
  virtual void SetItemName(int32_t item, const char* utf8) = 0;
  // The item's left and top on screen.
  virtual void ItemPosition(int32_t item, int32_t& left, int32_t& top) = 0;
  virtual void PointerPosition(int32_t& x, int32_t& y) = 0;
  virtual int32_t PointerEdge() = 0;
  virtual void PlaySound(int32_t effect) = 0;
  // The fade of the thirteen parts (150 ms); false when none can be made.
  virtual bool MakeFade() = 0;
  virtual void FadeParts(bool show) = 0;
  virtual bool FadeFinished() = 0;
  virtual void DeleteFade() = 0;
  virtual void FocusItem(int32_t item) = 0;
  // The pointer glide over ms; -1 when the program closes during it.
  virtual int32_t GlidePointer(int32_t x, int32_t y, uint32_t ms) = 0;
  // One update of the control host: the activated control id, or -1.
  virtual int32_t UpdateControls() = 0;
  virtual void ResetActivation() = 0;
  // Input action 5 or the right button newly pressed; the left button
  // newly pressed outside the base picture.
  virtual bool DismissPressed() = 0;
  virtual bool LeftPressedOutside() = 0;
  // The confirmation box (OK and CANCEL): 1 yes, 0 or another no, -1 the
  // program is closing. centred: in the middle, else at the pointer.
  virtual int32_t Confirm(const std::string& utf8, bool centred) = 0;
  // A notice in the box for the time (empty: the box closes).
  virtual void Notice(const std::string& utf8, int32_t time) = 0;
  // Quick saves: group 11, slot -1. Until saves are built they decline.
  virtual bool QuickSave() = 0;
  virtual std::optional<std::string> QuickSaveCaption() = 0;
  // The quick save's file when the running game can load it.
  virtual std::optional<std::string> QuickSaveFileName() = 0;
  // The quick save is there but damaged, or made for other variables: the
  // notice says so rather than that there is none.
  virtual bool QuickSaveDamaged() = 0;
  virtual void SetCurrentSaveFile(const std::string& name) = 0;
  // Fades the music out and the screen to black over 1000 ms.
  virtual void QuitFade() = 0;
  // The player confirmed the quit item: the program is asked to end (as
  // its window's close would, without asking again).
  virtual void RequestQuit() = 0;
  virtual void RestartAutoTimer() = 0;
  // One line on standard error (or the game's log).
  virtual void Log(const std::string& line) = 0;
};

// What the menu reads and sets of the frame and the application.
struct TgsSystemMenuState {
  std::span<const uint8_t> settings;     // the application settings block
  std::array<bool, 10> actionEnabled{};  // per frame action
  bool autoPlay = false;
  bool saveAllowed = true;
  bool loadAllowed = true;
  bool settingsAllowed = true;
  bool titleAllowed = true;
  // 0 none, 1 return to title, 2 load the current save file, 3 back to the
  // previous choice.
  int32_t pendingRequest = 0;
};

class TgsSystemMenu {
 public:
  static constexpr int32_t kItems = 12;
  static constexpr int32_t kQuitting = -2;
  static constexpr int32_t kDismissed = -1;
  static constexpr uint32_t kGlideMs = 140;

  TgsSystemMenu(TgsSystemMenuPort& port, TgsSystemMenuState& state) : port_(port), state_(state) {}

  // -2 quitting; -1 dismissed, declined or quick-saved; 5, 6, 7 with the
  // pending request set; 8-13 and 16 for the caller to run.
  int32_t Show();

  // The frame action a result of 8 or more runs.
  static int32_t ActionOfResult(int32_t result);

 private:
  uint8_t Setting(size_t index) const { return index < state_.settings.size() ? state_.settings[index] : 0; }
  void EnableItems();
  // The item's choice: a result, or 0 to go on with the loop.
  int32_t Choose(int32_t item);
  int32_t Confirm(const std::string& text, bool centred);
  int32_t QuickSave();
  int32_t QuickLoad();
  int32_t Quit();
  // Waits for the parts' fade; -1 when the program closes.
  int32_t WaitFade();
  int32_t Close(int32_t result);

  TgsSystemMenuPort& port_;
  TgsSystemMenuState& state_;
  bool fade_ = false;
  bool shown_ = false;
};

}  // namespace orrivel
