// Natives 507 to 537: LAG and LAD animations in their pools, LAG sequences
// played on sprites of a layer, the global layouts read part by part, and
// animation players.
//
// Pooled animations and players are named by handles of the host's table
// (family PooledAnimation, the kind telling which pool); every native also
// asks the pool, so a released, stale or forged handle gets the row's null
// answer. Tasks are named by their timer handles.
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/TickSource.h"
#include "base/TimerList.h"
#include "display/DrawObjectManager.h"
#include "effect/BgAnimeAction.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameScriptHost.h"
#include "natives/IntervalTask.h"
#include "natives/LagAnimationTask.h"
#include "natives/NativeBinder.h"
#include "natives/ObjectPool.h"
#include "natives/ProcessObjects.h"
#include "raster/Image.h"
#include "resource/AnimationPlayer.h"
#include "resource/LadAnimation.h"
#include "resource/LagAnimation.h"
#include "resource/LgmLayout.h"
#include "resource/LgmSpriteLayout.h"
#include "scene/CanvasDrawObject.h"
#include "scene/FrameStepper.h"
#include "scene/LayoutControlFactory.h"
#include "scene/LayoutScreenDevice.h"
#include "scene/LayoutSpriteCanvas.h"
#include "scene/RasterSurfacePort.h"
#include "scene/SpriteCanvas.h"
#include "script/ScriptAddressSpace.h"
#include "sound/BufferSound.h"
#include "sound/SoundBase.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kLoadLag = 507,
  kReleaseLag,
  kReleaseAllLag,
  kReloadLag,
  kStartLagTask,
  kGetLagTaskState,
  kChainLagSequence,
  kLoadLad,
  kReleaseLad,
  kReleaseAllLad,
  kReloadLad,
  kGetLadInfo,
  kLoadLayout,
  kClearLayout,
  kGetLayoutPartCount,
  kGetLayoutPart,
  kGetLayoutParts,
  kLoadSpriteLayout,
  kClearSpriteLayout,
  kGetSpriteLayoutPartCount,
  kGetSpriteLayoutPart,
  kGetSpriteLayoutParts,
  kCreatePlayer,
  kRemovePlayerFrame,
  kStepPlayer,
  kReleasePlayer,
  kReleaseAllPlayers,
  kReloadPlayer,
  kStartFrameStepper,
  kStartSoundLevelTask,
  kGetPlayerImage,
};

// Kinds of the PooledAnimation handles.
enum AnimationKind : uint8_t { kLagKind = 0, kLadKind = 1, kPlayerKind = 2 };

constexpr uint32_t kMissing = 0xFFFFFFFEu;  // -2
constexpr int32_t kBackgroundAnimationType = LayerAction::kBackgroundAnimationType;
// A frame stepper's frame interval: one frame of the game's 60 a second.
constexpr uint32_t kFrameStepperIntervalMs = 16;

// The live tasks of the list, skipping those already stopped.
template <class Visit>
void ForEachLiveTask(TimerList& list, Visit&& visit) {
  const std::vector<TimedTask*> tasks = list.Tasks();
  for (TimedTask* task : tasks) {
    if (task && !task->IsFinished()) visit(*task);
  }
}

TimedTask* FindLiveTask(TimerList& list, uint32_t handle) {
  TimedTask* found = nullptr;
  ForEachLiveTask(list, [&](TimedTask& task) {
    if (!found && task.Handle() == handle) found = &task;
  });
  return found;
}

template <class Match>
void StopTasks(TimerList* list, Match&& match) {
  if (!list) return;
  std::vector<uint32_t> handles;
  ForEachLiveTask(*list, [&](TimedTask& task) {
    if (match(task)) handles.push_back(task.Handle());
  });
  for (uint32_t handle : handles) list->Stop(handle);
}

class AnimationNativeState {
 public:
  explicit AnimationNativeState(GameScriptHost& host) : host_(host) {}
  // The layout device's objects go with it: a layout still showing them
  // forgets its tables first.
  ~AnimationNativeState() {
    if (layoutDevice_ && layoutLoaded_) {
      if (ProcessObjects* objects = GetProcessObjects()) objects->SystemMenuLayout().Clear();
    }
  }
  AnimationNativeState(const AnimationNativeState&) = delete;
  AnimationNativeState& operator=(const AnimationNativeState&) = delete;

  GameScriptHost& Host() { return host_; }
  TimerList* Timers() { return host_.ObjectTimers(); }
  RasterSurfaceFactory& Surfaces() { return surfaces_; }

  template <class Pool>
  uint32_t Adopt(Pool& pool, typename Pool::Object* object, AnimationKind kind) {
    const uint32_t handle = host_.Handles().Insert(object, HandleFamily::PooledAnimation, kind);
    if (handle == 0) {
      pool.Release(object);
      return 0;
    }
    handles_[kind].insert(handle);
    return handle;
  }

  template <class Pool>
  typename Pool::Object* Resolve(Pool& pool, uint32_t handle, AnimationKind kind) {
    if (host_.Handles().Kind(handle, HandleFamily::PooledAnimation) != kind) return nullptr;
    auto* object = host_.Handles().Get<typename Pool::Object>(handle, HandleFamily::PooledAnimation);
    return object && pool.Contains(object) ? object : nullptr;
  }

  // Natives 508, 515 and 532: 1 no cell or a cell holding 0; 2 not an
  // object of the pool (the cell stays); else the pool's code, and 0
  // clears the cell. `before` runs first on a live object.
  template <class Pool, class Before>
  uint32_t Release(NativeArgs& args, Pool& pool, AnimationKind kind, Before&& before) {
    const uint32_t cell = args.Cell(0);
    uint32_t handle = 0;
    if (args.Failed() || cell == 0) return 1;
    if (!args.Space().Read32(cell, handle)) {
      args.Fail();
      return 1;
    }
    if (handle == 0) return 1;
    auto* object = Resolve(pool, handle, kind);
    if (!object) return 2;
    before(object);
    const int32_t code = pool.Release(object);
    if (code == 0) {
      host_.Handles().Remove(handle);
      handles_[kind].erase(handle);
      args.Store(cell, 0);
    }
    return uint32_t(code);
  }

  template <class Pool>
  void ReleaseAll(Pool& pool, AnimationKind kind) {
    for (uint32_t handle : handles_[kind]) host_.Handles().Remove(handle);
    handles_[kind].clear();
    pool.ReleaseAll();
  }

  // The screen device the global layout loads through: its pictures and
  // sprites become objects of the screen device, named by its handles.
  // Made on first use; null without the screen device's objects.
  LayoutScreenDevice* LayoutDevice() {
    if (!layoutDevice_ && host_.DrawObjects()) layoutDevice_ = std::make_unique<LayoutScreenDevice>(*host_.DrawObjects());
    return layoutDevice_.get();
  }
  const LayoutScreenDevice* LoadedLayoutDevice() const { return layoutDevice_.get(); }
  void MarkLayoutLoaded() { layoutLoaded_ = true; }

  // Frame steppers started for a player, so that its release stops them.
  std::multimap<AnimationPlayerPool::Object*, uint32_t>& Steppers() { return steppers_; }

  // The target port a player draws into, kept as long as the player.
  void KeepTarget(const void* player, std::unique_ptr<RasterSurfacePort> port) {
    targets_[player] = std::move(port);
  }
  void DropTarget(const void* player) {
    targets_.erase(player);
    images_.erase(player);
  }
  void DropAllTargets() {
    targets_.clear();
    images_.clear();
  }

  // The display object a player was made on is its own image; a reload
  // onto another one makes that its override image until a reload onto
  // its own again. Native 537 answers the override when there is one.
  void SetOwnImage(const void* player, uint32_t handle) { images_[player] = {handle, 0}; }
  void SetReloadImage(const void* player, uint32_t handle) {
    PlayerImages& images = images_[player];
    images.override = handle != images.own ? handle : 0;
  }
  uint32_t ShownImage(const void* player) const {
    const auto it = images_.find(player);
    if (it == images_.end()) return 0;
    return it->second.override != 0 ? it->second.override : it->second.own;
  }

 private:
  GameScriptHost& host_;
  RasterSurfaceFactory surfaces_;
  std::set<uint32_t> handles_[3];
  std::map<const void*, std::unique_ptr<RasterSurfacePort>> targets_;
  struct PlayerImages {
    uint32_t own = 0;
    uint32_t override = 0;
  };
  std::map<const void*, PlayerImages> images_;
  std::unique_ptr<LayoutScreenDevice> layoutDevice_;
  bool layoutLoaded_ = false;
  std::multimap<AnimationPlayerPool::Object*, uint32_t> steppers_;
};

using StatePtr = std::shared_ptr<AnimationNativeState>;

ProcessObjects* Objects() { return GetProcessObjects(); }

// ---- LAG animations and their tasks -----------------------------------------------

void StopLagTasks(TimerList* list, const void* animation) {
  StopTasks(list, [animation](TimedTask& task) {
    auto* lag = dynamic_cast<LagAnimationTask*>(&task);
    return lag && lag->GetAnimation() == animation;
  });
}

uint32_t StartLagTask(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  SpriteCanvas* layer = GetObjectSpriteCanvas(state.Host().DrawObjects(), args.Cell(0));
  if (!objects || !layer) return 0;
  auto* animation = state.Resolve(objects->LagAnimations(), args.Cell(1), kLagKind);
  LagAnimationTask::Options options;
  if (args.Int(4) != -1) {
    options.priority = args.Cell(4);
    options.xOffset = args.Int(5);
    options.yOffset = args.Int(6);
    options.catchUp = args.Flag(7);
    options.removeWhenDone = args.Flag(8);
    options.startDelayMs = args.Cell(9);
  }
  if (args.Failed()) return 0;
  auto task = std::make_unique<LagAnimationTask>();
  if (task->Setup(state.Timers(), layer, animation, args.Int(2), args.Int(3), options) != 0) return 0;
  return task.release()->Handle();  // the list owns it now
}

uint32_t ChainLagSequence(AnimationNativeState& state, NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  if (handle == 0) return uint32_t(-1);
  TimedTask* task = state.Timers() ? FindLiveTask(*state.Timers(), handle) : nullptr;
  if (!task) return uint32_t(-2);
  auto* lag = dynamic_cast<LagAnimationTask*>(task);
  if (!lag) return uint32_t(-3);
  if (args.Cell(1) != 0) return uint32_t(-4);
  lag->RequestChain(args.Int(2));
  return 0;
}

void BindLagNatives(NativeBinder& binder, const StatePtr& state) {
  binder.Bind(kLoadLag, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    const std::string name = args.String(0);
    if (!objects || args.Failed()) return 0;
    LagAnimationPool::Object* animation = nullptr;
    if (objects->LagAnimations().Create(&animation, &state->Surfaces(), name, args.Flag(1)) != 0) return 0;
    return state->Adopt(objects->LagAnimations(), animation, kLagKind);
  });
  binder.Bind(kReleaseLag, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 1;
    return state->Release(args, objects->LagAnimations(), kLagKind,
                          [&](const void* animation) { StopLagTasks(state->Timers(), animation); });
  });
  binder.Bind(kReleaseAllLag, [state](NativeArgs&) -> uint32_t {
    if (state->Timers()) state->Timers()->StopType(LagAnimationTask::kTypeId);
    if (ProcessObjects* objects = Objects()) state->ReleaseAll(objects->LagAnimations(), kLagKind);
    return 0;
  });
  binder.Bind(kReloadLag, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* animation = objects ? state->Resolve(objects->LagAnimations(), args.Cell(0), kLagKind) : nullptr;
    const std::string name = args.String(1);
    if (!animation || args.Failed()) return kMissing;
    StopLagTasks(state->Timers(), animation);
    return uint32_t(animation->Load(name, args.Flag(2)));
  });
  binder.Bind(kStartLagTask, [state](NativeArgs& args) { return StartLagTask(*state, args); });
  binder.Bind(kGetLagTaskState, [state](NativeArgs& args) -> uint32_t {
    TimedTask* task = state->Timers() ? FindLiveTask(*state->Timers(), args.Cell(0)) : nullptr;
    auto* lag = dynamic_cast<LagAnimationTask*>(task);
    return lag ? lag->GetState() : 0;
  });
  binder.Bind(kChainLagSequence, [state](NativeArgs& args) { return ChainLagSequence(*state, args); });
}

// ---- LAD animations -------------------------------------------------------------------

void StopLadActions(TimerList* list, const void* animation) {
  StopTasks(list, [animation](TimedTask& task) {
    auto* action = dynamic_cast<BgAnimeAction*>(&task);
    return action && action->Animation() == animation;
  });
}

// The header words by their file offsets; the header the animation keeps
// starts after the four magic bytes.
uint32_t LadInfo(const LadAnimation& animation, uint32_t selector) {
  const auto& header = animation.Header();
  auto word = [&header](size_t fileOffset) {
    const size_t at = fileOffset - 4;
    return uint32_t(header[at] | (header[at + 1] << 8));
  };
  switch (selector) {
    case 0:
      return word(10);  // the sequence count, never 0
    case 1:  // the file's records, without the closing one the reader adds
      return animation.FrameCount() > 0 ? animation.FrameCount() - 1 : 0;
    case 2:
      return word(4);
    case 3:
      return word(6);
    default:
      return 0;
  }
}

void BindLadNatives(NativeBinder& binder, const StatePtr& state) {
  binder.Bind(kLoadLad, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    const std::string name = args.String(0);
    if (!objects || args.Failed()) return 0;
    LadAnimationPool::Object* animation = nullptr;
    if (objects->LadAnimations().Create(&animation, name) != 0) return 0;
    return state->Adopt(objects->LadAnimations(), animation, kLadKind);
  });
  binder.Bind(kReleaseLad, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 1;
    return state->Release(args, objects->LadAnimations(), kLadKind, [&](const LadAnimation* animation) {
      StopLadActions(state->Timers(), animation);
    });
  });
  binder.Bind(kReleaseAllLad, [state](NativeArgs&) -> uint32_t {
    if (state->Timers()) state->Timers()->StopType(kBackgroundAnimationType);
    if (ProcessObjects* objects = Objects()) state->ReleaseAll(objects->LadAnimations(), kLadKind);
    return 0;
  });
  binder.Bind(kReloadLad, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* animation = objects ? state->Resolve(objects->LadAnimations(), args.Cell(0), kLadKind) : nullptr;
    const std::string name = args.String(1);
    if (!animation || args.Failed()) return kMissing;
    StopLadActions(state->Timers(), animation);
    return uint32_t(animation->Load(name));
  });
  binder.Bind(kGetLadInfo, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* animation = objects ? state->Resolve(objects->LadAnimations(), args.Cell(0), kLadKind) : nullptr;
    return animation ? LadInfo(*animation, args.Cell(1)) : 0;
  });
}

// ---- layouts ---------------------------------------------------------------------------

// One part of a layout as the scripts read it.
struct PartValues {
  uint32_t first = 0;
  uint32_t second = 0;
  int16_t x = 0;
  int16_t y = 0;
  uint8_t flag = 0;
};

std::vector<PartValues> LayoutParts(AnimationNativeState& state, const LgmLayout& layout) {
  std::vector<PartValues> parts(layout.PartCount());
  for (size_t i = 0; i < parts.size(); ++i) {
    const LgmPartSize& size = layout.PartSizes()[i];
    parts[i].x = size.width;
    parts[i].y = size.height;
    parts[i].flag = size.flag;
    // Parts the scripts' screen device made are named by its handles.
    if (const LayoutScreenDevice* device = state.LoadedLayoutDevice()) {
      parts[i].first = device->ImageHandle(layout.PartSurfaces()[i]);
      parts[i].second = device->SpriteHandle(layout.PartSprites()[i]);
    }
  }
  return parts;
}

std::vector<PartValues> SpriteLayoutParts(const LgmSpriteLayout& layout) {
  std::vector<PartValues> parts(layout.PartCount());
  for (size_t i = 0; i < parts.size(); ++i) {
    const LgmPartSize& size = layout.PartSizes()[i];
    parts[i] = {0, 0, size.width, size.height, size.flag};
  }
  return parts;
}

// The columns a part fills, in cell order: cell -1 is left out.
struct Columns {
  int32_t first = -1, second = -1, x = -1, y = -1, flag = -1;
};

void WritePart(NativeArgs& args, const PartValues& part, const Columns& cells) {
  auto put = [&args](int32_t cell, uint32_t value) {
    if (cell >= 0) args.SetOptionalInt(uint32_t(cell), value);
  };
  put(cells.first, part.first);
  put(cells.second, part.second);
  put(cells.x, uint32_t(int32_t(part.x)));
  put(cells.y, uint32_t(int32_t(part.y)));
  put(cells.flag, part.flag);
}

// Natives 523 and 528: start below 0 counts as 0, count 0 as all; the
// count is clamped to the parts that exist from the start (none when it
// is at or past the end). Each column gets consecutive words.
uint32_t CopyParts(NativeArgs& args, const std::vector<PartValues>& parts, const Columns& arrays) {
  const int64_t total = int64_t(parts.size());
  const int64_t start = std::max<int32_t>(args.Int(0), 0);
  int64_t count = args.Int(1) == 0 ? total : args.Int(1);
  count = std::max<int64_t>(0, std::min(count, total - start));
  auto column = [&](int32_t cell, auto value) {
    if (cell < 0 || count == 0) return;
    const uint32_t base = args.Cell(uint32_t(cell));
    if (base == 0 || args.Failed()) return;
    if (args.Space().WritableBytesAt(base) < uint64_t(count) * 4) {
      args.Fail();
      return;
    }
    for (int64_t i = 0; i < count; ++i) args.Store(base + uint32_t(i) * 4, value(parts[size_t(start + i)]));
  };
  column(arrays.first, [](const PartValues& p) { return p.first; });
  column(arrays.second, [](const PartValues& p) { return p.second; });
  column(arrays.x, [](const PartValues& p) { return uint32_t(int32_t(p.x)); });
  column(arrays.y, [](const PartValues& p) { return uint32_t(int32_t(p.y)); });
  column(arrays.flag, [](const PartValues& p) { return uint32_t(p.flag); });
  return count == 0 ? 0 : 1;
}

// Native 519: the layout's base picture becomes the object's canvas
// background and its parts sprites of that canvas.
uint32_t LoadLayout(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  SpriteCanvas* canvas = GetObjectSpriteCanvas(state.Host().DrawObjects(), args.Cell(0));
  LayoutScreenDevice* device = state.LayoutDevice();
  if (!objects || !canvas || !device) return kMissing;
  const std::string name = args.String(1);
  if (args.Failed()) return kMissing;
  LayoutSpriteCanvas port(*canvas);
  const int code = objects->SystemMenuLayout().Load(device, &port, name, args.Cell(2), args.Flag(3), args.Flag(4));
  if (code == 0) state.MarkLayoutLoaded();
  return uint32_t(code);
}

// Native 524: the sprite layout's parts become buttons and check buttons of
// the game's control factory, in its canvas, joining the game's control host.
uint32_t LoadSpriteLayout(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  if (!objects) return kMissing;
  const std::string name = args.String(0);
  if (args.Failed()) return kMissing;
  LayoutControlFactory& controls = objects->SpriteLayoutControls();
  return uint32_t(objects->SpriteLayout().Load(&controls, &controls, name, args.Cell(1), args.Cell(2),
                                               args.Flag(3), state.LayoutDevice()));
}

void BindLayoutNatives(NativeBinder& binder, const StatePtr& state) {
  binder.Bind(kLoadLayout, [state](NativeArgs& args) { return LoadLayout(*state, args); });
  binder.Bind(kClearLayout, [](NativeArgs&) -> uint32_t {
    if (ProcessObjects* objects = Objects()) objects->SystemMenuLayout().Clear();
    return 0;
  });
  binder.Bind(kGetLayoutPartCount, [](NativeArgs&) -> uint32_t {
    ProcessObjects* objects = Objects();
    return objects ? objects->SystemMenuLayout().PartCount() : 0;
  });
  binder.Bind(kGetLayoutPart, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 0;
    const std::vector<PartValues> parts = LayoutParts(*state, objects->SystemMenuLayout());
    const uint32_t index = args.Cell(0);
    if (index >= parts.size()) return 0;
    WritePart(args, parts[index], Columns{1, 2, 3, 4, 5});
    return 1;
  });
  // Always 1, even when nothing was copied.
  binder.Bind(kGetLayoutParts, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 1;
    CopyParts(args, LayoutParts(*state, objects->SystemMenuLayout()), Columns{2, 3, 4, 5, 6});
    return 1;
  });
  binder.Bind(kLoadSpriteLayout, [state](NativeArgs& args) { return LoadSpriteLayout(*state, args); });
  binder.Bind(kClearSpriteLayout, [](NativeArgs&) -> uint32_t {
    if (ProcessObjects* objects = Objects()) objects->SpriteLayout().Clear();
    return 0;
  });
  binder.Bind(kGetSpriteLayoutPartCount, [](NativeArgs&) -> uint32_t {
    ProcessObjects* objects = Objects();
    return objects ? objects->SpriteLayout().PartCount() : 0;
  });
  binder.Bind(kGetSpriteLayoutPart, [](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 0;
    const std::vector<PartValues> parts = SpriteLayoutParts(objects->SpriteLayout());
    const uint32_t index = args.Cell(0);
    if (index >= parts.size()) return 0;
    WritePart(args, parts[index], Columns{1, -1, 2, 3, 4});
    return 1;
  });
  binder.Bind(kGetSpriteLayoutParts, [](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 0;
    return CopyParts(args, SpriteLayoutParts(objects->SpriteLayout()), Columns{2, -1, 3, 4, 5});
  });
}

// ---- animation players and their tasks --------------------------------------------------

// Draws cell n of the player's strip into its target at its origin; false
// when the player has no strip or target of raster pixels or the cell lies
// outside the strip.
bool DrawPlayerCell(const AnimationPlayer& player, int32_t cell) {
  auto* strip = dynamic_cast<RasterSurfacePort*>(player.Strip());
  auto* target = dynamic_cast<RasterSurfacePort*>(player.Target());
  const platform::Rect source = player.CellRect(cell);
  if (!strip || !target || source.Width() <= 0) return false;
  return target->Raster()->Copy(strip->Raster(), player.OriginX(), player.OriginY(), &source, false) == 0;
}

// The frame steppers and voice-synchronised tasks bound to the player
// (every one of them for a null player).
void StopPlayerTasks(AnimationNativeState& state, const void* player) {
  auto& steppers = state.Steppers();
  std::set<uint32_t> bound;
  for (auto it = steppers.begin(); it != steppers.end();) {
    if (player && it->first != player) {
      ++it;
      continue;
    }
    bound.insert(it->second);
    it = steppers.erase(it);
  }
  StopTasks(state.Timers(), [&](TimedTask& task) {
    if (auto* voice = dynamic_cast<const IntervalTask*>(&task)) return !player || voice->GetPlayer() == player;
    return task.GetTypeId() == FrameStepper::kTypeId && (!player || bound.count(task.Handle()) != 0);
  });
}

// The owner a player records for the scripts: the host that runs them. A
// script's owner cell only says whether one is given (0: none, which the
// player refuses); a cell is never taken as an object's identity.
const void* ScriptOwner(AnimationNativeState& state, uint32_t cell) {
  return cell != 0 ? static_cast<const void*>(&state.Host()) : nullptr;
}

// Cells 0-3 file, cell count, owner, sprite; 4 the display object drawn
// into; 5-6 origin; 7 option byte; 8 mode; then an option group at 9.
AnimationPlayerPool::LoadArgs PlayerArgs(AnimationNativeState& state, NativeArgs& args, const std::string& fileName,
                                         SurfacePort* target) {
  AnimationPlayerPool::LoadArgs load;
  load.surfaces = &state.Surfaces();
  load.fileName = fileName;
  load.cellCount = args.Int(1);
  load.owner = ScriptOwner(state, args.Cell(2));
  load.surface = target;
  load.originX = args.Int(5);
  load.originY = args.Int(6);
  load.option = args.Byte(7);
  load.mode = args.Int(8);
  if (args.Given(9)) {
    load.flag = args.Flag(9) ? 1 : 0;
    load.indexed = args.Flag(10);
    load.colorKey = args.Cell(11);
  }
  return load;
}

uint32_t CreatePlayer(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  Surface* target = GetObjectSurface(state.Host().DrawObjects(), args.Cell(4));
  if (!objects || !target) return 1;
  const std::string name = args.String(0);
  if (args.Failed()) return 0;
  auto port = std::make_unique<RasterSurfacePort>(target);
  AnimationPlayerPool::Object* player = nullptr;
  if (objects->AnimationPlayers().Create(&player, PlayerArgs(state, args, name, port.get())) != 0) return 0;
  state.KeepTarget(player, std::move(port));
  state.SetOwnImage(player, args.Cell(4));
  return state.Adopt(objects->AnimationPlayers(), player, kPlayerKind);
}

// Native 534: cells 1 to 8 as 0 to 7 of native 529 (the mode stays the
// player's), the option group at 9.
uint32_t ReloadPlayer(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  auto* player = objects ? state.Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind) : nullptr;
  if (!player) return kMissing;
  Surface* target = GetObjectSurface(state.Host().DrawObjects(), args.Cell(5));
  if (!target) return 1;
  const std::string name = args.String(1);
  if (args.Failed()) return 1;
  StopPlayerTasks(state, player);
  auto port = std::make_unique<RasterSurfacePort>(target);
  uint8_t flag = 0;
  bool indexed = false;
  uint32_t colorKey = AnimationPlayer::kNoColorKey;
  if (args.Given(9)) {
    flag = args.Flag(10) ? 1 : 0;
    indexed = args.Flag(11);
    colorKey = args.Cell(12);
  }
  const int code = player->LoadImage(name, args.Int(2), ScriptOwner(state, args.Cell(3)), nullptr, port.get(),
                                     args.Int(6), args.Int(7), args.Byte(8), player->Mode(), flag, indexed, colorKey);
  state.KeepTarget(player, std::move(port));
  state.SetReloadImage(player, args.Cell(5));
  return uint32_t(code);
}

// Native 535: the player's strip animated in place on its target. Cell 1
// is the draw kind, cell 2 the cycle length and cell 3 the pause between
// cycles (ms), cell 4 keeps the background under the frames.
uint32_t StartFrameStepper(AnimationNativeState& state, NativeArgs& args) {
  ProcessObjects* objects = Objects();
  auto* player = objects ? state.Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind) : nullptr;
  auto* strip = player ? dynamic_cast<RasterSurfacePort*>(player->Strip()) : nullptr;
  auto* target = player ? dynamic_cast<RasterSurfacePort*>(player->Target()) : nullptr;
  if (!strip || !target || !state.Timers()) return 0;
  FrameStepperSetup setup;
  setup.target = target->Raster();
  setup.frames = strip->Raster();
  setup.x = player->OriginX();
  setup.y = player->OriginY();
  setup.frameWidth = player->CellWidth();
  setup.frameHeight = strip->GetHeight();
  setup.frameCount = player->CellCount();
  setup.intervalMs = kFrameStepperIntervalMs;
  setup.drawKind = args.Byte(1);
  setup.cycleMs = args.Cell(2);
  setup.delayMs = args.Cell(3);
  setup.keepBackground = args.Flag(4);
  auto stepper = std::make_unique<FrameStepper>();
  const uint32_t now = CurrentTickMs();
  if (stepper->Setup(setup, now) != FrameStepper::kSetupOk ||
      state.Timers()->Add(stepper.get(), 0, setup.intervalMs, 0) != 0)
    return 0;
  const uint32_t handle = stepper.release()->Handle();  // the list owns it now
  state.Steppers().emplace(player, handle);
  return handle;
}

// The frame stepper that native 535 started under this handle, and the
// player it animates; null when the handle names no live one.
FrameStepper* FindPlayerStepper(AnimationNativeState& state, uint32_t handle, AnimationPlayerPool::Object** player) {
  TimedTask* task = state.Timers() ? FindLiveTask(*state.Timers(), handle) : nullptr;
  auto* stepper = task && task->GetTypeId() == FrameStepper::kTypeId ? dynamic_cast<FrameStepper*>(task) : nullptr;
  if (!stepper) return nullptr;
  for (const auto& [owner, bound] : state.Steppers()) {
    if (bound == handle) {
      *player = owner;
      return stepper;
    }
  }
  return nullptr;
}

// Native 536: a mouth moved by a playing voice, over a player (cell 0 a
// player's handle) or over the animation state of a frame stepper that
// native 535 started (cell 0 the stepper's handle: its saved background and
// draw kind then apply). Cell 1 is the sound, a whole-buffer one.
uint32_t StartVoiceFrameTask(AnimationNativeState& state, NativeArgs& args) {
  auto* sound = state.Host().Handles().Get<SoundBase>(args.Cell(1), HandleFamily::Sound);
  if (!sound || sound->IsStream()) return 0;
  auto* buffer = dynamic_cast<BufferSound*>(sound);
  ProcessObjects* objects = Objects();
  if (!objects) return 0;
  auto task = std::make_unique<IntervalTask>();
  int32_t code = IntervalTask::kStartMissing;
  AnimationPlayerPool::Object* player = state.Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind);
  if (player) {
    code = task->Start(state.Timers(), player, buffer);
  } else if (FrameStepper* stepper = FindPlayerStepper(state, args.Cell(0), &player)) {
    code = task->Start(state.Timers(), stepper->SharedState(), buffer, player);
  }
  if (code != IntervalTask::kStartOk) return 0;
  return task.release()->Handle();  // the list owns it now
}

void BindPlayerNatives(NativeBinder& binder, const StatePtr& state) {
  binder.Bind(kCreatePlayer, [state](NativeArgs& args) { return CreatePlayer(*state, args); });
  binder.Bind(kReloadPlayer, [state](NativeArgs& args) { return ReloadPlayer(*state, args); });
  binder.Bind(kStartFrameStepper, [state](NativeArgs& args) { return StartFrameStepper(*state, args); });
  binder.Bind(kReleasePlayer, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    if (!objects) return 1;
    return state->Release(args, objects->AnimationPlayers(), kPlayerKind, [&](const void* player) {
      StopPlayerTasks(*state, player);
      state->DropTarget(player);
    });
  });
  binder.Bind(kReleaseAllPlayers, [state](NativeArgs&) -> uint32_t {
    StopPlayerTasks(*state, nullptr);
    if (ProcessObjects* objects = Objects()) state->ReleaseAll(objects->AnimationPlayers(), kPlayerKind);
    state->DropAllTargets();
    return 0;
  });
  // Natives 530 and 531 work the player's frame queue; a step that brings
  // another cell to the head draws it into the player's target.
  binder.Bind(kRemovePlayerFrame, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* player = objects ? state->Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind) : nullptr;
    const int32_t cell = args.Int(1);
    if (player && !args.Failed()) player->Remove(cell);
    return 0;
  });
  binder.Bind(kStepPlayer, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* player = objects ? state->Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind) : nullptr;
    const uint32_t elapsed = args.Cell(1);
    if (!player || args.Failed()) return 0;
    const int32_t cell = player->Step(elapsed);
    if (cell >= 0) DrawPlayerCell(*player, cell);
    return 0;
  });
  binder.Bind(kGetPlayerImage, [state](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = Objects();
    auto* player = objects ? state->Resolve(objects->AnimationPlayers(), args.Cell(0), kPlayerKind) : nullptr;
    return player ? state->ShownImage(player) : 0;
  });
  binder.Bind(kStartSoundLevelTask, [state](NativeArgs& args) { return StartVoiceFrameTask(*state, args); });
}

}  // namespace

void BindAnimationNatives(NativeBinder& binder) {
  auto state = std::make_shared<AnimationNativeState>(binder.Host());
  BindLagNatives(binder, state);
  BindLadNatives(binder, state);
  BindLayoutNatives(binder, state);
  BindPlayerNatives(binder, state);
}

}  // namespace orrivel
