#pragma once
// Helpers shared by the core tests: scratch folders, file contents, and a
// presenter that records what the code under test asked to show.

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/support/presenter.h"

namespace ostrel::test {

// A fresh folder under the system's temporary folder, removed on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeBytes(const std::filesystem::path& path, std::string_view bytes);
std::string readBytes(const std::filesystem::path& path);
// The names of a folder's entries, sorted.
std::vector<std::string> folderNames(const std::filesystem::path& folder);

// The UTF-16LE bytes (with mark FF FE) of UTF-8 text, LF written as CR LF.
std::string utf16FileBytes(std::string_view utf8);

// The data folder shipped with the tool.
std::filesystem::path sourceDataDir();

struct RecordedMessage {
  std::string kind;  // "box", "platform", "error"
  std::string text;
  std::string details;
  unsigned style = 0;
};

class RecordingProgress final : public ProgressSink {
 public:
  void setMessage(const std::string& text) override { messages.push_back(text); }
  void setProgress(int percent) override { steps.push_back(percent); }
  int progress() const override { return steps.empty() ? 0 : steps.back(); }
  std::vector<std::string> messages;
  std::vector<int> steps;
};

class RecordingPresenter final : public Presenter {
 public:
  int messageBox(const std::string& text, unsigned style) override;
  int platformMessageBox(const std::string& text, unsigned style) override;
  void errorDetail(const std::string& message, const std::string& details) override;
  ProgressSink& busy() override { return progress; }

  std::vector<RecordedMessage> messages;
  RecordingProgress progress;
  int answer = kResultOk;  // what every message box returns once `answers` is used up
  std::deque<int> answers;  // the next boxes' answers, in turn

 private:
  int nextAnswer();
};

}  // namespace ostrel::test
