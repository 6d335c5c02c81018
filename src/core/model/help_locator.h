#pragma once
// Which help page a topic opens. Help files are folders of HTML topics in
// the Help folder, one per help file name; a model's own help holds what is
// particular to it and the family's main help holds everything else.

#include <filesystem>
#include <string>
#include <string_view>

namespace ostrel {

// The help files in play for the loaded model.
struct HelpFiles {
  std::filesystem::path Folder;  // the Help folder
  std::string ModelHelp;         // the model's HELPFILE; empty when no model is loaded
  std::string MainHelp;          // the family's MAINHELP
};

struct HelpLocation {
  // The page to open; empty when neither help holds the topic.
  std::filesystem::path File;
  // The model names a help file that is not installed. The topic still opens
  // from the main help when it is there, but the user is told.
  bool ModelHelpMissing = false;

  bool found() const { return !File.empty(); }
  // Whether the user is to see the missing-file message.
  bool reportMissing() const { return ModelHelpMissing || !found(); }
};

class HelpLocator {
 public:
  static constexpr std::string_view kDefaultTopic = "GETTING_STARTED.htm";
  // The message for a help file that cannot be found or opened.
  static constexpr std::string_view kMissingMessage = "ERROR_MESSAGE70";

  // The topic (empty: the default topic) from the model's help when that
  // help holds it, else from the main help.
  static HelpLocation locate(const HelpFiles& files, std::string_view topic);

  // The folder of a help file name inside the Help folder. Names may still
  // carry the compiled-help extension ("AdvancedPulse.chm"); the folder is
  // named without it. Empty for an empty name or one that is not a plain
  // file name.
  static std::filesystem::path helpFolder(const std::filesystem::path& helpRoot,
                                          std::string_view helpFile);

  // The topic's page inside a help folder, or empty. Topic names come from
  // model files written on a case-blind system, so a page whose name
  // differs only in case is taken when the exact name is not there.
  static std::filesystem::path topicFile(const std::filesystem::path& folder,
                                         std::string_view topic);
};

}  // namespace ostrel
