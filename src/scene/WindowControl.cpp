// The window's layout: creation and settings, line metrics, the cursor,
// page clears with the frame, and the glyph-by-glyph placement of text.
#include "scene/WindowControl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/ControlHost.h"
#include "scene/ListedDrawable.h"
#include "text/LineBreakRules.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace orrivel {
namespace {

int32_t AbsHeight(const Font* font) { return font != nullptr ? font->PixelHeight() : 0; }

// The face name with a leading "@" added (vertical) or removed.
std::string VerticalFace(const char* face, bool vertical) {
  const std::string name = face != nullptr ? face : "";
  const bool has = !name.empty() && name[0] == '@';
  if (vertical) return has ? name : "@" + name;
  return has ? name.substr(1) : name;
}

// 0 unchanged or done, else the font's error.
int32_t TurnFont(Font* font, bool vertical) {
  if (font == nullptr) return 0;
  const std::string face = VerticalFace(font->Logical().faceName, vertical);
  if (face != font->Logical().faceName && font->SetFaceName(face.c_str()) != 0) return 1;
  font->SetAngle(vertical ? WindowControl::kVerticalAngle : 0);
  return 0;
}

}  // namespace

WindowControl::~WindowControl() { WindowControl::Release(); }

// --- creation and settings ----------------------------------------------------------------

int32_t WindowControl::Create(SpriteList* list, int32_t order, int32_t width, int32_t height, int32_t x, int32_t y,
                              Font* font, Font* rubyFont, int32_t group) {
  const bool frameSized = frameImage_ != nullptr && tileWidth_ == 0 && tileHeight_ == 0;
  if (list == nullptr || font == nullptr || (!frameSized && (width <= 0 || height <= 0))) return 1;
  Release();
  if (frameSized) {
    width = frameImage_->GetWidth();
    height = frameImage_->GetHeight();
  }
  if (surface_.Create(width, height, 32, 0) != 0) return 2;
  width_ = width;
  height_ = height;
  if (itemsEnabled_ && SetItemsEnabled(true) != 0) {
    surface_.FreeBuffers();
    return 3;
  }
  font_ = font;
  rubyFont_ = rubyFont;
  surface_.SetHasAlpha(true);
  if (sprite_.SetImage(&surface_, nullptr, x, y) != 0) {
    Release();
    return 2;
  }
  sprite_.SetDrawMode(Drawable::kModeAlpha);
  spriteList_ = list;
  AttachToSpriteList(order, group, 1);
  RefreshMetrics();
  ResetCursor(true);
  return 0;
}

void WindowControl::Release() {
  ClearItems();
  itemOpen_ = false;
  dragging_ = false;
  if (spriteList_ != nullptr) spriteList_->Remove(&sprite_);
  spriteList_ = nullptr;
  sprite_.Reset();
  surface_.FreeBuffers();
  if (itemMask_) itemMask_->FreeBuffers();
  width_ = height_ = 0;
  pendingRuby_ = nullptr;
}

void WindowControl::LeaveSpriteList() {
  if (spriteList_ == nullptr) return;
  ForEachItemSprite([&](ImageSprite& sprite) { spriteList_->Remove(&sprite); });
  spriteList_->Remove(&sprite_);
  spriteList_ = nullptr;
}

int32_t WindowControl::MoveToList(SpriteList* list) {
  SpriteList* const from = spriteList_.Get();
  // Staying in its list, the window keeps its place among its equals.
  if (list == from) return from != nullptr && from->Find(&sprite_) != nullptr ? 0 : 1;
  if (MoveToOtherList(spriteList_, list, &sprite_, order_, group_) != 0) return 1;
  // Added after the window at its order, the item sprites stay over it.
  ForEachItemSprite([&](ImageSprite& sprite) {
    if (from->Find(&sprite) == nullptr) return;
    from->Remove(&sprite);
    list->Add(&sprite, uint32_t(order_), uint32_t(group_));
  });
  return 0;
}

int32_t WindowControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr) return 1;
  if (spriteList_->Find(&sprite_) != nullptr) {
    spriteList_->SetOrder(&sprite_, uint32_t(order), option);
  } else {
    spriteList_->Add(&sprite_, uint32_t(order), uint32_t(group));
    group_ = group;
  }
  order_ = order;
  return 0;
}

void WindowControl::SetPosition(int32_t x, int32_t y) {
  const int32_t dx = x - GetX(), dy = y - GetY();
  sprite_.SetPosition(x, y);
  ForEachItemSprite([&](ImageSprite& sprite) { sprite.MoveBy(dx, dy); });
}

void WindowControl::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  sprite_.SetVisible(show ? 1 : 0);
  // The item sprites follow, each in its item's state.
  for (int32_t i = 0; i < ItemCount(); ++i) ShowItemSprites(i, i == hoverItem_);
}

void WindowControl::SetDrawFlags(uint8_t value) {
  sprite_.SetOpacity(value);
  ForEachItemSprite([&](ImageSprite& sprite) { sprite.SetOpacity(value); });
}

int32_t WindowControl::SetFonts(Font* font, Font* rubyFont, bool redraw) {
  if (font == nullptr) return 1;
  font_ = font;
  rubyFont_ = rubyFont;
  if (surface_.GetBits() == nullptr) return -1;
  RefreshMetrics();
  if (redraw) ResetCursor(true);
  return 0;
}

void WindowControl::SetFrameImages(Surface* frame, int32_t tileWidth, int32_t tileHeight, int32_t cornerLeft,
                                   int32_t cornerTop, int32_t cornerRight, int32_t cornerBottom) {
  frameImage_ = frame;
  tileWidth_ = tileWidth;
  tileHeight_ = tileHeight;
  cornerLeft_ = std::max(cornerLeft, 0);
  cornerTop_ = std::max(cornerTop, 0);
  cornerRight_ = std::max(cornerRight, 0);
  cornerBottom_ = std::max(cornerBottom, 0);
}

int32_t WindowControl::SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha) {
  rgb &= 0xFFFFFF;
  if (mode == backgroundMode_ && rgb == backgroundRgb_ && alpha == backgroundAlpha_) return -1;
  if (surface_.GetBits() == nullptr) return -2;
  backgroundMode_ = mode;
  backgroundRgb_ = rgb;
  backgroundAlpha_ = alpha;
  ClearPage();
  return 0;
}

void WindowControl::SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom, bool redraw) {
  marginLeft_ = left, marginTop_ = top, marginRight_ = right, marginBottom_ = bottom;
  RecomputeWrapLimit();
  if (redraw && surface_.GetBits() != nullptr) ResetCursor(true);
}

void WindowControl::SetItemInsets(int32_t left, int32_t top, int32_t right, int32_t bottom, bool redraw) {
  itemInsetLeft_ = left, itemInsetTop_ = top, itemInsetRight_ = right, itemInsetBottom_ = bottom;
  UpdateLineHeight();
  if (redraw && surface_.GetBits() != nullptr) ResetCursor(true);
}

int32_t WindowControl::SetItemsEnabled(bool on) {
  itemsEnabled_ = on;
  if (!on) {
    ClearItems();
    itemMask_.reset();
    return 0;
  }
  if (width_ <= 0 || height_ <= 0) return 0;  // made with the surface
  if (!itemMask_) itemMask_ = std::make_unique<Surface>();
  if (itemMask_->GetBits() == nullptr || itemMask_->GetWidth() != width_ || itemMask_->GetHeight() != height_) {
    if (itemMask_->Create(width_, height_, 8, 0) != 0) {
      itemMask_.reset();
      itemsEnabled_ = false;
      return 3;
    }
  }
  FillItemMask(Rect{0, 0, width_, height_}, 0);
  return 0;
}

int32_t WindowControl::SetVertical(bool on, bool redraw) {
  vertical_ = on;
  if (redraw && surface_.GetBits() != nullptr) ResetCursor(true);
  if (TurnFont(font_.Get(), on) != 0) return on ? 1 : 2;
  if (TurnFont(rubyFont_.Get(), on) != 0) return on ? 3 : 4;
  RefreshMetrics();
  return 0;
}

void WindowControl::SetHangCount(int32_t cells) {
  hangCount_ = std::max(cells, 0);
  RecomputeWrapLimit();
}

void WindowControl::SetGaps(int32_t lineGap, int32_t charGap, int32_t rubyGap) {
  lineGap_ = lineGap, charGap_ = charGap, rubyGap_ = rubyGap;
  UpdateLineHeight();
}

void WindowControl::SetMinLineHeight(int32_t height) {
  minLineHeight_ = height;
  UpdateLineHeight();
}

void WindowControl::SetRubyEnabled(bool on) {
  rubyEnabled_ = on;
  UpdateLineHeight();
}

// --- metrics ----------------------------------------------------------------------------------

int32_t WindowControl::FontHeight() const { return AbsHeight(font_.Get()); }
int32_t WindowControl::RubyHeight() const { return AbsHeight(rubyFont_.Get()); }

int32_t WindowControl::UpdateLineHeight() {
  if (font_ == nullptr) return 0;
  int32_t height = FontHeight();
  if (!vertical_ && rubyEnabled_ && rubyFont_ != nullptr) height += rubyGap_ + RubyHeight();
  lineHeight_ = std::max(height, minLineHeight_);
  lineAdvance_ = lineHeight_ + (vertical_ ? itemInsetLeft_ + itemInsetRight_ : itemInsetTop_ + itemInsetBottom_);
  return lineHeight_;
}

int32_t WindowControl::WaitMarkX() const {
  return vertical_ ? lineHeight_ / 2 + itemInsetLeft_ : itemInsetTop_ + lineHeight_;
}

int32_t WindowControl::WaitMarkY() const { return vertical_ ? itemInsetRight_ - lineAdvance_ : -itemInsetLeft_; }

void WindowControl::RecomputeWrapLimit() {
  const int32_t reserved = hangCount_ * FontHeight();
  wrapLimit_ = vertical_ ? height_ - reserved - marginBottom_ : width_ - reserved - marginRight_;
}

void WindowControl::RefreshMetrics() {
  UpdateLineHeight();
  RecomputeWrapLimit();
}

// --- cursor and page ----------------------------------------------------------------------------

void WindowControl::SetCursor(int32_t x, int32_t y) {
  CloseItemSegment();
  if (x >= 0) cursorX_ = marginLeft_ + x;
  if (y >= 0) cursorY_ = marginTop_ + y;
}

void WindowControl::GetGlyphOrigin(int32_t* x, int32_t* y, int32_t glyphWidth, int32_t glyphHeight) const {
  if (vertical_) {
    // Centred across the column; the pen is the column's right edge.
    if (x) *x = cursorX_ - (lineHeight_ - glyphWidth) / 2;
    if (y) *y = cursorY_;
  } else {
    if (x) *x = cursorX_;
    if (y) *y = cursorY_ + lineHeight_ - glyphHeight;
  }
}

void WindowControl::ResetCursor(bool redraw) {
  if (vertical_) {
    cursorX_ = width_ - marginRight_ + 1;
    cursorY_ = marginTop_;
  } else {
    cursorX_ = marginLeft_;
    cursorY_ = marginTop_;
  }
  lineStartPos_ = vertical_ ? cursorY_ : cursorX_;
  indent_ = 0;
  pendingRuby_ = nullptr;
  prevChar_ = 0;
  if (redraw) ClearPage();
}

void WindowControl::CarriageReturn(bool redraw) {
  if (vertical_) cursorY_ = marginTop_ + indent_;
  else cursorX_ = marginLeft_ + indent_;
  lineStartPos_ = vertical_ ? cursorY_ : cursorX_;
  pendingRuby_ = nullptr;
  prevChar_ = 0;
  if (redraw) ClearPage();
}

void WindowControl::MarkIndent() { indent_ = vertical_ ? cursorY_ - marginTop_ : cursorX_ - marginLeft_; }

bool WindowControl::NewLine() {
  const int32_t keptAdvance = lineAdvance_, keptHeight = lineHeight_;
  UpdateLineHeight();
  const bool noRoom = vertical_ ? cursorX_ - lineGap_ - lineHeight_ - keptAdvance <= marginLeft_
                                : cursorY_ + lineHeight_ + lineGap_ + keptAdvance > height_ - marginBottom_;
  if (noRoom) {
    lineAdvance_ = keptAdvance;
    lineHeight_ = keptHeight;
    return true;
  }
  CloseItemSegment();
  if (vertical_) {
    cursorX_ -= lineGap_ + lineAdvance_;
    cursorY_ = marginTop_ + indent_;
  } else {
    cursorY_ += lineGap_ + lineAdvance_;
    cursorX_ = marginLeft_ + indent_;
  }
  prevChar_ = 0;
  pageFull_ = vertical_ ? cursorX_ - lineHeight_ - lineGap_ - lineAdvance_ <= marginLeft_
                        : cursorY_ + lineHeight_ + lineGap_ + lineAdvance_ > height_ - marginBottom_;
  return false;
}

bool WindowControl::TryNewLine() { return NewLine() ? autoWrap_ : false; }

void WindowControl::FillBackground() {
  const uint32_t fill = backgroundAlpha_ == 0 ? 0 : uint32_t(backgroundAlpha_) << 24 | backgroundRgb_;
  if (framePlacement_.IsEmpty()) {
    surface_.FillRect(fill, nullptr);
    return;
  }
  surface_.FillRect(0, nullptr);
  Rect placed = framePlacement_;
  if (IntersectRects(&placed, placed, Rect{0, 0, width_, height_})) surface_.FillRect(fill, &placed);
}

void WindowControl::DrawNineSlice() {
  Surface& f = *frameImage_;
  const int32_t fw = f.GetWidth(), fh = f.GetHeight();
  // A tile of 0 or less never advances: nothing is drawn rather than
  // repeating forever.
  if (tileWidth_ <= 0 || tileHeight_ <= 0) return;
  const int32_t cl = cornerLeft_, ct = cornerTop_, cr = cornerRight_, cb = cornerBottom_;
  // Source columns and rows: corner, tile, corner.
  const int32_t sx[3] = {0, cl, fw - cr}, sw[3] = {cl, std::min(tileWidth_, fw - cl - cr), cr};
  const int32_t sy[3] = {0, ct, fh - cb}, sh[3] = {ct, std::min(tileHeight_, fh - ct - cb), cb};
  const int32_t innerRight = width_ - cr, innerBottom = height_ - cb;
  auto place = [&](int col, int row, int32_t x, int32_t y, int32_t right, int32_t bottom) {
    const int32_t w = std::min(sw[col], right - x), h = std::min(sh[row], bottom - y);
    if (w <= 0 || h <= 0) return;
    const Rect source{sx[col], sy[row], sx[col] + w, sy[row] + h};
    surface_.Copy(&f, x, y, &source, false);
  };
  for (int row = 0; row < 3; ++row) {
    const int32_t top = row == 0 ? 0 : row == 1 ? ct : innerBottom;
    const int32_t bottom = row == 0 ? ct : row == 1 ? innerBottom : height_;
    const int32_t stepY = row == 1 ? sh[1] : bottom - top;
    if (stepY <= 0) continue;
    for (int32_t y = top; y < bottom; y += stepY) {
      for (int col = 0; col < 3; ++col) {
        const int32_t left = col == 0 ? 0 : col == 1 ? cl : innerRight;
        const int32_t right = col == 0 ? cl : col == 1 ? innerRight : width_;
        const int32_t stepX = col == 1 ? sw[1] : right - left;
        if (stepX <= 0) continue;
        for (int32_t x = left; x < right; x += stepX) place(col, row, x, y, right, bottom);
      }
    }
  }
}

void WindowControl::DrawFrame() {
  if (!HasItemPictures() && !frameImage_->HasAlpha()) surface_.FillRect(0xFF000000u, nullptr);
  if (tileWidth_ == 0 && tileHeight_ == 0) {
    surface_.Copy(frameImage_, 0, 0, nullptr, false);
    return;
  }
  DrawNineSlice();
}

void WindowControl::RecordPointer() {
  clickGuard_ = true;
  if (GetHost() != nullptr) GetHost()->GetPointerPos(&guardX_, &guardY_);
}

void WindowControl::ClearPage() {
  if (surface_.GetBits() == nullptr) return;
  RecordPointer();
  prevChar_ = 0;
  atLineStart_ = true;
  if (frameImage_ != nullptr && frameImage_->GetBits() != nullptr) DrawFrame();
  else FillBackground();
  FillItemMask(Rect{0, 0, width_, height_}, 0);
  if (!items_.empty()) {
    if (hoverItem_ >= 0) ShowItemSprites(hoverItem_, false);
    ClearItems();
  }
  hoverItem_ = -1;
  currentTooltip_ = nullptr;
  pageFull_ = false;
  UpdateLineHeight();
  sprite_.SetChanged(1);
  Rect all{0, 0, width_, height_};
  sprite_.InvalidateSourceRect(&all);
}

// --- drawing -------------------------------------------------------------------------------------

Point WindowControl::DrawFontText(Font* font, Surface* target, int32_t x, int32_t y, const char* text) {
  Rect drawn{x, y, x, y};
  Point end{x, y};
  if (textCarriesAlpha_ && target->GetBitsPerPixel() == 32) {
    CompositeFontText(font, target, x, y, text, &drawn, &end);
  } else if (auto* outline = dynamic_cast<OutlineFont*>(font)) {
    outline->DrawTextToSurface(target, x, y, text, &drawn, &end);
  } else {
    font->DrawText(target, x, y, text, &drawn, &end);
  }
  if (!drawn.IsEmpty()) {
    if (target == &surface_) {
      sprite_.InvalidateSourceRect(&drawn);
    } else {
      target->MarkDirty(drawn);
    }
  }
  return end;
}

void WindowControl::CompositeFontText(Font* font, Surface* target, int32_t x, int32_t y, const char* text,
                                      Rect* drawn, Point* end) {
  // The text alone, with its shadow or outline, goes into a clear scratch
  // piece as colour and coverage; the piece is then laid over the target,
  // so what the text covers takes its colours and its coverage joins the
  // alpha already there. A margin of one character height keeps glyphs
  // that reach past their measured box whole.
  Size size;
  int32_t left = 0, top = 0;
  font->MeasureText(text, &size, &left, &top, true, nullptr);
  Rect box;
  font->GetRotatedBounds(&box, left, top, size.width, size.height);
  const int32_t margin = std::max(font->PixelHeight(), 1);
  const int32_t width = box.Width() + 2 * margin, height = box.Height() + 2 * margin;
  if (textPiece_.GetWidth() < width || textPiece_.GetHeight() < height) {
    if (textPiece_.Create(std::max(width, textPiece_.GetWidth()), std::max(height, textPiece_.GetHeight()), 32, 0) !=
        0)
      return;
    textPiece_.SetHasAlpha(true);
  }
  const Rect area{0, 0, width, height};
  textPiece_.FillRect(0, &area);
  const int32_t originX = x + box.left - margin, originY = y + box.top - margin;
  Rect inPiece{0, 0, 0, 0};
  Point penInPiece{x - originX, y - originY};
  font->DrawTextClipped(&textPiece_, x - originX, y - originY, text, &inPiece, &penInPiece);
  *end = Point{penInPiece.x + originX, penInPiece.y + originY};
  if (!IntersectRects(&inPiece, inPiece, area)) return;
  DrawComposite(target, &textPiece_, 255, originX + inPiece.left, originY + inPiece.top, &inPiece);
  *drawn = Rect{inPiece.left + originX, inPiece.top + originY, inPiece.right + originX, inPiece.bottom + originY};
  Rect inTarget{0, 0, target->GetWidth(), target->GetHeight()};
  if (!IntersectRects(drawn, *drawn, inTarget)) *drawn = Rect{x, y, x, y};
}

bool WindowControl::AtLineHead() const {
  return (vertical_ ? cursorY_ - marginTop_ : cursorX_ - marginLeft_) <= indent_;
}

int32_t WindowControl::WrapBefore(int32_t length, bool mayHang, const char* glyph) {
  // Nothing stands on the line yet: a break would only leave it empty, and
  // when the wrap limit lies before the line's start (many reserved cells,
  // a deep indent) every page would be full before its first character.
  if (!autoWrap_ || AtLineHead()) return 0;
  if (Along() <= wrapLimit_) {
    // Short of the limit a character still has to end inside the margin:
    // without reserved cells, or for a glyph wider than a cell, the next
    // one could start on the margin and be drawn wholly past it.
    if (Along() + length <= AlongLimit()) return 0;
    if (glyph != nullptr) {
      Size size;
      font_->MeasureText(glyph, &size, nullptr, nullptr, false, nullptr);
      if (Along() + size.width <= AlongLimit()) return 0;
    }
  } else if (mayHang && Along() + length <= AlongLimit()) {
    return 0;
  }
  return NewLine() ? 1 : -1;
}

int32_t WindowControl::PutChar(const char** text, Surface* target) {
  if (font_ == nullptr || text == nullptr || *text == nullptr || **text == '\0') return 0;
  const char* start = *text;
  size_t used = 0;
  TextUnit unit;
  if (!NextTextUnit(start, &used, &unit, AtSign::kPictures, kPictureDigits)) {
    // Half a character at the end of the text: dropped, so that a caller
    // looping to the end moves on.
    *text = start + 1;
    return 0;
  }
  if (unit.kind == TextUnit::kLineEnd) {
    // A line feed ends the line, as it does in every text the engine lays
    // out; on a full page it waits for the next one like a character.
    if (NewLine()) return 1;
    *text = start + used;
    return -1;
  }
  // What the font is given: the character's own bytes; an "@" with no
  // digits is drawn as itself.
  std::string glyph(start, used);
  if (unit.kind == TextUnit::kPicture && used == 1) {
    glyph = "@@";
    unit = {TextUnit::kCharacter, '@'};
  }
  const bool wide = unit.kind == TextUnit::kCharacter && unit.code > 0xFF;
  const int32_t h = FontHeight();
  const bool mayHang = unit.kind == TextUnit::kCharacter &&
                       (wide ? IsNoBreakDouble(uint16_t(unit.code)) : IsNoBreakSingle(uint8_t(unit.code)));
  // A picture glyph is as long as its picture, not a cell.
  int32_t length = h;
  if (unit.kind == TextUnit::kPicture) {
    Size size;
    font_->MeasureText(glyph.c_str(), &size, nullptr, nullptr, false, nullptr);
    length = size.width;
  }
  const int32_t wrapped = WrapBefore(length, mayHang, unit.kind == TextUnit::kPicture ? nullptr : glyph.c_str());
  if (wrapped == 1) return 1;

  *text = start + used;
  prevChar_ = unit.kind == TextUnit::kCharacter ? uint16_t(unit.code) : uint16_t('@');
  target = Target(target);

  // Place and draw.
  int32_t x = cursorX_, y = cursorY_;
  int32_t centring = 0;
  if (vertical_) {
    x -= (lineHeight_ - h) / 2;
    if (centreWideGlyphs_ && wide) {
      Size size;
      font_->MeasureText(glyph.c_str(), &size, nullptr, nullptr, false, nullptr);
      centring = std::max((h - size.width) / 2, 0);
    }
  } else {
    y += lineHeight_ - h;
  }
  const Point end = DrawFontText(font_.Get(), target, x, y + centring, glyph.c_str());
  int32_t advance = vertical_ ? end.y - (y + centring) : end.x - x;
  if (centring > 0) advance = h;

  if (itemOpen_) {
    if (vertical_) RecordItemGlyph(cursorX_ - lineHeight_, cursorY_, cursorX_, cursorY_ + advance);
    else RecordItemGlyph(cursorX_, cursorY_, cursorX_ + advance, cursorY_ + lineHeight_);
  }

  if (pendingRuby_ != nullptr) {
    if (rubyFont_ != nullptr) {
      Size size;
      rubyFont_->MeasureText(pendingRuby_, &size, nullptr, nullptr, false, nullptr);
      const int32_t rh = RubyHeight();
      if (vertical_) DrawFontText(rubyFont_.Get(), target, x + rubyGap_ + rh, y + (advance - size.width) / 2, pendingRuby_);
      else DrawFontText(rubyFont_.Get(), target, x + (advance - size.width) / 2, y - rubyGap_ - rh, pendingRuby_);
    }
    pendingRuby_ = nullptr;
  }

  lineStartPos_ = Along();
  Along() += charGap_ + advance;
  atLineStart_ = false;
  return wrapped;
}

int32_t WindowControl::SetRuby(const char* text) {
  if (rubyFont_ == nullptr) return 0;
  pendingRuby_ = text;
  return 1;
}

int32_t WindowControl::DrawStringAt(const char* text, int32_t x, int32_t y, bool viaSetCursor) {
  if (font_ == nullptr || text == nullptr) return 1;
  if (viaSetCursor) {
    SetCursor(x, y);
  } else {
    cursorX_ = marginLeft_ + x;
    cursorY_ = marginTop_ + y;
  }
  int32_t gx = 0, gy = 0;
  GetGlyphOrigin(&gx, &gy, FontHeight(), FontHeight());
  const Point end = DrawFontText(font_.Get(), &surface_, gx, gy, text);
  lineStartPos_ = Along();
  Along() += charGap_ + (vertical_ ? end.y - gy : end.x - gx);
  atLineStart_ = false;
  prevChar_ = 0;
  return 0;
}

int32_t WindowControl::DrawAligned(const char* text, int32_t alignment) {
  if (font_ == nullptr || text == nullptr) return 1;
  Size size;
  font_->MeasureText(text, &size, nullptr, nullptr, false, nullptr);
  const int32_t length = size.width;
  // The text area widened by the item insets.
  const Rect area{marginLeft_ - itemInsetLeft_, marginTop_ - itemInsetTop_, width_ - marginRight_ + itemInsetRight_,
                  height_ - marginBottom_ + itemInsetBottom_};
  // Along the line: start, centre or end; across: the cursor's line, or
  // centred for alignment 0.
  const int32_t alongStart = vertical_ ? area.top : area.left;
  const int32_t alongLength = vertical_ ? area.Height() : area.Width();
  int32_t along = alongStart + (alongLength - length) / 2;
  if (alignment == 2) along = alongStart;
  if (alignment == 3) along = alongStart + alongLength - length;
  if (vertical_) {
    const int32_t x = alignment == 0 ? area.left + (area.Width() + lineHeight_) / 2 : cursorX_;
    cursorX_ = x;
    cursorY_ = along;
    return DrawStringAt(text, -1, along - marginTop_, true);
  }
  const int32_t y = alignment == 0 ? area.top + (area.Height() - lineHeight_) / 2 : cursorY_;
  cursorY_ = y;
  cursorX_ = along;
  return DrawStringAt(text, along - marginLeft_, -1, true);
}

int32_t WindowControl::DrawJustified(const char** text, const Rect& rect) {
  if (font_ == nullptr || text == nullptr || *text == nullptr) return 0;
  const Rect area{rect.left - itemInsetLeft_, rect.top - itemInsetTop_, rect.right + itemInsetRight_,
                  rect.bottom + itemInsetBottom_};
  Size size;
  font_->MeasureText(*text, &size, nullptr, nullptr, false, nullptr);
  const int32_t n = CountTextCharacters(*text);
  const int32_t free = (vertical_ ? area.Height() : area.Width()) - size.width;
  const int32_t gap = free / (n + 1), rest = free % (n + 1);
  if (vertical_) {
    cursorX_ = area.left + (area.Width() + lineHeight_) / 2;
    cursorY_ = area.top + rest / 2;
  } else {
    cursorX_ = area.left + rest / 2;
    cursorY_ = area.top;
  }
  int32_t result = 0;
  while (**text != '\0') {
    Along() += gap;
    result = PutNext(text);
    if (result == 1) break;
  }
  return result;
}

int32_t WindowControl::DrawHorizontalRun(const char* text) {
  if (!vertical_) return 2;
  if (font_ == nullptr || text == nullptr) return 3;
  const int32_t h = FontHeight();
  if (WrapBefore(h, false) == 1) return 1;
  font_->SetAngle(0);
  Size size;
  font_->MeasureText(text, &size, nullptr, nullptr, false, nullptr);
  const int32_t x = cursorX_ - lineHeight_ + (lineHeight_ - size.width) / 2;
  DrawFontText(font_.Get(), &surface_, x, cursorY_, text);
  font_->SetAngle(kVerticalAngle);
  lineStartPos_ = cursorY_;
  cursorY_ += charGap_ + h;
  atLineStart_ = false;
  prevChar_ = 0;
  return 0;
}

bool WindowControl::IsNoBreakSingle(uint8_t next) const { return orrivel::IsNoBreakSingle(prevChar_, next); }

bool WindowControl::IsNoBreakDouble(uint16_t next) const { return orrivel::IsNoBreakDouble(prevChar_, next); }

}  // namespace orrivel
