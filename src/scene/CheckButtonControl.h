#pragma once
// A check button drawn from a strip of state cells laid side by side in
// one picture, shown one cell at a time by an ImageSprite. How many cells
// the strip holds and which cell shows which state depend on the style:
// 8, 6, 6 and 5 cells for styles 0 to 3, two fewer without the disabled
// cells.
#include <cstdint>
#include <string>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/CheckButtonBase.h"
#include "scene/ImageSprite.h"

namespace orrivel {


class CheckButtonControl : public CheckButtonBase {
 public:
  CheckButtonControl() = default;
  ~CheckButtonControl() override { Release(); }

  int32_t GetX() const override { return sprite_.GetX(); }
  int32_t GetY() const override { return sprite_.GetY(); }
  int32_t GetWidth() const override { return cellWidth_; }
  int32_t GetHeight() const override { return cellHeight_; }
  void SetPosition(int32_t x, int32_t y) override { sprite_.SetPosition(x, y); }
  bool IsVisible() const override { return sprite_.IsVisible(); }
  // 1 without a state picture; the members join the same list.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override { sprite_.SetOpacity(value); }
  uint8_t IsReady() const override { return sprite_.GetOpacity(); }

  // 1 no list, no name or a style above 3; 2 the picture does not load or
  // is narrower than its cells. Key: keyY >= 0 takes the pixel (keyX,
  // keyY); keyY < 0 uses keyX as the colour, -1 none.
  int32_t CreateFromImage(SpriteList* list, int32_t order, const char* name, uint8_t style, bool hasDisabledCells,
                          int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags, int32_t keyX, int32_t keyY,
                          int32_t group);
  // 1 no list, no surface or no pixels, or a style above 3; 2 the surface is
  // narrower than its cells. The surface is borrowed.
  int32_t CreateFromSurface(SpriteList* list, int32_t order, Surface* surface, uint8_t style,
                            bool hasDisabledCells, int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags,
                            int32_t group);
  // Leaves the list and forgets the picture.
  void Release();
  // 1 no list now or no new list, or the sprite is in no list; else 0.
  int32_t MoveToList(SpriteList* list);

  // The strip's cell that shows a state in a style.
  static int32_t CellOf(uint8_t style, uint8_t state, bool hasDisabledCells);
  static int32_t CellCount(uint8_t style, bool hasDisabledCells);
  int32_t ShownCell() const { return cellWidth_ > 0 ? sprite_.GetSourceRect().left / cellWidth_ : 0; }
  const ImageSprite& Sprite() const { return sprite_; }
  ImageSprite& Sprite() { return sprite_; }
  // The state cells shown: the own picture or a borrowed one (null before
  // creation).
  Surface* StateSurface() const { return surface_.Get(); }
  bool BorrowsSurface() const { return surface_ != nullptr && surface_ != &ownSurface_; }
  SpriteList* GetSpriteList() const { return spriteList_.Get(); }
  const std::string& GetFileName() const { return fileName_; }

 protected:
  void ShowState(uint8_t state) override;
  void ShowLooks(bool show) override { sprite_.SetVisible(show ? 1 : 0); }
  bool UsesPixelTest() const override { return pixelTest_; }
  bool PixelHitTest(int32_t x, int32_t y) override { return sprite_.HitTest(x, y, 1); }

 private:
  int32_t ShowStrip(SpriteList* list, int32_t order, Surface* surface, uint8_t style, bool hasDisabledCells,
                    int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags, int32_t group);

  Surface ownSurface_;
  // The own surface or a borrowed one; a borrowed one that goes leaves
  // the button without a picture.
  WeakLink<Surface> surface_;

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  ImageSprite sprite_;
  int32_t order_ = 0;
  int32_t cellWidth_ = 0;
  int32_t cellHeight_ = 0;
  bool pixelTest_ = false;
  std::string fileName_;
};

}  // namespace orrivel
