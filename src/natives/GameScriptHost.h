#pragma once
// The game's script host: the script host of the machine with the game's
// 806 natives registered after its own three, the message text with its
// history, the set of script memory blocks, and the shared random generator
// seeded at construction. The game shell builds one when it boots the
// scripts and deletes it at the end of the main loop.
//
// What the host needs of the rest of the game (the confirmation box, the
// text-adventure frame, the controls, the pacing nestings) it reaches
// through hooks that the shell fills; an empty hook does nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frame/TgsFrameNatives.h"
#include "natives/NativeCatalog.h"
#include "natives/ScriptControls.h"
#include "natives/ScriptFileRoots.h"
#include "natives/ScriptHandles.h"
#include "natives/ScriptSaveSetup.h"
#include "script/ScriptHost.h"
#include "text/MarkupText.h"

namespace orrivel {

class BitArray;
class DcpManager;
class DrawObjectManager;
class LooseFileGuard;
class ScriptLooseFileGuard;
class ScriptObjectWatcher;
class TcpManager;
class TimerList;

struct GameHostHooks {
  // After construction, now that the host exists.
  std::function<void()> initConfirmBox;
  // Teardown, in this order.
  std::function<void()> removeConfirmTask;
  std::function<void()> cleanUp;
  std::function<void()> deleteFrame;
  std::function<void()> clearControls;
  std::function<void()> clearFolderListing;
  // StartMainInterrupt: ends every forced vertical sync and millisecond
  // pacing nesting the scripts left open.
  std::function<void()> closePacingNestings;
  // The game's frame pump, for natives that wait: advances one frame and
  // answers the script steps (0: the program is closing).
  std::function<int()> pumpFrame;
};

struct GameHostSetup {
  // The request state to serve; the process-wide one when null.
  ScriptRequestState* state = nullptr;
  // The shared generator's seed: the tick at boot.
  uint32_t seed = 0;
  // Registries the built-in effects and screen filters join (none: skipped).
  TcpManager* screenObjects = nullptr;
  DcpManager* actions = nullptr;
  // The application's system timer list (sound fades, the confirmation box)
  // and object timer list (sprite and layer actions, animations).
  TimerList* systemTimers = nullptr;
  TimerList* objectTimers = nullptr;
  // The screen device's objects, whose handles the scripts hold (none:
  // display-object arguments name nothing).
  DrawObjectManager* drawObjects = nullptr;
  GameHostHooks hooks;
  // Where the host's log lines go besides its own record; stderr when empty.
  std::function<void(const std::string&)> logSink;
};

class GameScriptHost : public ScriptHost {
 public:
  // The host's call number until the scripts set their start number:
  // stored (negated for interrupt 0) in the boot flag when MAIN is
  // restarted.
  static constexpr uint16_t kCallNumber = ScriptSaveSetup::kFirstStartNumber;

  explicit GameScriptHost(GameHostSetup setup = {});
  ~GameScriptHost() override;
  GameScriptHost(const GameScriptHost&) = delete;
  GameScriptHost& operator=(const GameScriptHost&) = delete;

  // Restarts the scene "MAIN": the boot flag gets the call number (negated
  // when flag is false), the scene modules go and MAIN is loaded. 1 when the
  // load fails (the pacing nestings are then left alone); else closes the
  // nestings the scripts left open and returns 0.
  int StartMainInterrupt(bool flag);

  // Stores the message text's current page into its history ring (a text
  // that holds no page stores nothing: -1).
  int PushMessageHistory() { return message_.HasText() ? message_.PushHistory() : -1; }
  // A scene that unloads and a reset of the scripts both keep the page the
  // player was reading in the message history.
  void OnUnload() override { PushMessageHistory(); }
  void OnReset() override { PushMessageHistory(); }
  MarkupText& Message() { return message_; }
  // The registered message window's read-flag source: told (flag array,
  // flag base, 0) when the message text's items or page change, and
  // (null, 0, 0) before they are reset. Empty while no window is registered.
  using MessageWindowNotify = std::function<void(const BitArray* flags, uint32_t flagBase, int32_t value)>;
  MessageWindowNotify& MessageWindow() { return messageWindow_; }

  // Arena blocks that natives allocated for the scripts; the host frees the
  // ones still held when it goes.
  std::set<uint32_t>& MemoryBlocks() { return memoryBlocks_; }

  // A host-owned arena string (base folder, voice names, settings text),
  // rewritten in place while it fits and moved when it grows. slot names
  // the value; returns its address, 0 when the arena is full.
  uint32_t HostString(const std::string& slot, const std::string& value);

  // The handles of every engine object the scripts hold.
  ScriptHandles& Handles() { return handles_; }
  // The GUI controls among them, checked against the control factory.
  ScriptControls& ControlHandles() { return controls_; }
  // Where the files the scripts name may be: the game folder as it was
  // when the host was made, the host's save folder, and what the player
  // chose in file dialogs.
  ScriptFileRoots& FileRoots() {
    fileRoots_->SetSaveFolder(SaveFolder());
    return *fileRoots_;
  }
  // Those roots as the guard on what the engine finds by name: in force
  // around every native, and wherever the program later does work a
  // script asked for (its frames, timers and window commands). Judged as
  // the roots are at each question; for this host's thread only (take a
  // snapshot to another).
  const LooseFileGuard* LooseFiles() const;

  TimerList* SystemTimers() const { return setup_.systemTimers; }
  // The registry of named transitions and screen filters (null: none).
  TcpManager* ScreenObjects() const { return setup_.screenObjects; }
  TimerList* ObjectTimers() const { return setup_.objectTimers; }
  DrawObjectManager* DrawObjects() const { return setup_.drawObjects; }
  // Actions and effects the scripts start on the object timer list let go
  // of their sprites, scene objects and images when those are deleted.
  void WatchDrawObjects(DrawObjectManager* objects);
  // The registry of named layer actions (null: none).
  DcpManager* Actions() const { return setup_.actions; }
  GameHostHooks& Hooks() { return setup_.hooks; }
  // The text-adventure frame of natives 788 to 791, what they are given
  // (the game fills in its screen, settings and stop request) and the
  // frame-result word.
  TgsNativeContext& TextFrame() { return textFrame_; }
  TgsFrameSlot& TextFrameSlot() { return textFrameSlot_; }

  // What the scripts gave for the next save and for restarting MAIN.
  ScriptSaveSetup& SaveSetup() { return saveSetup_; }

  // Game natives still answered by the "not built yet" entry.
  bool IsNotBuilt(uint32_t gameNumber) const;
  const std::vector<std::string>& LogLines() const { return log_; }
  void Log(const std::string& line);

 private:
  friend class NativeBinder;
  void RegisterGameNatives();

  GameHostSetup setup_;
  MarkupText message_;
  MessageWindowNotify messageWindow_;
  std::set<uint32_t> memoryBlocks_;
  ScriptHandles handles_;
  ScriptControls controls_{handles_};
  // Shared with the path filter, which the script host's own destructor
  // still uses (it writes the variable and flag files) after this part
  // has gone.
  std::shared_ptr<ScriptFileRoots> fileRoots_;
  // Those roots as the guard of what the natives load by name.
  std::unique_ptr<ScriptLooseFileGuard> looseFileGuard_;
  TgsFrameSlot textFrameSlot_;
  TgsNativeContext textFrame_;
  ScriptSaveSetup saveSetup_;
  struct OwnedString {
    uint32_t address = 0;
    uint32_t capacity = 0;
  };
  std::vector<std::pair<std::string, OwnedString>> strings_;
  std::vector<bool> notBuilt_;
  std::vector<bool> reported_;
  std::vector<std::string> log_;
  std::unique_ptr<ScriptObjectWatcher> objectWatcher_;
};

}  // namespace orrivel
