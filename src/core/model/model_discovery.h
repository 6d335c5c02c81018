#pragma once
// Finds the model file of the Models folder that serves an identified unit:
// the family's plain files first, then its enciphered ones.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/fmf_cipher.h"
#include "core/support/notice.h"

namespace ostrel {

class LanguageTable;
class ProgressSink;

class ModelDiscovery {
 public:
  ModelDiscovery(std::filesystem::path modelsFolder, const LanguageTable* language,
                 int languageColumn, ProgressSink* progress, FmfKey key = FmfCipher::projectKey());

  // Whether a file name matches a pattern of '*' (any run) and '?' (one
  // character), ignoring the case of ASCII letters.
  static bool MatchesPattern(std::string_view name, std::string_view pattern);

  // Empties list, then appends the names (without folder) of the folder's
  // regular files that match the pattern, sorted by their bytes so that the
  // order never depends on the file system. Returns the number of names.
  static int ListModelFiles(const std::filesystem::path& folder, std::string_view pattern,
                            std::vector<std::string>& list);

  // The first file named prefix + anything whose lines of the key include
  // every wanted value (ignoring case). On success destination receives the
  // file's name with its extension; otherwise it is left as it was. With a
  // progress value above 0 the search shows what it is doing on the sink.
  bool FindModelFile(std::string_view prefix, std::string_view key,
                     const std::vector<std::string>& wanted, int progress,
                     std::string& destination);

  // Plain files that could not be opened or were empty during the search.
  Notices takeNotices() { return std::exchange(notices_, {}); }

  const std::filesystem::path& modelsFolder() const { return modelsFolder_; }

 private:
  void showMessage(std::string_view textKey, int progress) const;

  std::filesystem::path modelsFolder_;
  const LanguageTable* language_;
  int languageColumn_;
  ProgressSink* progress_;
  FmfKey key_;
  Notices notices_;
};

}  // namespace ostrel
