#include "natives/ProcessObjects.h"

#include "frame/TimerArray.h"
#include "natives/ControlLoans.h"
#include "natives/GameControlHost.h"
#include "natives/ObjectPool.h"
#include "resource/AnimationPlayer.h"
#include "resource/FileObject.h"
#include "resource/FolderListing.h"
#include "resource/LadAnimation.h"
#include "resource/LagAnimation.h"
#include "resource/LgmLayout.h"
#include "resource/LgmSpriteLayout.h"
#include "resource/Preloader.h"
#include "scene/ControlFactory.h"
#include "scene/LayoutControlFactory.h"
#include "natives/GameSoundManager.h"
#include "sound/SoundManager.h"

namespace orrivel {

namespace {
ProcessObjects* g_current = nullptr;
}  // namespace

ProcessObjects* GetProcessObjects() { return g_current; }

ProcessObjects* SetProcessObjects(ProcessObjects* objects) {
  ProcessObjects* previous = g_current;
  g_current = objects;
  return previous;
}

ProcessObjects::ProcessObjects(Recorder recorder) : recorder_(std::move(recorder)) { Build(); }

ProcessObjects::~ProcessObjects() {
  Destroy();
  if (g_current == this) g_current = nullptr;
}

void ProcessObjects::Reset() {
  Destroy();
  Build();
}

template <class T>
void ProcessObjects::Make(std::unique_ptr<T>& slot, const char* name) {
  slot = std::make_unique<T>();
  if (recorder_) recorder_(name, true);
}

template <class T>
void ProcessObjects::Unmake(std::unique_ptr<T>& slot, const char* name) {
  if (!slot) return;
  slot.reset();
  if (recorder_) recorder_(name, false);
}

void ProcessObjects::Build() {
  Make(timerArray_, "timer array");
  Make(preloader_, "preloader");
  Make(files_, "file pool");
  Make(folder_, "folder listing");
  Make(lagAnimations_, "LAG animation pool");
  Make(ladAnimations_, "LAD animation pool");
  Make(systemMenuLayout_, "system-menu layout");
  Make(players_, "animation player pool");
  saveFileName_.clear();
  currentCanvas_ = nullptr;
  spriteListValue_ = 0;
  Make(controlHost_, "game control host");
  controlLoans_ = std::make_unique<ControlLoans>();
  Make(controlFactory_, "control factory");
  controlFactory_->SetDeletionListener(controlLoans_.get());
  Make(spriteLayout_, "sprite layout");
  layoutControls_ = std::make_unique<LayoutControlFactory>(*controlFactory_, *controlHost_);
}

void ProcessObjects::Destroy() {
  StopSoundManager();
  Unmake(spriteLayout_, "sprite layout");
  layoutControls_.reset();
  // The factory's controls leave the host before the host goes.
  Unmake(controlFactory_, "control factory");
  controlLoans_.reset();
  Unmake(controlHost_, "game control host");
  saveFileName_.clear();
  currentCanvas_ = nullptr;
  spriteListValue_ = 0;
  Unmake(players_, "animation player pool");
  Unmake(systemMenuLayout_, "system-menu layout");
  Unmake(ladAnimations_, "LAD animation pool");
  Unmake(lagAnimations_, "LAG animation pool");
  Unmake(folder_, "folder listing");
  Unmake(files_, "file pool");
  Unmake(preloader_, "preloader");
  Unmake(timerArray_, "timer array");
}

void ProcessObjects::ReleasePools() {
  files_->ReleaseAll();
  lagAnimations_->ReleaseAll();
  ladAnimations_->ReleaseAll();
  players_->ReleaseAll();
}

void ProcessObjects::ClearFolderListing() { folder_->Clear(); }

SoundManager* ProcessObjects::StartSoundManager(TimerList* timers) {
  StopSoundManager();
  sounds_ = std::make_unique<GameSoundManager>();
  sounds_->SetTimerList(timers);
  SetSoundManager(sounds_.get());
  if (controlHost_) controlHost_->SetSoundManager(sounds_.get());
  if (recorder_) recorder_("sound manager", true);
  return sounds_.get();
}

void ProcessObjects::StopSoundManager() {
  if (!sounds_) return;
  if (controlHost_) controlHost_->SetSoundManager(nullptr);
  if (GetSoundManager() == sounds_.get()) SetSoundManager(nullptr);
  sounds_.reset();
  if (recorder_) recorder_("sound manager", false);
}

}  // namespace orrivel
