#include "core/firmware/update_page_model.h"

#include <gtest/gtest.h>

#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"
#include "firmware_test_files.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// A Programs folder and a model file naming program KM30, with the page
// model over them as the page holds it.
struct Page {
  Page() {
    language.LoadPath(test::sourceDataDir() / "Models" / "Ostrel_Language.txt");
    fs::create_directories(dir / "Programs");
    test::writeBytes(dir / "KM30.txt", "PROGRAMNAME = KM30\r\nUNITRANGE = 9.1M\r\n");
    UpdatePageUnit u;
    u.programsFolder = dir / "Programs";
    u.modelFile = dir / "KM30.txt";
    u.unitRange = "9.1M";
    u.softwareRevision = 412;
    model.setUnit(u);
  }
  fs::path program(const std::string& name, const std::string& pid = "KM30-U 1") {
    const fs::path p = dir / "Programs" / name;
    test::writeBytes(p, test::combinedFile(pid + std::string(1, '\0'), std::string(64, 'x'),
                                           test::packetFrame(0x28, {})));
    return p;
  }
  void setRevision(int rev) {
    UpdatePageUnit u = model.unit();
    u.softwareRevision = rev;
    model.setUnit(u);
  }
  std::string text(const char* key) const { return language.Text(key, 0, key); }
  const test::RecordedMessage& last() const { return presenter.messages.back(); }

  test::TempDir dir;
  LanguageTable language;
  test::RecordingPresenter presenter;
  UpdatePageModel model{presenter, language, 0};
};

// Picks the entry of the choice whose name is given; records the choice.
struct Pick {
  std::string name;
  ProgramChoice* seen = nullptr;
  int operator()(const ProgramChoice& c) const {
    if (seen) *seen = c;
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      if (c.names[i] == name) return static_cast<int>(i);
    }
    return -1;
  }
};

TEST(UpdatePageModel, UpdateSensorChecksTheChosenFileBeforeARunStarts) {
  Page p;
  // Nothing chosen yet.
  EXPECT_FALSE(p.model.updateSensor());
  EXPECT_EQ(p.last().text, p.text("ERROR_MESSAGE75"));
  EXPECT_EQ(p.last().style, unsigned{kStyleError});
  EXPECT_TRUE(p.model.buttonsEnabled());

  // The listing goes by the PID chunk, whatever the name ends in; Update
  // Sensor then goes by the name.
  p.program("A9ver41p4.FP2");
  p.program("A9ver41p5.fp2.fp2");
  for (const char* name : {"A9ver41p4.FP2", "A9ver41p5.fp2.fp2"}) {
    p.model.selectProgram(Pick{name});
    ASSERT_NE(p.model.fieldPath().find(name), std::string::npos) << name;
    EXPECT_FALSE(p.model.updateSensor()) << name;
    EXPECT_EQ(p.last().text, p.text("ERROR_MESSAGE103")) << name;
    EXPECT_TRUE(p.model.buttonsEnabled());
  }

  // A file that went after it was chosen.
  const fs::path gone = p.program("A9p1ver41p2.fp2");
  p.model.selectProgram(Pick{"A9p1ver41p2.fp2"});
  fs::remove(gone);
  EXPECT_FALSE(p.model.updateSensor());
  EXPECT_EQ(p.last().text, p.text("ERROR_MESSAGE70"));
  EXPECT_FALSE(p.model.running());
  EXPECT_TRUE(p.model.programPath().empty()) << "no run was started with it";

  // Cancelling the choice keeps the field as it was.
  const std::string before = p.model.fieldPath();
  p.model.selectProgram([](const ProgramChoice&) { return -1; });
  EXPECT_EQ(p.model.fieldPath(), before);

  const fs::path good = p.program("A9p1ver41p3.fp2");
  p.model.selectProgram(Pick{"A9p1ver41p3.fp2"});
  const std::size_t shown = p.presenter.messages.size();
  const auto run = p.model.updateSensor();
  ASSERT_TRUE(run);
  EXPECT_EQ(p.presenter.messages.size(), shown) << "a fitting file is programmed without asking";
  EXPECT_EQ(run->path, good);
  EXPECT_EQ(run->kind, ProgramKind::Fp2);
  EXPECT_EQ(run->programNames, std::vector<std::string>{"KM30"});
  EXPECT_FALSE(run->forceUnfit);
  EXPECT_TRUE(p.model.running());
  EXPECT_FALSE(p.model.buttonsEnabled());
  EXPECT_EQ(p.model.statusText(), "0%");
  EXPECT_EQ(p.model.programPath(), good);

  // The page is not left, and no second run starts, while one is under way.
  EXPECT_FALSE(p.model.leave());
  p.model.progressValue(457);
  EXPECT_EQ(p.model.progress(), 457);
  EXPECT_EQ(p.model.statusText(), "45%");
  EXPECT_FALSE(p.model.activate(true)) << "coming back to the page starts nothing";
  EXPECT_FALSE(p.model.buttonsEnabled());
  EXPECT_EQ(p.model.statusText(), "45%");
}

TEST(UpdatePageModel, AFileOfAnotherProgramRunsOnlyWhenTheUserForcesIt) {
  Page p;
  // Chosen while the page served a unit of program KM50; Update Sensor
  // then runs for a KM30 unit.
  p.program("A15p2ver10p6.fp2", "KM50-GWR 10.6");
  test::writeBytes(p.dir / "Other.txt", "PROGRAMNAME = KM50\r\n");
  const UpdatePageUnit km30 = p.model.unit();
  UpdatePageUnit km50 = km30;
  km50.modelFile = p.dir / "Other.txt";
  p.model.setUnit(km50);
  p.model.selectProgram(Pick{"A15p2ver10p6.fp2"});
  ASSERT_FALSE(p.model.fieldPath().empty());
  p.model.setUnit(km30);

  p.presenter.answers = {kResultNo};
  EXPECT_FALSE(p.model.updateSensor());
  EXPECT_EQ(p.last().text, formatText(p.text(UpdatePageModel::kUnfitQuestionKey), {"KM50"}));
  EXPECT_EQ(p.last().style & 0x0F, unsigned{kStyleYesNo});
  EXPECT_FALSE(p.model.running());
  EXPECT_TRUE(p.model.buttonsEnabled());

  p.presenter.answers = {kResultYes};
  const auto run = p.model.updateSensor();
  ASSERT_TRUE(run);
  EXPECT_TRUE(run->forceUnfit);
  EXPECT_EQ(run->programNames, std::vector<std::string>{"KM30"});
}

TEST(UpdatePageModel, TheResultDecidesWhatThePageShowsAndWhetherTheUnitIsReconnected) {
  Page p;
  p.program("A9p1ver41p3.fp2");
  const auto startRun = [&p] {
    p.model.selectProgram(Pick{"A9p1ver41p3.fp2"});
    ASSERT_TRUE(p.model.updateSensor());
    p.model.progressValue(990);
  };

  // A result without a run changes nothing but the buttons.
  EXPECT_FALSE(p.model.complete(0).reconnect);
  EXPECT_TRUE(p.presenter.messages.empty());

  startRun();
  const std::size_t shown = p.presenter.messages.size();
  EXPECT_TRUE(p.model.complete(0).reconnect);
  EXPECT_EQ(p.model.statusText(), p.text("BUSY_MESSAGE11"));
  EXPECT_EQ(p.model.progress(), 0);
  EXPECT_TRUE(p.model.buttonsEnabled());
  EXPECT_TRUE(p.model.leave());
  EXPECT_EQ(p.presenter.messages.size(), shown) << "a good run is left without a warning";

  startRun();
  EXPECT_FALSE(p.model.complete(1).reconnect);
  EXPECT_EQ(p.model.statusText(), p.text("BUSY_MESSAGE14"));
  EXPECT_EQ(p.presenter.messages.size(), shown);

  startRun();
  EXPECT_FALSE(p.model.complete(-10).reconnect);
  EXPECT_EQ(p.presenter.messages.size(), shown);

  startRun();
  EXPECT_FALSE(p.model.complete(-4).reconnect);
  ASSERT_EQ(p.presenter.messages.size(), shown + 1);
  EXPECT_EQ(p.last().text, formatText(p.text("ERROR_MESSAGE104"), {-4}));
  EXPECT_NE(p.last().text.find("-4"), std::string::npos);
  EXPECT_EQ(p.last().style, unsigned{kStyleError});
  EXPECT_EQ(p.model.errorText(), p.last().text);
  EXPECT_EQ(p.model.progress(), 0);

  // Leaving after a failed run warns, every time, until the page is
  // activated again.
  EXPECT_TRUE(p.model.leave());
  EXPECT_EQ(p.last().text, p.text("STATUS_MESSAGE44"));
  EXPECT_EQ(p.last().style, unsigned{kStyleInformation});
  EXPECT_TRUE(p.model.leave());
  EXPECT_EQ(p.presenter.messages.size(), shown + 3);
  p.model.activate(false);
  EXPECT_TRUE(p.model.leave());
  EXPECT_EQ(p.presenter.messages.size(), shown + 3);
  // The field shows the path of the last run again.
  EXPECT_EQ(p.model.fieldPath(), (p.dir / "Programs" / "A9p1ver41p3.fp2").string());
  EXPECT_TRUE(p.model.statusText().empty());
}

TEST(UpdatePageModel, TheOfferComparesTheUnitsRevisionWithTheFittingFiles) {
  Page p;
  // No fitting file: said every time, nothing offered.
  p.program("A15p2ver10p6.fp2", "KM50-GWR 10.6");
  test::writeBytes(p.dir / "Programs" / "short", "PID");
  EXPECT_FALSE(p.model.OfferUpdate(Pick{"A15p2ver10p6.fp2"}));
  ASSERT_EQ(p.presenter.messages.size(), 1u);
  EXPECT_EQ(p.last().kind, "platform");
  EXPECT_EQ(p.last().text, "No firmware files found!");

  // The same version as the unit's, and an "old" file of a higher one.
  p.program("A9p1ver41p2.fp2");
  p.program("A9p1ver90old.fp2");
  EXPECT_FALSE(p.model.OfferUpdate(Pick{"A9p1ver41p2.fp2"}));
  EXPECT_EQ(p.presenter.messages.size(), 1u);

  // A newer file: offered; the choice lists every fitting file, largest
  // version text first.
  p.program("A9p1ver41p3.fp2");
  ProgramChoice seen;
  p.presenter.answers = {kResultYes};
  EXPECT_TRUE(p.model.OfferUpdate(Pick{"A9p1ver41p2.fp2", &seen}));
  EXPECT_EQ(p.last().text, p.text("STATUS_MESSAGE51"));
  EXPECT_EQ(p.last().style & 0x0F, unsigned{kStyleYesNo});
  EXPECT_EQ(seen.names, (std::vector<std::string>{"A9p1ver90old.fp2", "A9p1ver41p3.fp2",
                                                  "A9p1ver41p2.fp2"}));
  EXPECT_EQ(seen.entries[1], "9.1M " + p.text("IDVERSION") + " 41.3");
  EXPECT_EQ(seen.currentRange, "9.1M");
  EXPECT_EQ(seen.currentVersion, "41.2");
  // The user's choice, not the newest, becomes the page's path.
  EXPECT_EQ(p.model.programPath(), p.dir / "Programs" / "A9p1ver41p2.fp2");
  EXPECT_TRUE(p.model.activate(true)) << "the run starts by itself after an accepted offer";
  EXPECT_FALSE(p.model.buttonsEnabled());
  EXPECT_FALSE(p.model.activate(true)) << "but only once";
  EXPECT_TRUE(p.model.buttonsEnabled());

  // Declined, or accepted with nothing chosen: no offer taken.
  UpdatePageModel fresh(p.presenter, p.language, 0);
  fresh.setUnit(p.model.unit());
  p.presenter.answers = {kResultNo};
  EXPECT_FALSE(fresh.OfferUpdate(Pick{"A9p1ver41p3.fp2"}));
  p.presenter.answers = {kResultYes};
  EXPECT_FALSE(fresh.OfferUpdate([](const ProgramChoice&) { return -1; }));
  EXPECT_TRUE(fresh.programPath().empty());

  // Below revision 10 an update is offered whatever the files' versions.
  p.setRevision(5);
  p.presenter.answers = {kResultNo};
  EXPECT_FALSE(p.model.OfferUpdate(Pick{""}));
  EXPECT_EQ(p.last().text, p.text("STATUS_MESSAGE52"));
  p.setRevision(41);
  EXPECT_EQ(p.model.choiceFor({}).currentVersion, "4.1");
}

TEST(UpdatePageModel, TheSamplePageOffersNoButtons) {
  Page p;
  UpdatePageUnit u = p.model.unit();
  u.stubbed = true;
  p.model.setUnit(u);
  EXPECT_FALSE(p.model.activate(true));
  EXPECT_FALSE(p.model.buttonsEnabled());
}

}  // namespace
}  // namespace ostrel
