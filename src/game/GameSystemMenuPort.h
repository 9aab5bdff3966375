#pragma once
// The system menu of the text-adventure frame as the game shows it: its
// items are the controls the layout "SYS/SM_BG.GMP" makes through the
// game's control factory (group 5, in the overlay list), over the base
// picture "SYS/SM_BASE.ELG"; the thirteen parts fade with one
// SpriteFadeAction on the system timer list; questions and notices go
// through the confirmation box and quick saves through the save service.
//
// Main thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/TgsSystemMenu.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class ConfirmBox;
class Control;
class ControlFactory;
class ControlHost;
class Drawable;
class LayoutControlFactory;
class LgmSpriteLayout;
class SaveService;
class SpriteCanvas;
class SpriteFadeAction;
class TimedTask;
class TimerList;

class GameSystemMenuPort final : public TgsSystemMenuPort {
 public:
  static constexpr const char* kLayoutFile = "SYS/SM_BG.GMP";
  static constexpr const char* kBaseFile = "SYS/SM_BASE.ELG";
  static constexpr int32_t kItemGroup = 5;
  static constexpr int32_t kItemOrder = 899;
  static constexpr int32_t kBaseOrder = 900;
  static constexpr uint32_t kFadeMs = 150;
  static constexpr int32_t kQuickSaveGroup = 11;
  static constexpr int32_t kQuickSaveSlot = -1;
  // The input action and the pointer buttons the menu listens to.
  static constexpr uint32_t kActionCancel = 5;
  static constexpr uint8_t kLeftButton = 0;
  static constexpr uint8_t kRightButton = 1;

  struct Services {
    ControlHost* host = nullptr;
    ControlFactory* factory = nullptr;
    // The factory and host as the layout reader makes controls through them.
    LayoutControlFactory* layoutControls = nullptr;
    LgmSpriteLayout* layout = nullptr;
    // The canvas the base picture shows on (null: the screen's current one).
    SpriteCanvas* canvas = nullptr;
    // The screen's current canvas, asked each time the menu opens (a
    // transition may have changed it); the factory's own when empty.
    std::function<SpriteCanvas*()> currentCanvas;
    // The list the parts' fade runs on (none: no fades).
    TimerList* timers = nullptr;
    ConfirmBox* box = nullptr;
    // The save files (null: the game's, asked each time, since the game
    // installs them after the menu).
    SaveService* saves = nullptr;
    // The frame pump: 0 when the program closes.
    std::function<int()> pump;
    std::function<uint32_t()> now;
    // The control id activated since the last call (then forgotten), or -1.
    std::function<int32_t()> takeActivated;
    // Where the pointer left the screen: 4 left, 8 top, else 0.
    std::function<int32_t()> pointerEdge;
    std::function<void(int32_t effect)> playSound;
    std::function<void()> restoreMenuState;
    std::function<void(const std::string& path)> setCurrentSaveFile;
    // Fades the music out and the screen to black over 1000 ms.
    std::function<void()> quitFade;
    // Asks the program to end.
    std::function<void()> requestQuit;
    std::function<void()> restartAutoTimer;
    std::function<void(const std::string&)> log;
  };

  explicit GameSystemMenuPort(Services services);
  ~GameSystemMenuPort() override;
  GameSystemMenuPort(const GameSystemMenuPort&) = delete;
  GameSystemMenuPort& operator=(const GameSystemMenuPort&) = delete;

  Services& GetServices() { return services_; }

  int Pump() override;
  void OpenControls() override;
  void CloseControls() override;
  int32_t LoadItems() override;
  void PlaceItems(int32_t x, int32_t y) override;
  bool PlaceBase(int32_t x, int32_t y) override;
  void FreeBase() override;
  void SetItemEnabled(int32_t item, bool on) override;
  void SetItemState(int32_t item, bool on) override;
  void SetItemName(int32_t item, const char* utf8) override;
  void ItemPosition(int32_t item, int32_t& left, int32_t& top) override;
  void PointerPosition(int32_t& x, int32_t& y) override;
  int32_t PointerEdge() override;
  void PlaySound(int32_t effect) override;
  bool MakeFade() override;
  void FadeParts(bool show) override;
  bool FadeFinished() override;
  void DeleteFade() override;
  void FocusItem(int32_t item) override;
  int32_t GlidePointer(int32_t x, int32_t y, uint32_t ms) override;
  int32_t UpdateControls() override;
  void ResetActivation() override;
  bool DismissPressed() override;
  bool LeftPressedOutside() override;
  int32_t Confirm(const std::string& utf8, bool centred) override;
  void Notice(const std::string& utf8, int32_t time) override;
  bool QuickSave() override;
  std::optional<std::string> QuickSaveCaption() override;
  std::optional<std::string> QuickSaveFileName() override;
  bool QuickSaveDamaged() override;
  void SetCurrentSaveFile(const std::string& name) override;
  void QuitFade() override;
  void RequestQuit() override;
  void RestartAutoTimer() override;
  void Log(const std::string& line) override;

  // What is open now (for tests and the frame's teardown).
  Control* Item(int32_t item) const;
  const ImageSprite& BaseSprite() const { return baseSprite_; }
  bool HasFade() const { return fade_ != nullptr; }

 private:
  uint32_t Now() const;
  // The canvas the items and the base picture go to.
  SpriteCanvas* MenuCanvas() const;
  SaveService& Saves() const;
  // The thirteen parts in fade order: the items, then the base.
  std::vector<Drawable*> Parts();

  Services services_;
  std::vector<Control*> items_;
  Surface baseSurface_;
  ImageSprite baseSprite_;
  bool basePlaced_ = false;
  // The parts' fade; the timer list owns it and clears this when it goes.
  TimedTask* fade_ = nullptr;
};

}  // namespace orrivel
