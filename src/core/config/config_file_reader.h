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

// What a read found besides the values it stored in the records. The page
// refreshes itself from the records and these findings.
struct ConfigReadResult {
  int code = 0;  // ConfigFileReader::kRead ...
  // Sample mode: a MODEL line loaded another model, whose items need setting
  // up.
  bool modelLoaded = false;
  // A MODEL line emptied the shape, the relay units, the table and the rows:
  // the structure list goes too.
  bool nonLinearReset = false;
  // UNITS or OUTPUT named no unit of the model: the page goes back to what
  // the unit's own pages hold.
  bool unitsOutOfRange = false;
  // The radar's advanced settings the file set (TYPEOFMEDIUM ... DAMPINGTIME).
  std::vector<FieldId> radarSettings;
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
