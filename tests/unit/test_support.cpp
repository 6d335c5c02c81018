#include "test_support.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/support/text_codec.h"

namespace ostrel::test {

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
  if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string utf16FileBytes(std::string_view utf8) {
  std::string withCrLf;
  for (char c : utf8) {
    if (c == '\n') withCrLf.push_back('\r');
    withCrLf.push_back(c);
  }
  std::string out("\xFF\xFE", 2);
  for (char16_t u : utf8ToUtf16(withCrLf)) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

std::vector<std::string> folderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::filesystem::path sourceDataDir() { return OSTREL_SOURCE_DATA_DIR; }

int RecordingPresenter::nextAnswer() {
  if (answers.empty()) return answer;
  const int next = answers.front();
  answers.pop_front();
  return next;
}

int RecordingPresenter::messageBox(const std::string& text, unsigned style) {
  messages.push_back({"box", text, {}, style});
  return nextAnswer();
}

int RecordingPresenter::platformMessageBox(const std::string& text, unsigned style) {
  messages.push_back({"platform", text, {}, style});
  return nextAnswer();
}

void RecordingPresenter::errorDetail(const std::string& message, const std::string& details) {
  messages.push_back({"error", message, details, 0});
}

}  // namespace ostrel::test
