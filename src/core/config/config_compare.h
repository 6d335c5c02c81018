#pragma once
// Compares two configurations of the same model field by field, as a
// technician asks "what is on this unit compared with the plant's file?".
// The fields and their keys come from the record's field table; the second
// record's lengths are converted into the first one's units and both are
// compared at the decimals a file gives them, so a value that only differs
// below what a file can hold counts as equal.

#include <string>
#include <string_view>
#include <vector>

#include "core/config/config_fields.h"

namespace ostrel {

struct ModelDatabase;

struct ConfigDifference {
  FieldId field = FieldId::Model;
  std::string_view key;  // as files spell it
  int index = 0;
  bool indexed = false;  // the key is written "KEY[index]"
  // Both values in the reference's units: the typed value and its text at
  // the reference's decimals.
  ConfigValue reference;
  ConfigValue other;
  std::string referenceText;
  std::string otherText;
};

class ConfigCompare {
 public:
  // The entries of `other` that differ from `reference`, in the field table's
  // order. Only what configures the unit is compared (not the identity, file
  // name or validity flags), and of that only what applies to the model and
  // to the reference's configuration: the levels its matched configuration
  // uses (or the independent relay points), the dimensions and strapping
  // rows of its curve, the guided-wave and pulse-radar fields of those
  // models, the radar's settings when both records carry them.
  static std::vector<ConfigDifference> differences(const ModelDatabase& model,
                                                   const ConstConfigRecords& reference,
                                                   const ConstConfigRecords& other);
};

}  // namespace ostrel
