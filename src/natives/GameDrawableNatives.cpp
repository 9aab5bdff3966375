// Natives 767 and 769 to 777: the script's message window (control kind
// 111) types the shared text, takes commands, its wait cursor, name plate
// and skip button, and reports its typing state. Any other control, a null
// or a stale handle gets the native's refusal value.
#include "natives/GameDrawable.h"
#include "natives/GameDrawableTask.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptControlCells.h"
#include "scene/ControlFactory.h"
#include "script/NativeArgs.h"

namespace orrivel {

namespace {

// The body runs only for a message window the script may reach.
template <class Body>
ScriptNative OnDrawable(ScriptControlCells cells, uint32_t refused, Body body) {
  return [cells, refused, body](NativeArgs& args) -> uint32_t {
    Control* control = cells.ControlAt(args, 0);
    if (control == nullptr || args.Failed() || control->GetKind() != GameDrawable::kKind) return refused;
    const uint32_t result = body(static_cast<GameDrawable&>(*control), args, cells);
    return args.Failed() ? refused : result;
  };
}

// Cell 1 names a control of that kind: bound by its factory handle (2 for
// anything else).
uint32_t BindControl(GameDrawable& drawable, NativeArgs& args, const ScriptControlCells& cells, int32_t kind,
                     bool plate) {
  Control* control = cells.ControlAt(args, 1);
  ControlFactory* factory = cells.Factory();
  if (control == nullptr || factory == nullptr || control->GetKind() != kind) return 2;
  const uint32_t handle = factory->HandleOf(control);
  if (plate) {
    drawable.BindNamePlate(handle, args.Byte(2));
  } else {
    drawable.BindSkipButton(handle);
  }
  return 0;
}

// The frames description: a script record of three cells (the strip's
// display object, the frame count, the time of a frame), copied; 0 none.
WaitCursorFrames ReadFrames(NativeArgs& args) {
  const uint32_t record = args.Cell(1);
  if (record == 0) return WaitCursorFrames{};
  WaitCursorFrames frames;
  frames.image = args.Load(record);
  frames.frameCount = int32_t(args.Load(record + 4));
  frames.frameMs = args.Load(record + 8);
  return frames;
}

}  // namespace

void BindGameDrawableNatives(NativeBinder& binder) {
  const ScriptControlCells cells(binder.Host());
  using D = GameDrawable;
  binder.Bind(767, OnDrawable(cells, 0, [](D& d, NativeArgs& args, const ScriptControlCells&) -> uint32_t {
    d.autoAdvance = args.Flag(1) ? 1 : 0;
    return 1;
  }));
  binder.Bind(769, OnDrawable(cells, uint32_t(-1), [](D& d, NativeArgs& args, const ScriptControlCells&) {
    const bool permission = args.Flag(1);
    return args.Failed() ? uint32_t(-1) : uint32_t(d.StartText(permission));
  }));
  binder.Bind(770, OnDrawable(cells, uint32_t(-1), [](D& d, NativeArgs&, const ScriptControlCells&) {
    return uint32_t(d.ShowText());
  }));
  binder.Bind(771, OnDrawable(cells, uint32_t(-1), [](D& d, NativeArgs& args, const ScriptControlCells&) {
    const int32_t code = args.Int(1);
    return args.Failed() ? uint32_t(-1) : uint32_t(d.Command(code));
  }));
  binder.Bind(772, OnDrawable(cells, 1, [](D& d, NativeArgs& args, const ScriptControlCells&) {
    const WaitCursorFrames frames = ReadFrames(args);
    return args.Failed() ? 1u : uint32_t(d.SetWaitCursor(frames));
  }));
  binder.Bind(773, OnDrawable(cells, 1, [](D& d, NativeArgs& args, const ScriptControlCells& c) {
    return BindControl(d, args, c, kControlWindow, true);
  }));
  binder.Bind(774, OnDrawable(cells, 1, [](D& d, NativeArgs& args, const ScriptControlCells& c) {
    return BindControl(d, args, c, kControlCheckButton, false);
  }));
  binder.Bind(775, OnDrawable(cells, 0, [](D& d, NativeArgs&, const ScriptControlCells&) -> uint32_t {
    const GameDrawableTask* task = d.Task();
    return task != nullptr ? task->GetState() : 0;
  }));
  binder.Bind(776, OnDrawable(cells, 0, [](D& d, NativeArgs&, const ScriptControlCells&) -> uint32_t {
    const GameDrawableTask* task = d.Task();
    return task != nullptr ? uint8_t(task->LastKind()) : 0;
  }));
  // The mark goes to the caller's byte and is cleared.
  binder.Bind(777, OnDrawable(cells, 0, [](D& d, NativeArgs& args, const ScriptControlCells&) -> uint32_t {
    const uint8_t mark = d.skipKeyMark;
    if (args.Cell(1) != 0 && !args.CopyOut(1, &mark, 1)) return 0;
    d.skipKeyMark = 0;
    return mark != 0 ? 1 : 0;
  }));
}

}  // namespace orrivel
