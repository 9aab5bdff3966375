#pragma once
// The framed text window of the widget set (control kind 5): a 32-bit
// surface shown by a sprite, into which text is laid out glyph by glyph in
// horizontal or vertical writing, with automatic wrap under the
// line-breaking rules, hanging punctuation, ruby, inline picture glyphs and
// upright runs in vertical text; a text cursor; and runs of text made into
// selectable items (choices and links) painted into an 8-bit item mask,
// chosen by pointer and keys. The window can be dragged by its frame.
//
// The message window of the text-adventure frame derives from it and
// overrides the virtual Release, SetVisible, Tick, SetBackground,
// ResetCursor and NewLine; it relies on PutChar, NewLine, ClearPage,
// ResetCursor, the items and the wait-mark offsets as they are here.
//
// Coordinates: the cursor, margins and item rectangles are surface
// (window) pixels. Horizontal lines sit on the cursor's y, glyphs on the
// line's bottom. In vertical writing columns run right to left and the
// cursor's x is the column's right edge (vertical glyphs lie left of the
// pen).
//
// Main thread only.
#include <cstdint>
#include <deque>
#include <memory>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/WindowControlBase.h"
#include "text/Font.h"

namespace orrivel {


class WindowControl : public WindowControlBase {
 public:
  // The item mask holds item + 1 in a byte and 0 for the background; items
  // past this many are refused rather than wrapping onto the background.
  static constexpr int32_t kMaxItems = 254;
  // How far the pointer must move before a click may activate an item
  // after a page clear or a finished item.
  static constexpr int32_t kClickGuardPixels = 3;
  // At most this many digits of "@" + digits go to the font as one picture.
  static constexpr int kPictureDigits = 6;
  // Vertical writing turns the fonts by this many tenths of a degree.
  static constexpr int32_t kVerticalAngle = 2700;
  // Host cursor kinds set by the window.
  static constexpr int32_t kCursorNormal = 0, kCursorItem = 1, kCursorFrame = 3;
  static constexpr uint32_t kActionDecide = 4;
  static constexpr uint8_t kPointerButton = 0;
  // The host's default sounds.
  static constexpr int32_t kSoundActivate = -4, kSoundEnter = -3, kSoundLeave = -2;

  WindowControl() = default;
  ~WindowControl() override;

  // --- Control ----------------------------------------------------------------------
  int32_t GetKind() const override { return kControlWindow; }
  int32_t GetX() const override { return sprite_.GetX(); }
  int32_t GetY() const override { return sprite_.GetY(); }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  bool IsVisible() const override { return sprite_.IsVisible(); }
  // 1 without a sprite list; else 0.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override;
  uint8_t IsReady() const override { return sprite_.GetOpacity(); }
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // --- creation and settings ------------------------------------------------------------
  // 1 no sprite list or no font, or neither a frame image nor a positive
  // size; 2 the surface or 3 the item mask cannot be made; else 0 with the
  // page cleared. A frame image set without tiling gives the size.
  int32_t Create(SpriteList* list, int32_t order, int32_t width, int32_t height, int32_t x, int32_t y, Font* font,
                 Font* rubyFont, int32_t group);
  // Frees the items, leaves the sprite list and frees the surfaces.
  virtual void Release();
  // Takes the window's sprites out of its sprite list and forgets the list
  // (whose canvas is going away); the window keeps its page and surfaces
  // and goes on drawing into them, shown nowhere.
  void LeaveSpriteList();
  // The window and its item sprites go to another list with their order
  // and group (a screen that shows over another canvas for a while). 1
  // without a list now or a new one, or when the window is in no list; 0.
  int32_t MoveToList(SpriteList* list);
  // 1 without a font, -1 without a surface, else 0.
  int32_t SetFonts(Font* font, Font* rubyFont, bool redraw);
  // The frame picture (borrowed): drawn at the origin without a tile size,
  // else as a nine-slice frame with the four corner sizes and the edges and
  // centre repeated in tile steps. A tile width or height of 0 (with the
  // other set) or below 0 draws no frame. Takes effect at the next page
  // clear; Create sizes the window to an untiled frame.
  void SetFrameImages(Surface* frame, int32_t tileWidth, int32_t tileHeight, int32_t cornerLeft, int32_t cornerTop,
                      int32_t cornerRight, int32_t cornerBottom);
  // Forgets the frame and the item-state pictures (the items of the page
  // go with their sprites).
  void ClearFrameImages();
  // Loads the frame picture and the item-state pictures (normal and
  // highlighted: window-sized pictures whose part under an item's
  // rectangles is shown over it) by file name; a null or empty name is
  // none. 0; 1 the frame, 2 the normal or 3 the highlighted picture failed
  // to load, with nothing changed. Frame settings as SetFrameImages; the
  // items of the page are dropped, as their sprites showed the old pictures.
  int32_t LoadFrameImages(const char* frame, const char* normal, const char* highlighted, int32_t tileWidth,
                          int32_t tileHeight, int32_t cornerLeft, int32_t cornerTop, int32_t cornerRight,
                          int32_t cornerBottom);
  // Without a frame picture the background fills only this rectangle
  // (window pixels; an empty one is the whole window) at the next page
  // clear, leaving the rest clear.
  void SetFrameRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Re-creates the window with its current settings (an untiled frame
  // picture gives the size); 3 on failure, the window then released.
  int32_t Rebuild();
  // A new size (a tiled frame rounds the inner part to whole tiles, at
  // least one); the page is cleared. 1 no window or a size below 1; else
  // Create's result (2 surface, 3 item mask), the window released on
  // failure.
  int32_t Resize(int32_t width, int32_t height);
  // -1 unchanged, -2 no surface, else 0 after a page clear.
  virtual int32_t SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha);
  void SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom, bool redraw);
  void SetItemInsets(int32_t left, int32_t top, int32_t right, int32_t bottom, bool redraw);
  // Makes or frees the item mask; 3 when it cannot be made, else 0.
  int32_t SetItemsEnabled(bool on);
  // 0; 1 or 2 a body face change failed (vertical, horizontal), 3 or 4 the
  // ruby face's.
  int32_t SetVertical(bool on, bool redraw);
  void SetAutoWrap(bool on) { autoWrap_ = on; }
  void SetHangCount(int32_t cells);
  void SetGaps(int32_t lineGap, int32_t charGap, int32_t rubyGap);
  void SetMinLineHeight(int32_t height);
  void SetRubyEnabled(bool on);
  void SetCentreWideGlyphs(bool on) { centreWideGlyphs_ = on; }
  void SetAlphaThreshold(uint8_t threshold) { alphaThreshold_ = threshold; }
  // For a window whose background is clear, so that only its text stands
  // over what lies behind it: text is then laid over the window's pixels
  // as a picture of its own, its colours whole where its glyphs (with
  // their shadow or outline) cover them and their coverage joined to the
  // alpha already there. Otherwise text blends into the colours and keeps
  // the alpha already there (the window's background's).
  void SetTextCarriesAlpha(bool on) { textCarriesAlpha_ = on; }
  bool TextCarriesAlpha() const { return textCarriesAlpha_; }

  // --- cursor and page -----------------------------------------------------------------
  // Either coordinate relative to the margins; a negative one is left.
  void SetCursor(int32_t x, int32_t y);
  void GetGlyphOrigin(int32_t* x, int32_t* y, int32_t glyphWidth, int32_t glyphHeight) const;
  void ClearPage();
  virtual void ResetCursor(bool redraw);
  void CarriageReturn(bool redraw);
  // True when the next line does not fit (the cursor stays).
  virtual bool NewLine();

  // --- drawing ---------------------------------------------------------------------------
  // Lays out one character of *text and moves *text past it: 0 drawn, -1
  // drawn after a line break, 1 the page is full (nothing consumed). A line
  // feed breaks the line (-1, or 1 on a full page). A character at the
  // start of its line never wraps, and one that would end past the margin
  // wraps even short of the wrap limit. Without a font nothing is consumed
  // and the result is 0. A lead byte at the end of the text is consumed and
  // dropped.
  int32_t PutChar(const char** text, Surface* target);
  int32_t PutNext(const char** text) { return PutChar(text, nullptr); }
  // The whole string in one piece without wrapping, the cursor first moved
  // to (x, y) from the margins. 1 without a font or string, else 0.
  int32_t DrawStringAt(const char* text, int32_t x, int32_t y, bool viaSetCursor);
  // Vertical writing only (2 otherwise; 3 no font or string): the string
  // upright, centred in the column, advancing one cell. 1 page full.
  int32_t DrawHorizontalRun(const char* text);
  // A picture file drawn at the cursor as one glyph with its alpha, standing
  // on the line's bottom as if height pixels tall (the picture's own height
  // when 0 or less); advances by its length along the line plus the
  // character gap. 2 no window or the picture cannot be loaded (nothing
  // drawn), else PutChar's results.
  int32_t DrawPictureFile(const char* name, int32_t height);
  // Frame alpha at window point (x, y) counts when inside the window,
  // outside the text area and at least the threshold.
  bool IsOpaqueAt(int32_t x, int32_t y);
  // Paints a rectangle of the item mask with a value.
  void FillItemMask(const Rect& rect, uint8_t value);
  // The item under window point (x, y), -1 none.
  int32_t ItemAtMask(int32_t x, int32_t y) const;

  // --- WindowControlBase ---------------------------------------------------------------------
  void ClearItems() override;
  int32_t AddItem(const WindowItemOptions& options) override;
  void RecordItemGlyph(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void CloseItemSegment() override;
  void EndItem() override;
  void StopDrag() override { dragging_ = false; }
  void LockItems(bool on) override { itemsLocked_ = on; }
  int32_t UpdateLineHeight() override;
  int32_t WaitMarkX() const override;
  int32_t WaitMarkY() const override;
  int32_t WaitMarkOffset() const override { return -itemInsetTop_; }
  void RecomputeWrapLimit() override;
  void RefreshMetrics() override;
  bool TryNewLine() override;
  void MarkIndent() override;
  void ClearIndent() override { indent_ = 0; }
  int32_t SetRuby(const char* text) override;
  // 0 centred both ways, 1 centred along the line, 2 at the line's start, 3
  // at its end (1-3 keep the line). 1 without a font or string.
  int32_t DrawAligned(const char* text, int32_t alignment) override;
  // Spreads the characters of *text over rect (widened by the item insets)
  // with equal gaps; PutChar's results, *text left where drawing stopped.
  int32_t DrawJustified(const char** text, const Rect& rect) override;
  int32_t ActivateItem(int32_t index) override;
  int32_t SelectItem(int32_t index) override;
  int32_t EnterItem(int32_t index) override;
  void LeaveItem(int32_t index) override;
  bool IsNoBreakSingle(uint8_t next) const override;
  bool IsNoBreakDouble(uint16_t next) const override;

  // --- state -------------------------------------------------------------------------------
  Surface& GetSurface() { return surface_; }
  const ImageSprite& Sprite() const { return sprite_; }
  ImageSprite& WindowSprite() { return sprite_; }
  Surface* ItemMask() const { return itemMask_.get(); }
  Font* GetFont() const { return font_.Get(); }
  Font* GetRubyFont() const { return rubyFont_.Get(); }
  int32_t CursorX() const { return cursorX_; }
  int32_t CursorY() const { return cursorY_; }
  int32_t LineHeight() const { return lineHeight_; }
  int32_t LineAdvance() const { return lineAdvance_; }
  int32_t WrapLimit() const { return wrapLimit_; }
  int32_t LineStartPos() const { return lineStartPos_; }
  int32_t Indent() const { return indent_; }
  uint16_t PrevChar() const { return prevChar_; }
  bool IsPageFull() const { return pageFull_; }
  bool IsAtLineStart() const { return atLineStart_; }
  bool IsVertical() const { return vertical_; }
  bool IsDragging() const { return dragging_; }
  bool AreItemsLocked() const { return itemsLocked_; }
  bool IsClickGuarded() const { return clickGuard_; }
  bool IsItemOpen() const { return itemOpen_; }
  int32_t ItemCount() const { return int32_t(items_.size()); }
  const WindowItemRecord* Item(int32_t index) const;
  int32_t HoverItem() const { return hoverItem_; }
  const char* CurrentTooltip() const { return currentTooltip_; }
  int32_t MarginLeft() const { return marginLeft_; }
  int32_t MarginTop() const { return marginTop_; }
  int32_t MarginRight() const { return marginRight_; }
  int32_t MarginBottom() const { return marginBottom_; }
  int32_t LineGap() const { return lineGap_; }
  int32_t CharGap() const { return charGap_; }
  int32_t RubyGap() const { return rubyGap_; }
  bool AutoWraps() const { return autoWrap_; }
  bool CentresWideGlyphs() const { return centreWideGlyphs_; }

 protected:
  // Shows an item's sprites with the highlighted or the normal picture (a
  // state without a picture hides them). A negative index hides them all.
  virtual void ShowItemSprites(int32_t index, bool highlighted);
  bool HasItemPictures() const { return itemPictures_[0] != nullptr || itemPictures_[1] != nullptr; }
  // Draws text with the body or ruby font at (x, y): the outline font's
  // surface road, another font's own drawing, or laid over the pixels when
  // the text carries its alpha. Reports the drawn rectangle as changed and
  // gives the pen after the text.
  Point DrawFontText(Font* font, Surface* target, int32_t x, int32_t y, const char* text);
  Surface* Target(Surface* target) { return target != nullptr ? target : &surface_; }

 private:
  // DrawFontText's road when the text carries its alpha.
  void CompositeFontText(Font* font, Surface* target, int32_t x, int32_t y, const char* text, Rect* drawn,
                         Point* end);
  int32_t FontHeight() const;
  int32_t RubyHeight() const;
  // Along the line: x in horizontal writing, y in vertical.
  int32_t& Along() { return vertical_ ? cursorY_ : cursorX_; }
  int32_t AlongLimit() const { return vertical_ ? height_ - marginBottom_ : width_ - marginRight_; }
  // Step 2 of PutChar for something of the given length: 0 stays, -1 a line
  // was broken, 1 the page is full. A glyph that may run past the margin
  // short of the wrap limit is measured to see whether it still fits.
  int32_t WrapBefore(int32_t length, bool mayHang, const char* glyph = nullptr);
  // The cursor stands where its line starts (margin plus indent): nothing
  // has been laid out on the line yet.
  bool AtLineHead() const;
  void DrawFrame();
  void DrawNineSlice();
  void FillBackground();
  void RecordPointer();
  bool IsItemReady(int32_t index) const;
  bool HasFinishedItems() const;
  void LeaveSelected();
  void PlayItemSound(const std::string& name, int32_t channel, int32_t fallback);
  // A sprite over rect showing that part of the item-state picture.
  void AddItemSprite(WindowItemRecord& item, const Rect& rect);
  template <typename Visit>
  void ForEachItemSprite(Visit visit) {
    for (auto& item : items_)
      for (auto& sprite : item->sprites) visit(*sprite);
  }
  int32_t Recreate(int32_t width, int32_t height);

  // The script's fonts: one deleted under the window leaves it as if it
  // had never had it.
  WeakLink<Font> font_;
  WeakLink<Font> rubyFont_;

  int32_t width_ = 0, height_ = 0;
  uint32_t backgroundRgb_ = 0;
  uint8_t backgroundMode_ = 0;
  uint8_t backgroundAlpha_ = 0;
  int32_t marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
  int32_t minLineHeight_ = 0;
  int32_t lineHeight_ = 0;
  int32_t lineAdvance_ = 0;
  int32_t itemInsetLeft_ = 0, itemInsetTop_ = 0, itemInsetRight_ = 0, itemInsetBottom_ = 0;
  int32_t cursorX_ = 0, cursorY_ = 0;
  bool itemsEnabled_ = false;
  bool centreWideGlyphs_ = false;
  bool vertical_ = false;
  bool autoWrap_ = true;
  int32_t lineGap_ = 0, charGap_ = 0, rubyGap_ = 0;
  int32_t hangCount_ = 1;
  int32_t wrapLimit_ = 0;
  uint8_t alphaThreshold_ = 0;
  bool textCarriesAlpha_ = false;
  int32_t indent_ = 0;
  const char* pendingRuby_ = nullptr;
  bool pageFull_ = false;
  uint16_t prevChar_ = 0;
  bool atLineStart_ = false;
  bool rubyEnabled_ = false;
  bool dragging_ = false;
  int32_t dragX_ = 0, dragY_ = 0;
  bool itemsLocked_ = false;
  bool clickGuard_ = false;
  int32_t guardX_ = 0, guardY_ = 0;
  std::deque<std::unique_ptr<WindowItemRecord>> items_;
  bool itemOpen_ = false;
  // The open item's current hit rectangle (empty: none yet).
  Rect segment_{0, 0, 0, 0};
  bool segmentOpen_ = false;
  int32_t hoverItem_ = -1;
  const char* currentTooltip_ = nullptr;
  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  Surface surface_;
  // Scratch for text that carries its alpha, kept between characters.
  Surface textPiece_;
  ImageSprite sprite_;
  Surface* frameImage_ = nullptr;
  int32_t tileWidth_ = 0, tileHeight_ = 0;
  int32_t cornerLeft_ = 0, cornerTop_ = 0, cornerRight_ = 0, cornerBottom_ = 0;
  int32_t lineStartPos_ = 0;
  std::unique_ptr<Surface> itemMask_;
  // Pictures loaded by LoadFrameImages: the frame, then the normal and the
  // highlighted item-state pictures.
  std::unique_ptr<Surface> ownFrame_;
  std::unique_ptr<Surface> itemPictures_[2];
  Rect framePlacement_{0, 0, 0, 0};
};

}  // namespace orrivel
