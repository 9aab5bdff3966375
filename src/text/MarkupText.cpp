#include "text/MarkupText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/Cp932.h"
#include "raster/Drawable.h"
#include "raster/Surface.h"
#include "script/ScriptContext.h"
#include "text/OutlineFont.h"

namespace orrivel {

MarkupText::MarkupText(ScriptContext* context)
    : MarkupTextBase(context ? &context->Space() : nullptr), context_(context) {}

MarkupText::~MarkupText() = default;

// The mark byte picks the flag entry as the item flag mode does: 0 the
// current scene's, non-zero the entry shared by every scene.
bool MarkupText::IsPageRead(uint8_t markByte, uint16_t markNumber) {
  return context_ && context_->TestSceneFlagA(markNumber, markByte != 0);
}

void MarkupText::MarkPageRead(uint8_t markByte, uint16_t markNumber) {
  if (context_) context_->SetSceneFlagA(markNumber, markByte != 0);
}

void MarkupText::ResetCursor() {
  cursorX_ = originX_;
  cursorY_ = originY_;
}

int MarkupText::Setup(Surface* surface, Drawable* owner, int32_t x, int32_t y, Font* font, uint8_t outlinePath,
                      uint8_t squareCells, int32_t letterSpacing) {
  if (!surface || !font) return 1;
  surface_ = surface;
  owner_ = owner;
  font_ = font;
  outlinePath_ = outlinePath;
  squareCells_ = squareCells;
  letterSpacing_ = letterSpacing;
  originX_ = cursorX_ = x;
  originY_ = cursorY_ = y;
  return 0;
}

// --- typewriter ------------------------------------------------------------------

int MarkupText::Advance(bool skip) {
  if (!surface_ || !font_ || !hasText_) return 1;
  int kind = NextToken();
  if (kind == kTokenCharacter) {
    const size_t start = lastToken_.start;
    if (!skip) {
      DrawRange(start, cursor_);
      return kTokenCharacter;
    }
    kind = NextNonCharacterToken();
    DrawRange(start, kind == kTokenBad ? cursor_ : lastToken_.start);
  }
  if (kind == kTokenClearPage || kind == kTokenEnd) ResetCursor();
  return kind;
}

int MarkupText::Seek(int64_t position, bool draw) {
  if (!hasText_) return -1;
  cursor_ = 0;
  ResetCursor();
  while (int64_t(cursor_) < position) {
    const int kind = NextToken();
    if (kind == kTokenBad || kind == kTokenEnd) break;
  }
  if (draw) DrawRange(0, cursor_);
  return 0;
}

int MarkupText::DrawAll() {
  if (!surface_ || !hasText_) return 0;
  ResetCursor();
  DrawRange(0, cursor_);
  return 1;
}

int MarkupText::DrawRange(size_t from, size_t to) {
  to = std::min(to, body_.size());
  if (!surface_ || !font_ || !hasText_ || from >= to) return 1;
  size_t pos = from;
  while (pos < to) {
    const MarkupToken token = ScanToken(body_.data(), body_.size(), pos);
    if (token.kind == kTokenBad || token.kind == kTokenEnd || token.end <= pos) break;
    if (token.kind == kTokenCharacter) DrawCharacter(token);
    pos = token.end;
  }
  return 0;
}

void MarkupText::DrawCharacter(const MarkupToken& token) {
  const char* bytes = body_.data() + token.character;
  const bool escaped = token.character != token.start;
  const int32_t height = font_->PixelHeight();
  if (!escaped && token.characterLength == 1 && (bytes[0] == '\\' || bytes[0] == '\n')) {
    cursorX_ = originX_;
    cursorY_ += height + font_->lineSpacing;
    return;
  }
  std::string text(bytes, token.characterLength);
  // An escaped "@" is the character itself, not a picture glyph.
  if (escaped && text == "@") text = "@@";
  const bool doubleByte = token.characterLength == 2 && cp932::IsLeadByte(bytes[0]);
  Point end{cursorX_, cursorY_};
  if (squareCells_ && doubleByte) {
    Size size;
    font_->MeasureText(text.c_str(), &size, nullptr, nullptr, false, nullptr);
    DrawAndReport(surface_.Get(), font_.Get(), outlinePath_, cursorX_ + (height - size.width) / 2, cursorY_, text.c_str(), &end);
    cursorX_ += height + letterSpacing_;
    return;
  }
  if (!DrawAndReport(surface_.Get(), font_.Get(), outlinePath_, cursorX_, cursorY_, text.c_str(), &end)) end.x = cursorX_;
  cursorX_ = end.x + letterSpacing_;
}

bool MarkupText::DrawAndReport(Surface* surface, Font* font, uint8_t outlinePath, int32_t x, int32_t y,
                               const char* text, Point* end) {
  Rect bounds;
  // The outline path is the outline font's own road onto 32-bit surfaces;
  // any other font, or the path switched off, draws through DrawText.
  auto* outline = outlinePath && font->GetKind() == kFontKindOutline ? static_cast<OutlineFont*>(font) : nullptr;
  const int result = outline ? outline->DrawTextToSurface(surface, x, y, text, &bounds, end)
                             : font->DrawText(surface, x, y, text, &bounds, end);
  if (result != 0) return false;
  Report(surface, bounds);
  return true;
}

void MarkupText::Report(Surface* surface, const Rect& bounds) {
  Rect drawn;
  if (!IntersectRects(&drawn, bounds, Rect{0, 0, surface->GetWidth(), surface->GetHeight()})) return;
  surface->MarkDirty(drawn);
  if (owner_ && surface == surface_) owner_->InvalidateSourceRect(&drawn);
}

// --- whole strings ----------------------------------------------------------------

int MarkupText::DrawText(Surface* surface, Font* font, uint8_t mode, int32_t x, int32_t y, const char* text) {
  Point end;
  return DrawAndReport(surface, font, mode, x, y, text, &end) ? 0 : 3;
}

int MarkupText::DrawString(int32_t x, int32_t y, int32_t component, Surface* surface, Font* font,
                           uint8_t mode) {
  surface = surface ? surface : surface_.Get();
  font = font ? font : font_.Get();
  if (!surface || !font) return 1;
  const size_t length = GetComponent(component, nullptr, 0);
  if (length == 0) return 2;
  std::string text(length, '\0');
  GetComponent(component, text.data(), length);
  return DrawText(surface, font, mode == kOwnMode ? outlinePath_ : mode, x, y, text.c_str());
}

int MarkupText::DrawItem(int32_t n, int32_t x, int32_t y, Surface* surface, Font* font, uint8_t mode) {
  surface = surface ? surface : surface_.Get();
  font = font ? font : font_.Get();
  if (!surface || !font) return 1;
  const char* text = GetItem(n);
  if (!text) return 2;
  return DrawText(surface, font, mode == kOwnMode ? outlinePath_ : mode, x, y, text);
}

size_t MarkupText::GetPlainText(char* buffer, size_t size, bool lineBreaks) const {
  std::string out;
  size_t pos = 0;
  bool more = hasText_;
  while (more) {
    const MarkupToken token = ScanToken(body_.data(), body_.size(), pos);
    switch (token.kind) {
      case kTokenCharacter: {
        const char* bytes = body_.data() + token.character;
        const bool escaped = token.character != token.start;
        if (escaped || (bytes[0] != '\\' && bytes[0] != '@')) {
          out.append(bytes, token.characterLength);
        } else if (bytes[0] == '\\') {
          if (lineBreaks) out += "\r\n";
        } else if (token.characterLength == 2 && bytes[1] == '@') {
          out += '@';  // "@@"; "@" with digits is a picture and left out
        }
        break;
      }
      case kTokenQuoted:
      case kTokenTag:
      case kTokenBlock:
        break;
      default:
        more = false;  // "$", "&", the end, or damage
        break;
    }
    pos = token.end;
  }
  if (buffer && size > 0) {
    const size_t copied = std::min(out.size(), size - 1);
    std::memcpy(buffer, out.data(), copied);
    buffer[copied] = '\0';
  }
  return out.size() + 1;
}

// --- item flags and the saved cursor ----------------------------------------------

bool MarkupText::HasItemFlag(int32_t n) const {
  return context_ && !items_.empty() && itemFlagMode_ != kNoItemFlags && n >= 0 && n < int32_t(itemLimit_);
}

int MarkupText::SetItemFlag(int32_t n) {
  if (!HasItemFlag(n)) return 1;
  // Flag mode 0 names the current scene's flags, 1 the shared entry's.
  context_->SetSceneFlagB(uint32_t(itemFlagBase_) + uint32_t(n), itemFlagMode_ != 0);
  return 0;
}

int MarkupText::GetItemFlag(int32_t n) const {
  if (!HasItemFlag(n)) return 0;
  return context_->TestSceneFlagB(uint32_t(itemFlagBase_) + uint32_t(n), itemFlagMode_ != 0) ? 1 : 0;
}

int MarkupText::GetFlagMode() const { return items_.empty() ? kNoFlagMode : itemFlagMode_; }

int MarkupText::SaveCursor() {
  if (!hasText_) return 0;
  cursorSaved_ = true;
  savedSerial_ = pageSerial_;
  savedOffset_ = cursor_;
  return 1;
}

int MarkupText::RestoreCursor() {
  // Pages are compared by serial, not by buffer address: a new page may
  // well get the old page's memory.
  if (!cursorSaved_ || !hasText_ || savedSerial_ != pageSerial_) return 0;
  cursor_ = std::min(savedOffset_, body_.size());
  return 1;
}

}  // namespace orrivel
