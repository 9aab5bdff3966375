// The window's pictures from files: the frame and the item-state pictures,
// the sprites that show the latter over the items, re-creating and
// resizing the window, and picture files drawn inline as glyphs.
#include <algorithm>
#include <memory>

#include "raster/SpriteList.h"
#include "scene/WindowControl.h"

namespace orrivel {
namespace {

// A picture file through the engine's loaders; none when it cannot be
// loaded (missing, damaged, no loader).
std::unique_ptr<Surface> LoadPicture(const char* name) {
  auto picture = std::make_unique<Surface>();
  if (picture->LoadImage(name, nullptr, 0, 0) != 0 || picture->GetBits() == nullptr) return nullptr;
  return picture;
}

// The corners plus a whole number of tiles nearest to length, at least one.
int32_t RoundToTiles(int32_t length, int32_t corners, int32_t tile) {
  const int32_t tiles = std::max((length - corners + tile / 2) / tile, 1);
  return corners + tiles * tile;
}

}  // namespace

// --- frame and item-state pictures ----------------------------------------------------------

int32_t WindowControl::LoadFrameImages(const char* frame, const char* normal, const char* highlighted,
                                       int32_t tileWidth, int32_t tileHeight, int32_t cornerLeft, int32_t cornerTop,
                                       int32_t cornerRight, int32_t cornerBottom) {
  const char* names[3] = {frame, normal, highlighted};
  std::unique_ptr<Surface> pictures[3];
  for (int i = 0; i < 3; ++i) {
    if (names[i] == nullptr || names[i][0] == '\0') continue;
    pictures[i] = LoadPicture(names[i]);
    if (!pictures[i]) return i + 1;
  }
  ClearItems();
  ownFrame_ = std::move(pictures[0]);
  itemPictures_[0] = std::move(pictures[1]);
  itemPictures_[1] = std::move(pictures[2]);
  SetFrameImages(ownFrame_.get(), tileWidth, tileHeight, cornerLeft, cornerTop, cornerRight, cornerBottom);
  return 0;
}

void WindowControl::ClearFrameImages() {
  SetFrameImages(nullptr, 0, 0, 0, 0, 0, 0);
  ownFrame_.reset();
  if (!HasItemPictures()) return;
  ClearItems();
  itemPictures_[0].reset();
  itemPictures_[1].reset();
}

void WindowControl::SetFrameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  framePlacement_ = Rect{left, top, right, bottom};
}

// --- item sprites -----------------------------------------------------------------------------

void WindowControl::AddItemSprite(WindowItemRecord& item, const Rect& rect) {
  Surface* picture = itemPictures_[0] ? itemPictures_[0].get() : itemPictures_[1].get();
  if (picture == nullptr || spriteList_ == nullptr) return;
  Rect source = rect;
  if (!IntersectRects(&source, source, Rect{0, 0, picture->GetWidth(), picture->GetHeight()})) return;
  auto sprite = std::make_unique<ImageSprite>();
  if (sprite->SetImage(picture, &source, GetX() + source.left, GetY() + source.top) != 0) return;
  sprite->SetOpacity(sprite_.GetOpacity());
  sprite->SetVisible(0);
  // Over the window: added before equal keys, it is painted after it.
  if (spriteList_->Add(sprite.get(), uint32_t(order_), uint32_t(group_)) != 0) return;
  item.sprites.push_back(std::move(sprite));
  ShowItemSprites(int32_t(items_.size()) - 1, false);
}

void WindowControl::ShowItemSprites(int32_t index, bool highlighted) {
  if (index < 0) {
    ForEachItemSprite([](ImageSprite& sprite) { sprite.SetVisible(0); });
    return;
  }
  if (index >= ItemCount()) return;
  Surface* picture = itemPictures_[highlighted ? 1 : 0].get();
  for (auto& sprite : items_[size_t(index)]->sprites) {
    // The pictures are meant to be window-sized; a sprite whose part lies
    // outside the picture is hidden rather than read past it.
    const Rect& part = sprite->GetSourceRect();
    const bool fits = picture != nullptr && part.right <= picture->GetWidth() && part.bottom <= picture->GetHeight();
    const bool shown = fits && IsVisible() && sprite->ReplaceSurface(picture) == 0;
    sprite->SetVisible(shown ? 1 : 0);
  }
}

// --- re-creating and resizing ----------------------------------------------------------------

int32_t WindowControl::Recreate(int32_t width, int32_t height) {
  const bool shown = IsVisible();
  const uint8_t opacity = sprite_.GetOpacity();
  const int32_t result = Create(spriteList_.Get(), order_, width, height, GetX(), GetY(), font_.Get(), rubyFont_.Get(), group_);
  if (result != 0) {
    Release();
    return result;
  }
  sprite_.SetVisible(shown ? 1 : 0);
  sprite_.SetOpacity(opacity);
  return 0;
}

int32_t WindowControl::Rebuild() {
  if (spriteList_ == nullptr) return 3;
  return Recreate(width_, height_) == 0 ? 0 : 3;
}

int32_t WindowControl::Resize(int32_t width, int32_t height) {
  if (spriteList_ == nullptr || width <= 0 || height <= 0) return 1;
  if (frameImage_ != nullptr && tileWidth_ > 0 && tileHeight_ > 0) {
    width = RoundToTiles(width, cornerLeft_ + cornerRight_, tileWidth_);
    height = RoundToTiles(height, cornerTop_ + cornerBottom_, tileHeight_);
  }
  return Recreate(width, height);
}

// --- inline picture files ---------------------------------------------------------------------

int32_t WindowControl::DrawPictureFile(const char* name, int32_t height) {
  if (surface_.GetBits() == nullptr || name == nullptr) return 2;
  const std::unique_ptr<Surface> picture = LoadPicture(name);
  if (!picture) return 2;
  const int32_t w = picture->GetWidth(), h = picture->GetHeight();
  const int32_t length = vertical_ ? h : w;
  const int32_t wrapped = WrapBefore(length, false);
  if (wrapped == 1) return 1;
  int32_t x = 0, y = 0;
  GetGlyphOrigin(&x, &y, w, height > 0 ? height : h);
  // Vertical glyphs lie left of their pen.
  if (vertical_) x -= w;
  surface_.AlphaBlend(picture.get(), x, y, nullptr, false);
  Rect drawn{x, y, x + w, y + h};
  if (IntersectRects(&drawn, drawn, Rect{0, 0, width_, height_})) sprite_.InvalidateSourceRect(&drawn);
  if (itemOpen_) {
    if (vertical_) RecordItemGlyph(cursorX_ - lineHeight_, cursorY_, cursorX_, cursorY_ + length);
    else RecordItemGlyph(cursorX_, cursorY_, cursorX_ + length, cursorY_ + lineHeight_);
  }
  lineStartPos_ = Along();
  Along() += charGap_ + length;
  atLineStart_ = false;
  prevChar_ = 0;
  return wrapped;
}

}  // namespace orrivel
