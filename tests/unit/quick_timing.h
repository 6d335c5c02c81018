#pragma once
// Link timings for tests: waits short enough for a test, long enough for
// the simulated units' answers, so the roads that wait for silence end soon.

#include "core/link/unit_link.h"

namespace ostrel::test {

inline UnitLink::Timing quickTiming() {
  UnitLink::Timing t;
  t.listenMs = 1500;
  t.framePhaseMs = 150;
  t.wakeReplyMs = 200;
  return t;
}

}  // namespace ostrel::test
