#include "scene/TextBufferControl.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/ActionMap.h"
#include "base/Cp932.h"
#include "base/ImeContext.h"
#include "base/InputDevice.h"
#include "platform/Messages.h"
#include "scene/ControlHost.h"
#include "scene/ImeModeIndicator.h"
#include "text/Font.h"

namespace orrivel {
namespace {

constexpr uint8_t kPointerButton = 0;

bool IsControlByte(uint8_t byte) { return byte < 0x20 || byte == 0x7F; }

}  // namespace

// --- creation and plain values ----------------------------------------------------------

bool TextBufferControl::InitBuffer(Font* font, int32_t maxLines, int32_t inset, int32_t lineGap, bool border) {
  buffer_.reset(new (std::nothrow) char[size_t(maxLength_) + 1]);
  if (!buffer_) return false;
  buffer_[0] = '\0';
  length_ = caret_ = caretLine_ = scrollStart_ = 0;
  font_ = font;
  maxLines_ = maxLines;
  inset_ = inset;
  lineGap_ = lineGap;
  border_ = border;
  vertical_ = font->Logical().escapement == 2700;
  RebuildLines();
  return true;
}

void TextBufferControl::Release() {
  buffer_.reset();
  length_ = caret_ = caretLine_ = scrollStart_ = 0;
  lineTable_.clear();
  lineCount_ = 1;
  font_ = nullptr;
}

int32_t TextBufferControl::SetMaxLength(int32_t bytes) {
  if (buffer_) return 1;
  if (bytes > 0) maxLength_ = bytes;
  return 0;
}

void TextBufferControl::SetStyle(int32_t size, int32_t compositionColour, int32_t compositionBackColour) {
  if (size > 0) size_ = size;
  if (compositionColour != -1) compositionColour_ = uint32_t(compositionColour) & 0xFFFFFF;
  if (compositionBackColour != -1) compositionBackColour_ = uint32_t(compositionBackColour) & 0xFFFFFF;
}

int32_t TextBufferControl::GetText(char* target, size_t targetSize) const {
  if (!buffer_ || target == nullptr || targetSize == 0) return 1;
  size_t n = 0;
  while (n < size_t(length_)) {
    const size_t step = cp932::CharLength(std::string_view(buffer_.get(), size_t(length_)), n);
    if (n + step >= targetSize) break;
    n += step;
  }
  std::memcpy(target, buffer_.get(), n);
  target[n] = '\0';
  return 0;
}

void TextBufferControl::SetReadOnly(bool on) {
  readOnly_ = on;
  if (on && GetHost() != nullptr && GetHost()->IsFocused(this)) GetHost()->SetFocus(nullptr);
}

int32_t TextBufferControl::Clear() {
  if (!buffer_) return 1;
  buffer_[0] = '\0';
  length_ = caret_ = caretLine_ = scrollStart_ = 0;
  RebuildLines();
  RedrawText();
  PlaceCaret();
  return 0;
}

int32_t TextBufferControl::SetText(const char* text) {
  if (!buffer_ || text == nullptr) return 1;
  // Whole characters only: a pair that would end past the limit is left
  // out rather than cut in half.
  const std::string_view source(text);
  size_t n = 0;
  while (n < source.size()) {
    const size_t step = cp932::CharLength(source, n);
    if (n + step > size_t(maxLength_)) break;
    n += step;
  }
  std::memcpy(buffer_.get(), text, n);
  buffer_[n] = '\0';
  length_ = int32_t(n);
  caret_ = caretLine_ = scrollStart_ = 0;
  RebuildLines();
  RedrawText();
  PlaceCaret();
  return 0;
}

// --- characters and lines ----------------------------------------------------------------

int32_t TextBufferControl::CharStep(int32_t position, int32_t n) const {
  if (!buffer_) return 0;
  const char* text = buffer_.get();
  int32_t pos = position;
  for (; n > 0 && pos < length_; --n) pos += cp932::IsLeadByte(text[pos]) && pos + 1 < length_ ? 2 : 1;
  for (; n < 0 && pos > 0; ++n) {
    int32_t run = 0;
    for (int32_t i = pos - 2; i >= 0 && cp932::IsLeadByte(text[i]); --i) ++run;
    pos -= run % 2 == 1 ? 2 : 1;
  }
  return pos - position;
}

std::string TextBufferControl::CharacterText(int32_t position) const {
  const char* text = buffer_.get() + position;
  if (text[0] == '@') return "@@";  // typed text has no picture glyphs
  return std::string(text, size_t(CharStep(position, 1)));
}

int32_t TextBufferControl::TextLength(int32_t from, int32_t to) const {
  if (font_ == nullptr || !buffer_) return 0;
  int32_t total = 0;
  for (int32_t pos = from; pos < to;) {
    const int32_t step = CharStep(pos, 1);
    if (step <= 0) break;
    if (buffer_[pos] != '\n') {
      Size size{};
      font_->MeasureText(CharacterText(pos).c_str(), &size, nullptr, nullptr, false, nullptr);
      total += size.width;
    }
    pos += step;
  }
  return total;
}

void TextBufferControl::RebuildLines() {
  lineTable_.assign(1, 0);
  if (maxLines_ > 0 && buffer_) {
    for (int32_t pos = 0; pos < length_; pos += CharStep(pos, 1))
      if (buffer_[pos] == '\n') lineTable_.push_back(pos + 1);
  }
  lineCount_ = int32_t(lineTable_.size());
  UpdateCaretLine();
}

void TextBufferControl::UpdateCaretLine() {
  caretLine_ = 0;
  while (caretLine_ + 1 < lineCount_ && lineTable_[size_t(caretLine_) + 1] <= caret_) ++caretLine_;
  if (maxLines_ > 0) scrollStart_ = caret_ - LineStart(caretLine_);
}

int32_t TextBufferControl::LineStart(int32_t line) const { return lineTable_[size_t(line)]; }

int32_t TextBufferControl::LineEnd(int32_t line) const {
  return line + 1 < lineCount_ ? lineTable_[size_t(line) + 1] - 1 : length_;
}

int32_t TextBufferControl::AlongSpace() const {
  return (vertical_ ? boxHeight_ : boxWidth_) - 2 * inset_ - 2 * (border_ ? 1 : 0);
}

int32_t TextBufferControl::LinePitch() const { return (font_ ? font_->PixelHeight() : 0) + lineGap_; }

int32_t TextBufferControl::LineAcross(int32_t line) const {
  const int32_t edge = inset_ + (border_ ? 1 : 0);
  if (!vertical_) return edge + line * LinePitch();
  return boxWidth_ - edge - (font_ ? font_->PixelHeight() : 0) - line * LinePitch();
}

int32_t TextBufferControl::CaretAlong() const {
  const int32_t from = maxLines_ > 0 ? LineStart(caretLine_) : scrollStart_;
  return inset_ + (border_ ? 1 : 0) + TextLength(from, caret_);
}

int32_t TextBufferControl::PositionNear(int32_t from, int32_t to, int32_t along) const {
  int32_t edge = 0;
  for (int32_t pos = from; pos < to;) {
    const int32_t step = CharStep(pos, 1);
    const int32_t width = TextLength(pos, pos + step);
    if (edge + width >= along) return along < edge + width / 2 ? pos : pos + step;
    edge += width;
    pos += step;
  }
  return to;
}

// --- editing -----------------------------------------------------------------------------

bool TextBufferControl::InsertAtCaret(const char* bytes, int32_t count, int32_t limit) {
  // Below the limit with one byte to spare for the second half of a pair.
  if (length_ + count - 1 >= limit) return false;
  std::memmove(buffer_.get() + caret_ + count, buffer_.get() + caret_, size_t(length_ - caret_) + 1);
  std::memcpy(buffer_.get() + caret_, bytes, size_t(count));
  length_ += count;
  caret_ += count;
  return true;
}

void TextBufferControl::DeleteAt(int32_t position, int32_t count) {
  std::memmove(buffer_.get() + position, buffer_.get() + position + count, size_t(length_ - position - count) + 1);
  length_ -= count;
}

bool TextBufferControl::OnChars(const char* bytes, int32_t count) {
  if (!buffer_ || bytes == nullptr || count <= 0) return false;
  // Multi-line boxes keep room for their line feeds.
  const int32_t limit = maxLength_ - (maxLines_ > 0 ? maxLines_ : 0);
  bool changed = false;
  bool handled = false;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t byte = uint8_t(bytes[i]);
    if (byte == kEnter) {
      if (changed) {
        AfterEdit();
        HidePointerForTyping();
      }
      if (ControlHost* host = GetHost()) {
        if (host->FocusNext() != 0) host->SetFocus(nullptr);
      }
      return true;
    }
    if (byte == kTab || byte == kEscape || readOnly_) continue;
    if (byte == kBackspace) {
      const int32_t step = -CharStep(caret_, -1);
      if (step > 0) {
        caret_ -= step;
        DeleteAt(caret_, step);
        if (maxLines_ > 0) RebuildLines();
        changed = true;
      }
      handled = true;
      continue;
    }
    if (byte == kLineFeed) {
      // Line feeds use the room kept for them.
      if (maxLines_ > 0 && lineCount_ < maxLines_) {
        if (!InsertAtCaret("\n", 1, maxLength_)) break;
        RebuildLines();
        changed = true;
      }
      handled = true;
      continue;
    }
    if (cp932::IsLeadByte(byte)) {
      if (i + 1 >= count) break;  // half a character: nothing to insert
      if (bytes[i + 1] == '\0') {      // no trail byte: the text ends at a NUL
        ++i;
        continue;
      }
      if (!InsertAtCaret(bytes + i, 2, limit)) break;
      ++i;
      changed = handled = true;
      continue;
    }
    // A box that opens the input method takes its text from it only.
    if (imeOnFocus_ || IsControlByte(byte)) continue;
    if (!InsertAtCaret(bytes + i, 1, limit)) break;
    changed = handled = true;
  }
  if (changed) {
    AfterEdit();
    HidePointerForTyping();
  }
  return handled || changed;
}

bool TextBufferControl::OnKey(uint8_t virtualKey) {
  if (!buffer_) return false;
  using namespace platform;
  const bool multi = maxLines_ > 0;
  const uint8_t back = vertical_ ? VK_UP : VK_LEFT, forward = vertical_ ? VK_DOWN : VK_RIGHT;
  // The keys across the lines: horizontal lines go down the box, vertical
  // ones leftwards.
  const uint8_t previousLine = vertical_ ? VK_RIGHT : VK_UP, nextLine = vertical_ ? VK_LEFT : VK_DOWN;
  if (virtualKey == back) {
    caret_ += CharStep(caret_, -1);
  } else if (virtualKey == forward) {
    caret_ += CharStep(caret_, 1);
  } else if (multi && virtualKey == previousLine) {
    MoveToLine(caretLine_ - 1);
  } else if (multi && virtualKey == nextLine) {
    MoveToLine(caretLine_ + 1);
  } else if (virtualKey == VK_END) {
    caret_ = length_;
  } else if (virtualKey == VK_HOME) {
    caret_ = 0;
  } else if (virtualKey == VK_DELETE) {
    if (readOnly_) return true;
    const int32_t step = CharStep(caret_, 1);
    if (step > 0) {
      DeleteAt(caret_, step);
      if (multi) RebuildLines();
    }
  } else {
    return false;
  }
  UpdateCaretLine();
  AfterEdit();
  HidePointerForTyping();
  return true;
}

void TextBufferControl::MoveToLine(int32_t line) {
  if (line < 0 || line >= lineCount_) return;
  const int32_t along = TextLength(LineStart(caretLine_), caret_);
  caret_ = PositionNear(LineStart(line), LineEnd(line), along);
  caretLine_ = line;
}

void TextBufferControl::ScrollToCaret() {
  const int32_t space = AlongSpace();
  if (caret_ == length_) {
    // At the end: show as much of the text before the caret as fits.
    while (scrollStart_ > 0) {
      const int32_t earlier = scrollStart_ + CharStep(scrollStart_, -1);
      if (TextLength(earlier, caret_) > space) break;
      scrollStart_ = earlier;
    }
  } else {
    while (caret_ < scrollStart_) scrollStart_ += CharStep(scrollStart_, -1);
  }
  while (scrollStart_ < caret_ && TextLength(scrollStart_, caret_) > space) scrollStart_ += CharStep(scrollStart_, 1);
}

void TextBufferControl::AfterEdit() {
  if (maxLines_ > 0) {
    UpdateCaretLine();
  } else {
    ScrollToCaret();
  }
  RedrawText();
  PlaceCaret();
}

void TextBufferControl::HidePointerForTyping() {
  ControlHost* host = GetHost();
  if (host != nullptr && host->IsFocused(this)) {
    if (!pointerHidden_) {
      host->ApplyCursorState(0);
      pointerHidden_ = true;
    }
    host->HideTooltip();
  }
}

// --- pointer and focus -------------------------------------------------------------------

void TextBufferControl::ShowPointerAgain() {
  if (!pointerHidden_) return;
  pointerHidden_ = false;
  if (GetHost() != nullptr) GetHost()->ApplyCursorState(1);
}

void TextBufferControl::TakeFocus() {
  ControlHost* host = GetHost();
  if (host == nullptr || host->IsFocused(this)) return;
  focusFromMouse_ = true;
  if (host->SetFocus(this) != 0) focusFromMouse_ = false;
}

bool TextBufferControl::HitTest(int32_t x, int32_t y) {
  if (!buffer_ || !IsVisible()) return false;
  const int32_t left = GetX(), top = GetY();
  if (x < left || y < top || x >= left + boxWidth_ || y >= top + boxHeight_) return false;
  if (ControlHost* host = GetHost()) {
    host->SetCursorKind(vertical_ ? kCursorVertical : kCursorHorizontal);
    if (hoverFocus_ && !readOnly_) TakeFocus();
  }
  return true;
}

void TextBufferControl::OnPointerMove(int32_t, int32_t) { ShowPointerAgain(); }

void TextBufferControl::OnPointerLeave() {
  ShowPointerAgain();
  if (!focusFromMouse_ && GetHost() != nullptr) GetHost()->SetCursorKind(0);
}

bool TextBufferControl::OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) {
  if (!buffer_ || pointer == nullptr || !pointer->IsPressed(kPointerButton) || readOnly_) return false;
  TakeFocus();
  const int32_t along = (vertical_ ? y : x) - inset_ - (border_ ? 1 : 0);
  if (maxLines_ > 0) {
    const int32_t pitch = std::max(LinePitch(), 1);
    const int32_t across = vertical_ ? LineAcross(0) + (font_ ? font_->PixelHeight() : 0) - x
                                     : y - inset_ - (border_ ? 1 : 0);
    const int32_t line = std::clamp(across / pitch, 0, lineCount_ - 1);
    caret_ = PositionNear(LineStart(line), LineEnd(line), along);
  } else {
    caret_ = PositionNear(scrollStart_, length_, along);
  }
  UpdateCaretLine();
  AfterEdit();
  return true;
}

void TextBufferControl::OnFocusGained(Control*, int32_t) {
  ControlHost* host = GetHost();
  if (host != nullptr && (imeOnFocus_ || imeWanted_) && ime_ != nullptr && !ime_->GetOpen()) {
    host->PostWindowCommand(1);
    imeOpenedHere_ = true;
  }
  if (imeIndicator_ != nullptr) {
    imeIndicator_->SetVisible(true);
    imeIndicator_->Draw();
  }
  if (host != nullptr && !focusFromMouse_)
    host->SetPointerPos(GetX() + boxWidth_ / 2, GetY() + boxHeight_ / 2);
  ShowCaret();
}

void TextBufferControl::OnFocusLost(Control*) {
  if (imeIndicator_ != nullptr) imeIndicator_->SetVisible(false);
  HideCaretSprite();
  if (imeOpenedHere_ && GetHost() != nullptr) GetHost()->PostWindowCommand(0);
  imeOpenedHere_ = false;
  focusFromMouse_ = false;
  ShowPointerAgain();
}

bool TextBufferControl::Update(ActionMap* actions) {
  if (imeIndicator_ != nullptr) imeIndicator_->Draw();
  DrawComposition();
  if (actions == nullptr) return false;
  // The arrows of the writing direction edit; so do the others in a box of
  // several lines. Taking them keeps the host from moving the focus.
  const bool multi = maxLines_ > 0;
  const bool along = vertical_ ? (actions->IsPressed(kNeighbourUp) || actions->IsPressed(kNeighbourDown))
                               : (actions->IsPressed(kNeighbourLeft) || actions->IsPressed(kNeighbourRight));
  const bool across = vertical_ ? (actions->IsPressed(kNeighbourLeft) || actions->IsPressed(kNeighbourRight))
                                : (actions->IsPressed(kNeighbourUp) || actions->IsPressed(kNeighbourDown));
  return along || (multi && across);
}

}  // namespace orrivel
