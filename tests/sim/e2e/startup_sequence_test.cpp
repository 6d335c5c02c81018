// The startup procedure without a window: identification and model loading
// against simulated units, one unit after another in the same session, as
// "Try Again" and "Sample Program" run them.

#include "core/session/startup_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

#include "core/model/fmf_cipher.h"
#include "core/session/app_context.h"
#include "core/support/presenter.h"
#include "sim/page_unit.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using sim::PageUnit;
using sim::PageUnitKind;

class SilentView final : public StartupView {
 public:
  void statusText(const std::string& text) override { status = text; }
  void captionLine(const std::string&) override {}
  void progress(int) override {}
  void startButtons(bool) override {}
  void troubleshootLink(bool) override {}
  std::string status;
};

// An ultrasonic unit whose factory page and information memory name a model
// no shipped file serves.
std::shared_ptr<PageUnit> unknownModelUnit() {
  auto unit = std::make_shared<PageUnit>(PageUnitKind::Ultrasonic);
  sim::UnitMemories m = unit->memories();
  std::fill_n(m.factory.begin() + 138, 16, 0);
  std::memcpy(m.factory.data() + 138, "ZX90-U", 6);
  std::fill_n(m.info.begin() + 14, 16, 0);
  std::memcpy(m.info.data() + 14, "ZX90-1000", 9);
  unit->setMemories(m);
  return unit;
}

class StartupRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    auto driver = std::make_unique<sim::SimulatedCableDriver>(
        std::make_shared<PageUnit>(PageUnitKind::GuidedWave));
    driver_ = driver.get();
    UnitLink::Timing timing;
    timing.listenMs = 1200;
    timing.framePhaseMs = 150;
    timing.wakeReplyMs = 200;
    ctx_ = std::make_unique<AppContext>(WorkFolders::build(root_.path(), installedDataDir()),
                                        root_.path() / "config", presenter_, std::move(driver),
                                        timing);
    std::string error;
    ASSERT_TRUE(ctx_->prepareFolders(error)) << error;
    ASSERT_TRUE(ctx_->loadCorporateModel());
    ASSERT_EQ(ctx_->loadLanguage(), 0);
    ASSERT_TRUE(ctx_->installSettingsKey());
    int code = 0;
    ASSERT_FALSE(ctx_->loadSettings(code)) << code;
    ctx_->Link->StartServiceThread();
    sequence_ = std::make_unique<StartupSequence>(*ctx_);
  }
  void TearDown() override {
    sequence_.reset();
    ctx_.reset();
  }

  // The next unit on the line: the link is closed, as after a failed operation.
  void attach(std::shared_ptr<sim::SimUnit> unit) {
    ctx_->Link->Close();
    driver_->attach(0, std::move(unit));
  }

  StartupSequence::Outcome connect() { return sequence_->ConnectSequence(view_); }

  test::TempDir root_;
  NullPresenter presenter_;
  SilentView view_;
  sim::SimulatedCableDriver* driver_ = nullptr;
  std::unique_ptr<AppContext> ctx_;
  std::unique_ptr<StartupSequence> sequence_;
};

TEST_F(StartupRoad, NothingOfTheLastUnitOutlivesTheNextIdentification) {
  ASSERT_EQ(connect(), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->State.Kind, UnitKind::GuidedWave);
  EXPECT_EQ(ctx_->Unit.modelFileName, "KM50_GuidedWave.txt");
  ASSERT_GT(ctx_->Database.UnitTypeCount, 0);

  // A unit no model serves: no model of the guided-wave unit may stay loaded
  // for a maker who opens the main form anyway.
  attach(unknownModelUnit());
  EXPECT_EQ(connect(), StartupSequence::Outcome::NotIdentified);
  EXPECT_EQ(ctx_->State.Kind, UnitKind::Ultrasonic);
  EXPECT_TRUE(ctx_->Unit.modelFileName.empty());
  EXPECT_EQ(ctx_->Database.UnitTypeCount, 0);
  EXPECT_EQ(ctx_->Database.ConfigItems.Count, 0);

  // A radar, then a line where nothing answers: the failed identification
  // leaves no kind behind.
  attach(std::make_shared<sim::PulseRadarUnit>());
  ASSERT_EQ(connect(), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->State.Kind, UnitKind::PulseRadar);
  attach(nullptr);
  EXPECT_NE(connect(), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->State.Kind, UnitKind::None);
}

TEST_F(StartupRoad, SampleProgramListsWhatTheModelsFolderHoldsNow) {
  ASSERT_EQ(connect(), StartupSequence::Outcome::Identified);
  ASSERT_EQ(sequence_->SampleProgram(view_), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->State.Kind, UnitKind::Sample);
  const std::vector<std::string> first = ctx_->SampleModelNames;
  ASSERT_TRUE(std::find(first.begin(), first.end(), "KM40") != first.end());

  // The U-type model goes away between two runs: the second list drops it.
  fs::remove(ctx_->Folders.Models / "KM40_UType.txt");
  fs::remove(ctx_->Folders.Models / "KM40_UType.fmf");
  ASSERT_EQ(sequence_->SampleProgram(view_), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->SampleModelNames.size(), first.size() - 1);
  EXPECT_TRUE(std::find(ctx_->SampleModelNames.begin(), ctx_->SampleModelNames.end(), "KM40") ==
              ctx_->SampleModelNames.end());
  EXPECT_EQ(ctx_->SampleModelNames.size(), ctx_->SampleModelFiles.size());
}

TEST_F(StartupRoad, TheFormThatMatchedIsTheOneLoaded) {
  // An enciphered file of the same name that serves another unit.
  const fs::path models = ctx_->Folders.Models;
  std::ofstream(models / "KM50_GuidedWave.fmf", std::ios::binary | std::ios::trunc)
      << FmfCipher().encipher("UNITTYPE[1] = KM99\r\nMAXHEAD = other unit\r\n");
  ASSERT_EQ(connect(), StartupSequence::Outcome::Identified);
  EXPECT_EQ(ctx_->Unit.modelFileName, "KM50_GuidedWave.txt");
  EXPECT_EQ(ctx_->Database.UnitTypes[0], "KM50");
  EXPECT_NE(ctx_->Database.MaxHead, "other unit");
}

}  // namespace
}  // namespace ostrel
