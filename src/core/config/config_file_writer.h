#pragma once
// Writes a configuration file: the record with its comments in a fixed line
// order, values in the decimals of their units. The same text goes into the
// log after a write to a unit, so the writer also gives it as a string.

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "core/config/config_fields.h"
#include "core/support/notice.h"

namespace ostrel {

class CStdioFileEx;
struct ModelDatabase;
class VolumeTable;
struct StrappingRows;
struct StructureData;

// The numbers the page's boxes hold, as the page reads them.
struct ConfigBoxValues {
  double sensorHeight = 0.0;
  double fillHeight = 0.0;
  double minFillHeight = 0.0;
  double probeLength = 0.0;
  double deadBand = 0.0;
  double maxRange = 0.0;
  std::array<double, UnitConfiguration::kLevels> levels{};  // LEVEL[i]'s box
};

// What the page shows of the structure the record's NLTYPE names.
struct ConfigStructureCaptions {
  std::string title;                      // the structure caption on the page
  std::string dimensionCaptions;          // comma-separated captions of D0, D1, ...
  std::optional<std::string> outputName;  // OUTPUT's name when the structure lists it
};

struct ConfigFileContent {
  const UnitConfiguration* config = nullptr;
  const ModelDatabase* model = nullptr;
  const VolumeTable* volume = nullptr;       // D values; none: no dimension lines
  const StrappingRows* rows = nullptr;       // none: no strapping rows
  const RadarAdvanced* radar = nullptr;      // pulse radar: given when its settings were read
  ConfigBoxValues boxes;
  bool independentRelays = false;
  ConfigStructureCaptions structure;
};

struct ConfigWriteResult {
  bool ok = false;
  std::string text;              // UTF-8, LF line ends
  std::optional<Notice> notice;  // why nothing was written
};

class ConfigFileWriter {
 public:
  // The captions of the record's shape in the loaded structure data, and
  // its output unit's name when the structure lists it.
  static ConfigStructureCaptions structureCaptions(const ModelDatabase& model,
                                                   const StructureData& structures,
                                                   const UnitConfiguration& config);

  // The file's text. A record without a matched configuration is refused
  // (ERROR_MESSAGE55): its configuration number would mean nothing.
  static ConfigWriteResult text(const ConfigFileContent& content);

  // Writes the text into an open file (or the log's writer).
  static ConfigWriteResult write(CStdioFileEx& file, const ConfigFileContent& content);

  // Creates or replaces the file: UTF-16LE with mark, CR LF, written beside
  // the target and renamed into place. A failure (ERROR_MESSAGE57 with 1)
  // leaves any previous file as it was.
  static ConfigWriteResult save(const std::filesystem::path& path,
                                const ConfigFileContent& content);
};

}  // namespace ostrel
