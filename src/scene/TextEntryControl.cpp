#include "scene/TextEntryControl.h"

#include <algorithm>
#include <vector>

#include "base/Cp932.h"
#include "base/ImeContext.h"
#include "base/TimerList.h"
#include "raster/SpriteList.h"
#include "scene/CaretBlinkTask.h"
#include "scene/ControlHost.h"
#include "scene/FontColourScope.h"
#include "text/Font.h"

namespace orrivel {
namespace {

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFF); }

uint32_t EffectColourOf(const Font& font) {
  return uint32_t(font.effectRed) << 16 | uint32_t(font.effectGreen) << 8 | font.effectBlue;
}

void MarkShown(ImageSprite& sprite, Surface& surface) {
  Rect whole{0, 0, surface.GetWidth(), surface.GetHeight()};
  sprite.InvalidateSourceRect(&whole);
  sprite.SetChanged(1);
}

}  // namespace

TextEntryControl::~TextEntryControl() {
  if (GetHost() != nullptr) GetHost()->RemoveControl(this);
  Release();
}

// --- creation ------------------------------------------------------------------------------

int32_t TextEntryControl::Create(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font, int32_t length,
                                 int32_t inset, bool border, TimerList* timers, int32_t group) {
  return Build(list, order, x, y, font, 0, length, inset, 0, border, timers, group);
}

int32_t TextEntryControl::CreateAlt(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font,
                                    int32_t lines, int32_t length, int32_t inset, int32_t lineGap, bool border,
                                    TimerList* timers, int32_t group) {
  if (lines < 2) return 1;
  return Build(list, order, x, y, font, lines, length, inset, lineGap, border, timers, group);
}

int32_t TextEntryControl::Build(SpriteList* list, int32_t order, int32_t x, int32_t y, Font* font, int32_t lines,
                                int32_t length, int32_t inset, int32_t lineGap, bool border, TimerList* timers,
                                int32_t group) {
  if (list == nullptr || font == nullptr || length <= 0) return 1;
  Release();
  if (!InitBuffer(font, lines, std::max(inset, 0), lineGap, border)) return 2;
  const int32_t height = font->PixelHeight();
  // Worked out wide: a script's inset, gap or line count may be anything,
  // and a box that cannot be held is refused as one that cannot be made.
  const int64_t frame = 2 * (int64_t(inset_) + (border ? 1 : 0));
  const int64_t wideAcross =
      lines > 0 ? (int64_t(height) + lineGap) * (lines - 1) + height + frame : int64_t(height) + frame;
  if (wideAcross < 1 || wideAcross > INT32_MAX) {
    Release();
    return 2;
  }
  const int32_t across = int32_t(wideAcross);
  boxWidth_ = vertical_ ? across : length;
  boxHeight_ = vertical_ ? length : across;
  const int32_t caretWidth = vertical_ ? height : kCaretThickness;
  const int32_t caretHeight = vertical_ ? kCaretThickness : height;
  if (textSurface_.Create(boxWidth_, boxHeight_, 32, 0) != 0 || textSurface_.GetBits() == nullptr ||
      caretSurface_.Create(std::max(caretWidth, 1), std::max(caretHeight, 1), 32, 0) != 0 ||
      caretSurface_.GetBits() == nullptr) {
    Release();
    return 2;
  }
  textSurface_.SetHasAlpha(true);
  caretSurface_.FillRect(Opaque(textColour_), nullptr);
  textSurface_.FillRect(0, nullptr);
  if (border_) DrawBevel();
  RedrawText();
  if (textSprite_.SetImage(&textSurface_, nullptr, x, y) != 0 ||
      caretSprite_.SetImage(&caretSurface_, nullptr, x, y) != 0) {
    Release();
    return 2;
  }
  caretSprite_.SetVisible(0);
  compositionSprite_.SetVisible(0);
  spriteList_ = list;
  timers_ = timers;
  // The caret and the composition stand over the box: each goes in front
  // of the sprites of its order, and the list paints from the back.
  list->Add(&textSprite_, uint32_t(order), uint32_t(group));
  list->Add(&caretSprite_, uint32_t(order), uint32_t(group));
  order_ = order;
  group_ = group;
  PlaceCaret();
  return 0;
}

void TextEntryControl::Release() {
  HideCaretSprite();
  if (spriteList_ != nullptr) {
    spriteList_->Remove(&textSprite_);
    spriteList_->Remove(&caretSprite_);
    spriteList_->Remove(&compositionSprite_);
  }
  spriteList_ = nullptr;
  textSprite_.Reset();
  caretSprite_.Reset();
  compositionSprite_.Reset();
  textSurface_.FreeBuffers();
  caretSurface_.FreeBuffers();
  compositionSurface_.FreeBuffers();
  timers_ = nullptr;
  shownComposition_.clear();
  shownCursor_ = -1;
  boxWidth_ = boxHeight_ = 0;
  TextBufferControl::Release();
}

void TextEntryControl::DrawBevel() {
  const int32_t w = boxWidth_, h = boxHeight_;
  const Rect top{0, 0, w, 1}, left{0, 0, 1, h}, bottom{0, h - 1, w, h}, right{w - 1, 0, w, h};
  textSurface_.FillRect(kBevelDark, &top);
  textSurface_.FillRect(kBevelDark, &left);
  textSurface_.FillRect(kBevelLight, &bottom);
  textSurface_.FillRect(kBevelLight, &right);
}

// --- the control's sprites ---------------------------------------------------------------

void TextEntryControl::SetPosition(int32_t x, int32_t y) {
  textSprite_.SetPosition(x, y);
  PlaceCaret();
}

void TextEntryControl::SetVisible(bool show) {
  if (!show && GetHost() != nullptr) {
    if (GetHost()->IsFocused(this)) GetHost()->SetFocus(nullptr);
    if (GetHost()->IsHovered(this)) GetHost()->ClearHover();
  }
  textSprite_.SetVisible(show ? 1 : 0);
  if (!show) {
    HideCaretSprite();
    compositionSprite_.SetVisible(0);
  }
}

int32_t TextEntryControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr) return 1;
  if (spriteList_->Find(&textSprite_) != nullptr) {
    spriteList_->SetOrder(&textSprite_, uint32_t(order), option);
    spriteList_->SetOrder(&caretSprite_, uint32_t(order), option);
    if (spriteList_->Find(&compositionSprite_) != nullptr)
      spriteList_->SetOrder(&compositionSprite_, uint32_t(order), option);
  } else {
    spriteList_->Add(&textSprite_, uint32_t(order), uint32_t(group));
    spriteList_->Add(&caretSprite_, uint32_t(order), uint32_t(group));
    group_ = group;
  }
  order_ = order;
  return 0;
}

void TextEntryControl::OnFocusLost(Control* next) {
  TextBufferControl::OnFocusLost(next);
  compositionSprite_.SetVisible(0);
  shownComposition_.clear();
  shownCursor_ = -1;
}

// --- drawing ---------------------------------------------------------------------------------

void TextEntryControl::DrawCharacter(Surface* target, const std::string& text, int32_t along, int32_t across,
                                     int32_t width) {
  // Where the font puts the glyphs relative to its pen, so that the cell
  // lands at its place however the font is turned.
  Rect covered;
  font_->GetRotatedBounds(&covered, 0, 0, width, font_->PixelHeight());
  const int32_t left = vertical_ ? across : along, top = vertical_ ? along : across;
  font_->DrawText(target, left - covered.left, top - covered.top, text.c_str(), nullptr, nullptr);
}

void TextEntryControl::RedrawText() {
  if (font_ == nullptr || !buffer_ || textSurface_.GetBits() == nullptr) return;
  const int32_t frame = border_ ? 1 : 0;
  const Rect inner{frame, frame, boxWidth_ - frame, boxHeight_ - frame};
  textSurface_.FillRect(fillColour_, &inner);
  const int32_t first = inset_ + frame, end = first + AlongSpace();
  FontColourScope colours(*font_, textColour_, EffectColourOf(*font_));
  const int32_t lines = maxLines_ > 0 ? lineCount_ : 1;
  for (int32_t line = 0; line < lines; ++line) {
    int32_t along = first;
    const int32_t stop = maxLines_ > 0 ? LineEnd(line) : length_;
    for (int32_t pos = maxLines_ > 0 ? LineStart(line) : scrollStart_; pos < stop;) {
      const int32_t step = CharStep(pos, 1);
      const int32_t width = TextLength(pos, pos + step);
      if (along + width > end) break;
      DrawCharacter(&textSurface_, CharacterText(pos), along, LineAcross(line), width);
      along += width;
      pos += step;
    }
  }
  MarkShown(textSprite_, textSurface_);
}

void TextEntryControl::PlaceCaret() {
  if (!buffer_ || caretSurface_.GetBits() == nullptr) return;
  const int32_t along = CaretAlong(), across = LineAcross(maxLines_ > 0 ? caretLine_ : 0);
  caretSprite_.SetPosition(ScreenX(along, across), ScreenY(along, across));
}

void TextEntryControl::ShowCaret() {
  if (caretSurface_.GetBits() == nullptr) return;
  PlaceCaret();
  caretSprite_.SetVisible(1);
  if (timers_ == nullptr || blinkTask_ != nullptr) return;
  auto* task = new CaretBlinkTask(&caretSprite_);
  if (timers_->Add(task, CaretBlinkTask::kPeriodMs, CaretBlinkTask::kPeriodMs, 0) != 0) {
    delete task;
    return;
  }
  blinkTask_ = task;
  task->SetOwnerSlot(&blinkTask_);
}

void TextEntryControl::HideCaretSprite() {
  caretSprite_.SetVisible(0);
  // Stopping clears blinkTask_ through the task's owner slot.
  if (blinkTask_ != nullptr && timers_ != nullptr) timers_->Stop(blinkTask_->Handle());
  blinkTask_ = nullptr;
}

// --- the composition -------------------------------------------------------------------------

void TextEntryControl::FindCursorClause(int32_t cursor) {
  const int32_t length = int32_t(shownComposition_.size());
  clauseStart_ = 0;
  clauseEnd_ = length;
  std::vector<uint32_t> offsets;
  // Without a clause table the whole composition is one clause.
  if (ime_ == nullptr || !ime_->GetCompositionClauses(offsets) || offsets.size() < 2) return;
  for (size_t i = 0; i + 1 < offsets.size(); ++i) {
    const int32_t start = std::min(int32_t(offsets[i]), length), end = std::min(int32_t(offsets[i + 1]), length);
    clauseStart_ = start;
    clauseEnd_ = end;
    if (cursor >= start && cursor < end) return;
  }
}

bool TextEntryControl::DrawCompositionSurface() {
  const std::string& text = shownComposition_;
  const int32_t height = font_->PixelHeight();
  std::vector<int32_t> widths;
  int32_t total = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t step = cp932::CharLength(text, pos);
    const std::string unit = text[pos] == '@' ? "@@" : text.substr(pos, step);
    Size size{};
    font_->MeasureText(unit.c_str(), &size, nullptr, nullptr, false, nullptr);
    widths.push_back(size.width);
    total += size.width;
    pos += step;
  }
  if (total <= 0 || height <= 0) return false;
  const int32_t w = vertical_ ? height : total, h = vertical_ ? total : height;
  if (compositionSurface_.Create(w, h, 32, 0) != 0 || compositionSurface_.GetBits() == nullptr) return false;
  FontColourScope colours(*font_, compositionColour_, EffectColourOf(*font_));
  int32_t along = 0;
  size_t index = 0;
  for (size_t pos = 0; pos < text.size(); ++index) {
    const size_t step = cp932::CharLength(text, pos);
    const bool current = int32_t(pos) >= clauseStart_ && int32_t(pos) < clauseEnd_;
    const uint32_t back = current ? compositionColour_ : compositionBackColour_;
    colours.SetText(current ? compositionBackColour_ : compositionColour_);
    const Rect cell = vertical_ ? Rect{0, along, height, along + widths[index]}
                                : Rect{along, 0, along + widths[index], height};
    compositionSurface_.FillRect(Opaque(back), &cell);
    DrawCharacter(&compositionSurface_, text[pos] == '@' ? "@@" : text.substr(pos, step), along, 0, widths[index]);
    along += widths[index];
    pos += step;
  }
  return true;
}

void TextEntryControl::DrawComposition() {
  if (ime_ == nullptr || font_ == nullptr || spriteList_ == nullptr) return;
  const bool changed = ime_->FetchString() != nullptr;
  const char* text = ime_->CurrentString();
  if (text == nullptr) {
    if (!shownComposition_.empty()) {
      compositionSprite_.SetVisible(0);
      spriteList_->Remove(&compositionSprite_);
    }
    shownComposition_.clear();
    shownCursor_ = -1;
    return;
  }
  const int32_t cursor = ime_->GetCursorPos();
  if (changed || cursor != shownCursor_ || shownComposition_ != text) {
    shownComposition_ = text;
    shownCursor_ = cursor;
    FindCursorClause(cursor);
    if (!DrawCompositionSurface()) return;
    if (spriteList_->Find(&compositionSprite_) == nullptr) {
      compositionSprite_.Reset();
      if (compositionSprite_.SetImage(&compositionSurface_, nullptr, 0, 0) != 0) return;
      spriteList_->Add(&compositionSprite_, uint32_t(order_), uint32_t(group_));
    } else if (compositionSprite_.ReplaceSurface(&compositionSurface_) != 0) {
      return;
    }
    const Rect whole{0, 0, compositionSurface_.GetWidth(), compositionSurface_.GetHeight()};
    compositionSprite_.SetSourceRect(&whole);
    MarkShown(compositionSprite_, compositionSurface_);
  }
  // At the caret: to its right in horizontal writing, below it in vertical.
  const int32_t along = CaretAlong(), across = LineAcross(maxLines_ > 0 ? caretLine_ : 0);
  const int32_t x = ScreenX(along, across), y = ScreenY(along, across);
  compositionSprite_.SetPosition(x, y);
  compositionSprite_.SetVisible(1);
  // The candidate list goes beside the composition, clear of it.
  const int32_t candidateX = vertical_ ? x + compositionSurface_.GetWidth() : x;
  const int32_t candidateY = vertical_ ? y : y + compositionSurface_.GetHeight();
  if (changed || candidateX != candidateX_ || candidateY != candidateY_) {
    candidateX_ = candidateX;
    candidateY_ = candidateY;
    ime_->SetCandidatePos(candidateX, candidateY);
  }
}

}  // namespace orrivel
