#include "base/MouseDevice.h"

#include "base/CursorObject.h"
#include "base/TickSource.h"
#include "platform/Backend.h"
#include "platform/InputSource.h"

namespace orrivel {

bool MouseDevice::Guarded() const {
  if (!trackedX_ || !trackedY_) return false;
  int32_t x = *trackedX_, y = *trackedY_;
  return x != -2 && y != -2 && (x < 0 || y < 0);
}

bool MouseDevice::ButtonPressed(uint8_t button) const {
  return (Previous().buttons[button] & 0x80) == 0 && (Current().buttons[button] & 0x80) != 0;
}

bool MouseDevice::IsDown(uint8_t code) const {
  if (Guarded()) return false;
  if (code < 3) return ButtonDown(code);
  if (code == 3) return Current().wheel > 0;
  if (code == 4) return Current().wheel < 0;
  return false;
}

bool MouseDevice::IsPressed(uint8_t code) const {
  if (Guarded()) return false;
  if (code < 3) return ButtonPressed(code);
  if (code == 3) return Previous().wheel == 0 && Current().wheel > 0;
  if (code == 4) return Previous().wheel == 0 && Current().wheel < 0;
  return false;
}

int32_t MouseDevice::FirstDown() const {
  if (Guarded()) return -1;
  for (uint8_t button = 0; button < 3; ++button) {
    if (ButtonDown(button)) return button;
  }
  if (Current().wheel > 0) return 3;
  if (Current().wheel < 0) return 4;
  return -1;
}

int32_t MouseDevice::FirstPressed() const {
  if (Guarded()) return -1;
  for (uint8_t button = 0; button < 3; ++button) {
    if (ButtonPressed(button)) return button;
  }
  if (Previous().wheel == 0) {
    if (Current().wheel > 0) return 3;
    if (Current().wheel < 0) return 4;
  }
  return -1;
}

int32_t MouseDevice::GetWheel() const { return Guarded() ? 0 : Current().wheel; }

void MouseDevice::Reset() { records_ = {}; }

void MouseDevice::OnWheel(uintptr_t wParam) { pendingWheel_ = int16_t(uint16_t(wParam >> 16)); }

int32_t MouseDevice::SetCursorShape(int32_t shape, uintptr_t, uint32_t resourceId) {
  platform::InputSource& source = platform::CurrentInputSource();
  cursorHandle_ = resourceId != 0 ? source.ResourceCursor(resourceId) : source.SystemCursor(shape);
  if (cursorHandle_ == 0) return 1;
  cursorShape_ = shape;
  // Showing it at once, not at the pointer's next move.
  source.SetCursor(cursorHandle_);
  return 0;
}

void MouseDevice::ShowCurrentCursor() const { platform::CurrentInputSource().SetCursor(cursorHandle_); }

void MouseDevice::ShowSystemCursor(bool show) {
  platform::InputSource& source = platform::CurrentInputSource();
  // The system keeps a display count; step it until it is on the right side
  // of zero. Bounded, in case a source never gets there.
  for (int i = 0; i < 1024; ++i) {
    int32_t count = source.ShowCursor(show);
    if (show ? count >= 0 : count < 0) break;
  }
}

void MouseDevice::SetCursorState(uint32_t state, platform::WindowId window, uint32_t message) {
  // Stored first: the window's handler of the message reads it.
  cursorState_ = state;
  if (message == 0) {
    ShowSystemCursor(state != 0);
  } else {
    platform::CurrentBackend().SendMessage(window, message, state, 0);
  }
}

void MouseDevice::ApplyCursorState(uint32_t state, platform::WindowId window, uint32_t message) {
  if (object_) {
    ShowImageCursor(state != 0);
  } else {
    SetCursorState(state, window, message);
  }
  requestedState_ = state;
}

void MouseDevice::ShowImageCursor(bool visible) {
  imageCursorVisible_ = visible;
  if (object_) object_->SetVisible(visible);
}

void MouseDevice::SwitchImageCursorOff() {
  object_ = nullptr;
  imageCursorVisible_ = false;
  currentFrame_ = -1;
}

int32_t MouseDevice::SetImageCursor(CursorObject* object, uint32_t frameCount, uint32_t frameTime, bool pingPong,
                                    int32_t hotX, int32_t hotY) {
  if (!object) {
    SwitchImageCursorOff();
    return 0;
  }
  int32_t kind = object->ObjectKind();
  if (kind != CursorObject::kImageObject && kind != CursorObject::kQuadObject) {
    SwitchImageCursorOff();
    return 3;
  }
  platform::Rect source;
  if (int32_t result = object->GetSourceRect(source); result != 0) return result;
  object_ = object;
  frameCount_ = frameCount;
  frameTime_ = frameTime;
  pingPong_ = pingPong;
  hotX_ = hotX;
  hotY_ = hotY;
  if (frameCount != 0) {
    frameWidth_ = source.Width();
    originX_ = source.left;
    originY_ = source.top;
  }
  uint64_t frames = pingPong && frameCount != 0 ? 2ull * frameCount - 1 : frameCount;
  uint64_t cycle = frames * frameTime;
  cycleLength_ = cycle > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(cycle);
  currentFrame_ = -1;
  cycleStart_ = CurrentTickMs();
  ShowImageCursor(requestedState_ != 0);
  return 0;
}

void MouseDevice::UpdateImageCursor() {
  if (!object_ || !imageCursorVisible_) return;
  if (trackedX_ && trackedY_ && *trackedX_ >= 0 && *trackedY_ >= 0) {
    object_->SetVisible(true);
    object_->SetPosition(*trackedX_ - hotX_, *trackedY_ - hotY_);
  } else {
    object_->SetVisible(false);
    return;
  }
  if (frameCount_ == 0) return;
  uint32_t now = CurrentTickMs();
  uint32_t t = now - cycleStart_;
  if (t >= cycleLength_) {
    t = 0;
    cycleStart_ = now;
  }
  // A frame time of 0 leaves the cursor on its first frame.
  int64_t frame = frameTime_ == 0 ? 0 : int64_t(t / frameTime_);
  if (frame >= int64_t(frameCount_)) frame = 2 * int64_t(frameCount_) - frame - 2;
  if (frame < 0) frame = 0;
  if (frame == currentFrame_) return;
  int32_t x = int32_t(int64_t(frameWidth_) * frame + originX_);
  if (object_->ObjectKind() == CursorObject::kQuadObject) {
    object_->SetTexRect(x, originY_, 0);
  } else {
    object_->SetRect(x, originY_, 0);
  }
  currentFrame_ = int32_t(frame);
}

}  // namespace orrivel
