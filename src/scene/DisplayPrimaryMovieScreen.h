#pragma once
// The screen side of the primary-surface movie player: its frame sources
// are locked frame sources listed by the draw-object manager (so they are
// re-created with every other image after the display surfaces were lost),
// and the player is drawn into the display's back surface in the scene
// pass through PrimaryMovieSceneObject.
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "display/SceneObject.h"
#include "sound/PrimaryMovie.h"

namespace orrivel {

class DrawObjectManager;
class DisplayScreenDevice;

class DisplayPrimaryMovieScreen final : public PrimaryMovieScreen {
 public:
  explicit DisplayPrimaryMovieScreen(DrawObjectManager& manager) : manager_(manager) {}
  DisplayPrimaryMovieScreen(const DisplayPrimaryMovieScreen&) = delete;
  DisplayPrimaryMovieScreen& operator=(const DisplayPrimaryMovieScreen&) = delete;
  // Deletes from the manager the frame sources still held.
  ~DisplayPrimaryMovieScreen();

  int CreateLockedFrameSource(Image** out) override;
  void DeleteImage(Image** slot) override;
  // The frame source's display surface; null for one not made here or
  // before the movie library gave it a size.
  platform::SoftSurface* FrameSurface(Image* frameSource) override;

  size_t Held() const { return handles_.size(); }

 private:
  DrawObjectManager& manager_;
  std::unordered_map<const Image*, uint32_t> handles_;
};

// The player as a scene object of the display's registry: drawn into the
// Direct3D device's target (the display's back surface), whole, at every
// scene pass.
class PrimaryMovieSceneObject final : public SceneObject {
 public:
  explicit PrimaryMovieSceneObject(std::unique_ptr<PrimaryMovie> movie) : movie_(std::move(movie)) {}
  PrimaryMovie& Movie() { return *movie_; }

  bool IsVisible() const override { return movie_->IsVisible(); }
  void SetVisible(bool visible) override { movie_->SetVisible(visible); }
  int GetKind() const override { return PrimaryMovie::kSceneKind; }
  // The movie's Draw codes; 1 when the device has no target.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
  void SetPosition(int32_t x, int32_t y) override { movie_->SetPosition(x, y); }
  void SetSize(int32_t width, int32_t height) override { movie_->SetSize(width, height); }
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) override {
    movie_->SetSizeAndPosition(width, height, x, y);
  }
  void MoveBy(int32_t dx, int32_t dy) override { movie_->MoveBy(dx, dy); }
  bool GetPosition(int32_t* x, int32_t* y) const override;
  bool HitTest(int32_t x, int32_t y, uint8_t unused) override { return movie_->HitTest(x, y, unused); }
  bool GetBounds(Rect* out) const override { return movie_->GetRect(out); }

 private:
  std::unique_ptr<PrimaryMovie> movie_;
};

}  // namespace orrivel
