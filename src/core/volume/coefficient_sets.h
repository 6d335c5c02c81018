#pragma once
// The named coefficient sets of weirs and flumes: which list a shape and a
// flow unit offer, which entry a stored shape code selects, what loading a
// set writes into the formula fields, and the shape code's low byte on OK.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/structure_data.h"

namespace ostrel {

class ModelLink;

class CoefficientSets {
 public:
  static constexpr const char* kManualEntry = "-- Manual Entry --";
  static constexpr int kLsOffset = 32;  // LS sets are stored as 32 + k

  // Flow codes 64..95 take the CFS lists, 96..127 the LS lists.
  static bool isCfsCode(int outputUnit) { return outputUnit >= 64 && outputUnit <= 95; }
  static bool isLsCode(int outputUnit) { return outputUnit >= 96 && outputUnit <= 127; }

  // The family whose sets a shape class offers (none for classes without sets).
  static std::optional<FormulaFamily> familyOf(std::uint16_t shape);
  // The list a shape offers in a flow unit, or null.
  static const FormulaSet* setsFor(const StructureData& structure, std::uint16_t shape,
                                   int outputUnit);

  struct Choice {
    std::vector<std::string> names;  // "-- Manual Entry --", then the sets' names
    int selected = 0;
  };
  // The set list of the form and the entry the stored shape code selects
  // (its low byte; LS lists 32 less). A selection beyond the list is manual
  // entry.
  static Choice choices(const StructureData& structure, std::uint16_t shape, int outputUnit);

  // Loading set k (1-based): the texts of fields 1..fieldCount-1 (index i of
  // the result is field i; field 0 stays as it is and is empty here). Field 2
  // takes c2 times the output unit's factor. Each text by the display rule
  // of the output unit. Nothing for k < 1, a set the list does not hold or
  // an output unit the structure does not list.
  static std::optional<std::vector<std::string>> load(const StructureData& structure,
                                                      std::uint16_t shape, int outputUnit, int k,
                                                      int fieldCount, const ModelLink& link);

  // The shape code OK stores: the selection in the low byte, plus 32 for LS lists.
  static std::uint16_t storedShape(std::uint16_t shape, int selected, int outputUnit);
};

}  // namespace ostrel
