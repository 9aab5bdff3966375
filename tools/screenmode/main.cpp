// Checks the switch between window and full screen on a real display:
//   screenmode [--probe COMMAND] [--hold MS] [--headless]
// At each stage it prints the screen mode, the window rectangle and the
// client size, then runs COMMAND (through the shell) while the window stays
// as it is. The exit code is 0 when both switches succeeded and the window
// came back with the client size it started with.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Application.h"
#include "platform/Backend.h"
#include "platform/Clock.h"

namespace {

using namespace orrivel;
using namespace orrivel::platform;

class CheckApp : public Application {
 public:
  int Configure() override {
    Application::Configure();
    appInfo[0] = "Screen mode check";
    singleInstance = 0;
    gameWidth = 640;
    gameHeight = 480;
    return 0;
  }
};

// Keeps the window answering for a while.
void Hold(CheckApp& app, uint32_t ms) {
  for (uint32_t waited = 0; waited < ms; waited += 10) {
    app.PumpMessages(true);
    Clock().Sleep(10);
  }
}

Rect Report(CheckApp& app, const char* stage, const char* probe) {
  Backend& backend = CurrentBackend();
  WindowId window = app.mainWindow.GetHandle();
  Rect outer = backend.GetWindowRect(window);
  Rect client = backend.GetClientRect(window);
  std::printf("%-13s mode %d  full screen %s  window (%d, %d)-(%d, %d)  client %d x %d\n", stage, app.screenMode,
              backend.IsFullScreen(window) ? "yes" : "no ", outer.left, outer.top, outer.right, outer.bottom,
              client.Width(), client.Height());
  std::fflush(stdout);
  if (probe) {
    int status = std::system(probe);
    (void)status;
    std::fflush(stdout);
  }
  return client;
}

}  // namespace

int main(int argc, char** argv) {
  const char* probe = nullptr;
  uint32_t hold = 500;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--probe") == 0 && i + 1 < argc) probe = argv[++i];
    else if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc) hold = uint32_t(std::atoi(argv[++i]));
  }
  std::string why;
  std::unique_ptr<Backend> backend = CreateBackend(HeadlessRequested(argc, argv), &why);
  ScopedBackend scoped(*backend);
  std::printf("back end: %s\n", why.c_str());

  CheckApp app;
  if (int code = app.Init(); code != 0) {
    std::printf("start-up failed: %d\n", code);
    return 2;
  }
  Hold(app, hold);
  Rect before = Report(app, "window", probe);
  int toFull = app.ApplyScreenMode(1, 32, 0);
  Hold(app, hold);
  Report(app, "full screen", probe);
  int toWindow = app.ApplyScreenMode(2, 32, 0);
  Hold(app, hold);
  Rect after = Report(app, "window again", probe);
  app.Exit(0);

  bool ok = toFull == 0 && toWindow == 0 && before == after;
  std::printf("switch to full screen %d, back %d, client size %s\n", toFull, toWindow,
              before == after ? "kept" : "changed");
  return ok ? 0 : 1;
}
