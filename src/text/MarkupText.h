#pragma once
// A MarkupTextBase that draws its page onto a Surface with a Font,
// typewriter style: each Advance moves the read cursor by one token and
// draws exactly the characters it passed. Page read marks live in the
// script context's first scene-flag array, item flags in its second.
//
// Characters are drawn one at a time at the typewriter cursor: a backslash
// starts a new line at the origin x; with square cells a two-byte character
// is centred in a cell as wide as the font is high. Every drawn rectangle
// joins the surface's dirty region and is reported to the owner drawable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/WeakLink.h"
#include "raster/Drawable.h"
#include "raster/Rect.h"
#include "raster/Surface.h"
#include "text/Font.h"
#include "text/MarkupTextBase.h"

namespace orrivel {

class Drawable;
class Font;
class ScriptContext;
class Surface;

class MarkupText : public MarkupTextBase {
 public:
  // The object's own outline-path byte, for DrawString and DrawItem.
  static constexpr uint8_t kOwnMode = 255;
  static constexpr int kNoFlagMode = 255;

  explicit MarkupText(ScriptContext* context = nullptr);
  ~MarkupText() override;

  bool IsPageRead(uint8_t markByte, uint16_t markNumber) override;
  void MarkPageRead(uint8_t markByte, uint16_t markNumber) override;
  // The typewriter cursor back to the origin.
  void ResetCursor() override;
  virtual int32_t GetCursorX() const { return cursorX_; }
  virtual int32_t GetCursorY() const { return cursorY_; }

  // 1 when surface or font is null; else stores everything, origin and
  // cursor at (x, y), and answers 0. owner may be null.
  int Setup(Surface* surface, Drawable* owner, int32_t x, int32_t y, Font* font, uint8_t outlinePath,
            uint8_t squareCells, int32_t letterSpacing);
  // Reads one token: 1 without surface, font or text. A character is drawn
  // and gives 0; with skip the run of characters up to the next other token
  // is drawn and that token's kind returned. "&" and the end reset the
  // cursor. Other kinds are returned as they are.
  int Advance(bool skip);
  // Reads from the start of the body up to position (nothing for a
  // negative one), drawing the passed range when draw is set: 0; -1 without
  // text.
  int Seek(int64_t position, bool draw);
  // Redraws everything read so far from the origin: 1; 0 without surface
  // or text.
  int DrawAll();
  // Draws the characters of body bytes [from, to) at the cursor: 0; 1 when
  // the range is empty or there is nothing to draw with.
  int DrawRange(size_t from, size_t to);
  // Component n of the body (0: all) or item n at (x, y); a null surface or
  // font falls back to the object's, mode kOwnMode to its outline-path
  // byte. 0; 1 no surface or font; 2 no such text; 3 drawing failed.
  int DrawString(int32_t x, int32_t y, int32_t component, Surface* surface, Font* font, uint8_t mode);
  int DrawItem(int32_t n, int32_t x, int32_t y, Surface* surface, Font* font, uint8_t mode);
  // The body up to its end or the first "$" or "&", without tags, blocks
  // and picture glyphs; a backslash becomes CR LF with lineBreaks and is
  // dropped otherwise. Copied into buffer (cut to size, NUL-terminated; null
  // only counts); returns the full length with the NUL.
  size_t GetPlainText(char* buffer, size_t size, bool lineBreaks) const;

  // Item flags in the second scene-flag array at flag base + n: 1 (0 for
  // Get) without items, with flag mode 2, or n not below the item limit.
  int SetItemFlag(int32_t n);
  int GetItemFlag(int32_t n) const;
  // kNoFlagMode without items, else the item flag mode.
  int GetFlagMode() const;

  // Remembers the read position in the current page: 1, or 0 without text.
  int SaveCursor();
  // Puts it back while the same page is current: 1; else 0 (no change).
  int RestoreCursor();

  Surface* TargetSurface() const { return surface_.Get(); }
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }

 private:
  // Draws one character token and moves the cursor.
  void DrawCharacter(const MarkupToken& token);
  // Draws text at (x, y) with font on surface (through the outline font's
  // surface road when outlinePath is set) and reports the rectangle; false
  // when the font could not draw.
  bool DrawAndReport(Surface* surface, Font* font, uint8_t outlinePath, int32_t x, int32_t y, const char* text,
                     platform::Point* end);
  void Report(Surface* surface, const Rect& bounds);
  // Whether item n has a flag: items, a flag mode other than 2, n below the limit.
  bool HasItemFlag(int32_t n) const;
  int DrawText(Surface* surface, Font* font, uint8_t mode, int32_t x, int32_t y, const char* text);

  ScriptContext* context_;
  // The script's picture, sprite and font: each one deleted under the text
  // leaves it as if it had never been given.
  WeakLink<Surface> surface_;
  WeakLink<Drawable> owner_;
  WeakLink<Font> font_;

  uint8_t outlinePath_ = 1;
  uint8_t squareCells_ = 0;
  int32_t letterSpacing_ = 0;
  int32_t originX_ = 0, originY_ = 0;
  int32_t cursorX_ = 0, cursorY_ = 0;
  bool cursorSaved_ = false;
  uint64_t savedSerial_ = 0;
  size_t savedOffset_ = 0;
};

}  // namespace orrivel
