#pragma once
// The message window scripts make for their own text (control kind 111): a
// text window that types the shared markup text character by character
// through its GameDrawableTask, stops at page ends and waits for the player
// under an animated wait cursor, honours the skip key, the skip button and
// the skip settings, shows the speaker's name on an attached name plate and
// scrolls.
//
// The name plate (a window) and the skip button (a check button) are other
// controls of the same factory; the drawable keeps their factory handles and
// looks them up at each use, so a plate or button deleted by the script is
// simply gone, never a dangling pointer. The typing task and the wait
// cursor run on the object timer list, which owns them; the drawable keeps
// owner slots the list clears when they end.
//
// Main thread only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "raster/SpriteList.h"
#include "scene/WindowControl.h"

namespace orrivel {

class CheckButtonBase;
class ControlFactory;
class ControlHost;
class FrameStepper;
class GameDrawableTask;
class MarkupTextBase;
class TimedTask;
class TimerList;

// What the typing reads of the player's input each frame.
class GameDrawableInput {
 public:
  virtual ~GameDrawableInput() = default;
  // Ctrl when settings byte 130 is set, else Shift; either side.
  virtual bool IsSkipKeyDown() = 0;
  virtual bool IsActionPressed(uint32_t action) = 0;
  virtual bool IsLeftButtonPressed() = 0;
  virtual void GetPointer(int32_t* x, int32_t* y) = 0;
  // True when a button or check button of the host lies under the point.
  virtual bool IsOverButton(int32_t x, int32_t y) = 0;
};

// The wait cursor's strip: a display object of the scripts whose picture
// holds the frames side by side, their count and the time each is shown.
struct WaitCursorFrames {
  uint32_t image = 0;
  int32_t frameCount = 0;
  uint32_t frameMs = 0;
  bool Given() const { return image != 0; }
};

class GameDrawable : public WindowControl, private SpriteListOwner {
 public:
  static constexpr int32_t kKind = 111;
  // Component 2 of a page fills a field of this many bytes.
  static constexpr size_t kFieldBytes = 16;
  // Font slots 0-3 of the name plate; 4 and above: its own size.
  static constexpr uint8_t kOwnSizeSlot = 4;
  // Input actions that advance the page.
  static constexpr uint32_t kActionNextPage = 19;
  static constexpr uint32_t kActionDecide = 4;

  // text and timers may be null (nothing can be typed then).
  GameDrawable(MarkupTextBase* text, TimerList* timers, ControlFactory* factory);
  ~GameDrawable() override;

  // --- the window's overrides ---------------------------------------------------------
  int32_t GetKind() const override { return kKind; }
  // The name plate moves by the same offset.
  void SetPosition(int32_t x, int32_t y) override;
  // The plate follows, unless an empty name keeps it hidden.
  void SetVisible(bool show) override;
  // The plate takes the same background; the wait cursor's saved
  // background is taken again from the new page.
  int32_t SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha) override;

  // --- what the natives call ------------------------------------------------------------
  // 1 no timer list or text, 2 the task cannot be added, 3 the wait cursor
  // cannot be made; else the task's start with the read permission.
  int32_t StartText(bool readPermission);
  // As StartText, the whole page at once.
  int32_t ShowText();
  // 0 one step, 1 steps to the next stop, 2 the rest of the page at once, 3
  // leaves the key wait; another code 2; no task 1.
  int32_t Command(int32_t code);
  // Stores the frames (a running wait cursor goes first). 0.
  int32_t SetWaitCursor(const WaitCursorFrames& frames);
  // The plate's factory handle (0: none) and its font slot.
  void BindNamePlate(uint32_t plateHandle, uint8_t fontSlot);
  void BindSkipButton(uint32_t buttonHandle);
  // Takes the typing task and the wait cursor off the timer list.
  void StopTasks();
  // Resets the page with a redraw and hides the name plate.
  void ClearText();
  // Null: the control host's input.
  void SetInput(GameDrawableInput* input) { input_ = input; }

  // --- what the task uses ----------------------------------------------------------------
  MarkupTextBase* Text() const { return text_; }
  GameDrawableInput& Input();
  WindowControl* NamePlate() const;
  CheckButtonBase* SkipButton() const;
  bool IsSkipModeOn() const;
  // Starts the wait cursor after the text, unless it shows already.
  void ShowWaitCursor(uint32_t now);
  // Puts back what lay under the wait cursor and stops it.
  void HideWaitCursor();
  bool IsWaitCursorShown() const { return waitCursorShown_; }
  // The player asks for the next step: the window shows, and action 19 or
  // 4 or a left click off the buttons was newly pressed.
  bool AdvanceRequested();
  // The name and the field from components 1 and 2 of the page.
  void ShowName(const std::string& name);
  void SetField(const std::string& field) { field_ = field; }
  const std::string& Field() const { return field_; }
  // Scrolls the page by the value plus one line; the first scroll of a page
  // keeps the offset it replaces.
  void ScrollTo(int32_t offset);
  int32_t ScrollOffset() const { return scrollOffset_; }

  // --- state ---------------------------------------------------------------------------------
  GameDrawableTask* Task() const;
  bool HasWaitCursor() const { return waitCursor_ != nullptr; }
  bool IsNamePlateShown() const { return namePlateShown_; }
  uint8_t autoAdvance = 1;
  // Set when the skip key or the skip mode showed a page at once; native
  // 777 takes it.
  uint8_t skipKeyMark = 0;

 private:
  int AddDirty(const Rect* rect) override;
  // The strip of the frames description, or null.
  Surface* WaitCursorImage() const;
  bool MakeTask();

  MarkupTextBase* text_;
  TimerList* timers_;
  ControlFactory* factory_;
  GameDrawableInput* input_ = nullptr;
  TimedTask* task_ = nullptr;
  TimedTask* waitCursor_ = nullptr;
  WaitCursorFrames frames_;
  bool waitCursorShown_ = false;
  std::string field_;
  bool namePlateShown_ = false;
  uint32_t namePlate_ = 0;
  uint8_t namePlateSlot_ = 0;
  uint32_t skipButton_ = 0;
  int32_t scrollOffset_ = 0;
};

// Makes a drawable through the factory the way a window is made (the
// window's creation values), with the text and timer list it types with.
// 0 and *out; -2 without memory; else the window's creation code.
int32_t CreateGameDrawable(ControlFactory& factory, GameDrawable** out, MarkupTextBase* text, TimerList* timers,
                           int32_t x, int32_t y, int32_t width, int32_t height, uint8_t backgroundMode,
                           uint32_t backgroundRgb, uint8_t backgroundAlpha, Font* font, Font* rubyFont,
                           int32_t order);

// Deletes the run's message windows that type the text (when the host
// that owns the text goes before the controls do).
void DeleteGameDrawablesOf(const MarkupTextBase* text);

}  // namespace orrivel
