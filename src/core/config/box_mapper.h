#pragma once
// The configuration page's boxes and the structs that carry the same values
// on other roads (the value checks, the file writer, the customer page and
// pulse radar decodings, the record itself), tied together in one table
// keyed by the configuration fields' ids. A box added to the page is then
// one row here, not a copy to keep in step on every road.

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/config/config_fields.h"
#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/pulse_configuration.h"
#include "core/config/unit_configuration.h"
#include "core/config/value_checks.h"

namespace ostrel {

struct LevelRow {
  bool shown = false;  // the row and its box
  std::string caption;
  std::string text;  // the box
};

using LevelRows = std::array<LevelRow, UnitConfiguration::kLevels>;

struct PageBoxes {
  std::string sensorHeight;
  std::string fillHeight;
  std::string minFillHeight;  // guided-wave radar
  std::string probeLength;    // guided-wave radar
  std::string deadBand;       // pulse radar
  std::string maxRange;       // pulse radar
  std::string notes;
  std::string fileName;
  std::string fileDate;
};

class BoxMapper {
 public:
  // The unit kinds that carry a height box.
  enum class Family { All, GuidedWave, PulseRadar };

  // One height box and where each road keeps it; a null member: that road
  // does not carry the box.
  struct Field {
    FieldId id;
    Family family;
    // The table dimension the Tanks forms take the box as; -1 for none.
    int dimension;
    std::string PageBoxes::*page;
    double UnitConfiguration::*record;
    double ConfigBoxValues::*value;
    std::string CheckedBoxes::*checked;
    std::string CustomerPageBoxes::*customer;
    std::string PulseConfigurationDecoding::*pulse;
  };

  // The unit kind a mapping is for.
  struct Kind {
    bool guidedWave = false;
    bool pulseRadar = false;
  };

  static std::span<const Field> fields();
  static bool carries(const Field& f, Kind kind);

  // The page's box texts as the value checks take them, and their texts
  // (stored and re-shown by the checks) back.
  static CheckedBoxes checked(const PageBoxes& boxes, const LevelRows& rows);
  static void fromChecked(const CheckedBoxes& checked, PageBoxes& boxes, LevelRows& rows);
  // The boxes' values for a file: every height box, and the shown level
  // rows (a hidden row stores 0).
  static ConfigBoxValues values(const PageBoxes& boxes, const LevelRows& rows);
  // A decoded customer page's texts into the boxes, the notes and every
  // level row's text included.
  static void fromCustomer(const CustomerPageBoxes& decoded, PageBoxes& boxes, LevelRows& rows);
  // A decoded pulse radar block's texts into its boxes.
  static void fromPulse(const PulseConfigurationDecoding& decoded, PageBoxes& boxes);
  // Every height of the record shown in its box.
  static void show(const UnitConfiguration& config, PageBoxes& boxes,
                   const std::function<std::string(double)>& showHeight);
  // The boxes the unit kind carries read into the record.
  static void read(const PageBoxes& boxes, UnitConfiguration& config, Kind kind);
  // The boxes of the unit kind that are table dimensions: dimension k's box
  // pointer, or null when the kind has no box for it.
  static std::array<std::string PageBoxes::*, 4> dimensionBoxes(Kind kind);
  // How the page reads a number from a box.
  static double read(const std::string& text);

  // Boxes that hold no number. The refusal of a box's text under the name
  // the user knows the box by (ERROR_MESSAGE121); none for a number.
  static std::optional<ValueCheckResult> refusal(const std::string& name, const std::string& typed);
  // The first box of the kind whose text is no number: the height boxes
  // (the minimum fill height is the page's own to fill), then the shown
  // level rows from the top, as the page shows them; none when all hold one.
  static std::optional<ValueCheckResult> refused(
      const PageBoxes& boxes, const LevelRows& rows, Kind kind,
      const std::function<std::string(std::string PageBoxes::*box)>& nameOf);
};

}  // namespace ostrel
