#pragma once
// Every record a model file can fill, kept together. The running tool holds
// them in its session; the command-line tool, the tests and the fuzz targets
// hold one set of their own to read a model file on its own.

#include "core/model/help_topic_table.h"
#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_images.h"
#include "core/model/program_identity.h"
#include "core/model/session_flags.h"
#include "core/model/structure_data.h"
#include "core/support/app_settings.h"
#include "core/support/language_table.h"

namespace ostrel {

struct ModelRecords {
  ModelRecords();

  // Where a parser writes: every record of this set.
  ModelTargets targets();

  ProgramIdentity Identity;
  ModelDatabase Database;
  ModelImages Images;
  StructureData Structures;
  SessionFlags Flags;
  HelpTopicTable HelpTopics;
  LanguageTable Language;
  AppSettings Values;
  // The firmware text UNITTYPE lines are matched with, and what matched.
  UnitTypeMatch UnitType;
};

}  // namespace ostrel
