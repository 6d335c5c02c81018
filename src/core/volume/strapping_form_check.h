#pragma once
// The checks and the build of the strapping form: the cell check at the end
// of an edit and what OK and "View Curve" run on the fields and the grid.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/volume/form_failure.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

struct StrappingFormInput {
  std::string sensorHeight;
  std::string fillHeight;
  std::string riserHeight;    // not on guided-wave models
  std::string tankHeight;
  std::string minFillHeight;  // guided-wave models
  std::string probeLength;    // guided-wave models
  // The grid's pair rows from row 1 down: level and volume texts.
  std::vector<std::pair<std::string, std::string>> rows;
  int dimensionUnit = 0;
  int outputUnit = 32;
};

struct StrappingFormOutcome {
  VolumeTable table;
  StrappingRows rows;
};

class StrappingFormCheck {
 public:
  // End of a cell edit: a number without "-" (else a silent failure, the
  // cell turns red); a level (column 1) not above the tank height.
  static std::optional<FormFailure> cell(const std::string& text, int column,
                                         const std::string& tankHeight);

  // The rows and the table the inputs give, on a copy of the page's table.
  static FormResult<StrappingFormOutcome> build(const StrappingFormInput& input,
                                                const VolumeTable& pageTable);

  // OK: tank height against fill height, the four height fields, the pairs
  // (complete, numeric, never decreasing), the last level against the tank
  // height, then the build.
  static FormResult<StrappingFormOutcome> ok(const StrappingFormInput& input,
                                             const VolumeTable& pageTable);
};

}  // namespace ostrel
