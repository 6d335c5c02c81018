#pragma once
// The production record: one CSV line for every unit a write run writes
// (time, serial, model, firmware, software revision, configuration file,
// configuration number, verification result and the reason of a failure),
// so a technician configuring a batch keeps what each unit got.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

struct UnitConfiguration;

struct ProductionEntry {
  std::string time;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
  std::string serial;
  std::string model;
  std::string firmware;
  std::string softwareRevision;
  std::string configFile;
  std::string configNumber;
  bool verified = false;
  std::string reason;  // why the write or its verification failed
};

inline constexpr std::string_view kProductionRecordName = "Production.csv";
inline constexpr std::string_view kProductionHeader =
    "time,serial,model,firmware,software_revision,config_file,config_number,verification,reason";

// The entry for a unit as the write left its configuration, stamped now.
ProductionEntry productionEntry(const UnitConfiguration& config, const std::string& configFile,
                                bool verified, std::string_view reason);

// Adds one line (and the header line to a new file). The file is rewritten
// through a temporary file and renamed under a lock on its folder, so a line
// is whole or absent and two writers never lose each other's lines.
bool appendProductionRecord(const std::filesystem::path& file, const ProductionEntry& entry,
                            std::string& error);

// What a write run calls after each unit it wrote (or failed to verify).
bool recordWrittenUnit(const std::filesystem::path& file, const UnitConfiguration& config,
                       const std::string& configFile, bool verified, std::string_view reason,
                       std::string& error);

// The entries at or after since ("YYYY-MM-DD" or a whole time; empty: all).
// Nothing with error set when the file cannot be read or is not a record.
std::optional<std::vector<ProductionEntry>> readProductionRecord(
    const std::filesystem::path& file, std::string_view since, std::string& error);

// True when text is "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS" with an optional Z.
bool isProductionTime(std::string_view text);

}  // namespace ostrel
