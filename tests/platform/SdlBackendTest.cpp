// The SDL back end on SDL's display-less video driver, so it runs anywhere.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include <filesystem>

#include "platform/Backend.h"
#include "platform/DriveProbe.h"
#include "platform/PathResolver.h"
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

// The start-up check asks the back end what drive the game folder is on:
// a disc when the folder's file system is an optical one.
TEST(SdlBackendTest, AFolderOnAnOpticalFileSystemIsOnADisc) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string why;
  std::unique_ptr<Backend> backend = CreateBackend(false, &why);
  if (backend->IsHeadless()) GTEST_SKIP() << why;
  const std::string disc = std::filesystem::temp_directory_path().string();
  DriveProbe probe;
  probe.readFileSystemType = [&disc](const std::string& path, uint64_t* type) {
    *type = path.rfind(disc, 0) == 0 ? kUdfFileSystem : 0xEF53;
    return true;
  };
  ScopedDriveProbe scope(probe);
  EXPECT_EQ(backend->GetDriveKind(*ToInternalPath(disc) + "\\"), DriveKind::CdRom);
  EXPECT_EQ(backend->GetDriveKind(*ToInternalPath("/") + "\\"), DriveKind::Fixed);
  EXPECT_EQ(backend->GetDriveKind("Z:\\no-such-folder-here\\"), DriveKind::Unknown);
}

}  // namespace
}  // namespace orrivel::platform
