// Feeds any bytes through the model file parser as the text of a model file,
// and through the range-list and field readers it uses.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/model/model_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* records = new ostrel::ModelRecords;
  ostrel::ResetModelDatabase(records->Database, records->Images, &records->Flags);
  ostrel::ResetStructureData(records->Structures);
  records->HelpTopics.build(size % 2 == 0, size % 3 == 0);
  records->UnitType.Firmware = size % 5 == 0 ? std::string() : std::string("G12");

  ostrel::ModelFileParser parser(records->targets());

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  parser.ParseBytes(bytes, size % 7 == 0 ? "Corporate_Model.txt" : "KM.txt");

  if (records->Database.Configurations.Count > ostrel::ModelDatabase::kConfigurations ||
      records->Database.UnitTypeCount > ostrel::ModelDatabase::kUnitTypes ||
      records->Database.FixedWordCount > ostrel::ModelDatabase::kFixedWords ||
      records->Structures.StructureCount > ostrel::StructureData::kStructures) {
    __builtin_trap();
  }

  std::string dest;
  ostrel::keyvalue::ReadKeyValueBytes(bytes, "UNITTYPE", "KM-100", &dest, true);
  const auto codes = ostrel::ModelFileParser::ExpandRangeList(bytes);
  if (codes.empty() || codes.size() > 21) __builtin_trap();
  std::vector<ostrel::FieldValue> fields;
  ostrel::keyvalue::SplitFields(bytes, "%d|%s|%f|%d", fields);
  if (fields.size() != 4) __builtin_trap();
  return 0;
}
