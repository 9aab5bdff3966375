#pragma once
// The framework base of the program: the process-entry arguments, the
// accelerators, and the two ways of driving the main thread: the game's own
// MainLoop (which polls with PumpMessages), or a blocking message loop while
// the game runs elsewhere.
#include <cstdint>

#include "platform/Menu.h"
#include "platform/Messages.h"

namespace orrivel {

class AppFramework {
 public:
  explicit AppFramework(bool useMessageLoop);
  virtual ~AppFramework();
  AppFramework(const AppFramework&) = delete;
  AppFramework& operator=(const AppFramework&) = delete;

  // Init, then MainLoop or the blocking loop, then Exit. The result of a
  // failed Init, else 0.
  int32_t Run(void* instance, void* prevInstance, const char* commandLine, int32_t showCommand);
  // Takes every waiting message: 1 when WM_QUIT was taken (later messages
  // stay queued), 0 when the queue is empty. Unless `all`, mouse-move,
  // non-client mouse-move, hit-test and set-cursor messages are dropped.
  int PumpMessages(bool all);

  virtual int Init() = 0;
  virtual void MainLoop() {}
  virtual void Exit(int) {}
  virtual bool PreTranslateMessage(const platform::Message&) { return false; }
  // CP932, or nullptr when there is none.
  virtual const char* GetTitle() { return nullptr; }

  void* instance = nullptr;
  void* prevInstance = nullptr;
  const char* commandLine = nullptr;
  int32_t showCommand = 0;
  // None while empty.
  platform::AcceleratorTable accelerators;
  platform::WindowId acceleratorWindow = platform::kNoWindow;
  bool useMessageLoop;
  bool quitSeen = false;

 protected:
  // Accelerators first, then translate and dispatch.
  void TranslateAndDispatch(const platform::Message& message);
};

// The one application object of the process (none until one is built).
AppFramework* CurrentAppFramework();

}  // namespace orrivel
