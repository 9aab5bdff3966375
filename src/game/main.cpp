// The program's entry point: chooses the back end (a real window, or memory
// when there is no display or --headless is given), builds the game's
// application and runs it. A run without a display has no one to close its
// window, so it closes it itself after a fixed number of frames (or when its
// input file says quit). A headless run keeps a virtual clock that moves one
// frame period per frame, so that its frames are the same on every run.
//
//   orrivel [--headless] [--input FILE] [/W] [/L<game folder>] ...
//
// /W asks for a window at start, granted when the monitor's work area is as
// tall as the game.
// --input plays a scripted input file (see platform/ScriptedInput.h) into
// the run; its snapshots are written relative to the working folder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/GameApplication.h"
#include "game/ConfirmBox.h"
#include "game/DrawnDialogs.h"
#include "natives/ProcessObjects.h"
#include "platform/Backend.h"
#include "platform/DialogService.h"
#include "platform/Messages.h"
#include "platform/ScriptedRun.h"
#include "platform/StopSignals.h"
#include "platform/TextCodec.h"

namespace {

constexpr uint32_t kHeadlessFrames = 60;
// The exit status when the scripts could not boot or stopped in a fault
// (start-up refusals keep their own codes).
constexpr int kScriptsFailedStatus = 70;
// A bad command line or input file.
constexpr int kUsageStatus = 64;

}  // namespace

int main(int argc, char** argv) {
  using namespace orrivel;
  std::string why;
  bool headless = platform::HeadlessRequested(argc, argv);
  auto backend = platform::CreateBackend(headless, &why);
  platform::ScopedBackend useBackend(*backend);
  // On a display the game's dialogs are drawn by the engine over the game
  // and answered there; headless runs keep the message-box service, which
  // writes what an input file answered.
  std::optional<DrawnDialogs> drawnDialogs;
  std::optional<platform::ScopedDialogs> useDrawnDialogs;
  if (!backend->IsHeadless()) useDrawnDialogs.emplace(drawnDialogs.emplace(true));

  // The command line as one string, without the program name and without
  // the options that are ours alone.
  std::string commandLine;
  std::string inputFile;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) continue;
    if (std::strcmp(argv[i], "--input") == 0) {
      if (i + 1 == argc) {
        std::fprintf(stderr, "orrivel: --input needs a file\n");
        return kUsageStatus;
      }
      inputFile = argv[++i];
      continue;
    }
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += argv[i];
  }

  // A headless run always keeps the virtual clock; a real display keeps
  // real time and only plays the input.
  std::unique_ptr<platform::ScriptedRun> scriptedRun;
  if (!inputFile.empty()) {
    std::string error;
    scriptedRun = platform::ScriptedRun::Load(inputFile, backend->IsHeadless(), std::string(), &error);
    if (!scriptedRun) {
      std::fprintf(stderr, "orrivel: %s\n", error.c_str());
      return kUsageStatus;
    }
  } else if (backend->IsHeadless()) {
    scriptedRun = std::make_unique<platform::ScriptedRun>(std::vector<platform::ScriptedEvent>(), true);
  }

  // Ctrl+C, a termination request or a closed terminal end the run the
  // orderly way (the back end turns the note into a quit); a second one
  // ends it at once.
  platform::InstallStopSignalHandlers();

  // The run's process-wide objects are built before the application and go
  // after it.
  ProcessObjects processObjects;
  SetProcessObjects(&processObjects);
  // The in-game dialogs use the control host and must go before it.
  ConfirmBox confirmBox;
  SetConfirmBox(&confirmBox);

  int result;
  {
    GameApplication app;
    app.scriptedRun = scriptedRun.get();
    // Without a quit in its input, a run without a display still ends: a
    // little after the input's last event.
    if (backend->IsHeadless() && !(scriptedRun && scriptedRun->EndsByItself())) {
      // Counted wide: a last event near the top of the frame numbers must
      // not wrap round to a limit of a frame or two.
      const uint64_t afterLastEvent = scriptedRun ? uint64_t(scriptedRun->LastFrame()) + 2 : 0;
      app.frameLimit = uint32_t(std::clamp<uint64_t>(afterLastEvent, kHeadlessFrames, UINT32_MAX));
    }
    std::printf("orrivel: %s\n", why.c_str());
    result = app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL);
    if (result != 0) {
      std::printf("orrivel: start-up refused (code %d)\n", result);
      std::fprintf(stderr, "orrivel: start-up refused with code %d (%s)\n", result, app.DescribeGameFolder().c_str());
    } else if (app.bootResult != 0) {
      std::printf("orrivel: the game's scripts could not be booted; nothing to play\n");
    } else if (app.scriptResult == -1) {
      std::printf("orrivel: the game ended before its scripts ran\n");
    } else if (app.scriptResult == ScriptHost::kStepEnded) {
      std::printf("orrivel: the game's scripts ran to their end in %u steps over %u frames, exit 0\n",
                  app.scriptSteps, app.framesRun);
    } else if (app.scriptResult == ScriptHost::kStepYielded) {
      std::printf("orrivel: %s after %u frames while the scripts were running (%u steps), exit 0\n",
                  app.closedByLimit ? "closed its window" : "window closed", app.framesRun, app.scriptSteps);
    } else {
      std::printf("orrivel: the scripts stopped with result %d after %u steps\n", app.scriptResult,
                  app.scriptSteps);
    }
    if (scriptedRun) {
      for (const std::string& path : scriptedRun->FailedSnapshots()) {
        std::fprintf(stderr, "orrivel: snapshot %s could not be written\n", path.c_str());
        if (result == 0) result = kScriptsFailedStatus;
      }
    }
    // A failure is not a normal end: after the player's message, a line
    // for whoever started the program, and a status a caller can test.
    if (result == 0) {
      const std::string failure = app.DescribeFailure();
      if (!failure.empty()) {
        std::fprintf(stderr, "orrivel: %s\n", failure.c_str());
        result = kScriptsFailedStatus;
      }
    }
  }
  return result;
}
