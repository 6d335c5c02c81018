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

#include "core/model/fmf_cipher.h"

namespace ostrel {

class CStdioFileEx;
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

// One line of a model file as the line reader splits it.
struct ModelLine {
  std::string Key;    // text before the first '[' or '=', blanks trimmed
  std::string Value;  // text after the first '=' (whole line without one), blanks trimmed
  bool HasEquals = false;
  std::int32_t Written1 = 0;  // first index as the file writes it (from 1; 0 when absent)
  std::int32_t Index1 = -1;   // Written1 - 1
  std::int32_t Index2 = 0;    // second index as written (from 0)
  bool Append1 = true;        // "[+" or no usable first index: next free slot
  bool Append2 = false;       // second bracket pair starts with '+'
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

  // Reads a '|' separated value by a format of "%d|", "%f|" and "%s|" items
  // (any other item reads text). out receives one value per item; items past
  // the end of the value store 0 or empty text. Returns the number of items
  // the value had a field for.
  static int SplitFields(std::string_view value, std::string_view format,
                         std::vector<FieldValue>& out);

  // Expands a range list such as "1:3,5" (at most 10 numbers, 21 codes).
  static std::vector<std::int32_t> ExpandRangeList(std::string_view list);

  // Reads the next line that is not empty once its comment (from the first
  // apostrophe) is cut. False at the end of the file.
  static bool ReadLine(CStdioFileEx& file, ModelLine& line);

  // Splits one line (comment already cut) into key, value and indices.
  static ModelLine SplitLine(std::string_view text);

  // Applies the lines of text held in memory (a deciphered file, say);
  // sourceName stands for the file's path where the path matters.
  void ParseBytes(std::string bytes, const std::filesystem::path& sourceName);

  // ReadKeyValue over text held in memory.
  static bool ReadKeyValueBytes(std::string bytes, std::string_view key, std::string_view compare,
                                std::string* dest, bool scanAll);

  // The key for ".fmf" files; the project's own unless set.
  void setCipherKey(const FmfKey& key) { cipherKey_ = key; }
  const FmfKey& cipherKey() const { return cipherKey_; }

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
  void parseOpenFile(CStdioFileEx& file, const std::filesystem::path& sourceName);

  ModelTargets targets_;
  Presenter* presenter_;
  std::filesystem::path modelsFolder_;
  FmfKey cipherKey_ = FmfCipher::projectKey();
};

}  // namespace ostrel
