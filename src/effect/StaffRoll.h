#pragma once
// "staff": scrolls the credits up a layer's canvas from a layout text
// (StaffRollLayout), optionally over a piece of music whose length sets the
// scroll time. Group pictures fade in, glide and fade out on their own as
// the scroll passes their heights. When the scroll has run its time the
// roll holds, fades its lines out together with the music, and then
// finishes or stays on screen.
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/LayerAction.h"
#include "effect/StaffRollLayout.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "text/OutlineFont.h"

namespace orrivel {

class SpriteCanvas;

class StaffRoll : public LayerAction {
 public:
  enum State : uint8_t { kIdle = 0, kRunning = 1, kHolding = 2 };
  // Group phases.
  enum Phase : uint8_t { kWaiting = 0, kFadingIn = 1, kShown = 2, kFadingOut = 3, kGone = 4 };
  // Set-up results.
  static constexpr int32_t kBadTarget = 1;
  static constexpr int32_t kLayoutFailedToLoad = 2;
  static constexpr int32_t kNoLines = 3;
  static constexpr int32_t kNoSoundManager = 4;
  static constexpr int32_t kRefused = 5;

  struct Line {
    Surface surface;
    ImageSprite sprite;  // after the surface: it goes first
    int32_t baseY = 0;
  };
  struct Group {
    Surface surface;
    ImageSprite sprite;
    StaffRollEntry place;
    uint8_t phase = kWaiting;
    uint32_t fadeInStart = 0;
    uint32_t fadeOutStart = 0;
  };

  StaffRoll() = default;
  ~StaffRoll() override;

  int32_t GetTypeId() const override { return kStaffRollType; }
  const char* GetName() const override { return "staff"; }
  uint8_t GetCategory() const override { return kStaffRollCategory; }

  using LayerAction::SetupV;
  // The target is the layer's CanvasDrawObject; cell [0] the layout file.
  // Lines are placed on a screen as wide as the layer's picture.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // (0, speed): time passes speed times as fast (at least 1) from the next
  // step; -1 for other commands.
  int32_t ControlV(const ObjectArguments& cells) override;
  // The state.
  int32_t QueryV(const ObjectArguments& cells) override;

  // Reads the layout, makes every line's and group's surface and sprite on
  // the canvas and places them. kLayoutOk or a layout code; on failure
  // nothing stays on the canvas.
  int32_t Load(const char* fileName, SpriteCanvas* canvas, int32_t screenWidth);
  void Clear();

  // 0 running or holding; -1 finished.
  int32_t Step(uint32_t now) override;
  // A roll stopped early keeps its sprites until it is deleted, and music
  // it started keeps playing.
  void Stop() override {}

  uint8_t State() const { return state_; }
  int32_t Speed() const { return speed_; }
  uint32_t ScrollMs() const { return scrollMs_; }
  int32_t TotalHeight() const { return layout_.TotalHeight(); }
  const std::vector<std::unique_ptr<Line>>& Lines() const { return lines_; }
  const std::vector<std::unique_ptr<Group>>& Groups() const { return groups_; }

 private:
  // The surface of a text line in the font the layout gives it.
  bool MakeTextSurface(const StaffRollEntry& entry, Surface& surface);
  void AdvanceGroups(int32_t scrolled, uint32_t elapsed);
  void StartMusic();
  void FadeOutMusic();
  // The end of the roll: -1 to finish, else it holds on screen.
  int32_t End();

  StaffRollLayout layout_;
  OutlineFont font_;
  bool fontMade_ = false;
  std::vector<std::unique_ptr<Line>> lines_;
  std::vector<std::unique_ptr<Group>> groups_;
  uint32_t scrollMs_ = 0;
  uint8_t state_ = kIdle;
  // Not started yet: a flag, since any tick (0 too) can be the start.
  bool started_ = false;
  uint32_t startTick_ = 0;
  uint32_t lastTick_ = 0;
  bool scrollDone_ = false;
  bool fadeStarted_ = false;
  bool musicStarted_ = false;
  int32_t speed_ = 1;
  double rate_ = 0;
};

}  // namespace orrivel
