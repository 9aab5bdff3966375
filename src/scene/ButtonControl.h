#pragma once
// The concrete push button: its states are cells of one strip laid side by
// side in a Surface (normal, hover, then optionally pressed and disabled),
// and an ImageSprite shows the current cell in the control's SpriteList. The
// strip is drawn by the button from a text and colours, loaded from a
// picture file, or borrowed from an existing Surface.
#include <cstdint>
#include <string>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/PushControl.h"
#include "text/Font.h"

namespace orrivel {

class Font;

class ButtonControl : public PushControl {
 public:
  // The smallest text button drawn without a font.
  static constexpr int32_t kMinPlainSize = 8;
  // What a text button adds around its text.
  static constexpr int32_t kTextMargin = 8;

  ButtonControl() = default;
  ~ButtonControl() override { Release(); }

  int32_t GetX() const override { return sprite_.GetX(); }
  int32_t GetY() const override { return sprite_.GetY(); }
  void SetPosition(int32_t x, int32_t y) override { sprite_.SetPosition(x, y); }
  void SetVisible(bool show) override;
  bool IsVisible() const override { return sprite_.IsVisible(); }
  // 1 without a sprite list; 0.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override { sprite_.SetOpacity(value); }
  uint8_t IsReady() const override { return sprite_.GetOpacity(); }

  void Release() override;
  int32_t SetState(uint8_t state) override;
  bool PixelHitTest(int32_t x, int32_t y) override { return sprite_.HitTest(x, y, 1); }
  // 1 null text; 2 when the new strip cannot be made.
  int32_t RecreateWithText(const char* text);
  int32_t RecreateFromImage(const char* name);

  // 1 no list now or no new list, or the sprite is in no list; else 0.
  int32_t MoveToList(SpriteList* list);
  // 1 no list, no surface or no pixels; 0. The surface is borrowed.
  int32_t CreateFromSurface(SpriteList* list, int32_t order, Surface* surface, bool hasDisabled, bool hasPressed,
                            int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags, int32_t group);
  // 1 no list or no name; 2 the picture does not load. Key: keyY >= 0 takes
  // the pixel (keyX, keyY); keyY < 0 uses keyX as the colour, -1 none.
  int32_t CreateFromImage(SpriteList* list, int32_t order, const char* name, bool hasDisabled, bool hasPressed,
                          int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags, int32_t keyX, int32_t keyY,
                          int32_t group);
  // 1 no list, or without a font a size below 8; 2 the strip cannot be
  // made. Width or height 0 sizes to the text plus 8. Always has a pressed
  // cell.
  int32_t CreateWithText(SpriteList* list, int32_t order, const char* text, Font* font, int32_t x, int32_t y,
                         int32_t width, int32_t height, bool hasDisabled, int32_t group);

  // keyY >= 0 takes the key colour from the pixel (keyX, keyY); keyY < 0
  // uses keyX as the colour; keyX -1 then means no key.
  static void ApplyColourKey(Surface* surface, int32_t keyX, int32_t keyY);

  int32_t CellCount() const { return 2 + (hasPressedCell_ ? 1 : 0) + (hasDisabledCell_ ? 1 : 0); }
  // The cell SetState shows for a state.
  int32_t CellOfState(uint8_t state) const;
  const ImageSprite& Sprite() const { return sprite_; }
  ImageSprite& Sprite() { return sprite_; }
  Surface& OwnSurface() { return ownSurface_; }
  Surface* BorrowedSurface() const { return borrowed_.Get(); }
  SpriteList* GetSpriteList() const { return spriteList_.Get(); }
  const std::string& GetText() const { return text_; }
  const std::string& GetFileName() const { return fileName_; }

 protected:
  // Draws the face content of a button made without a font.
  virtual void DrawFace(Surface*, const Rect&, bool) {}

 private:
  // Shows the strip's first cell at (x, y) and puts the sprite in the list.
  int32_t ShowStrip(SpriteList* list, int32_t order, Surface* surface, bool hasDisabled, bool hasPressed,
                    int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags, int32_t group);
  bool DrawTextStrip(const char* text, Font* font, int32_t width, int32_t height, bool hasDisabled);
  void DrawFaceContent(Surface* face, const char* text, Font* font, int32_t x, int32_t y, bool disabled);

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  Surface ownSurface_;
  // The script's picture the strip was borrowed from, while it lives.
  WeakLink<Surface> borrowed_;
  ImageSprite sprite_;
  // What a re-creation needs.
  WeakLink<Font> font_;

  std::string text_;
  std::string fileName_;
  int32_t keyX_ = 0;
  int32_t keyY_ = 0;
  uint8_t blend_ = 0;
  uint8_t drawFlags_ = 0;
};

}  // namespace orrivel
