#pragma once
// The editing half of the text entry control (kind 3): a CP932 string
// edited in place, one line or several separated by line feeds, with a
// caret that moves, inserts and deletes whole characters only. It takes the
// typed keys and characters the text-input hook hands the focused control,
// scrolls a single line so that the caret stays in view, and works the
// input method and the pointer as the focus comes and goes. How the box,
// the caret and the composition look is the derived class's.
//
// Geometry is kept in the writing direction: "along" is x in horizontal
// writing and y in vertical writing, "across" the other axis. Vertical
// lines run from the right edge of the box to the left.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/Control.h"
#include "text/Font.h"

namespace orrivel {

class Font;
class ImeContext;
class ImeModeIndicatorBase;

class TextBufferControl : public Control {
 public:
  static constexpr int32_t kDefaultMaxLength = 255;
  static constexpr int32_t kDefaultSize = 16;
  static constexpr uint32_t kDefaultCompositionColour = 0x0000FF;
  static constexpr uint32_t kDefaultCompositionBackColour = 0xFFFFFF;
  static constexpr uint32_t kDefaultFillColour = 0xC0C0DCC0;
  // The host's cursor kinds over the box.
  static constexpr int32_t kCursorHorizontal = 4, kCursorVertical = 5;
  // Typed bytes with a meaning of their own.
  static constexpr uint8_t kBackspace = 8, kTab = 9, kLineFeed = 10, kEnter = 13, kEscape = 27;

  ~TextBufferControl() override = default;

  int32_t GetKind() const override { return kControlTextEntry; }
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;
  bool TakeKey(uint8_t virtualKey) override { return OnKey(virtualKey); }
  bool TakeCharacters(const char* bytes, int32_t count) override { return OnChars(bytes, count); }

  // Typed input: true when something was done. Enter gives up the focus.
  bool OnChars(const char* bytes, int32_t count);
  bool OnKey(uint8_t virtualKey);

  virtual void Release();
  virtual void RedrawText() = 0;
  virtual void DrawComposition() = 0;
  virtual void PlaceCaret() = 0;
  virtual void ShowCaret() = 0;
  virtual void HideCaretSprite() = 0;

  // 1 once the buffer exists (the limit is fixed at creation); 0.
  int32_t SetMaxLength(int32_t bytes);
  // A size <= 0 or a colour of -1 leaves that value.
  void SetStyle(int32_t size, int32_t compositionColour, int32_t compositionBackColour);
  void SetImeIndicator(ImeModeIndicatorBase* indicator) { imeIndicator_ = indicator; }
  void SetImeContext(ImeContext* ime) { ime_ = ime; }
  // Copies the text, cut to the target's size on a character boundary. 1 no
  // buffer or no target.
  int32_t GetText(char* target, size_t targetSize) const;
  const char* Text() const { return buffer_ ? buffer_.get() : ""; }
  // Setting it while focused gives up the focus.
  void SetReadOnly(bool on);
  // 1 without a buffer.
  int32_t Clear();
  // At most maxLength bytes, never half a character; caret, line and
  // scroll back at the start. 1 no buffer or no text.
  int32_t SetText(const char* text);

  // Options of the box.
  void SetImeOnFocus(bool on) { imeOnFocus_ = on; }
  void SetImeWanted(bool on) { imeWanted_ = on; }
  void SetHoverFocus(bool on) { hoverFocus_ = on; }
  void SetFillColour(uint32_t argb) { fillColour_ = argb; }
  void SetTextColour(uint32_t rgb) { textColour_ = rgb & 0xFFFFFF; }

  int32_t GetLength() const { return length_; }
  int32_t GetMaxLength() const { return maxLength_; }
  int32_t GetCaret() const { return caret_; }
  int32_t GetCaretLine() const { return caretLine_; }
  int32_t GetScrollStart() const { return scrollStart_; }
  int32_t GetLineCount() const { return lineCount_; }
  int32_t GetMaxLines() const { return maxLines_; }
  bool IsVertical() const { return vertical_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsPointerHidden() const { return pointerHidden_; }
  int32_t BoxWidth() const { return boxWidth_; }
  int32_t BoxHeight() const { return boxHeight_; }
  int32_t Inset() const { return inset_; }
  bool HasBorder() const { return border_; }
  uint32_t FillColour() const { return fillColour_; }
  uint32_t TextColour() const { return textColour_; }
  uint32_t CompositionColour() const { return compositionColour_; }
  uint32_t CompositionBackColour() const { return compositionBackColour_; }
  int32_t StyleSize() const { return size_; }

  // Signed byte distance of n character steps from a position: forwards
  // over whole characters up to the terminator, backwards by the odd-run
  // rule (two bytes when the byte two before starts an odd run of
  // lead-range bytes), never before the start.
  int32_t CharStep(int32_t position, int32_t n) const;
  // The pixel length of the text between two positions in the writing
  // direction.
  int32_t TextLength(int32_t from, int32_t to) const;

 protected:
  TextBufferControl() = default;

  // Makes the buffer and takes the creation values; false when there is
  // no memory.
  bool InitBuffer(Font* font, int32_t maxLines, int32_t inset, int32_t lineGap, bool border);
  // Space for text in the writing direction, and the line pitch.
  int32_t AlongSpace() const;
  int32_t LinePitch() const;
  // Where a line's cell starts across the box (inside the box).
  int32_t LineAcross(int32_t line) const;
  // The caret's place inside the box: along and across its line.
  int32_t CaretAlong() const;
  // The bytes of one character as the font draws it literally.
  std::string CharacterText(int32_t position) const;
  int32_t LineStart(int32_t line) const;
  int32_t LineEnd(int32_t line) const;
  // After an edit or a move: the view follows the caret, and the text and
  // the caret are drawn again.
  void AfterEdit();
  // While focused, typing hides the pointer (once) and any tooltip.
  void HidePointerForTyping();
  void ShowPointerAgain();

  // The script's font; one deleted under the control leaves it with none.
  WeakLink<Font> font_;

  int32_t size_ = kDefaultSize;
  uint32_t compositionColour_ = kDefaultCompositionColour;
  uint32_t compositionBackColour_ = kDefaultCompositionBackColour;
  ImeModeIndicatorBase* imeIndicator_ = nullptr;
  ImeContext* ime_ = nullptr;
  int32_t boxWidth_ = 0, boxHeight_ = 0;
  int32_t inset_ = 0;
  int32_t lineGap_ = 0;
  std::unique_ptr<char[]> buffer_;
  int32_t length_ = 0;
  int32_t maxLines_ = 0;
  std::vector<int32_t> lineTable_;  // where each line starts (multi-line)
  int32_t lineCount_ = 1;
  int32_t caretLine_ = 0;
  int32_t caret_ = 0;
  int32_t scrollStart_ = 0;
  uint32_t fillColour_ = kDefaultFillColour;
  uint32_t textColour_ = 0;
  int32_t maxLength_ = kDefaultMaxLength;
  bool border_ = false;
  bool vertical_ = false;
  bool imeOnFocus_ = false;
  bool hoverFocus_ = true;
  bool readOnly_ = false;
  bool focusFromMouse_ = false;
  bool pointerHidden_ = false;
  bool imeWanted_ = false;
  bool imeOpenedHere_ = false;

 private:
  bool InsertAtCaret(const char* bytes, int32_t count, int32_t limit);
  void DeleteAt(int32_t position, int32_t count);
  void RebuildLines();
  void UpdateCaretLine();
  void ScrollToCaret();
  // The position nearest to a pixel offset along a stretch of text: after
  // the character whose right edge first reaches it, before it when the
  // offset lies in its first half.
  int32_t PositionNear(int32_t from, int32_t to, int32_t along) const;
  void MoveToLine(int32_t line);
  void TakeFocus();
};

}  // namespace orrivel
