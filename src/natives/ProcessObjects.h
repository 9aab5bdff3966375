#pragma once
// The objects that live for the whole run beside the application: the
// scripts' timer array, the preloader, the pools of files and animations,
// the folder listing, the system-menu and sprite layouts, the current save
// file name, the game's control host and control factory, and the game's
// sound manager. One owner builds them in a fixed order before the
// application and destroys them in the reverse order after it, so no object
// depends on the order in which files are initialised.
//
// The running program makes one at the top of main and makes it current;
// tests make their own and reset it between cases.
//
// Main thread only.
#include <functional>
#include <memory>
#include <string>

#include "natives/GameSoundManager.h"

namespace orrivel {

class AnimationPlayerPool;
class ControlFactory;
class ControlLoans;
class FilePool;
class FolderListing;
class GameControlHost;
class LadAnimationPool;
class LagAnimationPool;
class LgmLayout;
class LayoutControlFactory;
class LgmSpriteLayout;
class Preloader;
class SoundManager;
class SpriteCanvas;
class TimerArray;
class TimerList;

class ProcessObjects {
 public:
  // Told each object's name as it is built (true) and destroyed (false).
  using Recorder = std::function<void(const char* name, bool built)>;

  explicit ProcessObjects(Recorder recorder = {});
  ~ProcessObjects();
  ProcessObjects(const ProcessObjects&) = delete;
  ProcessObjects& operator=(const ProcessObjects&) = delete;

  // Destroys everything and builds it all again, empty.
  void Reset();

  TimerArray& Timers() { return *timerArray_; }
  Preloader& Preloads() { return *preloader_; }
  FilePool& Files() { return *files_; }
  FolderListing& Folder() { return *folder_; }
  LagAnimationPool& LagAnimations() { return *lagAnimations_; }
  LadAnimationPool& LadAnimations() { return *ladAnimations_; }
  LgmLayout& SystemMenuLayout() { return *systemMenuLayout_; }
  AnimationPlayerPool& AnimationPlayers() { return *players_; }
  GameControlHost& ControlHost() { return *controlHost_; }
  ControlFactory& Controls() { return *controlFactory_; }
  // The factory's controls' sprites and pictures as the scripts hold them;
  // lives longer than the factory.
  ControlLoans& ControlDisplayLoans() { return *controlLoans_; }
  LgmSpriteLayout& SpriteLayout() { return *spriteLayout_; }
  // The control factory and host as the sprite layout makes its controls
  // through them; lives with them.
  LayoutControlFactory& SpriteLayoutControls() { return *layoutControls_; }

  // Releases everything the scripts left in the four pools.
  void ReleasePools();
  void ClearFolderListing();

  // The save file in use; empty at start. A null text empties it.
  const std::string& SaveFileName() const { return saveFileName_; }
  void StoreFileNameString(const char* text) { saveFileName_ = text != nullptr ? text : ""; }

  // The screen's current sprite canvas, where objects placed without a
  // canvas of their own go, and the sprite-list value new sprites receive
  // there. None at start; Reset forgets it.
  SpriteCanvas* CurrentSpriteCanvas() const { return currentCanvas_; }
  uint32_t SpriteListValue() const { return spriteListValue_; }
  void SetCurrentSpriteCanvas(SpriteCanvas* canvas, uint32_t listValue) {
    currentCanvas_ = canvas;
    spriteListValue_ = listValue;
  }

  // The game's sound manager, made at the device step: it runs its tasks on
  // the given timer list, is published as the process-wide one and reaches
  // the control host's sounds. It must go before that list does, so the
  // application stops it before its timer lists go (Reset and the
  // destructor stop it too).
  SoundManager* StartSoundManager(TimerList* timers);
  void StopSoundManager();
  SoundManager* Sounds() { return sounds_.get(); }
  GameSoundManager* GameSounds() { return sounds_.get(); }

 private:
  void Build();
  void Destroy();
  template <class T>
  void Make(std::unique_ptr<T>& slot, const char* name);
  template <class T>
  void Unmake(std::unique_ptr<T>& slot, const char* name);

  Recorder recorder_;
  std::unique_ptr<TimerArray> timerArray_;
  std::unique_ptr<Preloader> preloader_;
  std::unique_ptr<FilePool> files_;
  std::unique_ptr<FolderListing> folder_;
  std::unique_ptr<LagAnimationPool> lagAnimations_;
  std::unique_ptr<LadAnimationPool> ladAnimations_;
  std::unique_ptr<LgmLayout> systemMenuLayout_;
  std::unique_ptr<AnimationPlayerPool> players_;
  std::string saveFileName_;
  SpriteCanvas* currentCanvas_ = nullptr;
  uint32_t spriteListValue_ = 0;
  std::unique_ptr<GameControlHost> controlHost_;
  std::unique_ptr<ControlLoans> controlLoans_;
  std::unique_ptr<ControlFactory> controlFactory_;
  std::unique_ptr<LgmSpriteLayout> spriteLayout_;
  std::unique_ptr<LayoutControlFactory> layoutControls_;
  std::unique_ptr<GameSoundManager> sounds_;
};

// The run's objects (null when none was made current).
ProcessObjects* GetProcessObjects();
// Returns the previous one.
ProcessObjects* SetProcessObjects(ProcessObjects* objects);

}  // namespace orrivel
