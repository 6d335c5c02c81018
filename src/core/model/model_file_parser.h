#pragma once
// Reads the corporate model file, the family model files and the structure
// files: one line format (see key_value_file.h), plain or enciphered
// (".fmf"). The parser only fills records and reports; what goes wrong with
// a file comes back as notices for the caller to show.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/model/fmf_cipher.h"
#include "core/support/key_value_file.h"
#include "core/support/notice.h"

namespace ostrel {

class CStdioFileEx;
class LanguageTable;
class ProgressSink;
struct AppSettings;
struct ProgramIdentity;
struct ModelDatabase;
struct ModelImages;
struct StructureData;
class HelpTopicTable;
struct SessionFlags;

// The unit's firmware text a model file's UNITTYPE lines are matched with,
// and the description of the matching entry (IDC_MODELDESCRIPTION and the
// UNIT DESCRIPTION line of the same index).
struct UnitTypeMatch {
  std::string Firmware;
  std::string Description;
};

// Everything a model file can write into. Null pointers are allowed for
// records a caller does not have (the lines for them are then ignored).
struct ModelTargets {
  ProgramIdentity* identity = nullptr;
  ModelDatabase* database = nullptr;
  ModelImages* images = nullptr;
  StructureData* structure = nullptr;
  HelpTopicTable* helpTopics = nullptr;
  AppSettings* settings = nullptr;
  UnitTypeMatch* unitType = nullptr;
  SessionFlags* flags = nullptr;
  const LanguageTable* language = nullptr;  // SELECTSTR, IDC_MODELDESCRIPTION
};

class ModelFileParser {
 public:
  explicit ModelFileParser(ModelTargets targets = {}) : targets_(targets) {}

  void setTargets(ModelTargets targets) { targets_ = targets; }
  void setModelsFolder(std::filesystem::path folder) { modelsFolder_ = std::move(folder); }
  const std::filesystem::path& modelsFolder() const { return modelsFolder_; }
  // Where LoadModelFile with a progress value shows it (the busy window).
  void setProgressSink(ProgressSink* sink) { progress_ = sink; }

  // Applies every line of a text file. 0 when read; 1 (nothing changed) when
  // the file cannot be opened.
  int Parse(const std::filesystem::path& path);

  // Applies the lines of text held in memory (a deciphered file, say);
  // sourceName stands for the file's path where the path matters. False
  // when the text cannot be read.
  bool ParseBytes(std::string bytes, const std::filesystem::path& sourceName);

  // Resolves the file form (".txt", ".fmf", or neither given: ".fmf" first),
  // deciphers an ".fmf" in memory and parses it. True when a file was found
  // and could be read; an ".fmf" that does not decipher into text (made with
  // another key, or damaged) is not usable and gives false.
  bool LoadModelFile(const std::filesystem::path& path, int progress);

  // What the reads since the last call had to say (a file that could not be
  // opened or was empty when its text form was checked).
  Notices takeNotices() { return std::exchange(notices_, {}); }

  // Expands a range list such as "1:3,5" (at most 10 numbers, 21 codes).
  static std::vector<std::int32_t> ExpandRangeList(std::string_view list);

  // The key for ".fmf" files; the project's own unless set.
  void setCipherKey(const FmfKey& key) { cipherKey_ = key; }
  const FmfKey& cipherKey() const { return cipherKey_; }

 private:
  void parseOpenFile(CStdioFileEx& file, const std::filesystem::path& sourceName);

  ModelTargets targets_;
  ProgressSink* progress_ = nullptr;
  Notices notices_;
  std::filesystem::path modelsFolder_;
  FmfKey cipherKey_ = FmfCipher::projectKey();
};

}  // namespace ostrel
