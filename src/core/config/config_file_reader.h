#pragma once
// Reads a configuration file into the record and the records that travel
// with it. Lines are applied as they come; what the page has to show or
// redo because of a line is handed back as events, in order, for the page
// model to act on.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/config/config_fields.h"
#include "core/support/notice.h"

namespace ostrel {

class CStdioFileEx;
struct ModelDatabase;

struct ConfigReadEvent {
  enum class Kind {
    UnitLineRedrawn,      // SERIAL
    HardwareLineRedrawn,  // FIRMWARE
    DescriptionShown,     // UNIT DESCRIPTION
    NotesShown,           // TANK DESCRIPTION
    NonLinearReset,       // MODEL: shape, relay units, structure, table and rows emptied
    ModelLoaded,          // sample mode: another model was loaded, its items need setting up
    ItemsRematched,       // CONFIG: match again, levels not refreshed
    UnitsSelected,        // UNITS: the units list and both units boxes
    ValueShown,           // field (and index) shown in its box
    StructureListLoaded,  // NLTYPE with a curve on a non-linear capable model (index: the code)
    RelayUnitsShown,      // OUTPUT
    // After the last line.
    UnitsRefreshed,
    HeightsShown,               // sensor height and probe length
    ItemsRematchedWithLevels,
    LevelsChecked,              // LEVELSVALID and the buttons
    AdvancedRefreshed,
    ModifiedCleared,
    // Units out of range: the page goes back to the unit's customer page.
    RestoredFromUnit,
  };
  Kind kind;
  FieldId field = FieldId::Model;
  int index = 0;

  bool operator==(const ConfigReadEvent&) const = default;
};

struct ConfigReadResult {
  int code = 0;  // ConfigFileReader::kRead ...
  std::vector<ConfigReadEvent> events;
  Notices notices;  // the messages of results 2 and 3
};

struct ConfigReadContext {
  ConfigRecords records;                  // config is required
  const ModelDatabase* model = nullptr;   // required
  bool sampleMode = false;
  // Sample mode, a MODEL of no UNITTYPE of the current model: loads the
  // model with that number (the part before the first "-") into the same
  // database; true when it did.
  std::function<bool(const std::string& modelNumber)> loadModel;
};

class ConfigFileReader {
 public:
  static constexpr int kRead = 0;
  static constexpr int kCannotOpen = 1;
  static constexpr int kOtherModel = 2;
  static constexpr int kUnitsOutOfRange = 3;

  static ConfigReadResult read(const std::filesystem::path& path, const ConfigReadContext& context);
  // The same from a file already open for reading (UTF-16LE or 8-bit).
  static ConfigReadResult read(CStdioFileEx& file, const ConfigReadContext& context);

  // Whether item 0's current choice names independent relays (its caption,
  // lower-cased, contains "independent" or the two characters for it).
  static bool independentMode(const ModelDatabase& model, const UnitConfiguration& config);
};

}  // namespace ostrel
