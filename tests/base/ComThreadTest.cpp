#include "base/ComThread.h"

#include <gtest/gtest.h>

#include <atomic>
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

// Counts the calls that reach the component library; initialisation fails
// while `refuse` is set.
struct LibraryCalls {
  static inline std::atomic<int> inits{0};
  static inline std::atomic<int> uninits{0};
  static inline std::atomic<bool> refuse{false};
  static bool Initialize() {
    ++inits;
    return !refuse;
  }
  static void Uninitialize() { ++uninits; }
};

TEST(ComThread, OnlyTheOutermostPairReachesTheLibrary) {
  const ComLibraryCalls calls{&LibraryCalls::Initialize, &LibraryCalls::Uninitialize};
  SetComLibraryCallsForTest(&calls);
  std::thread([] {
    EXPECT_EQ(ComInitThread(), 0);
    EXPECT_EQ(ComInitThread(), 0);
    EXPECT_EQ(ComUninitThread(), 0);
    EXPECT_EQ(ComUninitThread(), 0);
    EXPECT_EQ(LibraryCalls::inits, 1);
    EXPECT_EQ(LibraryCalls::uninits, 1);
    EXPECT_EQ(ComUninitThread(), 1);
    EXPECT_EQ(LibraryCalls::uninits, 1);

    // A failed initialisation leaves nothing counted and nothing to undo.
    LibraryCalls::refuse = true;
    EXPECT_EQ(ComInitThread(), 1);
    EXPECT_EQ(ComThreadCount(), 0);
    EXPECT_EQ(ComUninitThread(), 1);
    EXPECT_EQ(LibraryCalls::uninits, 1);
    LibraryCalls::refuse = false;
    EXPECT_EQ(ComInitThread(), 0);
    EXPECT_EQ(ComUninitThread(), 0);
    EXPECT_EQ(LibraryCalls::inits, 3);
    EXPECT_EQ(LibraryCalls::uninits, 2);
  }).join();
  SetComLibraryCallsForTest(nullptr);
}

}  // namespace
}  // namespace orrivel
