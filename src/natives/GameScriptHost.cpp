#include "natives/GameScriptHost.h"

#include <cstdio>

#include "base/SubtractiveRandom.h"
#include "natives/EffectFactories.h"
#include "natives/GameDrawable.h"
#include "natives/GameSoundManager.h"
#include "natives/NativeBinder.h"
#include "natives/ProcessObjects.h"
#include "natives/ScriptLooseFileGuard.h"
#include "natives/ScriptObjectWatcher.h"
#include "resource/BaseFolder.h"

namespace orrivel {

namespace {

constexpr uint32_t kNotBuiltResult = 0xFFFFFFFFu;  // -1

void Run(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

void NativeBinder::Bind(uint32_t gameNumber, ScriptNative native) {
  if (gameNumber >= table_.size()) return;
  // What the engine finds by name while a script's native runs (the names
  // it gives, and every name a frame module it plays gives) is read only
  // inside the script's roots.
  ScriptNative guarded = [native = std::move(native), guard = host_.looseFileGuard_.get()](NativeArgs& args) {
    const ScopedLooseFileGuard scope(guard);
    return native(args);
  };
  for (uint16_t shared : SharedNumbers(gameNumber)) {
    table_[shared] = guarded;
    host_.notBuilt_[shared] = false;
  }
}

GameScriptHost::GameScriptHost(GameHostSetup setup)
    : ScriptHost(setup.state), setup_(std::move(setup)), message_(this) {
  // The effects seed the shared generator with the boot tick as it is, and
  // join the registries the scripts create them from.
  if (setup_.screenObjects && setup_.actions)
    RegisterEffectFactories(*setup_.screenObjects, *setup_.actions, setup_.seed);
  else
    SharedRandom().Seed(setup_.seed);
  // The folder the game starts in stays its root, wherever the scripts
  // move the base folder later.
  fileRoots_ = std::make_shared<ScriptFileRoots>(BaseFolder());
  looseFileGuard_ = std::make_unique<ScriptLooseFileGuard>(fileRoots_, this);
  SetPathFilter([roots = fileRoots_, context = static_cast<ScriptContext*>(this)](const std::string& path,
                                                                                  bool writing) {
    roots->SetSaveFolder(context->SaveFolder());
    return writing ? roots->ResolveForWriting(path).has_value() : roots->Allows(path);
  });
  RegisterGameNatives();
  if (setup_.drawObjects) WatchDrawObjects(setup_.drawObjects);
  // The game's sound manager knows the host while it runs.
  if (ProcessObjects* objects = GetProcessObjects()) {
    if (GameSoundManager* sounds = objects->GameSounds()) sounds->AttachHost(*this);
  }
  Run(setup_.hooks.initConfirmBox);
}

const LooseFileGuard* GameScriptHost::LooseFiles() const { return looseFileGuard_.get(); }

GameScriptHost::~GameScriptHost() {
  // The frame goes before the controls it may hold, the controls before the
  // memory blocks their flags may point into.
  Run(setup_.hooks.removeConfirmTask);
  Run(setup_.hooks.cleanUp);
  Run(setup_.hooks.deleteFrame);
  textFrameSlot_.frame.reset();
  Run(setup_.hooks.clearControls);
  // The scripts' message windows type this host's text: they go with it.
  DeleteGameDrawablesOf(&message_);
  Run(setup_.hooks.clearFolderListing);
  for (uint32_t block : memoryBlocks_) Space().Free(block);
  memoryBlocks_.clear();
  for (auto& entry : strings_) Space().Free(entry.second.address);
  strings_.clear();
  if (ProcessObjects* objects = GetProcessObjects()) {
    if (GameSoundManager* sounds = objects->GameSounds()) sounds->DetachHost(*this);
  }
}

void GameScriptHost::WatchDrawObjects(DrawObjectManager* objects) {
  if (!objectWatcher_) {
    objectWatcher_ =
        std::make_unique<ScriptObjectWatcher>(setup_.objectTimers, [this](const std::string& line) { Log(line); });
  }
  objectWatcher_->Watch(objects);
}

void GameScriptHost::RegisterGameNatives() {
  NativeTable table(kGameNativeCount);
  notBuilt_.assign(kGameNativeCount, true);
  reported_.assign(kGameNativeCount, false);
  for (uint32_t number = 0; number < kGameNativeCount; ++number) {
    table[number] = [this, number](NativeArgs&) -> uint32_t {
      if (!reported_[number]) {
        reported_[number] = true;
        Log("native " + std::to_string(number) + " (" + GameNative(number).name + ") is not built yet");
      }
      return kNotBuiltResult;
    };
  }
  NativeBinder binder(*this, table);
  BindGameNatives(binder);
  // The host's own three natives are already in place, so the game's native
  // N lands at script number N + 3.
  for (ScriptNative& native : table) RegisterNative(std::move(native));
}

int GameScriptHost::StartMainInterrupt(bool flag) {
  const int32_t number = saveSetup_.startNumber;
  const int32_t call = flag ? number : -number;
  ResetScripts(uint32_t(call));
  // A frame wait that saw the interrupt's pump end took it for the
  // program closing; the restarted scripts run frames again.
  TextFrameSlot().closing = false;
  if (LoadScriptFile("MAIN", nullptr) != 0) return 1;
  Run(setup_.hooks.closePacingNestings);
  return 0;
}

uint32_t GameScriptHost::HostString(const std::string& slot, const std::string& value) {
  OwnedString* owned = nullptr;
  for (auto& entry : strings_)
    if (entry.first == slot) owned = &entry.second;
  if (!owned) owned = &strings_.emplace_back(slot, OwnedString{}).second;
  const uint64_t needed = uint64_t(value.size()) + 1;
  if (needed > owned->capacity) {
    if (owned->address) Space().Free(owned->address);
    owned->address = Space().Allocate(needed);
    owned->capacity = owned->address ? uint32_t(needed) : 0;
    if (!owned->address) return 0;
  }
  Space().WriteBytes(owned->address, value.c_str(), needed);
  return owned->address;
}

bool GameScriptHost::IsNotBuilt(uint32_t gameNumber) const {
  return gameNumber < notBuilt_.size() && notBuilt_[gameNumber];
}

void GameScriptHost::Log(const std::string& line) {
  log_.push_back(line);
  if (setup_.logSink) setup_.logSink(line);
  else std::fprintf(stderr, "orrivel: %s\n", line.c_str());
}

}  // namespace orrivel
