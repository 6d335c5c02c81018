#pragma once
// The checks and the build of the weir and flume form ("Formula Entry").

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/volume/form_failure.h"
#include "core/volume/volume_table.h"

namespace ostrel {

struct FlowFormInput {
  std::array<std::string, 10> fields;  // the texts of D0..D9
  int fieldsInUse = 10;
  bool flowMode = true;  // false: distance mode
  std::uint16_t shape = 0x2000;
  int dimensionUnit = 0;
  int outputUnit = 64;
  int selectedSet = 0;  // the set list's selection (0: manual entry)
};

struct FlowFormOutcome {
  VolumeTable table;
  std::uint16_t shape = 0;  // with the loaded set in its low byte
};

class FlowFormCheck {
 public:
  // One of the fields in use; distance mode shows D0 and D1 only.
  static bool fieldVisible(int j, const FlowFormInput& input);
  // Every shown field holds a number (digits, "." and "-").
  static std::optional<FormFailure> checkFields(const FlowFormInput& input);
  // The flow table (LevelScale = TPF) or the length table, on a copy of the
  // page's table, with the fields read as shown.
  static FormResult<FlowFormOutcome> build(const FlowFormInput& input,
                                           const VolumeTable& pageTable);
  // OK: the field checks, then the build.
  static FormResult<FlowFormOutcome> ok(const FlowFormInput& input, const VolumeTable& pageTable);
};

}  // namespace ostrel
