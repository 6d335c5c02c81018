#pragma once
// A simulated unit on a simulated cable, found and connected the way the
// connect sequence does it, with the link's timings cut down so that the
// roads that wait for silence end soon. The tests that need a unit behind
// a page or a procedure start from here.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "quick_timing.h"
#include "sim/sim_unit.h"
#include "sim/simulated_cable_driver.h"

namespace ostrel::test {

struct SimLinkOptions {
  UnitLink::Timing timing = quickTiming();
  bool serviceThread = false;  // the link's own thread, as the tool runs it
};

class SimLinkSession {
 public:
  explicit SimLinkSession(std::shared_ptr<sim::SimUnit> attached, SimLinkOptions options = {})
      : unit(std::move(attached)),
        driver(std::make_unique<sim::SimulatedCableDriver>(unit)),
        link(std::make_unique<UnitLink>(*driver, options.timing)),
        memory(std::make_unique<UnitMemory>(*link)),
        serviceThread_(options.serviceThread) {
    if (serviceThread_) link->StartServiceThread();
    std::vector<std::string> cables;
    link->EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId);
    EXPECT_FALSE(cables.empty());
    if (!cables.empty()) link->SetTargetProduct(cables.back());
  }
  ~SimLinkSession() {
    if (serviceThread_) link->StopServiceThread();
  }
  SimLinkSession(const SimLinkSession&) = delete;
  SimLinkSession& operator=(const SimLinkSession&) = delete;

  // Connects, and for a page unit reads its four pages as the startup does.
  int connect() { return link->Connect(); }
  int connectAndReadPages() {
    const int connected = link->Connect();
    if (connected != 0) return connected;
    return memory->ReadAllPages(nullptr, 0, 0, 0, nullptr);
  }

  std::shared_ptr<sim::SimUnit> unit;
  std::unique_ptr<sim::SimulatedCableDriver> driver;
  std::unique_ptr<UnitLink> link;
  std::unique_ptr<UnitMemory> memory;

 private:
  bool serviceThread_ = false;
};

}  // namespace ostrel::test
