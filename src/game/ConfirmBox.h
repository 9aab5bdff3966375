#pragma once
// The game's own in-game dialogs. A notice line slides in at the bottom
// left of the screen and out again while it fades. The question box: a frame drawn from the thirteen
// "SYS/IF_*.ELG" parts around a text, with one or two picture buttons that
// join the control host in a list of their own, asked modally while the
// frame pump keeps the game running. Answers: 1 the first button (OK or
// YES), 0 the second (CANCEL or NO) or a cancel input, -1 the program is
// closing, -2 nothing to draw on or no control host.
//
// Main thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "game/ConfirmBoxLayout.h"
#include "raster/Surface.h"
#include "scene/ButtonControl.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class ControlHost;
class Font;
class SpriteList;
class TimedTask;
class TimerList;

class ConfirmBox {
 public:
  enum Part : int32_t {
    kLeftTop,
    kRightTop,
    kLeftBottom,
    kRightBottom,
    kTopBar,
    kBottomBar,
    kLeftBar,
    kRightBar,
    kOk,
    kCancel,
    kYes,
    kNo,
    kOkAlone,
    kPartCount
  };
  static constexpr std::array<const char*, kPartCount> kPartNames{
      "SYS/IF_LT.ELG",   "SYS/IF_RT.ELG",   "SYS/IF_LB.ELG",    "SYS/IF_RB.ELG", "SYS/IF_TBAR.ELG",
      "SYS/IF_BBAR.ELG", "SYS/IF_LBAR.ELG", "SYS/IF_RBAR.ELG",  "SYS/IF_OK.ELG", "SYS/IF_CANCL.ELG",
      "SYS/IF_YES.ELG",  "SYS/IF_NO.ELG",   "SYS/IF_OK2.ELG"};
  // The frame: corners 25 wide, the top row 19 and the bottom row 66 high.
  static constexpr int32_t kCornerWidth = 25;
  static constexpr int32_t kTopHeight = 19;
  static constexpr int32_t kBottomHeight = 66;
  // The inside of the frame: a translucent dark blue.
  static constexpr uint32_t kInsideColour = 0xB3004B91;
  static constexpr uint32_t kBoxOrder = 100;
  // How long the pointer glides to the default button.
  static constexpr uint32_t kGlideMs = 140;
  // How long the box grows when it opens and shrinks when it closes.
  static constexpr uint32_t kZoomMs = 140;
  // Mode bits.
  static constexpr int32_t kModeSilentFirst = 0x40;
  static constexpr int32_t kModeZoom = 0x80;
  // The input action and the pointer button that cancel.
  static constexpr uint32_t kActionCancel = 5;
  static constexpr uint8_t kCancelButton = 1;

  struct Ports {
    ControlHost* host = nullptr;
    // The question font (null: the text takes no room and is not drawn).
    Font* font = nullptr;
    // A part's picture, or null when it cannot be had (empty: the box
    // loads the "SYS/IF_*.ELG" files itself once). Buttons are strips of
    // two cells: normal and hovered.
    std::function<Surface*(int32_t part)> picture;
    // Advances one frame; 0 when the program is closing.
    std::function<int()> pumpFrame;
    // The current tick in ms.
    std::function<uint32_t()> now;
    // The notices: the list that runs their path, their font, the list
    // that shows them and their sound (any may be empty).
    TimerList* timers = nullptr;
    Font* noticeFont = nullptr;
    SpriteList* noticeList = nullptr;
    // Without a notice list: the list of the screen's current layer when
    // the notice is placed (null: nothing shown).
    std::function<SpriteList*()> currentList;
    std::function<void()> noticeSound;
  };
  // A notice rises from below the screen to y 689, stays, and sinks back
  // while it fades out: five keys of kNoticeSegmentMs each.
  static constexpr int32_t kNoticeX = 12;
  static constexpr int32_t kNoticeShownY = 689;
  static constexpr int32_t kNoticeHiddenY = 720;
  static constexpr uint32_t kNoticeSegmentMs = 400;
  static constexpr uint32_t kNoticeOrder = 100;

  ConfirmBox();
  ~ConfirmBox();
  ConfirmBox(const ConfirmBox&) = delete;
  ConfirmBox& operator=(const ConfirmBox&) = delete;

  void SetPorts(Ports ports) { ports_ = std::move(ports); }
  // Makes the box's own question and notice fonts, once, and gives them
  // to the ports that have none.
  void UseOwnFonts();
  Font* QuestionFont() const { return questionFont_.get(); }
  // The small black font of the control host's tool tips.
  Font* TipFont() const { return tipFont_.get(); }
  Font* NoticeFont() const { return noticeFont_.get(); }
  const Ports& GetPorts() const { return ports_; }

  // Shows a notice after the delay, replacing a running one; a null text
  // only removes the running one. 0 shown; 1 the text was not drawn; 2 the
  // path was refused; 3 the notice did not start.
  int32_t Open(const char* text, uint32_t delayMs);
  // Stops the running notice and forgets it (the script host does it when
  // it ends, while the timer list still exists).
  void ReleaseTask();
  // The running notice, or null.
  TimedTask* GetResult() const { return noticeTask_; }
  ImageSprite& NoticeSprite() { return noticeSprite_; }

  // The modal question. mode bits 0-1: the button set (0 OK, 1 OK and
  // CANCEL, 2 or 3 YES and NO); x -1 centred, -2 at the pointer; y -1
  // centred; defaultButton 0 the first, else the second, negative no glide.
  // A null owner draws the box on the list of the screen's current layer
  // (the currentList port); -2 when there is none either.
  int32_t Run(int32_t mode, const char* text, int32_t x, int32_t y, int32_t defaultButton, SpriteList* owner);

  // Brings the pointer to the control: focused instead (1) when the pointer
  // rests at the keyboard position or the control shows nothing, else a
  // glide over kGlideMs (0), -1 the program closed meanwhile, -2 no control
  // or no host.
  int32_t MoveCursorTo(ButtonControl* control);

  // While a question is open (for the frames the pump runs meanwhile).
  bool IsOpen() const { return open_; }
  const ConfirmBoxLayout& Layout() const { return layout_; }
  Surface& BoxSurface() { return boxSurface_; }
  ImageSprite& BoxSprite() { return boxSprite_; }

 private:
  // A box button that tells the box when it fires.
  class Button : public ButtonControl {
   public:
    explicit Button(int32_t* fired) : fired_(fired) {}
    bool Activate() override;

   private:
    int32_t* fired_;
  };

  Surface* Part(int32_t which);
  bool DrawBox(const char* text);
  bool MakeButtons(SpriteList* owner, int32_t set);
  int32_t Ask(int32_t count);
  void PlayAnswerSound(int32_t result, int32_t set, int32_t mode);
  bool CancelPressed();
  // Grows (in) or shrinks the box around its centre over kZoomMs while the
  // pump runs; false when the program closed meanwhile.
  bool Zoom(bool in);
  void ShowButtons(bool show);
  uint32_t Now();
  void Close(SpriteList* owner);
  void HideNotice();

  Ports ports_;
  std::unique_ptr<Font> tipFont_;
  std::unique_ptr<Font> questionFont_;
  std::unique_ptr<Font> noticeFont_;
  ConfirmBoxLayout layout_;
  Surface boxSurface_;
  ImageSprite boxSprite_;
  std::array<std::unique_ptr<Button>, 2> buttons_;
  std::array<std::unique_ptr<Surface>, kPartCount> loadedParts_;
  Surface noticeSurface_;
  ImageSprite noticeSprite_;
  // Cleared by the task itself when the timer list deletes it.
  TimedTask* noticeTask_ = nullptr;
  int32_t fired_ = -1;
  bool open_ = false;
};

// The run's box (null when none was made current); main makes one just
// after the process-wide objects, so it goes before them.
ConfirmBox* GetConfirmBox();
// Returns the previous one.
ConfirmBox* SetConfirmBox(ConfirmBox* box);

}  // namespace orrivel
