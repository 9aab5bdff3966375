// Programs started with an argument vector: never through a shell, never
// waited for.
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orrivel::platform {
namespace {

TEST(ProcessTest, AProgramStartedWithArgumentsIsNotWaitedFor) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(StartProgramArguments({"sleep", "3"}), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(StartProgramArguments({"orrivel-no-such-program", "x"}), 1);
  EXPECT_EQ(StartProgramArguments({}), 1);
  EXPECT_EQ(StartProgramArguments({""}), 1);
}

TEST(ProcessTest, ProgramsAreLookedForOnTheSearchPathOnly) {
  EXPECT_TRUE(ProgramOnSearchPath("sh"));
  EXPECT_FALSE(ProgramOnSearchPath("orrivel-no-such-program"));
  EXPECT_FALSE(ProgramOnSearchPath("/bin/sh"));
  EXPECT_FALSE(ProgramOnSearchPath(""));
}

}  // namespace
}  // namespace orrivel::platform
