#pragma once
// Records a model file can fill, allocated together for the model tests.

#include <memory>
#include <string>
#include <string_view>

#include "core/config/unit_configuration.h"
#include "core/model/help_topic_table.h"
#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_images.h"
#include "core/model/program_identity.h"
#include "core/model/session_flags.h"
#include "core/model/structure_data.h"
#include "core/support/app_settings.h"
#include "core/support/language_table.h"
#include "test_support.h"

namespace ostrel::test {

struct ModelRecords {
  ProgramIdentity identity;
  ModelDatabase database;
  ModelImages images;
  StructureData structure;
  HelpTopicTable help;
  AppSettings settings;
  UnitConfiguration unit;
  SessionFlags flags;
  LanguageTable language;

  ModelRecords() {
    ResetModelDatabase(database, images, &flags);
    ResetStructureData(structure);
  }

  ModelTargets targets() {
    ModelTargets t;
    t.identity = &identity;
    t.database = &database;
    t.images = &images;
    t.structure = &structure;
    t.helpTopics = &help;
    t.settings = &settings;
    t.unit = &unit;
    t.flags = &flags;
    t.language = &language;
    return t;
  }

  // A two-column language file with the texts the parser looks up.
  void loadLanguage(const TempDir& dir) {
    writeBytes(dir / "lang.txt",
               utf16FileBytes("SELECTSTR = <Select> -> <\xE9\x80\x89\xE6\x8B\xA9>\n"
                              "IDC_MODELDESCRIPTION = Model: -> \xE5\x9E\x8B\xE5\x8F\xB7:\n"
                              "STATUS_MESSAGE29 = Searching model files -> S29\n"
                              "STATUS_MESSAGE30 = Searching enciphered model files -> S30\n"));
    language.LoadPath(dir / "lang.txt");
  }
};

inline std::unique_ptr<ModelRecords> makeModelRecords() { return std::make_unique<ModelRecords>(); }

}  // namespace ostrel::test
