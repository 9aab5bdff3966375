#pragma once
// The list of selectable text lines as the player sees it. Each line is a
// small 32-bit picture holding the line's text once per visual state, side
// by side (cells: normal, hover, then optionally pressed and disabled); an
// ImageSprite shows one cell, and a change of state only moves the sprite's
// source rectangle. Optional header and footer pictures frame the lines, an
// optional frame picture (with up to two 8-bit masks) gives each line a
// drawn background, and an optional mark picture flags lines chosen before.
// The list is centred vertically on its anchor.
//
// Main thread only.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/TextListControlBase.h"

namespace orrivel {


class TextListControl : public TextListControlBase {
 public:
  // The frame pictures of one part: a 32-bit picture and two 8-bit masks,
  // each optional, borrowed or owned.
  struct FrameSet {
    Surface* picture = nullptr;
    Surface* mask1 = nullptr;
    Surface* mask2 = nullptr;
  };
  struct FrameFiles {
    const char* picture = nullptr;
    const char* mask1 = nullptr;
    const char* mask2 = nullptr;
  };

  TextListControl() = default;
  ~TextListControl() override;

  // --- Control ------------------------------------------------------------------------
  int32_t GetX() const override { return x_; }
  int32_t GetY() const override { return y_; }
  // The header at (x, y), the lines one pitch apart below it, then the
  // footer. Nothing without lines.
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  // The first line's visibility; false without lines.
  bool IsVisible() const override;
  // 1 without lines.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  // Every sprite's opacity.
  void SetDrawFlags(uint8_t value) override;
  uint8_t IsReady() const override;
  bool SetEnabled(bool enable) override;
  bool HitTest(int32_t x, int32_t y) override;

  // --- lines ---------------------------------------------------------------------------
  // Removes every line, its picture and sprite; hides header and footer.
  void Clear();
  // Builds the line's picture and sprite, appends its record and lays the
  // list out again. 1 not configured (no sprite list or font) or null
  // text; 2 the picture or its sprite cannot be made (earlier lines stay).
  int32_t AddLine(const TextListLineArgs& line);
  // 1 without a font. Clears the list first.
  int32_t Configure(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t lineWidth, int32_t lineHeight,
                    int32_t lineSpacing, Font* font, uint32_t spriteFlags);
  void ClearAndSetSpriteList(SpriteList* list);

  // --- looks -----------------------------------------------------------------------------
  // 1 for a size not above 0. Drops the frame; plain header and footer of
  // those heights (0: none).
  int32_t SetLineSize(int32_t lineWidth, int32_t lineHeight, int32_t headerHeight, int32_t footerHeight);
  // cells 1-4; fewer than 3 cells take neither flag, 3 cells not both; the
  // body needs a picture or a mask: else 1. 2 when a file does not load.
  int32_t SetFrameFiles(int32_t cells, bool hasPressed, bool hasDisabled, const FrameFiles& body,
                        const FrameFiles& header, const FrameFiles& footer);
  // The same from surfaces, which stay the caller's.
  int32_t SetFrameSurfaces(int32_t cells, bool hasPressed, bool hasDisabled, const FrameSet& body,
                           const FrameSet& header, const FrameSet& footer);
  void ReleaseFrame();
  // -1 when all three are unchanged; else repaints the backgrounds. 0.
  int32_t SetBackground(uint8_t frameMode, uint32_t rgb, uint8_t alpha);
  // 1 when it does not load (no mark then).
  int32_t LoadMarkImage(const char* file);
  void RedrawPlain(bool rgbChanged, bool alphaChanged);
  void RedrawFrame(bool modeChanged, bool rgbChanged, bool alphaChanged);

  // --- TextListControlBase ----------------------------------------------------------------
  void ShowLineCell(int32_t index, uint8_t state) override;
  int32_t GetLineCentre(int32_t index, int32_t* x, int32_t* y) const override;
  int32_t LineAt(int32_t x, int32_t y) const override;
  bool HitFrame(int32_t x, int32_t y) const override;

  // --- state ----------------------------------------------------------------------------------
  bool HasFrame() const { return frameCells_ != 0; }
  int32_t CellWidth() const;
  // Cells of a line picture.
  int32_t CellCount() const;
  int32_t LineHeight() const;
  int32_t Pitch() const;
  int32_t HeaderHeight() const { return header_ ? headerHeight_ : 0; }
  int32_t FooterHeight() const { return footer_ ? footerHeight_ : 0; }
  Surface* LinePicture(int32_t index) const;
  const ImageSprite* LineSprite(int32_t index) const;
  ImageSprite* LineSprite(int32_t index) {
    return const_cast<ImageSprite*>(static_cast<const TextListControl*>(this)->LineSprite(index));
  }
  ImageSprite* HeaderSprite() const { return headerSprite_.get(); }
  ImageSprite* FooterSprite() const { return footerSprite_.get(); }
  Surface* HeaderPicture() const { return header_.get(); }
  int32_t DisabledCellOffset() const { return disabledOffset_; }

 private:
  struct FramePart {
    FrameSet set;
    std::unique_ptr<Surface> owned[3];
    bool Any() const { return set.picture != nullptr || set.mask1 != nullptr || set.mask2 != nullptr; }
    Surface* First() const;
  };
  static int32_t CheckCells(int32_t cells, bool hasPressed, bool hasDisabled);
  // The frame is in place: cell flags, composed surfaces and the repaint.
  int32_t ApplyFrame(int32_t cells, bool hasPressed, bool hasDisabled);
  // A header or footer surface of that size with its sprite.
  static bool MakeStrip(int32_t width, int32_t height, std::unique_ptr<Surface>* surface,
                        std::unique_ptr<ImageSprite>* sprite);
  void ComposePart(const FramePart& part, Surface* composed, bool modeChanged, bool rgbChanged,
                   bool alphaChanged);
  void FillPlain(Surface* surface, const Rect* rect);
  // The line's background: the plain fill or the composed frame body.
  bool PaintLineBackground(Surface* picture);
  void DrawLineCells(Surface* picture, int32_t index, const TextListLine* record);
  void DrawLineText(Surface* picture, int32_t x, int32_t y, const std::string& text);
  void SetTextColour(uint32_t rgb, const uint32_t* gradient);
  void Relayout();
  void PlaceStrip(ImageSprite* sprite, int32_t x, int32_t y);
  // Where line i lies while it shows no press.
  int32_t LineTop(int32_t index) const;

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  uint32_t spriteFlags_ = 0;
  int32_t x_ = 0, y_ = 0;
  int32_t lineWidth_ = 0, lineHeight_ = 0;
  bool hasHoverCell_ = false;
  int32_t disabledOffset_ = 0;
  // Cells of the frame picture; 0: no frame.
  int32_t frameCells_ = 0;
  FramePart body_, headerFrame_, footerFrame_;
  Surface bodyComposed_;
  int32_t headerHeight_ = 0, footerHeight_ = 0;
  std::unique_ptr<Surface> header_, footer_;
  std::unique_ptr<ImageSprite> headerSprite_, footerSprite_;
  std::unique_ptr<Surface> mark_;
  std::deque<std::unique_ptr<Surface>> pictures_;
  std::deque<std::unique_ptr<ImageSprite>> sprites_;
};

}  // namespace orrivel
