#pragma once
// The display rig with the built-in layer actions registered, an object
// timer list and a natives harness whose host is told of the display's
// deletions, as in the program.
#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "resource/DcpManager.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {

class LayerActionNativeRig : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    pixelOps_ = std::make_unique<BoundPixelOps>();
    RegisterLayerActions(actions_, StartupLayerActions());
    RegisterLayerActions(actions_, ScriptHostLayerActions());
    StartScripts();
  }
  // A new script host over the same display, timers and actions (the old
  // one goes first, as when the scripts restart).
  void StartScripts() {
    harness_.reset();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    setup.actions = &actions_;
    setup.drawObjects = &Display();
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    harness_.reset();
    timers_.Clear();
    pixelOps_.reset();
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args) { return harness_->Call(native, args); }
  // The call's answer; the call must have run.
  int32_t Result(std::string_view native, const std::vector<Arg>& args = {}) {
    const NativeCall call = Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return int32_t(call.result);
  }

  TimerList timers_;
  DcpManager actions_;
  std::unique_ptr<BoundPixelOps> pixelOps_;
  std::unique_ptr<NativeHarness> harness_;
};

}  // namespace orrivel::testing
