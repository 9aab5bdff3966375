#include "scene/ScrollBar.h"

#include <algorithm>
#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/ControlHost.h"

namespace orrivel {

namespace {

enum SoundSlot { kSoundActivate = 0, kSoundHover = 1, kSoundLeave = 2 };
constexpr uint8_t kPointerButton = 0;
constexpr uint8_t kWheelBack = 3, kWheelForward = 4;

struct Rgb {
  uint8_t r, g, b;
};

Rgb ChannelsOf(uint32_t argb) { return {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)}; }

uint8_t Lighter(uint8_t c) { return c <= 255 / 3 ? uint8_t(c * 3) : uint8_t(c + (255 - c) * 2 / 3); }

// Right and bottom inclusive, as the bevel of a thumb cell is described.
void FillInclusive(Surface* s, int32_t left, int32_t top, int32_t right, int32_t bottom, Rgb c) {
  const Rect rect{left, top, right + 1, bottom + 1};
  if (!rect.IsEmpty()) s->FillRgb(c.r, c.g, c.b, &rect);
}

// Scales a by b / c in 64 bits; c is never 0 where it is called.
int32_t MulDiv(int32_t a, int32_t b, int32_t c) { return int32_t(int64_t(a) * b / c); }

}  // namespace

// --- arrow buttons ----------------------------------------------------------------------------------

bool ScrollBarButton::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  const uint32_t now = CurrentTickMs();
  if (GetState() == kHover && pointer->IsPressed(kPointerButton)) {
    SetState(kPressed);
    Activate();
    repeatTime_ = now + ScrollBar::kFirstRepeatMs;
    return true;
  }
  if (GetState() != kPressed) return false;
  if (!pointer->IsDown(kPointerButton)) {
    SetState(kHover);
  } else if (TickDiff(now, repeatTime_) >= 0) {
    Activate();
    repeatTime_ = now + ScrollBar::kRepeatMs;
  }
  return true;
}

bool ScrollBarButton::Activate() {
  if (bar_ != nullptr) bar_->StepByKey(IsForward());
  return PushControl::Activate();
}

void ScrollBarButton::DrawFace(Surface* face, const Rect& cell, bool disabled) {
  auto arrow = [&](int32_t left, int32_t top, uint32_t rgb) {
    const Rgb c = ChannelsOf(rgb);
    const int32_t w = cell.Width(), h = cell.Height();
    if (direction_ < 2) {
      // Rows widen from a one-pixel tip.
      const int32_t n = (h + 2) / 3;
      const int32_t cx = left + (w % 2 == 0 ? w - 1 : w) / 2;
      for (int32_t r = 0; r < n; ++r) {
        const int32_t y = top + h / 3 + (direction_ == 0 ? r : n - 1 - r);
        FillInclusive(face, cx - r, y, cx + r, y, c);
      }
    } else {
      const int32_t n = (w + 2) / 3;
      const int32_t cy = top + (h % 2 == 0 ? h - 1 : h) / 2;
      for (int32_t r = 0; r < n; ++r) {
        const int32_t x = left + w / 3 + (direction_ == 2 ? r : n - 1 - r);
        FillInclusive(face, x, cy - r, x, cy + r, c);
      }
    }
  };
  if (disabled) {
    arrow(cell.left + 1, cell.top + 1, 0xFFFFFF);
    arrow(cell.left, cell.top, 0x808080);
  } else {
    arrow(cell.left, cell.top, arrowColour_);
  }
}

// --- the bar ----------------------------------------------------------------------------------------

ScrollBar::~ScrollBar() {
  RemoveFromHost();
  Release();
}

void ScrollBar::Release() {
  listener_ = nullptr;
  if (spriteList_ != nullptr) spriteList_->Remove(&thumbSprite_);
  thumbSprite_.Reset();
  thumbSurface_.FreeBuffers();
  thumbName_.clear();
  barName_.clear();
  trackSprite_.reset();
  trackSurface_.reset();
  thumbSource_.reset();
  trackSource_.reset();
  back_.reset();
  forward_.reset();
  spriteList_ = nullptr;
  drawn_ = false;
  keyX_ = keyY_ = -1;
  thumbOffset_ = trackLength_ = value_ = -1;
  thumbLength_ = maximum_ = 0;
  dragging_ = false;
}

int32_t ScrollBar::ButtonLength(const ScrollBarButton* button) const {
  if (button == nullptr) return 0;
  return vertical_ ? button->GetHeight() : button->GetWidth();
}

bool ScrollBar::MakeDrawnThumb(int32_t t, uint32_t thumb, uint32_t hover, uint32_t pressed) {
  // The strip of three thumbs must be a picture's width: a thicker bar
  // cannot be made.
  if (t > INT32_MAX / 3) return false;
  thumbSource_.reset(new (std::nothrow) Surface);
  const int32_t w = vertical_ ? t : 4, h = vertical_ ? 4 : t;
  if (!thumbSource_ || thumbSource_->Create(vertical_ ? 3 * t : 4, vertical_ ? 4 : 3 * t, 32, 0) != 0) return false;
  thumbSource_->FillRect(0, nullptr);
  const Rgb face = ChannelsOf(thumb);
  const Rgb light{Lighter(face.r), Lighter(face.g), Lighter(face.b)};
  const Rgb dark{uint8_t(face.r >> 1), uint8_t(face.g >> 1), uint8_t(face.b >> 1)};
  const Rgb darker{uint8_t(face.r >> 2), uint8_t(face.g >> 2), uint8_t(face.b >> 2)};
  Surface* s = thumbSource_.get();
  const Rect inside{1, 1, w - 2, h - 2};
  s->FillRgb(face.r, face.g, face.b, &inside);
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t cx = vertical_ ? i * t : 0, cy = vertical_ ? 0 : i * t;
    if (i > 0) {
      s->Copy(s, cx + 1, cy + 1, &inside, false);
      const uint32_t tint = i == 1 ? hover : pressed;
      const Rgb c = ChannelsOf(tint);
      const Rect glow{cx + 1, cy + 1, cx + w - 2, cy + h - 2};
      FillAlpha(s, c.r, c.g, c.b, uint8_t(tint >> 24), &glow);
    }
    FillInclusive(s, cx, cy, cx + w - 2, cy, light);
    FillInclusive(s, cx, cy + 1, cx, cy + h - 2, light);
    FillInclusive(s, cx, cy + h - 1, cx + w - 1, cy + h - 1, darker);
    FillInclusive(s, cx + w - 1, cy, cx + w - 1, cy + h - 2, darker);
    FillInclusive(s, cx + 1, cy + h - 2, cx + w - 2, cy + h - 2, dark);
    FillInclusive(s, cx + w - 2, cy + 1, cx + w - 2, cy + h - 3, dark);
  }
  const Rect first{0, 0, w, h};
  return thumbSprite_.SetImage(s, &first, 0, 0) == 0;
}

int32_t ScrollBar::MakeArrows(bool vertical, const char* backImage, const char* forwardImage, uint32_t arrowColour,
                              uint32_t face, uint32_t highlight, int32_t thickness, bool hasDisabled, uint8_t blend,
                              uint8_t drawFlags, int32_t keyX, int32_t keyY, int32_t group) {
  const uint8_t backCode = vertical ? 0 : 2;
  for (int forward = 0; forward < 2; ++forward) {
    std::unique_ptr<ScrollBarButton>& button = forward ? forward_ : back_;
    const char* image = forward ? forwardImage : backImage;
    if (!drawn_ && image == nullptr) continue;
    button.reset(new (std::nothrow) ScrollBarButton(this, uint8_t(backCode + forward), arrowColour));
    int32_t result = 1;
    if (button) {
      if (drawn_) {
        button->SetFaceColor(face);
        button->SetHighlightColor(highlight);
        result = button->CreateWithText(spriteList_.Get(), order_, nullptr, nullptr, 0, 0, thickness, thickness, true, group);
      } else {
        result = button->CreateFromImage(spriteList_.Get(), order_, image, hasDisabled, true, 0, 0, blend, drawFlags, keyX,
                                         keyY, group);
      }
    }
    if (result != 0) return forward ? 5 : 4;
  }
  return 0;
}

int32_t ScrollBar::CreateDrawn(SpriteList* list, int32_t order, int32_t x, int32_t y, bool vertical, int32_t thickness,
                               uint32_t thumbColour, uint32_t trackColour, uint32_t hoverColour,
                               uint32_t pressedColour, uint32_t arrowColour, int32_t group) {
  if (list == nullptr || thickness < kMinThickness) return 1;
  Release();
  spriteList_ = list;
  order_ = order;
  drawn_ = true;
  vertical_ = vertical;
  thumbStartCap_ = 1, thumbEndCap_ = 2;
  if (!MakeDrawnThumb(thickness, thumbColour, hoverColour, pressedColour)) {
    Release();
    return 2;
  }
  trackSurface_.reset(new (std::nothrow) Surface);
  trackSprite_.reset(new (std::nothrow) ImageSprite);
  trackSource_.reset(new (std::nothrow) Surface);
  if (!trackSurface_ || !trackSprite_ || !trackSource_ ||
      trackSource_->Create(vertical ? thickness : 1, vertical ? 1 : thickness, 32, 0) != 0) {
    Release();
    return 3;
  }
  trackSource_->FillRect(trackColour, nullptr);
  trackStartCap_ = trackEndCap_ = 0;
  if (const int32_t result = MakeArrows(vertical, nullptr, nullptr, arrowColour, thumbColour, hoverColour, thickness,
                                        true, 0, 255, -1, -1, group);
      result != 0) {
    Release();
    return result;
  }
  drawn_ = true;
  x_ = x, y_ = y;
  trackStart_ = 0;
  originX_ = vertical ? 0 : thickness;
  originY_ = vertical ? thickness : 0;
  width_ = height_ = thickness;
  thumbCell_ = trackCell_ = thickness;
  hasDisabledCell_ = false;
  const uint8_t thumbAlpha = uint8_t(thumbColour >> 24), trackAlpha = uint8_t(trackColour >> 24);
  if (thumbAlpha != 0 && thumbAlpha != 255) thumbSprite_.SetOpacity(thumbAlpha);
  if (trackAlpha != 0 && trackAlpha != 255) trackSprite_->SetOpacity(trackAlpha);
  group_ = group;
  return 0;
}

int32_t ScrollBar::Create(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t trackOriginX,
                          int32_t trackOriginY, const char* thumbImage, int32_t thumbStartCap, int32_t thumbEndCap,
                          const char* barImage, int32_t trackStartCap, int32_t trackEndCap,
                          const char* backArrowImage, const char* forwardArrowImage, bool hasDisabledCell,
                          bool vertical, uint8_t blend, uint8_t drawFlags, int32_t keyX, int32_t keyY,
                          int32_t group) {
  if (list == nullptr || thumbImage == nullptr) return 1;
  Release();
  spriteList_ = list;
  order_ = order;
  vertical_ = vertical;
  hasDisabledCell_ = hasDisabledCell;
  const int32_t cells = hasDisabledCell ? 4 : 3;
  auto fail = [this](int32_t code) {
    Release();
    return code;
  };
  // The thumb: straight into the shown surface, or a source to compose from.
  thumbStartCap_ = thumbStartCap, thumbEndCap_ = thumbEndCap;
  Surface* thumb = &thumbSurface_;
  if (thumbStartCap != 0 || thumbEndCap != 0) {
    thumbSource_.reset(new (std::nothrow) Surface);
    if (!thumbSource_) return fail(2);
    thumb = thumbSource_.get();
  }
  if (thumb->LoadImage(thumbImage, nullptr, 0, 0) != 0 || thumb->GetBits() == nullptr) return fail(2);
  thumbCell_ = (vertical ? thumb->GetWidth() : thumb->GetHeight()) / cells;
  const Rect thumbFirst =
      vertical ? Rect{0, 0, thumbCell_, thumb->GetHeight()} : Rect{0, 0, thumb->GetWidth(), thumbCell_};
  if (thumbCell_ <= 0 || thumbSprite_.SetImage(thumb, &thumbFirst, 0, 0) != 0) return fail(2);
  thumbName_ = thumbImage;
  thumbSprite_.SetDrawMode(blend);
  thumbSprite_.SetOpacity(drawFlags);
  trackStartCap_ = trackStartCap, trackEndCap_ = trackEndCap;
  if (barImage != nullptr) {
    trackSurface_.reset(new (std::nothrow) Surface);
    trackSprite_.reset(new (std::nothrow) ImageSprite);
    if (!trackSurface_ || !trackSprite_) return fail(3);
    Surface* track = trackSurface_.get();
    if (trackStartCap != 0 || trackEndCap != 0) {
      trackSource_.reset(new (std::nothrow) Surface);
      if (!trackSource_) return fail(3);
      track = trackSource_.get();
    }
    if (track->LoadImage(barImage, nullptr, 0, 0) != 0 || track->GetBits() == nullptr) return fail(3);
    trackCell_ = (vertical ? track->GetWidth() : track->GetHeight()) / cells;
    width_ = track->GetWidth(), height_ = track->GetHeight();
    const Rect trackFirst =
        vertical ? Rect{0, 0, trackCell_, track->GetHeight()} : Rect{0, 0, track->GetWidth(), trackCell_};
    if (trackCell_ <= 0 || trackSprite_->SetImage(track, &trackFirst, 0, 0) != 0) return fail(3);
    barName_ = barImage;
    trackSprite_->SetDrawMode(blend);
    trackSprite_->SetOpacity(drawFlags);
  }
  if (const int32_t result = MakeArrows(vertical, backArrowImage, forwardArrowImage, 0, 0, 0, 0, hasDisabledCell,
                                        blend, drawFlags, keyX, keyY, group);
      result != 0)
    return fail(result);
  keyX_ = keyX, keyY_ = keyY;
  ApplyKey(&thumbSurface_);
  ApplyKey(trackSurface_.get());
  x_ = x, y_ = y;
  trackStart_ = vertical ? trackOriginY : trackOriginX;
  originX_ = trackOriginX, originY_ = trackOriginY;
  if (vertical) {
    if (back_) originY_ += back_->GetHeight();
    width_ = trackCell_;
  } else {
    if (back_) originX_ += back_->GetWidth();
    height_ = trackCell_;
  }
  group_ = group;
  return 0;
}

void ScrollBar::ApplyKey(Surface* surface) const {
  if (surface == nullptr || surface->GetBits() == nullptr) return;
  if (keyY_ >= 0) {
    surface->SetColorKeyAt(keyX_, keyY_);
  } else if (keyX_ != -1) {
    const Rgb key = ChannelsOf(uint32_t(keyX_));
    surface->SetColorKeyRgb(key.r, key.g, key.b);
  }
}

bool ScrollBar::ComposeAlong(Surface* dst, Surface* src, int32_t length, int32_t startCap, int32_t endCap) {
  const int32_t srcLength = vertical_ ? src->GetHeight() : src->GetWidth();
  const int32_t cross = vertical_ ? src->GetWidth() : src->GetHeight();
  if (length <= 0 || dst->Create(vertical_ ? cross : length, vertical_ ? length : cross, 32, 0) != 0) return false;
  dst->FillRect(0, nullptr);
  // A piece of the source along the axis, [from, from + count), drawn at at.
  auto piece = [&](int32_t from, int32_t count, int32_t at) {
    if (count <= 0) return;
    const Rect part = vertical_ ? Rect{0, from, cross, from + count} : Rect{from, 0, from + count, cross};
    dst->Copy(src, vertical_ ? 0 : at, vertical_ ? at : 0, &part, false);
  };
  piece(0, startCap, 0);
  const int32_t middle = std::max(srcLength - startCap - endCap, 1);
  const int32_t room = length - endCap;
  int32_t at = startCap;
  for (; at + middle <= room; at += middle) piece(startCap, middle, at);
  piece(startCap, room - at, at);
  piece(srcLength - endCap, endCap, length - endCap);
  return true;
}

int32_t ScrollBar::SetTrack(int32_t length, int32_t total, int32_t visible, int32_t value, int32_t endInset,
                            int32_t minimumMiddle) {
  if (spriteList_ == nullptr || total == 0) return 1;
  if (drawn_) endInset = 0;
  const int32_t trackLength = length - ButtonLength(back_.get()) - ButtonLength(forward_.get());
  if (trackSource_ == nullptr) {
    (vertical_ ? height_ : width_) = trackLength;
    const ScrollBarButton* button = back_ ? back_.get() : forward_.get();
    const int32_t thumbCross =
        vertical_ ? thumbSprite_.GetWidth() + 2 * originX_ : thumbSprite_.GetHeight() + 2 * originY_;
    const int32_t cross =
        button != nullptr ? (vertical_ ? button->GetWidth() : button->GetHeight()) : thumbCross;
    (vertical_ ? width_ : height_) = cross;
  } else {
    if (!ComposeAlong(trackSurface_.get(), trackSource_.get(), trackLength, trackStartCap_, trackEndCap_)) return 2;
    // A composed picture takes the key again; a drawn bar has none.
    if (!drawn_) ApplyKey(trackSurface_.get());
    const Rect first = vertical_ ? Rect{0, 0, trackCell_, trackLength} : Rect{0, 0, trackLength, trackCell_};
    trackSprite_->SetImage(trackSurface_.get(), &first, 0, 0);
    (vertical_ ? height_ : width_) = trackLength;
    (vertical_ ? width_ : height_) = trackCell_;
  }
  state_ = kNormal;
  AttachToSpriteList(order_, group_, 1);
  const int32_t travel = trackLength - (trackStart_ + endInset);
  const int32_t least = std::max(minimumMiddle, 1) + thumbStartCap_ + thumbEndCap_;
  int32_t thumbLength = std::max(MulDiv(travel, visible, total), least);
  if (thumbLength <= 0 || thumbLength >= travel || visible >= total) {
    // Nothing to scroll.
    thumbSprite_.SetVisible(0);
    value_ = thumbOffset_ = -1;
    SetEnabled(false);
    SetPosition(x_, y_);
    return -1;
  }
  maximum_ = total - visible;
  if (thumbSource_) {
    if (!ComposeAlong(&thumbSurface_, thumbSource_.get(), thumbLength, thumbStartCap_, thumbEndCap_)) return 3;
    if (!drawn_) ApplyKey(&thumbSurface_);
    const Rect first = vertical_ ? Rect{0, 0, thumbCell_, thumbLength} : Rect{0, 0, thumbLength, thumbCell_};
    thumbSprite_.SetImage(&thumbSurface_, &first, 0, 0);
  } else {
    thumbLength = vertical_ ? thumbSprite_.GetHeight() : thumbSprite_.GetWidth();
  }
  // A thumb picture as long as the travel still leaves one pixel to move
  // in, so that offsets and values never divide by zero.
  trackLength_ = std::max(travel - thumbLength, 1);
  thumbLength_ = thumbLength;
  value_ = std::clamp(value, 0, maximum_);
  thumbOffset_ = MulDiv(trackLength_, value_, maximum_);
  thumbSprite_.SetVisible(1);
  SetEnabled(true);
  SetState(0, kNormal);
  SetPosition(x_, y_);
  UpdateArrows();
  return 0;
}

int32_t ScrollBar::MoveToList(SpriteList* list) {
  if (spriteList_ == nullptr || list == nullptr || spriteList_->Find(&thumbSprite_) == nullptr) return 1;
  spriteList_->Remove(&thumbSprite_);
  if (trackSprite_) spriteList_->Remove(trackSprite_.get());
  spriteList_ = list;
  if (trackSprite_) list->Add(trackSprite_.get(), uint32_t(order_), uint32_t(group_));
  list->Add(&thumbSprite_, uint32_t(order_), uint32_t(group_));
  if (back_) back_->MoveToList(list);
  if (forward_) forward_->MoveToList(list);
  return 0;
}

// --- value ----------------------------------------------------------------------------------------------

void ScrollBar::MoveThumb() {
  const int32_t offset = std::max(thumbOffset_, 0);
  thumbSprite_.SetPosition(x_ + originX_ + (vertical_ ? 0 : offset), y_ + originY_ + (vertical_ ? offset : 0));
}

void ScrollBar::Notify() {
  if (listener_ != nullptr) listener_->OnScrollValue(this, value_);
}

void ScrollBar::UpdateArrows() {
  const bool atStart = thumbOffset_ < 1 && value_ < 1;
  const bool atEnd = value_ >= maximum_;
  if (back_) back_->SetEnabled(!atStart);
  if (forward_) forward_->SetEnabled(atStart || !atEnd);
}

int32_t ScrollBar::SetValue(int32_t value) {
  if (spriteList_ == nullptr || thumbOffset_ < 0) return 1;
  value = std::clamp(value, 0, maximum_);
  if (value == value_) return -1;
  thumbOffset_ = MulDiv(trackLength_, value, maximum_);
  value_ = value;
  MoveThumb();
  Notify();
  UpdateArrows();
  return 0;
}

int32_t ScrollBar::SetThumbOffset(int32_t offset) {
  if (spriteList_ == nullptr || thumbOffset_ < 0) return 1;
  offset = std::clamp(offset, 0, trackLength_);
  if (offset == thumbOffset_) return -1;
  thumbOffset_ = offset;
  value_ = MulDiv(maximum_, offset, trackLength_);
  MoveThumb();
  Notify();
  UpdateArrows();
  return 0;
}

int32_t ScrollBar::Step(bool forward) {
  if (thumbOffset_ < 0) {
    if (forward && listener_ != nullptr) listener_->OnScrollPastEnd(this);
    return -1;
  }
  if (forward && value_ >= maximum_) {
    if (listener_ != nullptr) listener_->OnScrollPastEnd(this);
    return 0;
  }
  SetValue(value_ + (forward ? 1 : -1));
  return 0;
}

void ScrollBar::StepByKey(bool forward) {
  if (keyStep_ > 0) {
    SetValue(value_ + (forward ? keyStep_ : -keyStep_));
  } else if (keyStep_ < 0) {
    // A negative step counts pixels of the thumb.
    SetThumbOffset(thumbOffset_ + (forward ? -keyStep_ : keyStep_));
  } else {
    Step(forward);
  }
}

// --- looks -------------------------------------------------------------------------------------------------

void ScrollBar::SetDisplayFlag(bool flag) {
  plainHover_ = flag;
  for (ScrollBarButton* button : {back_.get(), forward_.get()})
    if (button != nullptr) button->SetDisplayFlag(flag);
  SetState(0, state_);
}

int32_t ScrollBar::ThumbCellOf(uint8_t state) const {
  if (state == kHover && plainHover_) return kNormal;
  // Pictures without a disabled cell (and drawn bars, whose thumb has
  // three cells) show the normal cell while disabled.
  if (state == kDisabled && (drawn_ || !hasDisabledCell_)) return 0;
  return state;
}

void ScrollBar::ShowCell(ImageSprite* sprite, int32_t cell, int32_t cellSize) {
  if (sprite == nullptr || sprite->GetSource() == nullptr) return;
  sprite->SetSourceOffset(vertical_ ? cell * cellSize : 0, vertical_ ? 0 : cell * cellSize);
}

int32_t ScrollBar::SetState(int32_t part, uint8_t state) {
  if (part == 1 || part == 2) {
    ScrollBarButton* button = part == 1 ? back_.get() : forward_.get();
    if (button == nullptr) return part;
    button->SetState(state);
    return 0;
  }
  state_ = state;
  const int32_t cell = ThumbCellOf(state);
  ShowCell(&thumbSprite_, cell, thumbCell_);
  // A drawn track has one cell.
  if (!drawn_) ShowCell(trackSprite_.get(), cell, trackCell_);
  return 0;
}

void ScrollBar::SetPosition(int32_t x, int32_t y) {
  x_ = x, y_ = y;
  const int32_t backLength = ButtonLength(back_.get());
  if (back_) back_->SetPosition(x, y);
  const int32_t trackX = vertical_ ? x : x + backLength, trackY = vertical_ ? y + backLength : y;
  if (trackSprite_) trackSprite_->SetPosition(trackX, trackY);
  if (forward_) forward_->SetPosition(vertical_ ? x : trackX + width_, vertical_ ? trackY + height_ : y);
  MoveThumb();
}

void ScrollBar::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  if (back_) back_->SetVisible(show);
  if (forward_) forward_->SetVisible(show);
  if (trackSprite_) trackSprite_->SetVisible(show ? 1 : 0);
  if (thumbSprite_.GetSource() != nullptr) thumbSprite_.SetVisible(show && thumbOffset_ >= 0 ? 1 : 0);
}

bool ScrollBar::IsVisible() const {
  return trackSprite_ ? trackSprite_->IsVisible() : thumbSprite_.GetSource() != nullptr && thumbSprite_.IsVisible();
}

int32_t ScrollBar::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr) return 1;
  for (ImageSprite* sprite : {trackSprite_.get(), &thumbSprite_}) {
    if (sprite == nullptr || sprite->GetSource() == nullptr) continue;
    if (spriteList_->Find(sprite) != nullptr) {
      spriteList_->SetOrder(sprite, uint32_t(order), option);
    } else {
      spriteList_->Add(sprite, uint32_t(order), uint32_t(group));
    }
  }
  order_ = order;
  group_ = group;
  return 0;
}

void ScrollBar::SetDrawFlags(uint8_t value) {
  thumbSprite_.SetOpacity(value);
  if (trackSprite_) trackSprite_->SetOpacity(value);
  if (back_) back_->SetDrawFlags(value);
  if (forward_) forward_->SetDrawFlags(value);
}

bool ScrollBar::SetEnabled(bool enable) {
  if (back_) back_->SetEnabled(enable);
  if (forward_) forward_->SetEnabled(enable);
  if (!Control::SetEnabled(enable)) return false;
  SetState(0, enable ? kNormal : kDisabled);
  return true;
}

bool ScrollBar::HitTest(int32_t x, int32_t y) {
  if (trackSprite_ && trackSprite_->GetSource() != nullptr) return trackSprite_->HitTest(x, y, pixelHit_);
  const int32_t backLength = ButtonLength(back_.get());
  const int32_t left = x_ + (vertical_ ? 0 : backLength), top = y_ + (vertical_ ? backLength : 0);
  return x >= left && x < left + width_ && y >= top && y < top + height_;
}

void ScrollBar::SetSounds(const char* activate, const char* hover, const char* leave, int32_t activateCode,
                          int32_t hoverCode, int32_t leaveCode) {
  sounds_[kSoundActivate].Set(activate, activateCode);
  sounds_[kSoundHover].Set(hover, hoverCode);
  sounds_[kSoundLeave].Set(leave, leaveCode);
}

// --- host ---------------------------------------------------------------------------------------------------

int32_t ScrollBar::AddToHost(ControlHost* host, int32_t index) {
  if (host == nullptr) return 1;
  // The bar's own host link says whether it is listed: a host's Clear (or a
  // removal of the bar alone) lets go of it without passing through here.
  if (GetHost() != nullptr) return -1;
  int32_t at = index;
  auto next = [&at]() { return at < 0 ? -1 : at++; };
  if (back_) host->AddControl(back_.get(), next());
  const int32_t result = int32_t(host->AddControl(this, next()));
  if (forward_) host->AddControl(forward_.get(), next());
  host_ = host;
  return result;
}

void ScrollBar::RemoveFromHost() {
  if (host_ == nullptr) return;
  if (back_) host_->RemoveControl(back_.get());
  host_->RemoveControl(this);
  if (forward_) host_->RemoveControl(forward_.get());
  host_ = nullptr;
}

// --- input ----------------------------------------------------------------------------------------------------

void ScrollBar::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (GetHost() != nullptr) {
    GetHost()->SetPointerLocked(false);
    GetHost()->ForgetPointer();
  }
}

void ScrollBar::OnPointerMove(int32_t, int32_t) {
  if (state_ != kNormal) return;
  SetState(0, kHover);
  sounds_[kSoundHover].Play(GetHost(), kControlSoundHover);
}

void ScrollBar::OnPointerLeave() {
  EndDrag();
  if (state_ != kHover && state_ != kPressed) return;
  SetState(0, kNormal);
  sounds_[kSoundLeave].Play(GetHost(), kControlSoundLeave);
}

void ScrollBar::OnFocusGained(Control*, int32_t) {
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    const int32_t backLength = ButtonLength(back_.get());
    host->SetPointerPos(x_ + (vertical_ ? 0 : backLength) + width_ / 2,
                        y_ + (vertical_ ? backLength : 0) + height_ / 2);
    return;
  }
  if (state_ == kNormal) {
    SetState(0, kHover);
    sounds_[kSoundHover].Play(host, kControlSoundHover);
  }
  if (mode == 2) host->ParkPointer();
}

void ScrollBar::OnFocusLost(Control*) {
  if (state_ == kHover || state_ == kPressed) SetState(0, kNormal);
}

bool ScrollBar::OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  const uint32_t now = CurrentTickMs();
  const int32_t along = Along(x, y);
  if (state_ == kHover && pointer->IsPressed(kPointerButton) && thumbOffset_ >= 0) {
    const int32_t start = OriginAlong() + thumbOffset_;
    lastPointer_ = along;
    region_ = int8_t(along < start ? -1 : along < start + thumbLength_ ? 0 : 1);
    sounds_[kSoundActivate].Play(GetHost(), kControlSoundActivate);
    bool taken = true;
    bool drag = false;
    if (clickMode_ == 0) {
      if (region_ == 0) {
        drag = true;
      } else if (SetThumbOffset(thumbOffset_ + region_ * thumbLength_) == 0) {
        repeatTime_ = now + kFirstRepeatMs;
      } else {
        taken = false;  // on to the wheel below
      }
    } else {
      SetThumbOffset(along - OriginAlong() - thumbLength_ / 2);
      drag = !(clickMode_ == 1 && region_ != 0);
      if (!drag) region_ = 0;  // jumped: no paging follows
    }
    if (taken) {
      if (drag) {
        dragging_ = true;
        region_ = 0;
        if (GetHost() != nullptr) GetHost()->SetPointerLocked(true);
      }
      SetState(0, kPressed);
      return true;
    }
  } else if (state_ == kPressed) {
    if (!pointer->IsDown(kPointerButton)) {
      int32_t px = 0, py = 0;
      if (GetHost() != nullptr) GetHost()->GetPointerPos(&px, &py);
      SetState(0, GetHost() != nullptr && HitTest(px, py) ? kHover : kNormal);
      EndDrag();
    } else if (dragging_) {
      if (along != lastPointer_ && SetThumbOffset(thumbOffset_ + (along - lastPointer_)) == 0) lastPointer_ = along;
    } else if (region_ != 0 && TickDiff(now, repeatTime_) >= 0) {
      const bool moved = SetThumbOffset(thumbOffset_ + region_ * thumbLength_) == 0;
      const int32_t start = OriginAlong() + thumbOffset_;
      const bool sameSide = region_ < 0 ? along < start : along >= start + thumbLength_;
      if (moved && sameSide) {
        sounds_[kSoundActivate].Play(GetHost(), kControlSoundActivate);
        repeatTime_ = now + kRepeatMs;
      } else {
        int32_t px = 0, py = 0;
        if (GetHost() != nullptr) GetHost()->GetPointerPos(&px, &py);
        SetState(0, GetHost() != nullptr && HitTest(px, py) ? kHover : kNormal);
      }
    }
    return true;
  }
  if (pointer->IsPressed(kWheelBack)) {
    StepByKey(false);
    return true;
  }
  if (pointer->IsPressed(kWheelForward)) {
    StepByKey(true);
    return true;
  }
  return false;
}

bool ScrollBar::Update(ActionMap* actions) {
  if (actions == nullptr) return false;
  const uint32_t back = vertical_ ? 0 : 2, forward = vertical_ ? 1 : 3;
  if (actions->IsPressed(back)) {
    StepByKey(false);
    return true;
  }
  if (actions->IsPressed(forward)) {
    StepByKey(true);
    return true;
  }
  if (pageBack_ != 0 && actions->IsPressed(pageBack_)) {
    SetThumbOffset(thumbOffset_ - thumbLength_);
    return true;
  }
  if (pageForward_ != 0 && actions->IsPressed(pageForward_)) {
    SetThumbOffset(thumbOffset_ + thumbLength_);
    return true;
  }
  InputDevice* keyboard = GetHost() != nullptr ? GetHost()->GetKeyboard() : nullptr;
  if (keyboard == nullptr) return false;
  if (keyboard->IsPressed(kKeyHome)) {
    SetThumbOffset(0);
    return true;
  }
  if (keyboard->IsPressed(kKeyEnd)) {
    SetThumbOffset(trackLength_);
    return true;
  }
  return false;
}

}  // namespace orrivel
