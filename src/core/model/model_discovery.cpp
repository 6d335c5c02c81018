#include "core/model/model_discovery.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/model/model_file_parser.h"
#include "core/support/language_table.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/key_value_file.h"
#include "core/support/presenter.h"
#include "core/support/text_codec.h"
#include "core/support/text_format.h"

namespace ostrel {
namespace {

std::u32string foldedCodePoints(std::string_view text) {
  std::u32string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = decodeUtf8(text, pos);
    if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
    out.push_back(c);
  }
  return out;
}

// Iterative glob match with one backtrack point: linear enough for names.
bool globMatch(const std::u32string& name, const std::u32string& pattern) {
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starP = std::u32string::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u32string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

bool readFileBytes(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

ModelDiscovery::ModelDiscovery(std::filesystem::path modelsFolder, const LanguageTable* language,
                               int languageColumn, ProgressSink* progress, FmfKey key)
    : modelsFolder_(std::move(modelsFolder)),
      language_(language),
      languageColumn_(languageColumn),
      progress_(progress),
      key_(key) {}

bool ModelDiscovery::MatchesPattern(std::string_view name, std::string_view pattern) {
  return globMatch(foldedCodePoints(name), foldedCodePoints(pattern));
}

int ModelDiscovery::ListModelFiles(const std::filesystem::path& folder, std::string_view pattern,
                                   std::vector<std::string>& list) {
  list.clear();
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return 0;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string name = it->path().filename().string();
    if (MatchesPattern(name, pattern)) list.push_back(std::move(name));
  }
  std::sort(list.begin(), list.end());
  return static_cast<int>(list.size());
}

void ModelDiscovery::showMessage(std::string_view textKey, int progress) const {
  if (progress <= 0 || progress_ == nullptr) return;
  progress_->setMessage(language_ != nullptr ? language_->Text(textKey, languageColumn_)
                                                     : std::string());
}

bool ModelDiscovery::FindModelFile(std::string_view prefix, std::string_view key,
                                   const std::vector<std::string>& wanted, int progress,
                                   std::string& destination) {
  std::vector<std::string> names;

  showMessage("STATUS_MESSAGE29", progress);
  ListModelFiles(modelsFolder_, formatText("%s*.txt", {prefix}), names);
  for (const std::string& name : names) {
    const std::filesystem::path path = modelsFolder_ / name;
    for (Notice& n : CStdioFileEx::UnicodeCheckNotices(CStdioFileEx::CheckUnicode(path))) {
      notices_.push_back(std::move(n));
    }
    const bool match = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& value) {
      return keyvalue::ReadKeyValue(path, key, value, nullptr, true);
    });
    if (match) {
      destination = name;
      return true;
    }
  }

  showMessage("STATUS_MESSAGE30", progress);
  ListModelFiles(modelsFolder_, formatText("%s*.fmf", {prefix}), names);
  const FmfCipher cipher(key_);
  for (const std::string& name : names) {
    std::string bytes;
    if (!readFileBytes(modelsFolder_ / name, bytes)) continue;
    // Deciphered in memory: no temporary file can be left behind or listed.
    const std::string text = cipher.decipherText(bytes);
    if (!FmfCipher::looksLikeText(text)) continue;  // another key's file is noise here
    const bool match = std::all_of(wanted.begin(), wanted.end(), [&](const std::string& value) {
      return keyvalue::ReadKeyValueBytes(text, key, value, nullptr, true);
    });
    if (match) {
      destination = name;
      return true;
    }
  }
  return false;
}

}  // namespace ostrel
