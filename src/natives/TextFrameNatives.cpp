#include "frame/TgsFrameNatives.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"

namespace orrivel {

namespace {

// The controls of the frame take no input of their own until the game's
// control host drives them.
class QuietControlHost final : public ControlHost {
 public:
  void GetPointerPos(int32_t* x, int32_t* y) override { *x = *y = -2; }
  ActionMap* GetActionMap() override { return nullptr; }
  InputDevice* GetKeyboard() override { return nullptr; }
  InputDevice* GetPointerDevice() override { return nullptr; }
};

}  // namespace

// Natives 788 to 791 over the host's one text-adventure frame. The frame
// plays on the host's script address space against the host's tables, and
// waits through the game's frame pump.
void BindTextFrameNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  TgsNativeContext& context = host.TextFrame();
  context.slot = &host.TextFrameSlot();
  context.space = &host.Space();
  context.environment.host = &host;
  context.environment.pumpFrame = [&host] {
    if (!host.Hooks().pumpFrame) return 0;
    const int pumped = host.Hooks().pumpFrame();
    if (pumped == 0) host.TextFrameSlot().closing = true;
    return pumped;
  };
  context.environment.log = [&host](const std::string& line) { host.Log(line); };
  context.environment.systemTimers = [&host] { return host.SystemTimers(); };
  context.environment.objectTimers = host.ObjectTimers();
  context.environment.layerActions = host.Actions();
  context.environment.screenObjects = host.ScreenObjects();
  // Boot bytes 15 (no low priority) and 5 (catch-up pacing), read when used.
  context.environment.lowPriorityOff = [] { return AppPort().boot[15] != 0; };
  context.environment.catchUpPacing = [] { return AppPort().boot[5] != 0; };
  context.environment.setCatchUp = [](bool on) { AppPort().catchUpLive = on ? 1 : 0; };
  // A script may delete the display object the frame draws on.
  WatchFrameCanvas(context, host.DrawObjects());
  if (!context.environment.controls) {
    context.ownControls = std::make_unique<QuietControlHost>();
    context.environment.controls = context.ownControls.get();
  }
  if (!context.environment.factory) {
    context.ownFactory = std::make_unique<ControlFactory>();
    context.environment.factory = context.ownFactory.get();
  }
  binder.Bind(tgs_natives::kCreateFrame, [&context](NativeArgs& args) { return NativeCreateTgsFrame(context, args); });
  binder.Bind(tgs_natives::kDeleteFrame, [&context](NativeArgs& args) { return NativeDeleteTgsFrame(context, args); });
  // The last run's result goes where the scripts read it: 2 when the
  // player chose a save to load, which the game then loads and resumes.
  const uint32_t resultWord = host.AddOwnedExternalVariable("retTgsFrame");
  binder.Bind(tgs_natives::kRunScript, [&context, &host, resultWord](NativeArgs& args) {
    const uint32_t code = NativeRunTgsScript(context, args);
    host.Space().Write32(resultWord, uint32_t(context.slot->frameResult));
    return code;
  });
  binder.Bind(tgs_natives::kSetFrameOption,
              [&context](NativeArgs& args) { return NativeSetTgsFrameOption(context, args); });
}

}  // namespace orrivel
