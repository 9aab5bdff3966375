// Machine facts for the information texts: how a mount becomes a drive
// kind, swap, the language setting and the process list.
#include "platform/MachineInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace orrivel::platform {
namespace {

TEST(MachineInfoTest, MountsAreClassifiedByFileSystemAndDevice) {
  struct Case {
    const char* type;
    const char* device;
    DriveKind kind;
  };
  for (const Case& c : {Case{"nfs4", "server:/export", DriveKind::Network},
                        Case{"cifs", "//host/share", DriveKind::Network},
                        Case{"fuse.sshfs", "user@host:", DriveKind::Network},
                        Case{"iso9660", "/dev/sr0", DriveKind::CdRom},
                        Case{"udf", "/dev/sr1", DriveKind::CdRom},
                        Case{"ramfs", "ramfs", DriveKind::RamDisk},
                        Case{"proc", "proc", DriveKind::Unknown},
                        Case{"tmpfs", "tmpfs", DriveKind::Unknown},
                        Case{"ext4", "/dev/no-such-disk-here", DriveKind::Fixed}}) {
    EXPECT_EQ(ClassifyMount(c.type, c.device), c.kind) << c.type << " " << c.device;
  }
  // Every listed drive has a kind, and each mount point appears once.
  auto drives = ListDrives();
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_NE(drives[i].kind, DriveKind::Unknown) << drives[i].root;
    for (size_t j = i + 1; j < drives.size(); ++j) EXPECT_NE(drives[i].root, drives[j].root);
  }
}

TEST(MachineInfoTest, SwapLanguageAndProcesses) {
  uint64_t total = 1, free = 2;
  if (ReadSwapSpace(&total, &free)) {
    EXPECT_LE(free, total);
  }

  const char* saved = std::getenv("LC_ALL");
  const std::string savedValue = saved ? saved : "";
  ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(SystemLanguageName(), "ja_JP.UTF-8");
  if (saved) ::setenv("LC_ALL", savedValue.c_str(), 1);
  else ::unsetenv("LC_ALL");

  // This test program is among the running processes, by name and by path.
  std::string comm;
  std::getline(std::ifstream("/proc/self/comm"), comm);
  auto names = ListProcesses(false);
  ASSERT_TRUE(names.has_value());
  EXPECT_NE(std::find(names->begin(), names->end(), comm), names->end());
  char self[4096];
  ssize_t got = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(got, 0);
  auto paths = ListProcesses(true);
  ASSERT_TRUE(paths.has_value());
  EXPECT_NE(std::find(paths->begin(), paths->end(), std::string(self, size_t(got))), paths->end());
}

// The XDG base folders: an absolute value is taken, a relative one is not
// valid and is ignored (the default under home is used), as is an empty
// one.
TEST(MachineInfoTest, RelativeXdgFoldersAreIgnored) {
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  } saved[] = {{"HOME", {}}, {"XDG_DATA_HOME", {}}, {"XDG_CONFIG_HOME", {}}};
  for (Saved& s : saved)
    if (const char* v = std::getenv(s.name)) s.value = v;
  ::setenv("HOME", "/home/player", 1);
  struct Case {
    const char* data;
    const char* config;
    const char* dataFolder;
    const char* configFolder;
  } cases[] = {
      {"/srv/data", "/srv/config", "/srv/data", "/srv/config"},
      {"relative/data", "config", "/home/player/.local/share", "/home/player/.config"},
      {"", "./config", "/home/player/.local/share", "/home/player/.config"},
  };
  for (const Case& c : cases) {
    ::setenv("XDG_DATA_HOME", c.data, 1);
    ::setenv("XDG_CONFIG_HOME", c.config, 1);
    EXPECT_EQ(SpecialFolderHostPath(0x1C, false), std::optional<std::string>(c.dataFolder)) << c.data;
    EXPECT_EQ(SpecialFolderHostPath(0x1A, false), std::optional<std::string>(c.configFolder)) << c.config;
  }
  for (const Saved& s : saved) {
    if (s.value) ::setenv(s.name, s.value->c_str(), 1);
    else ::unsetenv(s.name);
  }
}

}  // namespace
}  // namespace orrivel::platform
