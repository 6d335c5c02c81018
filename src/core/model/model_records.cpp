#include "core/model/model_records.h"

namespace ostrel {

ModelRecords::ModelRecords() {
  ResetModelDatabase(Database, Images, &Flags);
  ResetStructureData(Structures);
}

ModelTargets ModelRecords::targets() {
  ModelTargets t;
  t.identity = &Identity;
  t.database = &Database;
  t.images = &Images;
  t.structure = &Structures;
  t.helpTopics = &HelpTopics;
  t.settings = &Values;
  t.unitType = &UnitType;
  t.flags = &Flags;
  t.language = &Language;
  return t;
}

}  // namespace ostrel
