#include "base/Event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace orrivel {
namespace {

TEST(Event, AutoResetWaitsAndTimeOuts) {
  Event event;
  EXPECT_FALSE(event.IsSet());
  EXPECT_EQ(event.Wait(0), 1);  // not set: at once
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(event.Wait(20), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(20));

  EXPECT_TRUE(event.Set());
  EXPECT_EQ(event.Wait(0), 0);
  EXPECT_EQ(event.Wait(0), 1);  // the wait consumed the signal...
  EXPECT_TRUE(event.IsSet());   // ...but the flag still reports the last Set
  EXPECT_TRUE(event.Reset());
  EXPECT_FALSE(event.IsSet());
  event.Set();
  event.Reset();
  EXPECT_EQ(event.Wait(0), 1);
}

TEST(Event, SetFromAnotherThreadWakesAnEndlessWait) {
  Event event;
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    event.Set();
  });
  EXPECT_EQ(event.Wait(Event::kInfinite), 0);
  setter.join();
}

}  // namespace
}  // namespace orrivel
