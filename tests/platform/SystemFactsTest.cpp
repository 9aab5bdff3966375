#include "platform/SystemFacts.h"

#include <gtest/gtest.h>
#include "TestBuildDirs.h"

namespace orrivel::platform {
namespace {

TEST(SystemFactsTest, ReadsThisMachine) {
  const SystemFacts f = ReadSystemFacts();
  EXPECT_EQ(f.systemName, "Linux");
  EXPECT_FALSE(f.release.empty());
  EXPECT_FALSE(f.machine.empty());
  EXPECT_GT(f.totalMemory, 0u);
  EXPECT_LE(f.availableMemory, f.totalMemory);
  EXPECT_GE(f.processorCount, 1u);
}

TEST(SystemFactsTest, DistributionNameFromOsRelease) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"NAME=Alpine\nID=alpine\n", "Alpine"},
      {"PRETTY_NAME='Say \\\"hi\\\"'\n", "Say \"hi\""},
      {"ID=none\n", ""},
      {"", ""},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(OsReleaseName(text), name) << text;
}

TEST(SystemFactsTest, DiskSpace) {
  uint64_t freeBytes = 0, totalBytes = 0;
  ASSERT_TRUE(GetDiskSpace(ORRIVEL_BINARY_DIR, &freeBytes, &totalBytes));
  EXPECT_GT(totalBytes, 0u);
  EXPECT_LE(freeBytes, totalBytes);
  EXPECT_FALSE(GetDiskSpace("/no/such/folder/anywhere", &freeBytes, &totalBytes));
}

}  // namespace
}  // namespace orrivel::platform
