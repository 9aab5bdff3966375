// The frame's waits: each advances the game one frame at a time through
// the application's frame pump and times itself on the frame's timer 0,
// so a wait never blocks the program and a closing program ends it (-1).
#include "base/ActionMap.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "scene/ControlHost.h"
#include "base/InputDevice.h"

namespace orrivel {

namespace {

constexpr size_t kSettingSkipKeyIsCtrl = 130;
constexpr size_t kSettingClickCutsWaits = 191;
constexpr uint8_t kKeyLeftCtrl = 0x1D;
constexpr uint8_t kKeyRightCtrl = 0x9D;
constexpr uint8_t kKeyLeftShift = 0x2A;
constexpr uint8_t kKeyRightShift = 0x36;
constexpr uint8_t kMouseLeft = 0;
constexpr uint32_t kActionDecide = 4;
constexpr uint16_t kWaitTimer = 0;
constexpr uint32_t kFrameTimers = 2;

}  // namespace

bool TgsFrame::SkipKeyHeld() const {
  if (!environment_.controls) return false;
  const InputDevice* keys = environment_.controls->GetKeyboard();
  if (!keys) return false;
  if (Setting(kSettingSkipKeyIsCtrl)) return keys->IsDown(kKeyLeftCtrl) || keys->IsDown(kKeyRightCtrl);
  return keys->IsDown(kKeyLeftShift) || keys->IsDown(kKeyRightShift);
}

bool TgsFrame::ClickPressed() const {
  if (!environment_.controls) return false;
  const InputDevice* pointer = environment_.controls->GetPointerDevice();
  if (pointer && pointer->IsPressed(kMouseLeft)) return true;
  const ActionMap* actions = environment_.controls->GetActionMap();
  return actions && actions->IsPressed(kActionDecide);
}

int32_t TgsFrame::TimedWait(uint32_t ms, bool skippable) {
  if (skipByKey_ || skipBySetting_) return 1;
  return PumpUntil(ms, [this, skippable]() -> int32_t {
    if (SkipKeyHeld()) return 0;
    if (skippable && Setting(kSettingClickCutsWaits) && ClickPressed()) return 1;
    return kGoOn;
  });
}

int32_t TgsFrame::FixedWait(uint32_t ms) {
  return PumpUntil(ms, [] { return kGoOn; });
}

bool TgsFrame::PumpOneFrame() {
  // The scripts or the game may have switched saving, loading or the
  // settings on or off since the last frame: the frame about to be shown
  // shows the bar buttons as they now are.
  FollowGameSwitches(false);
  const bool open = !environment_.pumpFrame || environment_.pumpFrame() != 0;
  // A bar fade that ran out during the frame leaves the bar hidden.
  windowState_->Update();
  return open;
}

int32_t TgsFrame::PumpUntil(uint32_t ms, const std::function<int32_t()>& check) {
  // Without a pump there is nothing to wait with: the time counts as gone.
  if (!environment_.pumpFrame) return 0;
  if (timers_.Count() == 0) timers_.Create(kFrameTimers);
  timers_.Start(kWaitTimer);
  for (;;) {
    if (!PumpOneFrame()) return -1;
    if (timers_.Elapsed(kWaitTimer) > ms) return 0;
    const int32_t seen = check();
    if (seen != kGoOn) return seen;
  }
}

int32_t TgsFrame::RunWaitRow(bool skippable, const std::function<int32_t()>& wait,
                             const std::function<void()>& end) {
  if (!skippable || waitChain_ == 0) {
    const int32_t result = wait();
    if (result < 0) return -1;
    waitChain_ = result == 1 ? 1 : 0;
    return 0;
  }
  // A wait right after one the player cut short: what it waits for ends
  // now, and the chain carries on to the next wait.
  end();
  ++waitChain_;
  return 0;
}

}  // namespace orrivel
