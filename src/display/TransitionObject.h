#pragma once
// A scene object that shows one numbered screen transition from a source
// image onto a destination image at a progress. Scripts make it through the
// draw-object manager and step its progress each frame; the scene pass draws
// it onto the device's target and a restore renders the last progress again.
//
// Both images are borrowed: whoever made them (the manager's image list)
// keeps them alive while the object refers to them, and every failed create
// drops both so that no half-bound image stays referenced.
#include <cstdint>

#include "display/SceneObject.h"
#include "raster/Rect.h"

namespace orrivel {

class Image;
class TransitionRunner;

inline constexpr int kSceneObjectTransition = 2;

// An image that has a size and pixels somewhere: its own bits, a display
// surface or a held surface.
bool IsUsableImage(Image* image);

class TransitionObject : public SceneObject {
 public:
  // A step that the library refuses as nothing it can do (its -1) stays a
  // failure: it is returned unchanged instead of being shifted to 0.
  static constexpr int kStepRefused = -1;

  explicit TransitionObject(TransitionRunner* runner = nullptr) : runner_(runner) {}
  void SetRunner(TransitionRunner* runner) { runner_ = runner; }

  // 0 done; 1 invalid source; 2 invalid destination; 3 the first draw failed.
  int Create(Image* destination, Image* source, uint32_t mode, int32_t x, int32_t y,
             int32_t progress, int32_t option1, int32_t option2);
  // 1 without a source (or without a library); without a destination only
  // the progress is stored (0). A surface-image destination with a fill
  // colour is filled first. A library failure r > 0 gives r + 1 and a
  // refusal (-1) gives kStepRefused; the progress is then left as it was.
  int DrawStep(int32_t progress);
  // 1 without a source or for an unusable image; null clears (0).
  int SetDestination(Image* image);
  // 1 without a source yet, or for a null or unusable image.
  int SetSource(Image* image);
  // Needs a usable destination (else false); a given rectangle is clipped to
  // the destination's clip rectangle; the origin pair is stored.
  bool SetPosition(int32_t originX, int32_t originY, const Rect* rect);
  // False without a bounds; else the point lies inside them. The precise
  // test also misses where a colour-keyed surface-image source shows its
  // key, as an image object's test does.
  bool HitTest(int32_t x, int32_t y, uint8_t precise) override;
  // The source's size at the position without a destination; else the
  // rectangle at the position, its size replaced by the display size where
  // that is set. False without a source.
  bool GetBounds(Rect* out) const override;

  // --- scene object ------------------------------------------------------------------
  int GetKind() const override { return kSceneObjectTransition; }
  // Renders onto the device's target at the position.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
  int Restore() override;
  void SetPosition(int32_t x, int32_t y) override {
    x_ = x;
    y_ = y;
  }
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) override {
    width_ = width;
    height_ = height;
    SetPosition(x, y);
  }
  // A script's offsets stop at the edge of the 32-bit range, as sprites do.
  void MoveBy(int32_t dx, int32_t dy) override { SetPosition(ClampedEdge(x_, dx), ClampedEdge(y_, dy)); }
  bool GetPosition(int32_t* x, int32_t* y) const override;
  void ForgetImage(const Image* image) override;

  Image* Destination() const { return destination_; }
  Image* Source() const { return source_; }
  uint32_t Mode() const { return mode_; }
  // The transition the next draw runs.
  void SetMode(uint32_t mode) { mode_ = mode; }
  int32_t Progress() const { return progress_; }
  int32_t Option1() const { return option1_; }
  int32_t Option2() const { return option2_; }
  const Rect& DrawRect() const { return rect_; }
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }

 private:
  void Reset();

  TransitionRunner* runner_;
  Image* destination_ = nullptr;
  Image* source_ = nullptr;
  uint32_t mode_ = 0;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t progress_ = 0;
  int32_t option1_ = 0;
  int32_t option2_ = 0;
  Rect rect_;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace orrivel
