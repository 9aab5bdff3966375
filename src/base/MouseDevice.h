#pragma once
// The mouse: two state records (x, y, wheel, four button bytes) written
// alternately by each poll, the system cursor's shape and visibility, and
// the image cursor, an animated scene object that follows the pointer in
// place of the system cursor.
//
// Codes: 0 left, 1 right, 2 middle button, 3 wheel turned away from the
// user, 4 wheel turned towards the user. While the application's tracked
// pointer lies outside the client area, every query reports nothing.
#include <array>
#include <cstdint>

#include "base/InputDevice.h"
#include "platform/Messages.h"

namespace orrivel {

class CursorObject;

class MouseDevice : public InputDevice {
 public:
  bool IsDown(uint8_t code) const override;
  bool IsPressed(uint8_t code) const override;
  int32_t FirstDown() const override;
  int32_t FirstPressed() const override;
  void Reset() override;
  void Unacquire() override { Reset(); }
  int32_t GetWheel() const;
  // A wheel message: the high word of wParam, signed, is the turn.
  virtual void OnWheel(uintptr_t wParam);

  // The application's tracked pointer in client coordinates (-2: not
  // tracked); none turns the guard off.
  void SetTrackedPosition(const int32_t* x, const int32_t* y) {
    trackedX_ = x;
    trackedY_ = y;
  }

  // --- The system cursor ----------------------------------------------------
  // 0, or 1 when the shape (or resource) gives no cursor.
  int32_t SetCursorShape(int32_t shape, uintptr_t instance, uint32_t resourceId);
  void ShowSystemCursor(bool show);
  // Message 0 shows or hides the system cursor; any other message goes to
  // the window with the state as wParam.
  void SetCursorState(uint32_t state, platform::WindowId window, uint32_t message);
  // As SetCursorState, or the image cursor's visibility while there is one.
  void ApplyCursorState(uint32_t state, platform::WindowId window, uint32_t message);
  // Shows the current cursor shape (the main window's set-cursor message
  // over the client area).
  void ShowCurrentCursor() const;
  uint32_t CursorHandle() const { return cursorHandle_; }
  int32_t CursorShape() const { return cursorShape_; }
  uint32_t CursorState() const { return cursorState_; }
  uint32_t RequestedCursorState() const { return requestedState_; }

  // --- The image cursor -----------------------------------------------------
  void ShowImageCursor(bool visible);
  // 0 done; 1 or 2 when the object's image cannot be used; 3 when the
  // object cannot be a cursor (the image cursor is then off). Null turns
  // the image cursor off. Frames lie side by side from the object's current
  // source rectangle; with ping-pong the animation runs back and forth.
  int32_t SetImageCursor(CursorObject* object, uint32_t frameCount, uint32_t frameTime, bool pingPong,
                         int32_t hotX, int32_t hotY);
  // Moves, shows or hides the image cursor and steps its animation.
  void UpdateImageCursor();
  CursorObject* ImageCursor() const { return object_; }
  bool ImageCursorVisible() const { return imageCursorVisible_; }
  int32_t CurrentFrame() const { return currentFrame_; }

  // The axis and button counts the device reports (0 where the source
  // cannot tell).
  uint32_t AxisCount() const { return axisCount_; }
  uint32_t ButtonCount() const { return buttonCount_; }

 protected:
  struct State {
    int32_t x = 0;
    int32_t y = 0;
    int32_t wheel = 0;
    std::array<uint8_t, 4> buttons{};
  };
  const State& Current() const { return records_[writeIndex_ ^ 1]; }
  const State& Previous() const { return records_[writeIndex_]; }
  State& WriteRecord() { return records_[writeIndex_]; }
  void FlipRecords() { writeIndex_ ^= 1; }
  // True while the pointer is known to be outside the client area.
  bool Guarded() const;
  virtual bool ButtonDown(uint8_t button) const { return (Current().buttons[button] & 0x80) != 0; }
  virtual bool ButtonPressed(uint8_t button) const;

  std::array<State, 2> records_{};
  uint32_t writeIndex_ = 0;
  int32_t pendingWheel_ = 0;
  uint32_t axisCount_ = 0;
  uint32_t buttonCount_ = 0;

 private:
  void SwitchImageCursorOff();

  const int32_t* trackedX_ = nullptr;
  const int32_t* trackedY_ = nullptr;
  uint32_t cursorHandle_ = 0;
  int32_t cursorShape_ = 0;
  uint32_t cursorState_ = 1;
  bool imageCursorVisible_ = false;
  uint32_t requestedState_ = 1;

  CursorObject* object_ = nullptr;
  uint32_t frameCount_ = 0;
  int32_t frameWidth_ = 0;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  int32_t hotX_ = 0;
  int32_t hotY_ = 0;
  uint32_t frameTime_ = 0;
  uint32_t cycleLength_ = 0;
  bool pingPong_ = false;
  int32_t currentFrame_ = -1;
  uint32_t cycleStart_ = 0;
};

}  // namespace orrivel
