#pragma once
// The unit side of the configuration page's service commands: a direct
// entry written, the information memory read for its dialog and written
// back. Each step returns the unit's result and, when it failed, the notice
// the page shows; nothing here talks to the user, so a step may run on the
// page's device worker.

#include <cstdint>
#include <optional>

#include "core/service/direct_entry.h"
#include "core/support/notice.h"

namespace ostrel {

class UnitMemory;

struct ServiceStep {
  int result = 0;
  std::optional<Notice> notice;  // what a failure shows
  bool ok() const { return result == 0; }
};

// The value stored at its word of the page image (low byte first), that
// image copied into the write buffer and written under its page number.
// The image keeps the value whether the write went or not.
ServiceStep writeDirectEntry(UnitMemory& memory, const DirectEntryRequest& request);

// The information memory into image (128 bytes).
ServiceStep readInfoMemory(UnitMemory& memory, std::uint8_t* image);

// image (128 bytes) written as the unit's information memory.
ServiceStep writeInfoMemory(UnitMemory& memory, const std::uint8_t* image);

}  // namespace ostrel
