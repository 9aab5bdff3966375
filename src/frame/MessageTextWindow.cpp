// The message window's page layout: the measuring pass into line boxes,
// the drawing pass at the measured places, ruby, the hanging indent,
// auto-size and anchored placement, the names and the click-wait cursors.
#include "frame/MessageTextWindow.h"

#include <algorithm>
#include <cstring>

#include "base/Cp932.h"
#include "scene/FrameStepper.h"
#include "text/LineBreakRules.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace orrivel {

namespace {

constexpr uint8_t kIdeographicSpaceLead = 0x81, kIdeographicSpaceTrail = 0x40;
constexpr uint32_t kCursorClockStart = 1;

bool IsEmptyBox(const LineBox& box) { return box.left == box.right && box.top == box.bottom; }

void GrowBox(LineBox& box, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  box.left = std::min(box.left, left);
  box.top = std::min(box.top, top);
  box.right = std::max(box.right, right);
  box.bottom = std::max(box.bottom, bottom);
}

// The first bytes of text that fit in max bytes without splitting a
// two-byte character; a lone lead byte at the end is left out.
std::string CutOnCharacter(const char* text, size_t max) {
  std::string out;
  if (text == nullptr) return out;
  for (size_t i = 0; text[i] != '\0';) {
    const bool lead = cp932::IsLeadByte(text[i]);
    const size_t n = lead ? 2 : 1;
    if (lead && text[i + 1] == '\0') break;
    if (out.size() + n > max) break;
    out.append(text + i, n);
    i += n;
  }
  return out;
}

// The glyph text the font is given for a unit read at start: its own
// bytes; a lone "@" (no digits) is drawn as itself.
std::string GlyphText(const char* start, size_t used, TextUnit& unit) {
  if (unit.kind == TextUnit::kPicture && used == 1) {
    unit = {TextUnit::kCharacter, '@'};
    return "@@";
  }
  return std::string(start, used);
}

}  // namespace

ClickWaitCursor::ClickWaitCursor() = default;
ClickWaitCursor::~ClickWaitCursor() = default;

MessageTextWindow::MessageTextWindow() = default;

MessageTextWindow::~MessageTextWindow() {
  ClearCursors();
  ClearPageText();
  RampBufferFree(&ramp_);
  edgeStrip_.FreeBuffers();
  pageSurface_.FreeBuffers();
  WindowControl::Release();
}

// --- settings -----------------------------------------------------------------------------

void MessageTextWindow::SetIndentChars(const char* chars) { indentChars_ = chars != nullptr ? chars : ""; }

bool MessageTextWindow::IsIndentChar(const char* p) const {
  if (p == nullptr || *p == '\0' || indentChars_.empty()) return false;
  const size_t n = cp932::IsLeadByte(*p) && p[1] != '\0' ? 2 : 1;
  for (size_t i = 0; i < indentChars_.size();) {
    const size_t m = cp932::IsLeadByte(indentChars_[i]) && i + 1 < indentChars_.size() ? 2 : 1;
    if (m == n && std::memcmp(indentChars_.data() + i, p, n) == 0) return true;
    i += m;
  }
  return false;
}

// --- the page -------------------------------------------------------------------------------

int32_t MessageTextWindow::SetPageText(const char* bytes, size_t length) {
  ClearPageText();
  if (bytes == nullptr || length == 0) return 1;
  pageText_.assign(bytes, length);
  pageText_.append(2, '\0');
  return 0;
}

void MessageTextWindow::ClearPageText() {
  pageText_.clear();
  revealState_ = kRevealNone;
  stripCount_ = 0;
  speakerName_.clear();
  voiceCue_.clear();
}

void MessageTextWindow::SetNames(const char* name, const char* voice) {
  speakerName_ = CutOnCharacter(name, kNameBytes);
  voiceCue_ = CutOnCharacter(voice, kVoiceBytes);
}

int32_t MessageTextWindow::FontHeightPx() const { return GetFont() ? GetFont()->PixelHeight() : 0; }
int32_t MessageTextWindow::RubyHeightPx() const { return GetRubyFont() ? GetRubyFont()->PixelHeight() : 0; }

void MessageTextWindow::WriteName() {
  if (nameWindow_ == nullptr || speakerName_.empty()) return;
  // Style 4 and above centre the name in the name window; lower styles are
  // the alignments of its aligned-text operation.
  nameWindow_->DrawAligned(speakerName_.c_str(), nameStyle_ >= 4 ? 0 : nameStyle_);
}

int32_t MessageTextWindow::ShowPage(bool clearFirst) {
  if (revealState_ != kRevealNone) return 0;
  if (pageText_.empty() || GetFont() == nullptr) return 1;
  ShowCursor(false);
  if (clearFirst) {
    ResetCursor(true);
    if (nameWindow_ != nullptr) nameWindow_->ResetCursor(true);
    WriteName();
  }
  const char* text = pageText_.data();
  const size_t length = pageText_.size() - 2;
  BeginMeasure();
  if (WalkPage(text, length, true, false, true) == Walk::kStop) {
    mode_ = kPlain;
    penX_ = savedPenX_, penY_ = savedPenY_;
    return kStopRequested;
  }
  const bool typewriter = timePerChar_ > 0;
  if (EndMeasure(anchored_, typewriter) != 0) {
    mode_ = kPlain;
    return 0;
  }
  if (anchored_) PlaceAnchored();
  WalkPage(text, length, true, false, false);
  EndDraw();
  if (!typewriter) {
    const int32_t pacing = pacing_ ? pacing_() : 0;
    if (cursorAfterText_ && (pacing == 0 || pacing == 1)) ShowCursor(true);
    return 0;
  }
  revealState_ = kRevealPrepared;
  revealDuration_ = timePerChar_ * uint32_t(characterCount_);
  if (selectedCursor_ < cursors_.size() && cursors_[selectedCursor_]->stepper)
    cursors_[selectedCursor_]->stepper->Restart();
  return 0;
}

int32_t MessageTextWindow::MeasurePage(const char* text, size_t length, Rect* rect, bool executeCommands,
                                       bool dropIdeographicSpace) {
  if (text == nullptr) return -1;
  // A copy that ends in two zero bytes, so no read runs past the text.
  std::string page(text, length);
  page.append(2, '\0');
  BeginMeasure();
  const Walk walk = WalkPage(page.data(), length, executeCommands, dropIdeographicSpace, true);
  const int32_t counted = characterCount_;
  mode_ = kPlain;
  penX_ = savedPenX_, penY_ = savedPenY_;
  if (walk == Walk::kStop) return -2;
  if (counted == 0) return 0;
  lineCount_ = currentLine_ + 1;
  LineBox& last = lines_[size_t(currentLine_)];
  if (IsEmptyBox(last)) {
    if (IsVertical()) last.left = last.right - lineExtent_;
    else last.bottom = last.top + lineExtent_;
  }
  if (rect != nullptr) {
    Rect all{lines_[0].left, lines_[0].top, lines_[0].right, lines_[0].bottom};
    for (int32_t i = 1; i < lineCount_; ++i) {
      const LineBox& box = lines_[size_t(i)];
      all = Rect{std::min(all.left, box.left), std::min(all.top, box.top), std::max(all.right, box.right),
                 std::max(all.bottom, box.bottom)};
    }
    *rect = all;
  }
  return lineCount_;
}

int32_t MessageTextWindow::MeasurePage(const char* text, Rect* rect, bool executeCommands,
                                       bool dropIdeographicSpace) {
  return MeasurePage(text, text ? std::strlen(text) : 0, rect, executeCommands, dropIdeographicSpace);
}

int32_t MessageTextWindow::DrawPage(const char* text, size_t length, int32_t x, int32_t y, bool executeCommands,
                                    bool dropIdeographicSpace) {
  if (text == nullptr) return 1;
  std::string page(text, length);
  page.append(2, '\0');
  penX_ = IsVertical() ? GetWidth() - MarginRight() - x : MarginLeft() + x;
  penY_ = MarginTop() + y;
  BeginMeasure();
  if (WalkPage(page.data(), length, executeCommands, dropIdeographicSpace, true) == Walk::kStop) {
    mode_ = kPlain;
    penX_ = savedPenX_, penY_ = savedPenY_;
    return 2;
  }
  if (EndMeasure(false, false) != 0) {
    mode_ = kPlain;
    return 0;
  }
  WalkPage(page.data(), length, executeCommands, dropIdeographicSpace, false);
  EndDraw();
  return 0;
}

size_t MessageTextWindow::PageCommandLength(const uint8_t* record, size_t available) {
  uint32_t length = 0;
  if (available < sizeof length) return 0;
  std::memcpy(&length, record, sizeof length);
  return length < sizeof length || length > available ? 0 : length;
}

MessageTextWindow::Walk MessageTextWindow::WalkPage(const char* text, size_t length, bool executeCommands,
                                                    bool dropIdeographicSpace, bool mayStop) {
  const char* p = text;
  const char* const end = text + length;
  const bool measuring = mode_ == kMeasuring;
  bool indentPending = !indentChars_.empty();
  bool clearIndentAfter = false;
  int32_t count = 0;
  Walk result = Walk::kDone;
  Surface* target = mode_ == kDrawingPage ? &pageSurface_ : &GetSurface();
  while (p < end) {
    if (*p == '\0') {
      if (p + 1 >= end || p[1] != '[') break;
      walkOffset_ = size_t(p - text);
      const auto* record = reinterpret_cast<const uint8_t*>(p + 2);
      const size_t available = size_t(end - (p + 2));
      size_t taken = 0;
      if (executeCommands && commandRunner_) {
        const int32_t status = commandRunner_(record, available, taken);
        if (taken == 0 || taken > available) break;  // a damaged record ends the page
        if (status > 0 && mayStop && measuring) {
          result = Walk::kStop;
          break;
        }
      } else {
        taken = PageCommandLength(record, available);
        if (taken == 0) break;
      }
      p += 2 + taken;
      continue;
    }
    if (dropIdeographicSpace && uint8_t(p[0]) == kIdeographicSpaceLead && p + 1 < end &&
        uint8_t(p[1]) == kIdeographicSpaceTrail) {
      p += 2;
      continue;
    }
    // A lead byte with nothing after it ends the text.
    if (cp932::IsLeadByte(*p) && (p + 1 >= end || p[1] == '\0')) break;
    walkOffset_ = size_t(p - text);
    const bool opensIndent = indentPending && IsIndentChar(p);
    indentPending = false;
    const bool lineEnd = *p == '\n';
    if (measuring) MeasureChar(&p);
    else DrawChar(&p, target, walkOffset_);
    if (!lineEnd) ++count;
    if (opensIndent && measuring) {
      // Later lines of the page start under the character after the mark.
      indent_ = IsVertical() ? penY_ - MarginTop() : penX_ - MarginLeft();
      clearIndentAfter = true;
    }
  }
  // Fonts a page command changed go back to the defaults (the frame knows
  // whether any did).
  if (restoreColours_) restoreColours_();
  if (clearIndentAfter) indent_ = 0;
  characterCount_ = count;
  return result;
}

// --- layout steps --------------------------------------------------------------------------

void MessageTextWindow::StartBox(LineBox& box) const {
  box = LineBox{penX_, penY_, penX_, penY_, 0};
}

LineBox& MessageTextWindow::CurrentBox() { return lines_[size_t(currentLine_)]; }

void MessageTextWindow::BeginMeasure() {
  mode_ = kMeasuring;
  lines_.clear();
  lines_.emplace_back();
  StartBox(lines_[0]);
  linePens_.assign(1, Point{penX_, penY_});
  lineStarts_.assign(1, 0);
  savedPenX_ = penX_, savedPenY_ = penY_;
  currentLine_ = 0;
  lineCount_ = 0;
  prevChar_ = 0;
  rubyMarked_ = false;
  lineExtent_ = UpdateLineHeight();
  edgeInset_ = 0;
  // At a fixed pitch every line keeps room for ruby above its glyphs.
  glyphDrop_ = !IsVertical() && fixedLinePitch_ ? std::max(lineExtent_ - FontHeightPx(), 0) : 0;
}

void MessageTextWindow::PlaceGlyph(bool wide, int32_t w, int32_t h, int32_t* x, int32_t* y,
                                   int32_t* advance) const {
  const int32_t fh = FontHeightPx();
  const bool centred = wide && CentresWideGlyphs();
  if (IsVertical()) {
    // The pen is the column's right edge; turned glyphs lie left of their
    // anchor, centred across the column.
    *x = penX_ - ((fh - w) >> 1);
    *y = penY_ + (centred ? (fh - h) >> 1 : 0);
    *advance = centred ? fh : h;
  } else {
    *x = penX_ + (centred ? (fh - w) >> 1 : 0);
    *y = penY_ + glyphDrop_;
    *advance = centred ? fh : w;
  }
}

Size MessageTextWindow::MeasureGlyph(const std::string& glyph) const {
  Size size;
  GetFont()->MeasureText(glyph.c_str(), &size, nullptr, nullptr, false, nullptr);
  // A turned font measures along its baseline: in vertical writing the
  // width runs down the column.
  return IsVertical() ? Size{size.height, size.width} : size;
}

int32_t MessageTextWindow::MeasureChar(const char** text) {
  if (mode_ != kMeasuring) return 1;
  if (text == nullptr || *text == nullptr || **text == '\0') return 0;
  const char* start = *text;
  size_t used = 0;
  TextUnit unit;
  if (!NextTextUnit(start, &used, &unit, AtSign::kPictures, kPictureDigits)) {
    *text = start + 1;  // half a character at the end: dropped
    return 0;
  }
  *text = start + used;
  if (unit.kind == TextUnit::kLineEnd) {
    walkOffset_ += used;
    NewLine();
    return -1;
  }
  const std::string glyph = GlyphText(start, used, unit);
  const bool wide = unit.kind == TextUnit::kCharacter && unit.code > 0xFF;
  const int32_t fh = FontHeightPx();
  int32_t result = 0;
  if (AutoWraps() && Along() > WrapLimit()) {
    const bool forbidden = unit.kind == TextUnit::kCharacter &&
                           (wide ? orrivel::IsNoBreakDouble(prevChar_, uint16_t(unit.code))
                                 : orrivel::IsNoBreakSingle(prevChar_, uint8_t(unit.code)));
    const int32_t limit = IsVertical() ? GetHeight() - MarginBottom() : GetWidth() - MarginRight();
    if (!forbidden || Along() + fh > limit) {
      NewLine();
      result = -1;
    }
  }
  prevChar_ = unit.kind == TextUnit::kCharacter ? uint16_t(unit.code) : uint16_t('@');
  const Size size = MeasureGlyph(glyph);
  int32_t x = 0, y = 0, advance = 0;
  PlaceGlyph(wide, size.width, size.height, &x, &y, &advance);
  if (IsVertical()) GrowBox(CurrentBox(), x - size.width, y, x, y + size.height);
  else GrowBox(CurrentBox(), x, y, x + size.width, y + size.height);
  lastCharStart_ = Along();
  Along() += CharGap() + advance;
  return result;
}

void MessageTextWindow::DrawChar(const char** text, Surface* target, size_t offset) {
  // The line breaks the measuring pass made.
  while (drawLine_ + 1 < lineCount_ && offset >= lineStarts_[size_t(drawLine_ + 1)]) NewLine();
  const char* start = *text;
  size_t used = 0;
  TextUnit unit;
  if (!NextTextUnit(start, &used, &unit, AtSign::kPictures, kPictureDigits)) {
    *text = start + 1;
    return;
  }
  *text = start + used;
  if (unit.kind == TextUnit::kLineEnd) return;
  const std::string glyph = GlyphText(start, used, unit);
  const bool wide = unit.kind == TextUnit::kCharacter && unit.code > 0xFF;
  const Size size = MeasureGlyph(glyph);
  int32_t x = 0, y = 0, advance = 0;
  PlaceGlyph(wide, size.width, size.height, &x, &y, &advance);
  DrawFontText(GetFont(), target, x, y, glyph.c_str());
  lastCharStart_ = Along();
  Along() += CharGap() + advance;
  // Where a follow-text cursor goes: after this character, on the window.
  const int32_t dx = mode_ == kDrawingPage ? pageOffsetX_ : 0, dy = mode_ == kDrawingPage ? pageOffsetY_ : 0;
  textEndX_ = (IsVertical() ? x - size.width : penX_) + dx;
  textEndY_ = (IsVertical() ? penY_ : y) + dy;
}

bool MessageTextWindow::NewLine() {
  if (mode_ == kPlain) return WindowControl::NewLine();
  if (mode_ == kMeasuring) {
    const LineBox& box = CurrentBox();
    const int32_t boxExtent = IsVertical() ? box.right - box.left : box.bottom - box.top;
    int32_t step =
        IsEmptyBox(box) || fixedLinePitch_ ? LineGap() + lineExtent_ : LineGap() + edgeInset_ + boxExtent;
    // A column grown for its ruby band pushes the next one over rather
    // than under it, whatever the pitch.
    if (box.hasRuby) step = std::max(step, LineGap() + boxExtent);
    if (IsVertical()) {
      penX_ -= step;
      penY_ = MarginTop() + indent_;
    } else {
      penY_ += step;
      penX_ = MarginLeft() + indent_;
    }
    ++currentLine_;
    if (lines_.size() <= size_t(currentLine_)) lines_.emplace_back();
    StartBox(CurrentBox());
    linePens_.push_back(Point{penX_, penY_});
    lineStarts_.push_back(walkOffset_);
    prevChar_ = 0;
  } else if (drawLine_ + 1 < lineCount_) {
    ++drawLine_;
    const LineBox& box = lines_[size_t(drawLine_)];
    Point pen = linePens_[size_t(drawLine_)];
    if (mode_ == kDrawingPage) pen = Point{pen.x - pageOffsetX_, pen.y - pageOffsetY_};
    lineExtent_ = IsVertical() ? box.right : box.bottom;
    // A box grown for its ruby band has the glyphs below (left of) it.
    if (box.hasRuby && (IsVertical() || !fixedLinePitch_)) {
      if (IsVertical()) pen.x -= RubyBand();
      else pen.y += RubyBand();
      lineExtent_ -= RubyBand();
    }
    penX_ = pen.x, penY_ = pen.y;
  }
  if (rubyMarked_) rubyMark_ = Along();
  return false;
}

void MessageTextWindow::EffectMargins(int32_t* hm, int32_t* vm, int32_t* insetL, int32_t* insetT) const {
  *hm = *vm = *insetL = *insetT = 0;
  const Font* font = GetFont();
  if (font == nullptr) return;
  if (font->effectMode == kEffectShadow) {
    *hm = std::abs(font->shadowX);
    *vm = std::abs(font->shadowY);
    *insetL = font->shadowX < 0 ? -font->shadowX : 0;
    *insetT = font->shadowY < 0 ? -font->shadowY : 0;
  } else if (font->effectMode == kEffectOutline) {
    const auto* outline = dynamic_cast<const OutlineFont*>(font);
    const int32_t w = outline ? outline->EdgeWidth() : OutlineFont::kDefaultEdgeWidth;
    *hm = *vm = 2 * w;
    *insetL = *insetT = w;
  }
}

int32_t MessageTextWindow::CursorWidthFor(const Rect& extent) const {
  if (selectedCursor_ >= cursors_.size()) return 0;
  const int32_t width = cursors_[selectedCursor_]->width;
  const LineBox& last = lines_[size_t(lineCount_ - 1)];
  const int32_t lastLength = IsVertical() ? last.bottom - last.top : last.right - last.left;
  const int32_t whole = IsVertical() ? extent.Height() : extent.Width();
  // The cursor needs room only when no line is as long as the last line
  // with the cursor after it.
  for (int32_t i = 0; i + 1 < lineCount_; ++i) {
    const LineBox& box = lines_[size_t(i)];
    const int32_t length = IsVertical() ? box.bottom - box.top : box.right - box.left;
    if (length >= lastLength + width) return 0;
  }
  return std::max(lastLength + width - whole, 0) > 0 ? width : 0;
}

int32_t MessageTextWindow::EndMeasure(bool autoSize, bool usePageSurface) {
  lineCount_ = currentLine_ + 1;
  LineBox& last = lines_[size_t(currentLine_)];
  if (IsEmptyBox(last)) {
    if (IsVertical()) last.left = last.right - lineExtent_;
    else last.bottom = last.top + lineExtent_;
  }
  Rect extent{lines_[0].left, lines_[0].top, lines_[0].right, lines_[0].bottom};
  for (int32_t i = 1; i < lineCount_; ++i) {
    const LineBox& box = lines_[size_t(i)];
    extent = Rect{std::min(extent.left, box.left), std::min(extent.top, box.top), std::max(extent.right, box.right),
                  std::max(extent.bottom, box.bottom)};
  }
  int32_t hm = 0, vm = 0, insetL = 0, insetT = 0;
  EffectMargins(&hm, &vm, &insetL, &insetT);
  if (IsVertical()) extent.left -= 1;
  if (autoSize) {
    const int32_t cursor = CursorWidthFor(extent);
    int32_t width = MarginLeft() + MarginRight() + extent.Width() + hm;
    int32_t height = MarginTop() + MarginBottom() + extent.Height() + vm;
    if (IsVertical()) height += cursor;
    else width += cursor;
    // The resize re-creates the surface: the layout is kept across it.
    resizing_ = true;
    const int32_t resized = Resize(width, height);
    resizing_ = false;
    if (resized != 0) return 3;
  }
  penX_ = savedPenX_, penY_ = savedPenY_;
  pageOriginX_ = extent.left, pageOriginY_ = extent.top;
  for (int32_t i = 0; i < lineCount_; ++i) {
    LineBox& box = lines_[size_t(i)];
    box = LineBox{box.left, box.top, box.right - box.left + hm, box.bottom - box.top + vm, box.hasRuby};
    if (usePageSurface) {
      box.left -= extent.left;
      box.top -= extent.top;
    }
  }
  if (usePageSurface) {
    const int32_t w = extent.Width() + hm, h = extent.Height() + vm;
    if (pageSurface_.GetBits() == nullptr || pageSurface_.GetWidth() != w || pageSurface_.GetHeight() != h) {
      const bool had = pageSurface_.GetBits() != nullptr;
      if (pageSurface_.Create(std::max(w, 1), std::max(h, 1), 32, 0) != 0) return had ? 2 : 3;
    }
    pageSurface_.SetHasAlpha(true);
    pageSurface_.FillRect(0, nullptr);
    // Page pixel (0, 0) lands here on the window.
    pageOffsetX_ = extent.left - insetL;
    pageOffsetY_ = extent.top - insetT;
    // The page starts as the window under it, so that copying it back
    // shows the window's own background around the glyphs.
    Rect under;
    if (IntersectRects(&under, Rect{pageOffsetX_, pageOffsetY_, pageOffsetX_ + w, pageOffsetY_ + h},
                       Rect{0, 0, GetWidth(), GetHeight()}))
      pageSurface_.Copy(&GetSurface(), under.left - pageOffsetX_, under.top - pageOffsetY_, &under, false);
  } else {
    pageOffsetX_ = pageOffsetY_ = 0;
  }
  edgeInset_ = vm;
  mode_ = usePageSurface ? kDrawingPage : kDrawingWindow;
  // Line 0 is entered the way every later line is.
  drawLine_ = -1;
  NewLine();
  return 0;
}

void MessageTextWindow::EndDraw() {
  if (mode_ == kDrawingPage) {
    penX_ += pageOffsetX_;
    penY_ += pageOffsetY_;
  }
  mode_ = kPlain;
}

void MessageTextWindow::PlaceAnchored() {
  const int32_t w = GetWidth(), h = GetHeight();
  int32_t x = anchorAlign_ == 0 ? anchorX_ - w / 2 : anchorAlign_ == 2 ? anchorX_ - w : anchorX_;
  int32_t y = anchorY_;
  if (clamp_.left >= 0) {
    x = std::max(clamp_.left, std::min(x, clamp_.right - w));
    y = std::max(clamp_.top, std::min(y, clamp_.bottom - h));
  }
  SetPosition(x, y);
}

// --- ruby -----------------------------------------------------------------------------------

void MessageTextWindow::BeginRuby() {
  if (mode_ == kPlain) return;
  rubyMarked_ = true;
  rubyMark_ = Along();
}

Surface* MessageTextWindow::DrawTarget(Surface* target) {
  if (target != nullptr) return target;
  return mode_ == kDrawingPage ? &pageSurface_ : &GetSurface();
}

int32_t MessageTextWindow::DrawRuby(const char* text, Surface* target) {
  if (mode_ == kPlain) return 1;
  Font* ruby = GetRubyFont();
  if (ruby == nullptr || text == nullptr || *text == '\0') return 2;
  const int32_t fh = FontHeightPx(), band = RubyBand();
  if (mode_ == kMeasuring) {
    rubyMarked_ = false;
    LineBox& box = CurrentBox();
    box.hasRuby = 1;
    const int32_t need = band + fh;
    if (IsVertical()) {
      box.left = std::min(box.left, box.right - need);
    } else if (!fixedLinePitch_) {
      box.bottom = std::max(box.bottom, box.top + need);
    }
    return 0;
  }
  const bool marked = rubyMarked_;
  const int32_t from = marked ? rubyMark_ : lastCharStart_;
  const int32_t span = Along() - CharGap() - from;
  rubyMarked_ = false;
  if (span <= 0) return IsVertical() ? 3 : 4;
  Surface* surface = DrawTarget(target);
  // The ruby line: above the base line, or right of the column (turned
  // glyphs lie left of their anchor).
  auto drawAt = [&](int32_t along, const char* s) {
    if (IsVertical()) DrawFontText(ruby, surface, penX_ + band, along, s);
    else DrawFontText(ruby, surface, along, penY_ + glyphDrop_ - band, s);
  };
  Size size;
  ruby->MeasureText(text, &size, nullptr, nullptr, false, nullptr);
  const int32_t rubyLength = size.width;  // along the line, turned or not
  if (!marked) {
    // Over the last character, the whole ruby centred in one piece.
    drawAt(from + (span - rubyLength) / 2, text);
    return 0;
  }
  const int32_t count = CountTextCharacters(text);
  if (count <= 0) return 5;
  const int32_t gap = (span - rubyLength) / (count + 1);
  const int32_t leftover = (span - rubyLength) - gap * (count + 1);
  const int32_t average = rubyLength / count;
  int32_t along = from + leftover / 2 + gap;
  size_t pos = 0;
  TextUnit unit;
  while (true) {
    const size_t at = pos;
    if (!NextTextUnit(text, &pos, &unit)) break;
    if (unit.kind == TextUnit::kLineEnd) continue;
    const std::string one(text + at, pos - at);
    drawAt(along, one.c_str());
    along += gap + average;
  }
  return 0;
}

// --- cursors -----------------------------------------------------------------------------------

int32_t MessageTextWindow::AddCursor(Surface* image, const ClickWaitFrames* frames, int32_t width, bool followText) {
  if (image == nullptr || frames == nullptr) return 1;
  auto cursor = std::make_unique<ClickWaitCursor>();
  cursor->image = image;
  cursor->frames = *frames;
  cursor->width = width;
  cursor->followText = followText;
  cursor->stepper = std::make_unique<FrameStepper>();
  FrameStepperSetup setup;
  setup.target = &GetSurface();
  setup.frames = image;
  setup.frameCount = frames->frameCount;
  setup.frameWidth = frames->frameCount > 0 ? image->GetWidth() / frames->frameCount : 0;
  setup.frameHeight = image->GetHeight();
  setup.x = GetWidth() - MarginRight() - setup.frameWidth;
  setup.y = GetHeight() - MarginBottom() - setup.frameHeight;
  setup.intervalMs = frames->frameMs;
  setup.drawKind = 1;
  setup.restingValue = 1;
  setup.keepBackground = true;
  setup.cycleMs = frames->frameMs * uint32_t(std::max(frames->frameCount, 1)) * 2;
  if (cursor->stepper->Setup(setup, kCursorClockStart) != FrameStepper::kSetupOk) return 2;
  cursors_.push_back(std::move(cursor));
  return 0;
}

const ClickWaitCursor* MessageTextWindow::Cursor(int32_t index) const {
  return index >= 0 && size_t(index) < cursors_.size() ? cursors_[size_t(index)].get() : nullptr;
}

int32_t MessageTextWindow::SelectCursor(int32_t index) {
  const uint8_t chosen = uint8_t(index);
  if (chosen >= cursors_.size()) return 1;
  const bool shown = cursorShown_;
  ShowCursor(false);
  selectedCursor_ = chosen;
  cursors_[chosen]->stepper->Restart();
  if (shown) ShowCursor(true);
  return 0;
}

void MessageTextWindow::ShowCursor(bool show) {
  if (cursors_.empty() || selectedCursor_ >= cursors_.size() || show == cursorShown_) return;
  ClickWaitCursor& cursor = *cursors_[selectedCursor_];
  FrameStripState* strip = cursor.stepper->State();
  if (strip == nullptr) return;
  strip->target = &GetSurface();
  if (show) {
    if (cursor.followText) {
      // Put back what lay under the cursor's last place, then stand after
      // the text.
      cursor.stepper->SetOrigin(IsVertical() ? textEndX_ - strip->frameWidth : textEndX_ + kCursorGap,
                                IsVertical() ? textEndY_ + kCursorGap : textEndY_, false);
    }
    strip->SaveBackgroundFrom(&GetSurface());
    cursor.stepper->Restart();
    cursorShown_ = true;
    return;
  }
  if (strip->savedBackground) {
    GetSurface().Copy(strip->savedBackground.get(), strip->x, strip->y, nullptr, false);
    Rect area = strip->Area();
    WindowSprite().InvalidateSourceRect(&area);
  }
  cursorShown_ = false;
}

void MessageTextWindow::ClearCursors() {
  cursors_.clear();
  selectedCursor_ = 0;
  cursorShown_ = false;
}

// --- overrides ----------------------------------------------------------------------------------

void MessageTextWindow::SetVisible(bool show) {
  // An anchored window has nowhere to stand without a page.
  if (show && anchored_ && pageText_.empty()) show = false;
  if (nameWindow_ != nullptr) nameWindow_->SetVisible(show && !speakerName_.empty());
  WindowControl::SetVisible(show);
}

void MessageTextWindow::Release() {
  if (resizing_) {
    WindowControl::Release();
    return;
  }
  ClearCursors();
  ClearPageText();
  WindowControl::Release();
  if (nameWindow_ != nullptr) nameWindow_->Release();
}

int32_t MessageTextWindow::SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha) {
  if (nameWindow_ != nullptr) nameWindow_->SetBackground(mode, rgb, alpha);
  const int32_t result = WindowControl::SetBackground(mode, rgb, alpha);
  if (result == 0 && selectedCursor_ < cursors_.size()) cursors_[selectedCursor_]->stepper->SaveBackground(&GetSurface());
  return result;
}

void MessageTextWindow::ResetCursor(bool redraw) {
  WindowControl::ResetCursor(redraw);
  penX_ = IsVertical() ? GetWidth() - MarginRight() : MarginLeft();
  penY_ = MarginTop();
  indent_ = 0;
}

void MessageTextWindow::Clear(bool redraw) {
  ShowCursor(false);
  ResetCursor(redraw);
  if (nameWindow_ != nullptr) {
    nameWindow_->ResetCursor(true);
    nameWindow_->SetVisible(false);
  }
  speakerName_.clear();
  voiceCue_.clear();
}

}  // namespace orrivel
