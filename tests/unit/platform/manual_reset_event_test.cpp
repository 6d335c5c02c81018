#include "core/platform/manual_reset_event.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/platform/clock.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(ManualResetEvent, StaysSetForEveryWaiterUntilReset) {
  ManualResetEvent ev;
  EXPECT_FALSE(ev.wait(10ms));
  ev.set();
  EXPECT_TRUE(ev.wait(0ms));
  EXPECT_TRUE(ev.wait(0ms));
  ev.reset();
  EXPECT_FALSE(ev.isSet());
}

TEST(ManualResetEvent, WakesAWaiterOnAnotherThread) {
  ManualResetEvent ev;
  const auto start = tickCount();
  std::thread t([&] {
    sleepMs(30);
    ev.set();
  });
  EXPECT_TRUE(ev.wait(2000ms));
  const auto waited = tickCount() - start;
  t.join();
  EXPECT_GE(waited, 25u);
  EXPECT_LT(waited, 1500u);
}

}  // namespace
}  // namespace ostrel
