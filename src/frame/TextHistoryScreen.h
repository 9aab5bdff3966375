#pragma once
// The modal screen on which the player scrolls back through the text
// history: names, page texts and the choices taken, drawn into the frame's
// history window (its second message window), with a colour-box line
// control over every voiced block. Firing a line control replays the
// block's voice and shows the scene in which it was spoken behind the list.
//
// Inputs: Page Up and Page Down move by the large step (24), the wheel
// (pointer codes 3 and 4) and actions 18 and 19 by the small step (10);
// Home goes to the top. Action 5 or the pointer's second button closes the
// screen; action 11 hides the list parts and shows them again.
//
// The screen lives inside one call: it is built on opening and everything
// it made is freed when it closes, also when the program quits meanwhile.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/TextHistoryPage.h"
#include "scene/ColorBoxControl.h"

namespace orrivel {

class ControlHost;
class MessageTextWindow;
class SpriteList;

// A line control: a colour box over one voiced block; its tag is its index
// + 1. Firing it is reported to the screen.
class TextHistoryLine : public ColorBoxControl {
 public:
  explicit TextHistoryLine(std::function<void(int32_t tag)> fired) : fired_(std::move(fired)) {}
  bool Activate() override;

 private:
  std::function<void(int32_t)> fired_;
};

class TextHistoryScreen {
 public:
  static constexpr int32_t kListX = 232, kListY = 50, kListWidth = 758, kVisibleHeight = 636;
  static constexpr int32_t kLineCount = 16;
  static constexpr int32_t kLineOrder = 4000;
  static constexpr uint32_t kLineColour = 0x400080FF, kLineHoverColour = 0x4040B0FF;
  static constexpr int32_t kSmallStep = 10, kLargeStep = 24;
  static constexpr uint32_t kFadeMs = 200;
  // Input codes read here.
  static constexpr uint32_t kActionClose = 5, kActionHideList = 11, kActionUp = 18, kActionDown = 19;
  static constexpr uint8_t kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyHome = 0x24;
  static constexpr uint8_t kPointerCancel = 1, kPointerWheelUp = 3, kPointerWheelDown = 4;

  struct Hooks {
    // One frame of the game; false when the program is closing.
    std::function<bool()> pumpFrame;
    // The frame's clock (ms).
    std::function<uint32_t()> now;
    // Replays a block's voice (pan reset, music ducked when asked).
    std::function<void(const std::string& voice)> replayVoice;
    // Shows a recorded scene behind the list.
    std::function<void(const HistorySceneRecord& scene)> showScene;
    // The click heard when the screen closes.
    std::function<void()> closeSound;
  };

  TextHistoryScreen(const TextHistoryBuffer& history, MessageTextWindow& window, SpriteList& list,
                    ControlHost& host, Hooks hooks);
  ~TextHistoryScreen();
  TextHistoryScreen(const TextHistoryScreen&) = delete;
  TextHistoryScreen& operator=(const TextHistoryScreen&) = delete;

  // Makes the line controls in a pushed control list and draws the end of
  // the list; fades in unless fade is off. 0; -1 when a part cannot be made
  // or the program closes.
  int32_t Open(bool fade);
  // Runs until the player closes the screen (0) or the program quits (-1);
  // then fades out (unless fade is off) and lets everything go.
  int32_t Run(bool fade);
  // Lets go of everything the screen made and brings the controls back.
  void Close();

  // Draws the entries visible from position and places the line controls.
  int32_t DrawHistoryPage(int32_t position);
  // Fades the window and the line controls in use in or out over ms.
  // 0 done; -1 the program closes.
  int32_t Fade(bool show, uint32_t ms);

  int32_t Position() const { return position_; }
  int32_t Maximum() const { return maximum_; }
  int32_t LinesInUse() const { return int32_t(plan_.lines.size()); }
  const TextHistoryPagePlan& Plan() const { return plan_; }
  const TextHistoryLine* Line(int32_t i) const { return lines_[size_t(i)].get(); }
  bool ListHidden() const { return listHidden_; }
  const TextHistoryPage& Page() const { return page_; }

 private:
  // One pass of the loop after the pump: 1 closes the screen.
  int32_t Step();
  void Scroll(int32_t to);
  void FireLine(int32_t tag);
  void ShowList(bool show);
  void SetOpacity(uint8_t opacity);
  void DrawChoiceLine(const TextHistoryDrawItem& item);
  bool Pump();

  const TextHistoryBuffer& history_;
  MessageTextWindow& window_;
  SpriteList& list_;
  ControlHost& host_;
  Hooks hooks_;
  TextHistoryPage page_;
  std::array<std::unique_ptr<TextHistoryLine>, kLineCount> lines_;
  TextHistoryPagePlan plan_;
  int32_t position_ = 0;
  int32_t maximum_ = 0;
  int32_t firedTag_ = -1;
  bool pushed_ = false;
  bool listHidden_ = false;
  bool windowWasVisible_ = false;
};

}  // namespace orrivel
