#pragma once
// The modal screen on which the player scrolls back through the text
// history: names, page texts and the choices taken, drawn into the frame's
// history window (its second message window), with a colour-box line
// control over every voiced block. Firing a line control replays the
// block's voice and shows the scene in which it was spoken behind the list.
//
// Inputs: Page Up and Page Down move by the large step (24), the wheel
// (pointer codes 3 and 4) and actions 18 and 19 by the small step (10);
// Home goes to the top; the scroll bar and its buttons move the list too.
// Action 5, the pointer's second button or the close button closes the
// screen; action 11 hides the list parts and shows them again.
//
// Its looks come from the game's pictures: the screen's background, the
// separator line between blocks, the voice mark beside each voiced block
// (two cells: resting and under the pointer), the close button (two
// cells) and the scroll bar's thumb and arrows. A picture that does not
// load is reported and the screen does not open (Open answers -1).
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
#include "platform/KeyTable.h"
#include "raster/Surface.h"
#include "scene/ButtonControl.h"
#include "scene/ColorBoxControl.h"
#include "scene/ImageSprite.h"
#include "scene/ScrollBar.h"

namespace orrivel {

class ControlHost;
class MessageTextWindow;
class SpriteList;

// A line control: a colour box over one voiced block; its tag is its index
// + 1. Firing it is reported to the screen. Its voice mark (when the
// screen has the picture) goes and comes with it and shows its second
// cell while the pointer is over the line.
class TextHistoryLine : public ColorBoxControl {
 public:
  static constexpr int32_t kMarkX = 235, kMarkCell = 33, kMarkHeight = 35;
  static constexpr int32_t kMarkOrder = 3999;

  explicit TextHistoryLine(std::function<void(int32_t tag)> fired) : fired_(std::move(fired)) {}
  ~TextHistoryLine() override;
  bool Activate() override;
  int32_t SetState(uint8_t state) override;
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  void SetDrawFlags(uint8_t value) override;
  // The box and its mark go to another list with their orders.
  int32_t MoveToList(SpriteList* list);
  // The mark, cut from a picture of two cells, into list. 0; 1 no picture
  // or list; 2 the sprite cannot be set up.
  int32_t AddVoiceMark(Surface* picture, SpriteList* list);
  // Null without a mark.
  const ImageSprite* VoiceMark() const { return mark_ ? mark_.get() : nullptr; }

 private:
  std::function<void(int32_t)> fired_;
  std::unique_ptr<ImageSprite> mark_;
};

// A picture button that reports its activation.
class TextHistoryButton : public ButtonControl {
 public:
  explicit TextHistoryButton(std::function<void()> fired) : fired_(std::move(fired)) {}
  bool Activate() override;

 private:
  std::function<void()> fired_;
};

class TextHistoryScreen : private ScrollBarListener {
 public:
  static constexpr int32_t kListX = 232, kListY = 50, kListWidth = 758, kVisibleHeight = 636;
  static constexpr int32_t kLineCount = 16;
  // The history window's text starts this far in, clear of the voice marks.
  static constexpr int32_t kTextInset = 40;
  static constexpr int32_t kLineOrder = 4000;
  static constexpr uint32_t kLineColour = 0x400080FF, kLineHoverColour = 0x4040B0FF;
  static constexpr int32_t kSmallStep = 10, kLargeStep = 24;
  static constexpr uint32_t kFadeMs = 200;
  // Input codes read here.
  static constexpr uint32_t kActionClose = 5, kActionHideList = 11, kActionUp = 18, kActionDown = 19;
  static constexpr uint8_t kKeyPageUp = platform::DIK_PRIOR, kKeyPageDown = platform::DIK_NEXT,
                           kKeyHome = platform::DIK_HOME;
  static constexpr uint8_t kPointerCancel = 1, kPointerWheelUp = 3, kPointerWheelDown = 4;
  // The pictures and where they go.
  static constexpr const char* kBasePicture = "SYS/TH_BASE.ELG";
  static constexpr const char* kLinePicture = "SYS/TH_LINE.ELG";
  static constexpr const char* kVoicePicture = "SYS/TH_VOICE.ELG";
  static constexpr const char* kClosePicture = "SYS/TH_RET.ELG";
  static constexpr const char* kBarPicture = "SYS/TH_BAR.ELG";
  static constexpr const char* kUpPicture = "SYS/TH_UP.ELG";
  static constexpr const char* kDownPicture = "SYS/TH_DOWN.ELG";
  static constexpr int32_t kCloseX = 1014, kCloseY = 38, kBarX = 1014, kBarY = 74;
  // The thumb's picture: its ends kept, its middle repeated to the length.
  static constexpr int32_t kThumbCap = 6;
  // Drawing orders (lower on top): the close button and the scroll bar
  // over the list, the background under everything of the screen and
  // under a replayed voice's scene.
  static constexpr int32_t kButtonOrder = 3990;
  static constexpr uint32_t kBaseOrder = 4600;

  struct Hooks {
    // One frame of the game; false when the program is closing.
    std::function<bool()> pumpFrame;
    // The frame's clock (ms).
    std::function<uint32_t()> now;
    // Replays a block's voice (pan reset, music ducked when asked).
    std::function<void(const std::string& voice)> replayVoice;
    // Shows a recorded scene behind the list: the list the screen's parts
    // go to so that they stand over it, or null where they stay.
    std::function<SpriteList*(const HistorySceneRecord& scene)> showScene;
    // The click heard when the screen closes.
    std::function<void()> closeSound;
    // A line for the program's log (a picture that did not load).
    std::function<void(const std::string& line)> log;
  };

  TextHistoryScreen(const TextHistoryBuffer& history, MessageTextWindow& window, SpriteList& list,
                    ControlHost& host, Hooks hooks);
  ~TextHistoryScreen();
  TextHistoryScreen(const TextHistoryScreen&) = delete;
  TextHistoryScreen& operator=(const TextHistoryScreen&) = delete;

  // Makes the parts and the line controls in a pushed control list and
  // draws the end of the list; fades in unless fade is off. 0; -1 when a
  // picture or a part cannot be had or the program closes (everything
  // built is freed again).
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
  // The parts made from pictures; null before Open and after Close.
  const ImageSprite* Base() const { return base_.GetSource() ? &base_ : nullptr; }
  const TextHistoryButton* CloseButton() const { return close_.get(); }
  const ScrollBar* Bar() const { return bar_.get(); }
  // The list the window, the line controls, the voice marks, the scroll
  // bar and the close button stand in: the screen's own until a scene
  // shows behind them.
  SpriteList* PartsList() const { return partsList_; }

 private:
  // Loads the pictures and makes the background and the close button;
  // false, with the picture reported, when one cannot be had.
  bool MakeParts();
  bool LoadPicture(Surface& picture, const char* name);
  // The scroll bar over the list's range, at the position shown first;
  // false, with the picture reported, when it cannot be made.
  bool MakeBar();
  void OnScrollValue(ScrollBar* bar, int32_t value) override;
  void DrawSeparator(int32_t y);
  // One pass of the loop after the pump: 1 closes the screen.
  int32_t Step();
  void Scroll(int32_t to);
  void FireLine(int32_t tag);
  void MoveParts(SpriteList* to);
  void ShowList(bool show);
  void SetOpacity(uint8_t opacity);
  void DrawChoiceLine(const TextHistoryDrawItem& item);
  bool Pump();

  const TextHistoryBuffer& history_;
  MessageTextWindow& window_;
  SpriteList& list_;
  SpriteList* partsList_;
  ControlHost& host_;
  Hooks hooks_;
  TextHistoryPage page_;
  std::array<std::unique_ptr<TextHistoryLine>, kLineCount> lines_;
  TextHistoryPagePlan plan_;
  int32_t position_ = 0;
  int32_t maximum_ = 0;
  int32_t firedTag_ = -1;
  bool closeFired_ = false;
  Surface basePicture_, linePicture_, voicePicture_;
  ImageSprite base_;
  std::unique_ptr<TextHistoryButton> close_;
  std::unique_ptr<ScrollBar> bar_;
  bool pushed_ = false;
  bool listHidden_ = false;
  bool windowWasVisible_ = false;
  bool textCarriedAlpha_ = false;
};

}  // namespace orrivel
