#pragma once
// The text entry box scripts create: the editing of TextBufferControl shown
// through three sprites on a SpriteList. The box's surface holds the fill,
// an optional bevelled frame and the visible text; a thin caret sprite
// blinks every 500 ms on a timer list while the box has the focus; and an
// overlay above the text shows what the input method is composing, at the
// caret, with the clause that holds the composition cursor in reversed
// colours.
#include <cstdint>
#include <string>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/TextBufferControl.h"

namespace orrivel {

class TimedTask;
class TimerList;

class TextEntryControl : public TextBufferControl {
 public:
  // The bevel of a framed box: dark on the top and left edges, light on the
  // bottom and right ones.
  static constexpr uint32_t kBevelDark = 0x80000000;
  static constexpr uint32_t kBevelLight = 0x80FFFFFF;
  static constexpr int32_t kCaretThickness = 2;

  TextEntryControl() = default;
  // Leaves the host first, so that a focused box closes what it opened.
  ~TextEntryControl() override;

  int32_t GetX() const override { return textSprite_.GetX(); }
  int32_t GetY() const override { return textSprite_.GetY(); }
  int32_t GetWidth() const override { return boxWidth_; }
  int32_t GetHeight() const override { return boxHeight_; }
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  bool IsVisible() const override { return textSprite_.IsVisible(); }
  // 1 without a sprite list; 0.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override { textSprite_.SetOpacity(value); }
  uint8_t IsReady() const override { return textSprite_.GetOpacity(); }
  // Also takes the composition overlay away.
  void OnFocusLost(Control* next) override;

  void Release() override;
  void RedrawText() override;
  void DrawComposition() override;
  void PlaceCaret() override;
  void ShowCaret() override;
  void HideCaretSprite() override;

  // A single-line box `length` pixels long in the writing direction. 1 no
  // list or font, or a length <= 0; 2 a surface cannot be made. Vertical
  // when the font is turned by 2700 tenths of a degree. The timer list
  // blinks the caret (none: a steady caret).
  int32_t Create(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font, int32_t length, int32_t inset,
                 bool border, TimerList* timers, int32_t group);
  // A box of `lines` lines (at least 2), `lineGap` pixels apart.
  int32_t CreateAlt(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font, int32_t lines,
                    int32_t length, int32_t inset, int32_t lineGap, bool border, TimerList* timers, int32_t group);

  const ImageSprite& TextSprite() const { return textSprite_; }
  ImageSprite& TextSprite() { return textSprite_; }
  const ImageSprite& CaretSprite() const { return caretSprite_; }
  const ImageSprite& CompositionSprite() const { return compositionSprite_; }
  Surface& TextSurface() { return textSurface_; }
  Surface& CompositionSurface() { return compositionSurface_; }
  bool IsBlinking() const { return blinkTask_ != nullptr; }
  // The composition last drawn (CP932) and its highlighted bytes.
  const std::string& ShownComposition() const { return shownComposition_; }
  int32_t ClauseStart() const { return clauseStart_; }
  int32_t ClauseEnd() const { return clauseEnd_; }

 private:
  int32_t Build(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font, int32_t lines, int32_t length,
                int32_t inset, int32_t lineGap, bool border, TimerList* timers, int32_t group);
  void DrawBevel();
  // Draws one character with its cell's top-left at (along, across) inside
  // the surface, in whatever way the font is turned.
  void DrawCharacter(Surface* target, const std::string& text, int32_t along, int32_t across, int32_t width);
  // Screen point of a place inside the box.
  int32_t ScreenX(int32_t along, int32_t across) const { return GetX() + (vertical_ ? across : along); }
  int32_t ScreenY(int32_t along, int32_t across) const { return GetY() + (vertical_ ? along : across); }
  void FindCursorClause(int32_t cursor);
  bool DrawCompositionSurface();

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  Surface textSurface_;
  ImageSprite textSprite_;
  Surface caretSurface_;
  ImageSprite caretSprite_;
  Surface compositionSurface_;
  ImageSprite compositionSprite_;
  TimerList* timers_ = nullptr;
  TimedTask* blinkTask_ = nullptr;
  std::string shownComposition_;
  int32_t shownCursor_ = -1;
  int32_t clauseStart_ = 0;
  int32_t clauseEnd_ = 0;
  int32_t candidateX_ = 0, candidateY_ = 0;
};

}  // namespace orrivel
