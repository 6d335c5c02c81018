#pragma once
// "ostrelctl config ...": what a configuration file holds, the file a unit's
// pages (or a pulse radar's parameters) make, and how a unit differs from a
// file.

#include <ostream>
#include <string>
#include <vector>

#include "cli/link_commands.h"
#include "core/config/unit_configuration.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

struct Session;

// What a unit's configuration page holds after reading the unit.
struct UnitRecords {
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
};

// Connects, identifies the unit, loads its shipped model into the session's
// records and reads its configuration as the page does. False with the
// message on err.
bool readUnitRecords(Session& session, UnitRecords& records, std::ostream& err);

// 0 done; 1 failed (config diff: the unit differs); 2 usage error;
// 3 config diff could not compare.
int runConfigCommand(const LinkOptions& options, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err);

// Reads the unit over an open session and prints the configuration its
// customer page decodes to, as "config read" does.
struct Session;
int printUnitConfiguration(Session& s, bool json, std::ostream& out, std::ostream& err);

}  // namespace ostrel
