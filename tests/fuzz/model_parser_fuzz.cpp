// Feeds any bytes through the model file parser as the text of a model file,
// and through the range-list and field readers it uses.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/config/unit_configuration.h"
#include "core/model/help_topic_table.h"
#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_images.h"
#include "core/model/program_identity.h"
#include "core/model/session_flags.h"
#include "core/model/structure_data.h"
#include "core/support/app_settings.h"
#include "core/support/presenter.h"

namespace {

struct Records {
  ostrel::ProgramIdentity identity;
  ostrel::ModelDatabase database;
  ostrel::ModelImages images;
  ostrel::StructureData structure;
  ostrel::HelpTopicTable help;
  ostrel::AppSettings settings;
  ostrel::UnitConfiguration unit;
  ostrel::SessionFlags flags;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* records = new Records;
  static ostrel::NullPresenter presenter;
  ostrel::ResetModelDatabase(records->database, records->images, &records->flags);
  ostrel::ResetStructureData(records->structure);
  records->help.build(size % 2 == 0, size % 3 == 0);
  records->unit.FIRMWARE = size % 5 == 0 ? std::string() : std::string("G12");

  ostrel::ModelTargets targets;
  targets.identity = &records->identity;
  targets.database = &records->database;
  targets.images = &records->images;
  targets.structure = &records->structure;
  targets.helpTopics = &records->help;
  targets.settings = &records->settings;
  targets.unit = &records->unit;
  targets.flags = &records->flags;
  ostrel::ModelFileParser parser(targets, &presenter);

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  parser.ParseBytes(bytes, size % 7 == 0 ? "Corporate_Model.txt" : "KM.txt");

  if (records->database.Configurations.Count > ostrel::ModelDatabase::kConfigurations ||
      records->database.UnitTypeCount > ostrel::ModelDatabase::kUnitTypes ||
      records->database.FixedWordCount > ostrel::ModelDatabase::kFixedWords ||
      records->structure.StructureCount > ostrel::StructureData::kStructures) {
    __builtin_trap();
  }

  std::string dest;
  ostrel::ModelFileParser::ReadKeyValueBytes(bytes, "UNITTYPE", "KM-100", &dest, true);
  const auto codes = ostrel::ModelFileParser::ExpandRangeList(bytes);
  if (codes.empty() || codes.size() > 21) __builtin_trap();
  std::vector<ostrel::FieldValue> fields;
  ostrel::ModelFileParser::SplitFields(bytes, "%d|%s|%f|%d", fields);
  if (fields.size() != 4) __builtin_trap();
  return 0;
}
