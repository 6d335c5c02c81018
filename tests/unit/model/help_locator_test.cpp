#include "core/model/help_locator.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

HelpFiles shipped(std::string modelHelp) {
  return HelpFiles{test::sourceDataDir() / "Help", std::move(modelHelp), "OstrelHelp"};
}

TEST(HelpLocator, ModelHelpFirstThenMainHelpOverTheShippedPages) {
  const fs::path help = test::sourceDataDir() / "Help";

  // The model's own page wins over the main help's page of the same name.
  HelpLocation at = HelpLocator::locate(shipped("KM30Help"), "FAILSAFE.htm");
  EXPECT_EQ(at.File, help / "KM30Help" / "FAILSAFE.htm");
  EXPECT_FALSE(at.reportMissing());

  // A topic the model's help lacks comes from the main help; so does the
  // default topic of a control without an entry.
  at = HelpLocator::locate(shipped("KM30Help"), "WRITE_TO_UNIT.htm");
  EXPECT_EQ(at.File, help / "OstrelHelp" / "WRITE_TO_UNIT.htm");
  EXPECT_FALSE(at.reportMissing());
  at = HelpLocator::locate(shipped("KM50Help"), "");
  EXPECT_EQ(at.File, help / "OstrelHelp" / "GETTING_STARTED.htm");

  // A compiled-help name maps to its folder.
  at = HelpLocator::locate(shipped("AdvancedPulse.chm"), "ADVANCED_INPUTS_PULSE.htm");
  EXPECT_EQ(at.File, help / "AdvancedPulse" / "ADVANCED_INPUTS_PULSE.htm");

  // No model loaded yet: the main help, and nothing to report.
  at = HelpLocator::locate(shipped(""), "TANKS.htm");
  EXPECT_EQ(at.File, help / "OstrelHelp" / "TANKS.htm");
  EXPECT_FALSE(at.reportMissing());
}

TEST(HelpLocator, MissingHelpIsReported) {
  const fs::path help = test::sourceDataDir() / "Help";

  // The model names a help file that is not installed: reported, and the
  // topic still opens from the main help.
  HelpLocation at = HelpLocator::locate(shipped("KM99Help"), "TANKS.htm");
  EXPECT_TRUE(at.ModelHelpMissing);
  EXPECT_TRUE(at.reportMissing());
  EXPECT_EQ(at.File, help / "OstrelHelp" / "TANKS.htm");

  // Neither help holds the topic, or the main help is missing too.
  at = HelpLocator::locate(shipped("KM30Help"), "NO_SUCH_TOPIC.htm");
  EXPECT_FALSE(at.found());
  EXPECT_TRUE(at.reportMissing());
  at = HelpLocator::locate(HelpFiles{help, "KM30Help", "GoneHelp"}, "TANKS.htm");
  EXPECT_FALSE(at.found());

  // Names from a model file cannot reach outside their help folder.
  at = HelpLocator::locate(shipped("KM30Help"), "../OstrelHelp/TANKS.htm");
  EXPECT_FALSE(at.found());
  at = HelpLocator::locate(shipped(".."), "UpdateDriver.html");
  EXPECT_TRUE(at.ModelHelpMissing);
  EXPECT_FALSE(at.found());
}

TEST(HelpLocator, TopicNamesMatchWithoutCaseWhenTheExactNameIsMissing) {
  test::TempDir dir;
  fs::create_directories(dir / "ModelHelp");
  fs::create_directories(dir / "MainHelp");
  test::writeBytes(dir / "ModelHelp" / "Relay_Function.htm", "<html></html>");
  test::writeBytes(dir / "MainHelp" / "RELAY_FUNCTION.htm", "<html></html>");
  test::writeBytes(dir / "MainHelp" / "relay_function.htm", "<html></html>");

  const HelpFiles files{dir.path(), "ModelHelp", "MainHelp"};
  EXPECT_EQ(HelpLocator::locate(files, "RELAY_FUNCTION.htm").File,
            dir / "ModelHelp" / "Relay_Function.htm");
  // An exact name is preferred over one that differs in case.
  EXPECT_EQ(HelpLocator::locate(HelpFiles{dir.path(), "", "MainHelp"}, "relay_function.htm").File,
            dir / "MainHelp" / "relay_function.htm");
}

}  // namespace
}  // namespace ostrel
