// Programs started with an argument vector: never through a shell, either
// not waited for or waited for up to a limit.
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

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

TEST(ProcessTest, AProgramRunForALimitAnswersByHowItEnded) {
  using std::chrono::milliseconds;
  struct Case {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"sh", "-c", "sleep 0.2; exit 0"}, 0},
      {{"sh", "-c", "exit 3"}, 3},
      {{"sh", "-c", "kill -9 $$"}, -1},             // ended by a signal
      {{"sh", "-c", "sleep 30"}, -1},               // still running at the limit
      {{"orrivel-no-such-program"}, -1},
      {{}, -1},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgramArgumentsFor(c.args, milliseconds(1500)), c.status) << testing::PrintToString(c.args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST(ProcessTest, ProgramsAreLookedForOnTheSearchPathOnly) {
  EXPECT_TRUE(ProgramOnSearchPath("sh"));
  EXPECT_FALSE(ProgramOnSearchPath("orrivel-no-such-program"));
  EXPECT_FALSE(ProgramOnSearchPath("/bin/sh"));
  EXPECT_FALSE(ProgramOnSearchPath(""));
}

}  // namespace
}  // namespace orrivel::platform
