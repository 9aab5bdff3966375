// The SDL back end on SDL's display-less video driver, so it runs anywhere.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/Backend.h"
#include "platform/StopSignals.h"
#include "platform/Messages.h"

namespace orrivel::platform {
namespace {

// An interrupt or termination signal must end the message loop in order,
// not be swallowed (the program would then never stop) and not kill it
// before the settings are saved. The handlers are the program's own, as
// its start installs them; the window back end turns their note into the
// quit.
TEST(SdlBackendTest, TerminationSignalEndsTheMessageLoop) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string why;
  std::unique_ptr<Backend> backend = CreateBackend(false, &why);
  if (backend->IsHeadless()) GTEST_SKIP() << why;
  ScopedBackend use(*backend);
  InstallStopSignalHandlers();
  ASSERT_EQ(std::raise(SIGTERM), 0);
  bool quit = false;
  Message message;
  for (int pass = 0; pass < 50 && !quit; ++pass) {
    while (!quit && backend->PeekMessage(message, true)) quit = message.message == WM_QUIT;
    if (!quit) backend->WaitMessage(10);
  }
  EXPECT_TRUE(quit);
  EXPECT_FALSE(StopRequestPending());
  // The next signal would end the process at once: start afresh, and give
  // SIGTERM back its default.
  InstallStopSignalHandlers();
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
}  // namespace orrivel::platform
