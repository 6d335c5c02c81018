#pragma once
// Direct memory entry: one word of the customer or factory page, checked
// before anything reaches the unit.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

struct DirectEntryRequest {
  int page = 0;     // 1 customer page, 2 factory page (the wire selectors)
  int address = 0;  // word address 0..255
  int value = 0;    // 0..65535
};

struct DirectEntryCheck {
  bool ok = false;
  std::string errorKey;  // ERROR_MESSAGE67, 68 or 69 when refused
  DirectEntryRequest request;
};

// Reads the two fields as unsigned decimal numbers and checks them in the
// dialog's order (address empty, value empty, address range, value range,
// page). page is 1, 2, or 0 when none is chosen.
DirectEntryCheck checkDirectEntry(std::string_view addressText, std::string_view valueText,
                                  int page);

// Stores the value at its word of a 512-byte page image, low byte first.
void applyDirectEntry(std::uint8_t* page, const DirectEntryRequest& request);

}  // namespace ostrel
