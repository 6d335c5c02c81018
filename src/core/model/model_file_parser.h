#pragma once
// Reads the corporate model file, the family model files, the structure files
// and the settings file: one line format, plain or enciphered (".fmf").
//
// NOTE for whoever completes this file: the public functions below are the
// contract other parts of core already call (the settings store uses Parse,
// ReadKeyValue and RewriteKeyValue). Private members and further public
// helpers may be added freely.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ostrel {

class LanguageTable;
class Presenter;
struct AppSettings;
struct UnitConfiguration;
struct ProgramIdentity;
struct ModelDatabase;
struct ModelImages;
struct StructureData;
class HelpTopicTable;
struct SessionFlags;

// Everything a model file can write into. Null pointers are allowed for
// records a caller does not have (the lines for them are then ignored).
struct ModelTargets {
  ProgramIdentity* identity = nullptr;
  ModelDatabase* database = nullptr;
  ModelImages* images = nullptr;
  StructureData* structure = nullptr;
  HelpTopicTable* helpTopics = nullptr;
  AppSettings* settings = nullptr;
  UnitConfiguration* unit = nullptr;
  SessionFlags* flags = nullptr;
  const LanguageTable* language = nullptr;  // SELECTSTR, IDC_MODELDESCRIPTION
};

// One converted field of a '|' list.
using FieldValue = std::variant<std::int32_t, double, std::string>;

enum class RewriteResult {
  Rewritten,   // every line with the key carries the new value
  KeyMissing,  // the file was rewritten, but no line carried the key
  Failed,      // the file could not be read or written; it is unchanged
};

class ModelFileParser {
 public:
  ModelFileParser(ModelTargets targets, Presenter* presenter);

  void setTargets(ModelTargets targets) { targets_ = targets; }
  void setModelsFolder(std::filesystem::path folder) { modelsFolder_ = std::move(folder); }
  const std::filesystem::path& modelsFolder() const { return modelsFolder_; }

  // Applies every line of a text file. 0 when read; 1 (nothing changed) when
  // the file cannot be opened.
  int Parse(const std::filesystem::path& path);

  // Resolves the file form (".txt", ".fmf", or neither given: ".fmf" first),
  // deciphers an ".fmf" in memory and parses it. True when a file was found
  // and could be read.
  bool LoadModelFile(const std::filesystem::path& path, int progress);

  // Reads a '|' separated value by a format of "%d|", "%f|" and "%s|" items.
  // Returns the number of items converted; out receives one value per item.
  static int SplitFields(std::string_view value, std::string_view format,
                         std::vector<FieldValue>& out);

  // Expands a range list such as "1:3,5" (at most 10 numbers, 21 codes).
  static std::vector<std::int32_t> ExpandRangeList(std::string_view list);

  // First line of the key: copies its value to dest (if given) and yields
  // whether it equals compare ignoring case. With scanAll, any line of the
  // key carrying the text gives true.
  bool ReadKeyValue(const std::filesystem::path& path, std::string_view key,
                    std::string_view compare, std::string* dest, bool scanAll) const;

  // Rewrites the file as "key = value" lines, every line of the key with the
  // new value. Written completely to a temporary file, then renamed into place.
  RewriteResult RewriteKeyValue(const std::filesystem::path& path, std::string_view key,
                                std::string_view newValue) const;

 private:
  ModelTargets targets_;
  Presenter* presenter_;
  std::filesystem::path modelsFolder_;
};

}  // namespace ostrel
