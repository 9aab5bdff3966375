#include "resource/AnimationPlayer.h"

#include <algorithm>

namespace orrivel {

AnimationPlayer::AnimationPlayer(SurfaceFactoryPort* surfaces) : surfaces_(surfaces) {
  if (surfaces_) ownSurface_ = surfaces_->CreateSurface();
}

AnimationPlayer::~AnimationPlayer() {
  workSurface_.reset();
  sprites_.clear();
  ownSurface_.reset();
}

SurfacePort* AnimationPlayer::Strip() const { return borrowedImage_ ? borrowedImage_ : ownSurface_.get(); }

void AnimationPlayer::Reset() {
  if (ownSurface_) ownSurface_->FreeImage();
  borrowedImage_ = nullptr;
  target_ = nullptr;
  workSurface_.reset();
  sprites_.clear();
  frames_.clear();
  headElapsed_ = 0;
  headShown_ = false;
}

int AnimationPlayer::LoadImage(std::string_view fileName, int32_t cellCount, const void* owner,
                               ImageSpritePort* sprite, SurfacePort* surface, int32_t originX, int32_t originY,
                               uint8_t option, int32_t mode, uint8_t flag, bool indexed, uint32_t colorKey) {
  if (fileName.empty() || !owner || cellCount < 1) return kPlayerBadArgument;
  Reset();
  if (!ownSurface_ || ownSurface_->LoadImage(fileName, indexed) != 0) return kPlayerPictureFailed;
  if (colorKey != kNoColorKey) {
    ownSurface_->SetColorKeyRgb(uint8_t(colorKey >> 16), uint8_t(colorKey >> 8), uint8_t(colorKey));
  }
  return Start(cellCount, owner, sprite, surface, originX, originY, option, mode, flag);
}

int AnimationPlayer::Attach(SurfacePort* image, int32_t cellCount, const void* owner, ImageSpritePort* sprite,
                            SurfacePort* surface, int32_t originX, int32_t originY, uint8_t option, int32_t mode,
                            uint8_t flag) {
  if (!image || !owner || cellCount < 1) return kPlayerBadArgument;
  Reset();
  borrowedImage_ = image;
  return Start(cellCount, owner, sprite, surface, originX, originY, option, mode, flag);
}

int AnimationPlayer::Start(int32_t cellCount, const void* owner, ImageSpritePort* sprite, SurfacePort* surface,
                           int32_t originX, int32_t originY, uint8_t option, int32_t mode, uint8_t flag) {
  // Cells are a division of the strip's width: none would divide by zero.
  if (cellCount < 1) return kPlayerBadArgument;
  if (sprite) {
    target_ = sprite->GetSurface();
    if (!target_) return kPlayerSpriteWithoutSurface;
    AddSprite(sprite);
  } else {
    if (!surface) return kPlayerBadArgument;
    target_ = surface;
  }
  SurfacePort* strip = Strip();
  const bool keyed = strip && strip->GetColorKey() != SurfacePort::kNoColorKey;
  keyMode_ = keyed ? 2 : flag;
  cellCount_ = cellCount;
  option_ = option;
  owner_ = owner;
  const int32_t stripWidth = strip ? strip->GetWidth() : 0;
  const int32_t stripHeight = strip ? strip->GetHeight() : 0;
  cellWidth_ = stripWidth / cellCount;
  if (originX == kOriginFromPicture && strip) {
    originX_ = strip->GetUserValue1();
    originY_ = strip->GetUserValue2();
  } else {
    originX_ = originX;
    originY_ = originY;
  }
  mode_ = mode;
  if (mode == 2 || flag) {
    workSurface_ = surfaces_ ? surfaces_->CreateSurface(cellWidth_, stripHeight, target_->GetBitCount()) : nullptr;
    if (!workSurface_) return kPlayerWorkSurfaceFailed;
  }
  return kPlayerOk;
}

void AnimationPlayer::AddSprite(ImageSpritePort* sprite) {
  if (!sprite || std::find(sprites_.begin(), sprites_.end(), sprite) != sprites_.end()) return;
  sprites_.push_back(sprite);
}

void AnimationPlayer::RemoveSprite(ImageSpritePort* sprite) {
  const auto found = std::find(sprites_.begin(), sprites_.end(), sprite);
  if (found != sprites_.end()) sprites_.erase(found);
}

platform::Rect AnimationPlayer::CellRect(int32_t cell) const {
  const SurfacePort* strip = Strip();
  if (!strip || cell < 0 || cell >= cellCount_) return {};
  const int32_t left = cellWidth_ * cell;
  return {left, 0, left + cellWidth_, strip->GetHeight()};
}

void AnimationPlayer::QueueFrame(int32_t cell, uint32_t durationMs) { frames_.push_back({cell, durationMs}); }

bool AnimationPlayer::Remove(int32_t cell) {
  const auto it = std::find_if(frames_.begin(), frames_.end(), [cell](const QueuedFrame& f) { return f.cell == cell; });
  if (it == frames_.end()) return false;
  if (it == frames_.begin()) {
    headElapsed_ = 0;
    headShown_ = false;
  }
  frames_.erase(it);
  return true;
}

int32_t AnimationPlayer::Step(uint32_t elapsedMs) {
  if (frames_.empty()) return -1;
  bool changed = !headShown_;
  headShown_ = true;
  // Counted in 64 bits: a long pause must not wrap the head's time.
  uint64_t elapsed = uint64_t(headElapsed_) + elapsedMs;
  while (frames_.size() > 1 && elapsed >= frames_.front().durationMs) {
    elapsed -= frames_.front().durationMs;
    frames_.pop_front();
    changed = true;
  }
  headElapsed_ = uint32_t(std::min<uint64_t>(elapsed, UINT32_MAX));
  return changed ? frames_.front().cell : -1;
}

}  // namespace orrivel
