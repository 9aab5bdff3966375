#pragma once
// A script host whose natives reach a sound system, the rig's sound
// manager on the virtual output and a system port of the test's own, with
// the sound tasks on the rig's timer list: the set-up of the sound, save
// and system-command native tests. Natives are called one after another on
// one host; tables of script calls run under hosts of their own.
#include <climits>
#include <map>
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

// One native called from a script: its cells, its answer and the texts it
// leaves in its buffers.
struct ScriptRow {
  const char* native;
  std::vector<Arg> args;
  int32_t result;
  std::map<size_t, std::string> texts = {};
};

class SoundNativesRig : public SoundManagerRig {
 protected:
  // A row whose answer is a handle: anything but 0.
  static constexpr int32_t kAnyHandle = INT32_MIN;
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
  // Each row through a script of its own, in order, under hosts of their
  // own; none may leave a log line.
  void ExpectScriptRows(const std::vector<ScriptRow>& rows) {
    NativeHarness scripts(setup);
    for (const ScriptRow& row : rows) {
      SCOPED_TRACE(row.native);
      const NativeCall call = scripts.Call(row.native, row.args);
      ASSERT_TRUE(call.Ran());
      if (row.result == kAnyHandle) EXPECT_NE(call.result, 0u);
      else EXPECT_EQ(call.Result(), row.result);
      for (const auto& [index, text] : row.texts) EXPECT_EQ(call.texts.at(index), text);
      EXPECT_TRUE(call.log.empty());
    }
  }

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
