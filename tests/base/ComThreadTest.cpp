#include "base/ComThread.h"

#include <gtest/gtest.h>

#include <thread>

namespace orrivel {
namespace {

TEST(ComThread, NestedInitsPairUpPerThread) {
  // A fresh thread, so that no other test's counts are involved.
  std::thread([] {
    EXPECT_EQ(ComUninitThread(), 1);  // nothing to undo yet
    EXPECT_EQ(ComInitThread(), 0);
    EXPECT_EQ(ComInitThread(), 0);
    EXPECT_EQ(ComThreadCount(), 2);
    std::thread([] { EXPECT_EQ(ComThreadCount(), 0); }).join();  // counts are per thread
    EXPECT_EQ(ComUninitThread(), 0);
    EXPECT_EQ(ComUninitThread(), 0);
    EXPECT_EQ(ComThreadCount(), 0);
    EXPECT_EQ(ComUninitThread(), 1);
    EXPECT_EQ(ComThreadCount(), 0);
  }).join();
}

}  // namespace
}  // namespace orrivel
