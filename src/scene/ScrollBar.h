#pragma once
// A horizontal or vertical scroll bar: a track picture with a thumb sprite
// over it and two arrow buttons at its ends. It holds an integer value
// 0..maximum, maps it to the thumb's offset along the track, and tells a
// bound listener when the value changes. The bar is painted from colours
// (CreateDrawn) or taken from picture files (Create); SetTrack lays it out
// for a length and a content range, the thumb's length following the
// visible share of the content. Pictures of a bar hold their state cells
// (normal, hover, pressed, optionally disabled) stacked across the axis.
//
// Main thread only.
#include <cstdint>
#include <memory>
#include <string>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ButtonControl.h"
#include "scene/Control.h"
#include "scene/ControlSound.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class ScrollBar;

// What the bar tells the control it scrolls.
class ScrollBarListener {
 public:
  virtual void OnScrollValue(ScrollBar* bar, int32_t value) = 0;
  // A step forward at the end (or without a thumb).
  virtual void OnScrollPastEnd(ScrollBar*) {}

 protected:
  ~ScrollBarListener() = default;
};

// An arrow button at one end of a bar. Direction codes: 0 up, 1 down, 2
// left, 3 right (bit 0 set: forward).
class ScrollBarButton : public ButtonControl {
 public:
  ScrollBarButton(ScrollBar* bar, uint8_t direction, uint32_t arrowColour)
      : bar_(bar), direction_(direction), arrowColour_(arrowColour) {}

  // Fires at the press, again after 500 ms and then every 100 ms while held.
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  // Steps the bar, then the push button's own activation.
  bool Activate() override;
  bool IsForward() const { return (direction_ & 1) != 0; }
  uint8_t Direction() const { return direction_; }

 protected:
  // The arrow of a drawn bar.
  void DrawFace(Surface* face, const Rect& cell, bool disabled) override;

 private:
  ScrollBar* bar_;
  uint8_t direction_;
  uint32_t arrowColour_;
  uint32_t repeatTime_ = 0;
};

class ScrollBar : public Control {
 public:
  enum State : uint8_t { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
  static constexpr int32_t kMinThickness = 8;
  static constexpr uint32_t kFirstRepeatMs = 500;
  static constexpr uint32_t kRepeatMs = 100;
  static constexpr uint8_t kKeyHome = 199;
  static constexpr uint8_t kKeyEnd = 207;

  ScrollBar() = default;
  ~ScrollBar() override;

  // --- Control ------------------------------------------------------------------------------
  int32_t GetKind() const override { return kControlScrollBar; }
  // The back button's top-left corner.
  int32_t GetX() const override { return x_; }
  int32_t GetY() const override { return y_; }
  // The track's size.
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  bool IsVisible() const override;
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override;
  // The display flag (the arrows take it too): while set, the pointer's hover shows no highlight:
  // a hovered control shows its resting look, and so does a press that
  // has no look of its own. The current state is shown again at once.
  void SetDisplayFlag(bool flag);
  bool GetDisplayFlag() const { return plainHover_; }
  uint8_t IsReady() const override { return thumbSprite_.GetOpacity(); }
  bool SetEnabled(bool enable) override;
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // --- creation -------------------------------------------------------------------------------
  // 1 no list or a thickness below 8; 2 the thumb picture, 3 the track
  // picture, 4 the back button, 5 the forward button cannot be made.
  int32_t CreateDrawn(SpriteList* list, int32_t order, int32_t x, int32_t y, bool vertical, int32_t thickness,
                      uint32_t thumbColour, uint32_t trackColour, uint32_t hoverColour, uint32_t pressedColour,
                      uint32_t arrowColour, int32_t group);
  // 1 no list or no thumb picture name; 2 the thumb, 3 the track picture
  // does not load; 4, 5 an arrow button cannot be made. Key: keyY >= 0
  // takes the pixel (keyX, keyY); keyY < 0 uses keyX as the colour, -1 none.
  int32_t Create(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t trackOriginX, int32_t trackOriginY,
                 const char* thumbImage, int32_t thumbStartCap, int32_t thumbEndCap, const char* barImage,
                 int32_t trackStartCap, int32_t trackEndCap, const char* backArrowImage,
                 const char* forwardArrowImage, bool hasDisabledCell, bool vertical, uint8_t blend,
                 uint8_t drawFlags, int32_t keyX, int32_t keyY, int32_t group);
  // Lays the bar out. 0; 1 before creation or for total 0; 2 or 3 when the
  // composed track or thumb cannot be made; -1 nothing to scroll (thumb
  // hidden, bar disabled).
  int32_t SetTrack(int32_t length, int32_t total, int32_t visible, int32_t value, int32_t endInset,
                   int32_t minimumMiddle);
  // Frees everything the creation made.
  void Release();
  // 1 not created, no list or the thumb in no list.
  int32_t MoveToList(SpriteList* list);

  // --- value --------------------------------------------------------------------------------------
  // 1 without a thumb; -1 unchanged; 0.
  int32_t SetValue(int32_t value);
  int32_t SetThumbOffset(int32_t offset);
  // -1 without a thumb; 0.
  int32_t Step(bool forward);
  // One arrow's step: by keyStep values (> 0), -keyStep pixels (< 0) or one.
  void StepByKey(bool forward);
  // Which piece: 0 the bar, 1 the back, 2 the forward button. 1 or 2 for a missing
  // button; 0.
  int32_t SetState(int32_t part, uint8_t state);

  // --- host ---------------------------------------------------------------------------------------
  // The back button, the bar and the forward button at index.. (appended
  // for a negative index). 1 null host; -1 already in a host.
  int32_t AddToHost(ControlHost* host, int32_t index);
  void RemoveFromHost();

  void SetListener(ScrollBarListener* listener) { listener_ = listener; }
  void SetSounds(const char* activate, const char* hover, const char* leave, int32_t activateCode,
                 int32_t hoverCode, int32_t leaveCode);
  void SetClickMode(uint8_t mode) { clickMode_ = mode; }
  void SetPageActions(uint8_t back, uint8_t forward) { pageBack_ = back, pageForward_ = forward; }
  void SetKeyStep(int32_t step) { keyStep_ = step; }

  int32_t GetValue() const { return value_; }
  int32_t GetMaximum() const { return maximum_; }
  int32_t GetThumbOffset() const { return thumbOffset_; }
  int32_t GetThumbLength() const { return thumbLength_; }
  int32_t GetTrackLength() const { return trackLength_; }
  uint8_t GetState() const { return state_; }
  bool IsVertical() const { return vertical_; }
  bool IsDragging() const { return dragging_; }
  int32_t GetKeyStep() const { return keyStep_; }
  ScrollBarButton* BackButton() const { return back_.get(); }
  ScrollBarButton* ForwardButton() const { return forward_.get(); }
  const ImageSprite& ThumbSprite() const { return thumbSprite_; }
  const ImageSprite* TrackSprite() const { return trackSprite_.get(); }
  Surface& ThumbSurface() { return thumbSurface_; }
  Surface* TrackSurface() const { return trackSurface_.get(); }

 private:
  // Start along the axis where the thumb's travel begins (relative).
  int32_t OriginAlong() const { return vertical_ ? originY_ : originX_; }
  int32_t Along(int32_t x, int32_t y) const { return vertical_ ? y : x; }
  int32_t ButtonLength(const ScrollBarButton* button) const;
  void MoveThumb();
  void UpdateArrows();
  void Notify();
  // Composes dst along the axis from src: the start cap, the middle
  // repeated, the end cap. False when dst cannot be made.
  bool ComposeAlong(Surface* dst, Surface* src, int32_t length, int32_t startCap, int32_t endCap);
  // The colour key of a bar made from pictures (keyY >= 0: the pixel
  // (keyX, keyY); else keyX as the colour, -1 none).
  void ApplyKey(Surface* surface) const;
  int32_t ThumbCellOf(uint8_t state) const;
  void ShowCell(ImageSprite* sprite, int32_t cell, int32_t cellSize);
  void EndDrag();
  bool MakeDrawnThumb(int32_t thickness, uint32_t thumb, uint32_t hover, uint32_t pressed);
  int32_t MakeArrows(bool vertical, const char* backImage, const char* forwardImage, uint32_t arrowColour,
                     uint32_t face, uint32_t highlight, int32_t thickness, bool hasDisabled, uint8_t blend,
                     uint8_t drawFlags, int32_t keyX, int32_t keyY, int32_t group);

  ScrollBarListener* listener_ = nullptr;
  std::string thumbName_, barName_;
  int32_t thumbStartCap_ = 0, thumbEndCap_ = 0;
  int32_t trackStartCap_ = 0, trackEndCap_ = 0;
  std::unique_ptr<ScrollBarButton> back_, forward_;
  int32_t width_ = 0, height_ = 0;
  bool vertical_ = false;
  uint8_t state_ = kNormal;
  bool plainHover_ = false;
  int32_t x_ = 0, y_ = 0;
  int32_t thumbOffset_ = -1;
  int32_t trackLength_ = -1;
  int32_t thumbLength_ = 0;
  int32_t trackStart_ = 0;
  int32_t originX_ = 0, originY_ = 0;
  int32_t lastPointer_ = 0;
  int32_t maximum_ = 0;
  int32_t value_ = -1;
  uint8_t clickMode_ = 0;
  uint32_t repeatTime_ = 0;
  int8_t region_ = 0;
  bool dragging_ = false;
  uint8_t pixelHit_ = 1;
  uint8_t pageBack_ = 0, pageForward_ = 0;
  int32_t keyStep_ = 0;
  ControlSound sounds_[3];
  ControlHost* host_ = nullptr;

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  bool drawn_ = false;
  bool hasDisabledCell_ = false;
  int32_t keyX_ = -1, keyY_ = -1;
  int32_t thumbCell_ = 0, trackCell_ = 0;
  Surface thumbSurface_;
  ImageSprite thumbSprite_;
  std::unique_ptr<Surface> thumbSource_;
  std::unique_ptr<Surface> trackSurface_;
  std::unique_ptr<ImageSprite> trackSprite_;
  std::unique_ptr<Surface> trackSource_;
};

}  // namespace orrivel
