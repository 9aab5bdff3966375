#pragma once
// The behaviour of the list of selectable text lines (the game's choice
// menu): the line records, the colours and margins the pictures are drawn
// with, the memory of choices made before, and all input: which line is
// hovered, how the pointer and the keys move the hover, how a line is
// pressed and activated, and what is reported to the host and to the
// script's variables. How lines look and where they lie is the derived
// list's (TextListControl).
//
// Main thread only.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "scene/Control.h"
#include "scene/ControlSound.h"
#include "text/Font.h"
#include "script/ScriptCell.h"

namespace orrivel {

class BitArray;
class Font;

// One line's record. A line that differs from the defaults in nothing has
// no record: an enabled line without text whose value is its index.
struct TextListLine {
  virtual ~TextListLine() = default;
  std::string text;
  bool disabled = false;
  // Reported on activation and the bit tested in the choice memory;
  // negative: the line's index.
  int32_t value = -1;
  std::string target;
  int32_t targetNumber = -1;  // -1: not given
  std::string targetLabel;
  ScriptCell activatedFlag;  // 1 on activation
  ScriptCell hoverFlag;      // 1 while hovered
  ScriptCell idleFlag;       // 0 while hovered
  std::string hoverText;
};

// What AppendRecord and AddLine take.
struct TextListLineArgs {
  const char* text = nullptr;
  bool disabled = false;
  int32_t value = -1;
  const char* target = nullptr;
  int32_t targetNumber = -1;
  const char* targetLabel = nullptr;
  const char* hoverText = nullptr;
  ScriptCell activatedFlag;
  ScriptCell hoverFlag;
  ScriptCell idleFlag;
};

class TextListControlBase : public Control {
 public:
  enum PressState : uint8_t { kIdle = 0, kHovered = 1, kPressed = 2 };
  // Cursor kinds asked of the host.
  static constexpr int32_t kCursorNone = 0, kCursorLine = 1, kCursorDrag = 3;
  static constexpr uint32_t kPressDelayMs = 100;
  static constexpr uint32_t kActionDecide = 4;
  static constexpr uint8_t kPointerButton = 0;
  // How far the pointer must move before a resting pointer hovers lines.
  static constexpr int32_t kIdleSlack = 3;

  ~TextListControlBase() override;
  int32_t GetKind() const override { return kControlTextList; }

  // --- input (the host's calls) --------------------------------------------------
  // Coordinates relative to the list's top-left corner.
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // --- the list's operations ---------------------------------------------------------
  void ClearRecords();
  // bits borrowed; out receives the value of the activated line.
  void SetChoiceMemory(BitArray* bits, int32_t base, ScriptCell out);
  // 1 when other is null.
  int32_t CopyChoiceMemory(const TextListControlBase* other);
  // A name sets its number to 0.
  void SetSounds(const char* activate, const char* hover, const char* leave, int32_t activateNumber,
                 int32_t hoverNumber, int32_t leaveNumber);
  void SetColours(uint32_t normal, uint32_t chosen, uint32_t hover, uint32_t disabled);
  void SetGradients(uint32_t normalTop, uint32_t normalBottom, uint32_t chosenTop, uint32_t chosenBottom,
                    uint32_t hoverTop, uint32_t hoverBottom, uint32_t disabledTop, uint32_t disabledBottom);
  void SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void CancelDrag() { dragging_ = false; }
  void SetLocked(bool locked) { locked_ = locked; }
  // The font of the lines added from now on.
  void SetFont(Font* font) { font_ = font; }
  // Appends the line's record and unlocks the list; the pointer must move
  // before it hovers a line. 0.
  int32_t AppendRecord(const TextListLineArgs& args);
  // Reports the line (an index out of range reports only the tag and the
  // sound) and locks the list. True.
  bool Activate(int32_t index);
  // The hover moved by keys.
  bool HoverLine(int32_t index);
  // False for an index out of range.
  bool EnterLine(int32_t index);
  void LeaveLine(int32_t index);

  // --- what the derived list answers ------------------------------------------------
  // State 0 normal, 1 hover, 2 pressed.
  virtual void ShowLineCell(int32_t index, uint8_t state) = 0;
  // 1 and the point keys move the pointer to; 0 out of range.
  virtual int32_t GetLineCentre(int32_t index, int32_t* x, int32_t* y) const = 0;
  // List coordinates; the selectable line there, or -1.
  virtual int32_t LineAt(int32_t x, int32_t y) const = 0;
  // List coordinates; on the frame and opaque enough to start a drag.
  virtual bool HitFrame(int32_t x, int32_t y) const = 0;

  // --- state ------------------------------------------------------------------------------
  int32_t LineCount() const { return int32_t(lines_.size()); }
  // Null for a line without a record or out of range.
  const TextListLine* Record(int32_t index) const;
  bool IsLineDisabled(int32_t index) const;
  // The value a line reports: its record's value, else its index.
  int32_t ValueOf(int32_t index) const;
  bool IsChosen(int32_t index) const { return IsValueChosen(ValueOf(index)); }
  // The choice memory holds the value's bit (and chosen lines are marked).
  bool IsValueChosen(int32_t value) const;
  int32_t GetHovered() const { return hovered_; }
  uint8_t GetPressState() const { return pressState_; }
  bool IsLocked() const { return locked_; }
  bool IsPointerIdle() const { return pointerIdle_; }
  bool IsDragging() const { return dragging_; }
  const char* GetHoverText() const { return hoverText_; }
  Font* GetFont() const { return font_.Get(); }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }

  // Fields the owner writes directly before lines are added.
  int32_t textOffsetX = 2, textOffsetY = 2;
  int32_t pressOffsetX = 0, pressOffsetY = 0;
  // Fill of the hover and pressed cells: 0 none, 1 highlight RGB with the
  // background alpha, 2 highlight ARGB as stored, 3 the inverse of the
  // background RGB with the background alpha.
  uint8_t highlightMode = 1;
  uint32_t highlightColour = 0x80000080;
  uint8_t markChosen = 1;
  // 0: no drag; else the least frame alpha that starts one.
  uint8_t dragAlpha = 0;

 protected:
  TextListControlBase() = default;
  ControlHost* Host() const { return GetHost(); }
  // Null for a line that needs no record (or when memory runs out).
  static std::unique_ptr<TextListLine> MakeRecord(const TextListLineArgs& args);
  void AppendMadeRecord(std::unique_ptr<TextListLine> record);
  // Drops the hover the host holds on the list, with its tooltip.
  void DropHostHover();
  // The first enabled line from the top (forward) or from the bottom.
  int32_t FirstEnabled(bool forward) const;
  void SetCursor(int32_t kind);
  // Wraps to the list's own first or last line when the host cannot move
  // the focus on.
  void EnterFromKeys(bool forward);
  void MoveHoverByKey(bool down);

  // The script's font: one deleted under the list leaves it with none.
  WeakLink<Font> font_;

  int32_t anchorX_ = 0, anchorY_ = 0;
  int32_t lineSpacing_ = 0;
  int32_t width_ = 0, height_ = 0;
  uint32_t backColour_ = 0;
  uint8_t backAlpha_ = 128;
  uint8_t frameMode_ = 1;
  int32_t marginLeft_ = 8, marginTop_ = 2, marginRight_ = 8, marginBottom_ = 2;
  bool hasPressedCell_ = false;
  bool hasDisabledCell_ = false;
  uint32_t normalColour_ = 0xFFFFFF, chosenColour_ = 0x8FDFDF, hoverColour_ = 0xFFF000;
  uint32_t disabledColour_ = 0x909090;
  uint32_t normalGradient_[2] = {0xFFEB00, 0xFF4646};
  uint32_t chosenGradient_[2] = {0x00FFEB, 0x26DD26};
  uint32_t hoverGradient_[2] = {0xFFFF46, 0xFF9292};
  uint32_t disabledGradient_[2] = {0xB0B0B0, 0x595959};
  std::deque<std::unique_ptr<TextListLine>> lines_;
  BitArray* choiceMemory_ = nullptr;
  int32_t choiceBase_ = 0;
  ScriptCell choiceOut_;

 private:
  const char* hoverText_ = nullptr;
  bool dragging_ = false;
  bool locked_ = false;
  bool pointerIdle_ = false;
  int32_t dragOriginX_ = 0, dragOriginY_ = 0;
  int32_t hovered_ = -1;
  uint8_t pressState_ = kIdle;
  int32_t idleOriginX_ = 0, idleOriginY_ = 0;
  uint32_t pressDeadline_ = 0;
  // Activate, hover, leave.
  ControlSound sounds_[3];
};

}  // namespace orrivel
