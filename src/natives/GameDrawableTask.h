#pragma once
// Types the markup text into a GameDrawable, one frame at a time on the
// object timer list: a character per step (or a run without waits), stops
// at the page's stop marks and when the window is full, waits there for
// the player under the wait cursor, and shows the rest of a page at once
// when the skip key, the skip button or the skip settings say so.
//
// Main thread only.
#include <cstddef>
#include <cstdint>

#include "base/TimedTask.h"

namespace orrivel {

class GameDrawable;

class GameDrawableTask : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 13010;
  enum State : uint8_t { kIdle = 0, kTyping = 1, kWaiting = 2, kFinished = 3, kShownAtOnce = 4 };
  // Step results beside 0.
  static constexpr int32_t kUnknownToken = 1;
  static constexpr int32_t kFieldTooLong = 2;

  // Settings bytes of the application block.
  static constexpr size_t kSettingNoSkipUnread = 5;
  static constexpr size_t kSettingUnreadNoWait = 24;
  static constexpr size_t kSettingUnreadDelay = 25;
  static constexpr size_t kSettingReadNoWait = 26;
  static constexpr size_t kSettingReadDelay = 27;
  static constexpr size_t kSettingSkipRead = 28;
  static constexpr size_t kSettingSkipKeyReadOnly = 131;

  explicit GameDrawableTask(GameDrawable* drawable) : drawable_(drawable) {}

  int32_t GetTypeId() const override { return kTypeId; }
  // The frame's update with the current tick; the task runs until stopped.
  int32_t Step(uint32_t now) override;
  // The drawable is going.
  void Stop() override { drawable_ = nullptr; }

  // A new page: 0 started; 2 (with nothing changed on screen) when its
  // component 2 does not fit the drawable's field.
  int32_t Start(bool allAtOnce, bool readPermission);
  // Reads tokens until a stop, a full window or the end; without noWaits
  // one character or item ends the step. 0; kUnknownToken for a token of
  // no known kind.
  int32_t StepText(bool noWaits);
  // Reads the rest of the page without stopping.
  void Finish();
  // Leaves the key wait (nothing unless waiting).
  void LeaveWait();

  uint8_t GetState() const { return state_; }
  int8_t LastKind() const { return lastKind_; }
  bool EndNotified() const { return endNotified_ != 0; }
  bool PageRead() const { return pageRead_ != 0; }
  bool SkipsPage() const { return skipPage_ != 0; }
  bool NoWait() const { return noWait_ != 0; }
  uint8_t Delay() const { return delay_; }
  // How many times the end of a page was told.
  uint32_t EndNotifications() const { return endNotifications_; }

 private:
  // At a stop of that kind: waiting, the wait cursor shown.
  void StopAt(int8_t kind);
  // The end of the page: told once, the scroll put back.
  void EndPage();
  // A character token: 0 drawn, 1 the window is full (the token given back).
  int32_t TypeCharacter();
  void DrawItem();
  void Scroll();
  void RestoreScroll();
  bool SkipKeyCounts() const;

  GameDrawable* drawable_;
  uint8_t state_ = kIdle;
  int8_t lastKind_ = 0;
  uint8_t endNotified_ = 0;
  uint8_t pageRead_ = 0;
  uint8_t noWait_ = 0;
  uint8_t delay_ = 0;
  uint8_t skipPage_ = 0;
  uint32_t nextTime_ = 0;
  bool scrollSaved_ = false;
  int32_t savedScroll_ = 0;
  uint32_t endNotifications_ = 0;
  // The last tick the list stepped with (the wait cursor starts then).
  uint32_t lastNow_ = 0;
};

}  // namespace orrivel
