// The SDL back end on SDL's display-less video driver, so it runs anywhere.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/Backend.h"
#include "platform/Messages.h"

namespace orrivel::platform {
namespace {

// An interrupt or termination signal must end the message loop in order,
// not be swallowed (the program would then never stop) and not kill it
// before the settings are saved.
TEST(SdlBackendTest, TerminationSignalEndsTheMessageLoop) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string why;
  std::unique_ptr<Backend> backend = CreateBackend(false, &why);
  if (backend->IsHeadless()) GTEST_SKIP() << why;
  ScopedBackend use(*backend);
  ASSERT_EQ(std::raise(SIGTERM), 0);
  bool quit = false;
  Message message;
  for (int pass = 0; pass < 50 && !quit; ++pass) {
    while (!quit && backend->PeekMessage(message, true)) quit = message.message == WM_QUIT;
    if (!quit) backend->WaitMessage(10);
  }
  EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace orrivel::platform
