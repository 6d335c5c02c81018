#include "core/model/help_locator.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// Names from model files are joined onto the Help folder: nothing may climb
// out of it or reach into a subfolder.
bool plainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\") == std::string_view::npos && name.find('\0') == name.npos;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool isDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

}  // namespace

fs::path HelpLocator::helpFolder(const fs::path& helpRoot, std::string_view helpFile) {
  if (!plainName(helpFile)) return {};
  const fs::path asNamed = helpRoot / fs::path(std::string(helpFile));
  if (isDirectory(asNamed)) return asNamed;
  const fs::path stem = fs::path(std::string(helpFile)).stem();
  if (!stem.empty() && stem.string() != helpFile && plainName(stem.string())) {
    return helpRoot / stem;
  }
  return asNamed;
}

fs::path HelpLocator::topicFile(const fs::path& folder, std::string_view topic) {
  if (folder.empty() || !plainName(topic)) return {};
  std::error_code ec;
  const fs::path exact = folder / fs::path(std::string(topic));
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (sameIgnoringCase(it->path().filename().string(), topic) && it->is_regular_file(ec)) {
      return it->path();
    }
  }
  return {};
}

HelpLocation HelpLocator::locate(const HelpFiles& files, std::string_view topic) {
  if (topic.empty()) topic = kDefaultTopic;
  HelpLocation result;
  if (!files.ModelHelp.empty()) {
    const fs::path model = helpFolder(files.Folder, files.ModelHelp);
    if (isDirectory(model)) {
      result.File = topicFile(model, topic);
      if (result.found()) return result;
    } else {
      result.ModelHelpMissing = true;
    }
  }
  result.File = topicFile(helpFolder(files.Folder, files.MainHelp), topic);
  return result;
}

}  // namespace ostrel
