// The write road's gate: a finding is shown, an error stops the write
// without a question, a warning asks whether to write anyway; and no write
// starts without a unit to write to.
#include "core/config/config_page_writer.h"

#include <gtest/gtest.h>

#include "core/config/unit_configuration.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"

namespace ostrel {
namespace {

struct Road {
  Road() : records(test::shippedModel("KM30_Ultrasonic.txt")) {
    services.records = records.get();
    services.presenter = &presenter;
    writer = std::make_unique<ConfigPageWriter>(
        services, PageRecords{&config, &volume, &rows, &radar});
  }
  std::string text(const char* key) const { return records->Language.Text(key, 0, key); }
  std::unique_ptr<ModelRecords> records;
  test::RecordingPresenter presenter;
  ConfigPageServices services;
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
  RadarAdvancedState radar;
  std::unique_ptr<ConfigPageWriter> writer;
};

ValueCheckResult finding(CheckOutcome outcome) {
  ValueCheckResult r;
  r.outcome = outcome;
  r.headingKey = outcome == CheckOutcome::Error ? "ERROR_MESSAGE46" : "ERROR_MESSAGE49";
  r.notice = Notice::message(outcome == CheckOutcome::Error ? "ERROR_MESSAGE47" : "ERROR_MESSAGE50",
                             {"Fill Height", 20.0}, kStyleInformation);
  return r;
}

TEST(ConfigPageWriter, AnErrorStopsAWarningAsksAndNothingFoundGoesOn) {
  Road road;
  EXPECT_TRUE(road.writer->accepted(ValueCheckResult{}));
  EXPECT_TRUE(road.presenter.messages.empty());

  EXPECT_FALSE(road.writer->accepted(finding(CheckOutcome::Error)));
  ASSERT_EQ(road.presenter.messages.size(), 1u);  // shown, nothing asked

  road.presenter.answers = {kResultOk, kResultNo};
  EXPECT_FALSE(road.writer->accepted(finding(CheckOutcome::Warning)));
  ASSERT_EQ(road.presenter.messages.size(), 3u);
  EXPECT_EQ(road.presenter.messages.back().text, road.text("ERROR_MESSAGE27"));
  road.presenter.answers = {kResultOk, kResultYes};
  EXPECT_TRUE(road.writer->accepted(finding(CheckOutcome::Warning)));
}

TEST(ConfigPageWriter, NoUnitNoWriteAndNothingRunning) {
  Road road;
  EXPECT_FALSE(road.writer->unitThere());
  EXPECT_FALSE(road.writer->writing());
}

}  // namespace
}  // namespace ostrel
