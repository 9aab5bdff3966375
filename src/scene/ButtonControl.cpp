#include "scene/ButtonControl.h"

#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/ControlHost.h"
#include "scene/ListedDrawable.h"
#include "text/Font.h"

namespace orrivel {

namespace {

struct Rgb {
  uint8_t r, g, b;
};

Rgb ChannelsOf(uint32_t argb) { return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)}; }

template <typename F>
Rgb Shade(Rgb c, F f) {
  return {f(c.r), f(c.g), f(c.b)};
}

uint8_t Lighter(uint8_t c) { return c <= 255 / 3 ? uint8_t(c * 3) : uint8_t(c + (255 - c) * 2 / 3); }

// Halves toward minus infinity, as the centring of the text wants.
int32_t FloorHalf(int32_t value) { return value >= 0 ? value / 2 : -((1 - value) / 2); }

void FillBox(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom, Rgb c) {
  const Rect rect{left, top, right, bottom};
  if (!rect.IsEmpty()) s->FillRgb(c.r, c.g, c.b, &rect);
}

// One-pixel edges of a cell: top and left in the light colour, bottom and
// right darker outside and dark one pixel inside.
void DrawBevel(Surface* s, int32_t o, int32_t w, int32_t h, Rgb light, Rgb dark, Rgb darker) {
  FillBox(s, o, 0, o + w, 1, light);
  FillBox(s, o, 0, o + 1, h, light);
  FillBox(s, o + 1, h - 2, o + w - 1, h - 1, dark);
  FillBox(s, o + w - 2, 1, o + w - 1, h - 1, dark);
  FillBox(s, o, h - 1, o + w, h, darker);
  FillBox(s, o + w - 1, 0, o + w, h, darker);
}

// The colour fields of a font that the disabled cell borrows.
struct FontColours {
  uint8_t text[3];
  uint8_t effectMode;
  uint8_t effect[3];
  int32_t shadowX, shadowY;

  static FontColours Of(const Font& f) {
    return {{f.textRed, f.textGreen, f.textBlue}, f.effectMode, {f.effectRed, f.effectGreen, f.effectBlue},
            f.shadowX, f.shadowY};
  }
  void RestoreTo(Font& f) const {
    f.textRed = text[0];
    f.textGreen = text[1];
    f.textBlue = text[2];
    f.effectMode = effectMode;
    f.effectRed = effect[0];
    f.effectGreen = effect[1];
    f.effectBlue = effect[2];
    f.shadowX = shadowX;
    f.shadowY = shadowY;
  }
};

}  // namespace

void ButtonControl::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  sprite_.SetVisible(show ? 1 : 0);
}

int32_t ButtonControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr) return 1;
  if (PlaceInList(*spriteList_, &sprite_, order, group, option)) group_ = group;
  order_ = order;
  return 0;
}

int32_t ButtonControl::MoveToList(SpriteList* list) {
  return MoveToOtherList(spriteList_, list, &sprite_, order_, group_);
}

void ButtonControl::Release() {
  if (spriteList_ != nullptr) spriteList_->Remove(&sprite_);
  spriteList_ = nullptr;
  sprite_.Reset();
  ownSurface_.FreeBuffers();
  borrowed_ = nullptr;
  font_ = nullptr;
  text_.clear();
  fileName_.clear();
  keyX_ = keyY_ = 0;
  width_ = 0;
}

int32_t ButtonControl::CellOfState(uint8_t state) const {
  switch (state) {
    case kHover: return plainHover_ ? 0 : 1;
    case kPressed: return hasPressedCell_ ? 2 : plainHover_ ? 0 : 1;
    case kDisabled: return !hasDisabledCell_ ? 0 : (hasPressedCell_ ? 3 : 2);
    default: return 0;
  }
}

int32_t ButtonControl::SetState(uint8_t state) {
  state_ = state;
  // The source rectangle moves by whole cells; the sprite keeps its place.
  sprite_.SetSourceOffset(CellOfState(state) * int32_t(width_), 0);
  return 0;
}

int32_t ButtonControl::RecreateWithText(const char* text) {
  if (text == nullptr) return 1;
  const std::string copy = text;  // the old text goes with the release
  return CreateWithText(spriteList_.Get(), order_, copy.c_str(), font_.Get(), GetX(), GetY(), int32_t(width_), int32_t(height_),
                        hasDisabledCell_, group_) == 0
             ? 0
             : 2;
}

int32_t ButtonControl::RecreateFromImage(const char* name) {
  if (name == nullptr) return 1;
  const std::string copy = name;
  return CreateFromImage(spriteList_.Get(), order_, copy.c_str(), hasDisabledCell_, hasPressedCell_, GetX(), GetY(),
                         blend_, drawFlags_, keyX_, keyY_, group_) == 0
             ? 0
             : 2;
}

int32_t ButtonControl::ShowStrip(SpriteList* list, int32_t order, Surface* surface, bool hasDisabled,
                                 bool hasPressed, int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags,
                                 int32_t group) {
  spriteList_ = list;
  hasDisabledCell_ = hasDisabled;
  hasPressedCell_ = hasPressed;
  rectangularHit_ = surface->GetColorKey() == kNoColorKey && blend == 0;
  width_ = uint32_t(surface->GetWidth() / CellCount());
  height_ = uint32_t(surface->GetHeight());
  const Rect first{0, 0, int32_t(width_), int32_t(height_)};
  if (sprite_.SetImage(surface, &first, x, y) != 0) return 2;
  sprite_.SetDrawMode(blend);
  sprite_.SetOpacity(drawFlags);
  blend_ = blend;
  drawFlags_ = drawFlags;
  state_ = kNormal;
  AttachToSpriteList(order, group, 1);
  return 0;
}

int32_t ButtonControl::CreateFromSurface(SpriteList* list, int32_t order, Surface* surface, bool hasDisabled,
                                         bool hasPressed, int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags,
                                         int32_t group) {
  if (list == nullptr || surface == nullptr || surface->GetBits() == nullptr) return 1;
  Release();
  const int32_t result = ShowStrip(list, order, surface, hasDisabled, hasPressed, x, y, blend, drawFlags, group);
  if (result != 0) {
    Release();
    return result;
  }
  borrowed_ = surface;
  return 0;
}

void ButtonControl::ApplyColourKey(Surface* surface, int32_t keyX, int32_t keyY) {
  if (keyY >= 0) {
    surface->SetColorKeyAt(keyX, keyY);
  } else if (keyX != -1) {
    const Rgb key = ChannelsOf(uint32_t(keyX));
    surface->SetColorKeyRgb(key.r, key.g, key.b);
  }
}

int32_t ButtonControl::CreateFromImage(SpriteList* list, int32_t order, const char* name, bool hasDisabled,
                                       bool hasPressed, int32_t x, int32_t y, uint8_t blend, uint8_t drawFlags,
                                       int32_t keyX, int32_t keyY, int32_t group) {
  if (list == nullptr || name == nullptr) return 1;
  Release();
  if (ownSurface_.LoadImage(name, nullptr, 0, 0) != 0 || ownSurface_.GetBits() == nullptr) {
    Release();
    return 2;
  }
  ApplyColourKey(&ownSurface_, keyX, keyY);
  if (ShowStrip(list, order, &ownSurface_, hasDisabled, hasPressed, x, y, blend, drawFlags, group) != 0) {
    Release();
    return 2;
  }
  fileName_ = name;
  keyX_ = keyX;
  keyY_ = keyY;
  return 0;
}

void ButtonControl::DrawFaceContent(Surface* face, const char* text, Font* font, int32_t x, int32_t y,
                                    bool disabled) {
  if (font == nullptr) {
    DrawFace(face, Rect{0, 0, face->GetWidth(), face->GetHeight()}, disabled);
    return;
  }
  if (!disabled) {
    font->DrawText(face, x, y, text, nullptr, nullptr);
    return;
  }
  // Grey text with a white shadow; the font's own colours come back after.
  const FontColours saved = FontColours::Of(*font);
  font->textRed = font->textGreen = font->textBlue = 0x80;
  font->effectMode = kEffectShadow;
  font->effectRed = font->effectGreen = font->effectBlue = 0xFF;
  font->shadowX = font->shadowY = 1;
  font->DrawText(face, x, y, text, nullptr, nullptr);
  saved.RestoreTo(*font);
}

bool ButtonControl::DrawTextStrip(const char* text, Font* font, int32_t width, int32_t height, bool hasDisabled) {
  int32_t textX = 0, textY = 0;
  if (font != nullptr) {
    Size size;
    int32_t left = 0, top = 0;
    font->MeasureText(text, &size, &left, &top, false, nullptr);
    Rect box;
    font->GetRotatedBounds(&box, 0, 0, size.width, size.height);
    if (width == 0) width = box.Width() + kTextMargin;
    if (height == 0) height = box.Height() + kTextMargin;
    textX = FloorHalf(width - box.Width());
    textY = FloorHalf(height - box.Height());
  }
  const int32_t cells = 3 + (hasDisabled ? 1 : 0);
  Surface face;
  if (width <= 0 || height <= 0 || face.Create(width, height, 32, 0) != 0 ||
      ownSurface_.Create(cells * width, height, 32, 0) != 0)
    return false;
  const Rgb faceRgb = ChannelsOf(faceColor_);
  const Rgb light = Shade(faceRgb, Lighter);
  const Rgb dark = Shade(faceRgb, [](uint8_t c) { return uint8_t(c >> 1); });
  const Rgb darker = Shade(faceRgb, [](uint8_t c) { return uint8_t(c >> 2); });
  const Rgb highlight = ChannelsOf(highlightColor_);
  const uint8_t highlightLevel = uint8_t(highlightColor_ >> 24);

  FillBox(&face, 1, 1, width - 2, height - 2, faceRgb);
  DrawFaceContent(&face, text, font, textX, textY, false);
  for (int32_t i = 0; i < cells; ++i) {
    const int32_t o = i * width;
    if (i == 0) {
      ownSurface_.Copy(&face, 0, 0, nullptr, false);
    } else if (i == 1 || i == 2) {
      // The face pressed in by one or two pixels, under the highlight.
      const int32_t shift = i;
      const Rect part{0, 0, width - shift, height - shift};
      ownSurface_.Copy(&face, o + shift, shift, &part, false);
      if (i == 2) {
        FillBox(&ownSurface_, o + 1, 1, o + width - 1, 2, darker);
        FillBox(&ownSurface_, o + 1, 1, o + 2, height - 1, darker);
      }
      const Rect glow{o + 1 + shift, 1 + shift, o + width - 3, height - 3};
      if (!glow.IsEmpty()) FillAlpha(&ownSurface_, highlight.r, highlight.g, highlight.b, highlightLevel, &glow);
    } else {
      Surface disabled;
      if (disabled.Create(width, height, 32, 0) != 0) return false;
      FillBox(&disabled, 1, 1, width - 2, height - 2, faceRgb);
      DrawFaceContent(&disabled, text, font, textX, textY, true);
      ownSurface_.Copy(&disabled, o, 0, nullptr, false);
    }
    DrawBevel(&ownSurface_, o, width, height, i == 2 ? Rgb{0, 0, 0} : light, dark, darker);
  }
  return true;
}

int32_t ButtonControl::CreateWithText(SpriteList* list, int32_t order, const char* text, Font* font, int32_t x,
                                      int32_t y, int32_t width, int32_t height, bool hasDisabled, int32_t group) {
  if (list == nullptr) return 1;
  if (font == nullptr && (width < kMinPlainSize || height < kMinPlainSize)) return 1;
  if (text == nullptr) text = "";
  const std::string copy = text;  // the caller may pass the button's own text
  Release();
  if (!DrawTextStrip(copy.c_str(), font, width, height, hasDisabled) ||
      ShowStrip(list, order, &ownSurface_, hasDisabled, true, x, y, 0, 255, group) != 0) {
    Release();
    return 2;
  }
  const uint8_t alpha = uint8_t(faceColor_ >> 24);
  if (alpha != 0 && alpha != 255) sprite_.SetOpacity(alpha);
  font_ = font;
  text_ = copy;
  rectangularHit_ = true;
  return 0;
}

}  // namespace orrivel
