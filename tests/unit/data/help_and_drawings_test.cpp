// The documents the configuration page opens, held against the shipped model
// files: the wiring diagram of every configuration, the help topic of every
// control (from the model's help or the family's main help), the fixed help
// files the dialogs name, and every link inside the help pages. A model file
// that names a drawing nobody made, or a help page that links to a renamed
// topic, fails here instead of in front of a technician.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <cctype>
#include <sstream>
#include <vector>
#include <set>
#include <string>
#include <vector>

#include "core/model/help_topic_table.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

fs::path dataDir() { return test::sourceDataDir(); }
fs::path helpDir() { return dataDir() / "Help"; }

// The family's model files: every KM*.txt that is not a structure file.
std::vector<fs::path> familyModelFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dataDir() / "Models")) {
    const std::string name = e.path().filename().string();
    if (e.path().extension() == ".txt" && name.rfind("KM", 0) == 0 && name.rfind("KM_", 0) != 0) {
      files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A model read as the tool reads it: the help table is built for the kind the
// file declares, then the file's help keys change it.
std::unique_ptr<ModelRecords> loadModel(const fs::path& path) {
  ModelRecords probe;
  ModelFileParser(probe.targets()).LoadModelFile(path, 0);
  auto r = std::make_unique<ModelRecords>();
  r->HelpTopics.build(probe.Database.GuidedWaveRadar != 0, probe.Database.PulseRadar != 0);
  EXPECT_TRUE(ModelFileParser(r->targets()).LoadModelFile(path, 0)) << path;
  return r;
}

std::string mainHelp() {
  ProgramIdentity identity;
  ModelTargets t;
  t.identity = &identity;
  EXPECT_EQ(ModelFileParser(t).Parse(dataDir() / "Models" / "Corporate_Model.txt"), 0);
  return identity.MainHelp;
}

// A help file name as a dialog names it ("AdvancedPulse.chm") or as a model
// names it ("KM30Help") is the folder of that name without an extension.
fs::path helpFolder(const std::string& helpFile) { return helpDir() / fs::path(helpFile).stem(); }

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(HelpAndDrawings, EveryConfigurationDrawingIsAOnePageLandscapePdf) {
  const auto models = familyModelFiles();
  ASSERT_EQ(models.size(), 5u);
  std::set<std::string> named;
  for (const fs::path& path : models) {
    const auto r = loadModel(path);
    const auto& configs = r->Database.Configurations;
    ASSERT_GT(configs.Count, 0) << path;
    for (int i = 0; i <= configs.Last; ++i) {
      const ModelConfiguration& c = configs[static_cast<std::size_t>(i)];
      if (!c.Present) continue;
      ASSERT_FALSE(c.DrawingFile.empty()) << path << " configuration " << c.Number;
      named.insert(c.DrawingFile);
    }
  }
  for (const std::string& name : named) {
    const fs::path pdf = dataDir() / "Drawings" / name;
    ASSERT_TRUE(fs::is_regular_file(pdf)) << pdf;
    const std::string bytes = test::readBytes(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-") << pdf;
    // "/Type /Pages" is the page tree; each "/Type /Page" not followed by an
    // "s" is one page.
    EXPECT_EQ(count(bytes, "/Type /Page") - count(bytes, "/Type /Pages"), 1) << pdf;
    const std::size_t box = bytes.find("/MediaBox [0 0 ");
    ASSERT_NE(box, std::string::npos) << pdf;
    std::istringstream size(bytes.substr(box + 15, 40));
    double width = 0, height = 0;
    ASSERT_TRUE(size >> width >> height) << pdf;
    EXPECT_NEAR(width, 842.0, 1.0) << pdf << ": not A4 landscape";
    EXPECT_NEAR(height, 595.0, 1.0) << pdf << ": not A4 landscape";
  }
  // Nothing in the folder that no configuration opens: a renamed drawing
  // would otherwise linger beside its successor.
  for (const auto& e : fs::directory_iterator(dataDir() / "Drawings")) {
    EXPECT_TRUE(named.count(e.path().filename().string()) == 1)
        << e.path() << " is named by no model";
  }
}

TEST(HelpAndDrawings, EveryControlTopicIsInTheModelHelpOrTheMainHelp) {
  const fs::path main = helpFolder(mainHelp());
  ASSERT_TRUE(fs::is_directory(main)) << main;
  // The main form's Help button and the default of every control without a topic.
  EXPECT_TRUE(fs::is_regular_file(main / "index.html"));
  EXPECT_TRUE(fs::is_regular_file(main / std::string(HelpTopicTable::kDefaultTopic)));

  for (const fs::path& path : familyModelFiles()) {
    const auto r = loadModel(path);
    const ModelDatabase& db = r->Database;
    ASSERT_FALSE(db.HelpFile.empty()) << path;
    const fs::path own = helpFolder(db.HelpFile);
    ASSERT_TRUE(fs::is_directory(own)) << own;

    const HelpTopicTable& table = r->HelpTopics;
    ASSERT_GT(table.count(), 50) << path;
    for (int i = 0; i < table.count(); ++i) {
      const std::string& topic = table.entry(i).Topic;
      EXPECT_TRUE(fs::is_regular_file(own / topic) || fs::is_regular_file(main / topic))
          << path.filename() << ": " << topic;
    }
    // Topics the model file gives its items describe that model's choices, so
    // they must come from its own help, not the family's general page.
    for (int item = 0; item < kHelpItemLists; ++item) {
      const std::string topic = table.lookup(helpItemList(item));
      if (topic == "CONFIGURATION_GROUP.htm") continue;
      EXPECT_TRUE(fs::is_regular_file(own / topic)) << path.filename() << ": " << topic;
    }
    if (!db.NonLinearHelpFile.empty()) {
      const fs::path nl = helpFolder(db.NonLinearHelpFile);
      EXPECT_TRUE(fs::is_regular_file(
          nl / (db.GuidedWaveRadar != 0 ? "DIMENSIONENTRY_GWR.htm" : "DIMENSIONENTRY.htm")))
          << nl;
      EXPECT_TRUE(fs::is_regular_file(nl / "OPENCHANNEL.htm")) << nl;
    }
  }

  // Help files and topics the dialogs and pages name themselves.
  const std::pair<const char*, const char*> fixed[] = {
      {"AdvancedPulse.chm", "ADVANCED_INPUTS_PULSE.htm"},
      {"INDYRELAYS.chm", "Independent Relays.htm"},
      {"StrappingTable.chm", "StrappingTable.htm"},
  };
  for (const auto& [file, topic] : fixed) {
    EXPECT_TRUE(fs::is_regular_file(helpFolder(file) / topic)) << file << " " << topic;
  }
  for (const char* topic :
       {"DEMO.htm", "DIAGNOSTICS.htm", "UPDATE_PROGRAM.htm", "UPDATE_SENSOR.htm"}) {
    EXPECT_TRUE(fs::is_regular_file(main / topic)) << topic;
  }
}

std::string percentDecoded(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool validUtf8(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t extra = c < 0x80             ? 0
                              : (c & 0xE0) == 0xC0 ? 1
                              : (c & 0xF0) == 0xE0 ? 2
                              : (c & 0xF8) == 0xF0 ? 3
                                                   : 4;
    if (extra > 3 || s.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The values of every href="..." and src="..." of a page.
std::vector<std::string> linkTargets(const std::string& text) {
  std::vector<std::string> out;
  for (const char* attribute : {"href=\"", "src=\""}) {
    const std::string a = attribute;
    for (std::size_t at = text.find(a); at != std::string::npos; at = text.find(a, at + 1)) {
      // Only a whole attribute name: "src" not inside another word.
      if (at > 0 && std::isalnum(static_cast<unsigned char>(text[at - 1]))) continue;
      const std::size_t start = at + a.size();
      const std::size_t end = text.find('"', start);
      if (end == std::string::npos) break;
      out.push_back(text.substr(start, end - start));
    }
  }
  return out;
}

TEST(HelpAndDrawings, EveryRelativeLinkOfTheHelpPagesPointsToAFile) {
  int pages = 0;
  int links = 0;
  for (const auto& e : fs::recursive_directory_iterator(helpDir())) {
    const std::string ext = e.path().extension().string();
    if (ext != ".htm" && ext != ".html") continue;
    ++pages;
    const std::string text = test::readBytes(e.path());
    EXPECT_TRUE(validUtf8(text)) << e.path();
    for (const std::string& target0 : linkTargets(text)) {
      std::string target = target0;
      if (target.empty()) {
        ADD_FAILURE() << e.path() << ": empty link";
        continue;
      }
      if (target[0] == '#' || target.find(':') != std::string::npos) continue;  // anchors, URLs
      target = percentDecoded(target.substr(0, target.find('#')));
      ++links;
      EXPECT_TRUE(fs::exists(e.path().parent_path() / target)) << e.path() << " -> " << target;
    }
  }
  EXPECT_GT(pages, 50);
  EXPECT_GT(links, 500);
}

}  // namespace
}  // namespace ostrel
