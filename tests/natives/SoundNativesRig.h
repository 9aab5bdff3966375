#pragma once
// A script host whose natives reach a sound system, the rig's sound
// manager on the virtual output and a system port of the test's own, with
// the sound tasks on the rig's timer list: the set-up of the sound, save
// and system-command native tests. Natives are called one after another on
// one host; tables of script calls run under hosts of their own.
#include <memory>
#include <string>
#include <vector>

#include "natives/AppNativePort.h"
#include "natives/DirectCalls.h"
#include "natives/NativeHarness.h"
#include "natives/ProcessObjects.h"
#include "natives/SystemNativePort.h"
#include "sound/SoundManagerRig.h"
#include "sound/SoundSystem.h"

namespace orrivel::testing {

class SoundNativesRig : public SoundManagerRig {
 protected:
  void SetUp() override {
    SoundManagerRig::SetUp();
    port.soundSystem = &system;
    previousPort_ = SetSystemPort(&port);
    previousApp_ = SetAppPort(&app);
    previousManager_ = SetSoundManager(&sound);
    previousObjects_ = SetProcessObjects(&objects);
    setup.systemTimers = &list;
    setup.objectTimers = &list;
    harness = std::make_unique<NativeHarness>(setup);
    harness->Call("Nop", {});
    calls = std::make_unique<DirectCalls>(harness->Host());
  }
  void TearDown() override {
    calls.reset();
    harness.reset();
    system.DeleteAllSounds();
    SetProcessObjects(previousObjects_);
    SetSoundManager(previousManager_);
    SetAppPort(previousApp_);
    SetSystemPort(previousPort_);
    SoundManagerRig::TearDown();
  }
  uint32_t Call(uint32_t native, const std::vector<uint32_t>& cells, bool* failed = nullptr) {
    return calls->Call(native, cells, failed);
  }
  uint32_t Text(const std::string& text) { return calls->Text(text); }
  GameScriptHost& Host() { return harness->Host(); }

  SoundSystem system;
  SystemNativePort port;
  AppNativePort app;
  ProcessObjects objects;
  GameHostSetup setup;
  std::unique_ptr<NativeHarness> harness;
  std::unique_ptr<DirectCalls> calls;

 private:
  SystemNativePort* previousPort_ = nullptr;
  AppNativePort* previousApp_ = nullptr;
  SoundManager* previousManager_ = nullptr;
  ProcessObjects* previousObjects_ = nullptr;
};

}  // namespace orrivel::testing
