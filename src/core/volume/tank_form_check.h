#pragma once
// The checks and the build of the tank form ("Dimensional Inputs"): what OK,
// "Capacity" and "View Curve" run on the field texts.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/volume/form_failure.h"
#include "core/volume/volume_table.h"

namespace ostrel {

struct TankFormInput {
  std::array<std::string, 10> fields;  // the texts of D0..D9
  int fieldsInUse = 10;                // the pieces of the structure's dimension captions
  bool volumeMode = true;              // false: distance mode
  bool adjustCapacity = false;
  std::string capacity;  // the capacity box (D10)
  std::uint16_t shape = 0x0100;
  int dimensionUnit = 0;
  int outputUnit = 0;
};

class TankFormCheck {
 public:
  // Whether field j is shown: one of the fields in use, and in distance mode
  // only D0..D2 (radar models keep D3).
  static bool fieldVisible(int j, const TankFormInput& input, bool radar);

  // Every shown field holds a number (digits and "." only).
  static std::optional<FormFailure> checkFields(const TankFormInput& input, bool radar);

  // The table the inputs give, built on a copy of the page's table (its link,
  // name, D10 and D11.. carried over): the fields are read as shown, then the
  // tank table (volume mode) or the length table.
  static FormResult<VolumeTable> build(const TankFormInput& input, const VolumeTable& pageTable);

  // OK: the field checks, tank height, the ranges of fill height, probe length
  // and sensor height, a positive capacity, then the build.
  static FormResult<VolumeTable> ok(const TankFormInput& input, const VolumeTable& pageTable);
};

}  // namespace ostrel
