// The advanced settings of standard models: what a value box lets through
// as it is typed and what it reads as, a round trip of the KM30's inputs
// through the dialog and the customer page, and the layout of a model whose
// inputs run past the dialog's tallest height.

#include "core/config/advanced_form_model.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config/customer_page.h"
#include "core/model/model_database.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"
#include "test_support.h"

namespace ostrel {
namespace {

// Types text one character at a time at the caret, as the box's filter sees it.
std::string typed(std::string box, int caret, std::string_view keys, int* refusals = nullptr) {
  for (char key : keys) {
    box.insert(static_cast<std::size_t>(caret), 1, key);
    const auto f = AdvancedFormModel::filter(box, caret + 1);
    if (f.refused && refusals != nullptr) ++*refusals;
    box = f.text;
    caret = f.caret;
  }
  return box;
}

TEST(AdvancedFormFilter, TypedTextKeepsOneDecimalOrOneHexNumber) {
  struct Case {
    std::string_view keys;
    std::string_view box;
    int refusals;
    double reads;
  };
  const Case cases[] = {
      {"1.2.", "1.2", 1, 1.2},     // a second point goes
      {"0X1F", "0X1F", 0, 31.0},   // hexadecimal after a leading 0X
      {"0x1f", "0x1f", 0, 31.0},   // in either case
      {"1F", "1", 1, 1.0},         // no hex digit without 0X
      {"X5", "5", 1, 5.0},         // X only as the second of a leading 0X
      {"0X1.", "0X1", 1, 1.0},     // never X and a point together
      {"0XX", "0X", 1, 0.0},
      {"1,5", "15", 1, 15.0},      // nothing else at all
      {"", "", 0, -1.0},           // an empty box has no value
  };
  for (const Case& c : cases) {
    int refusals = 0;
    const std::string box = typed("", 0, c.keys, &refusals);
    EXPECT_EQ(box, c.box) << c.keys;
    EXPECT_EQ(refusals, c.refusals) << c.keys;
    EXPECT_DOUBLE_EQ(AdvancedFormModel::readValue(box), c.reads) << c.keys;
  }
  // A refused character goes from where it was typed, not from the end.
  EXPECT_EQ(typed("1.2", 1, "."), "1.2");
  EXPECT_EQ(typed("12", 1, "."), "1.2");
}

// KM30 in feet (708 counts per foot): 0 damping (s), 1 blanking distance
// (a length), 2 fixed temperature, 3 echo lock (no value), 4 loss of echo
// delay. Values words 31..34, flags in word 30.
TEST(AdvancedFormModel, ValuesGoThroughTheDialogAndTheCustomerPage) {
  const auto records = test::shippedModel("KM30_Ultrasonic.txt");
  const ModelDatabase& db = records->Database;
  UnitConfiguration config;
  config.heightUnits = 2;  // feet
  config.configurationValid = true;
  config.advanced[0] = {true, 30};
  config.advanced[1] = {true, 1416};  // 2 ft
  config.advanced[2] = {true, -1};    // ticked, no value
  config.advanced[4] = {false, 12};

  AdvancedFormModel form(db, config);
  ASSERT_EQ(form.rows().size(), 5u);
  const auto& rows = form.rows();
  EXPECT_EQ(rows[0].caption, "Damping");
  EXPECT_EQ(rows[0].valueText, "30.0");
  EXPECT_EQ(rows[0].unitsText, "Seconds");
  EXPECT_EQ(rows[1].valueText, "2.0");
  EXPECT_EQ(rows[1].unitsText, "Feet");  // a length in the height units
  // A ticked input without a value opens empty, not as a length of -1/708.
  EXPECT_TRUE(rows[2].set);
  EXPECT_EQ(rows[2].valueText, "");
  EXPECT_FALSE(rows[3].hasValue);
  EXPECT_FALSE(rows[4].set);
  EXPECT_EQ(rows[4].valueText, "");
  ASSERT_EQ(rows[0].explanation.size(), 2u);
  EXPECT_EQ(rows[0].explanation[1],
            "Longer times suit a turbulent surface, shorter times a fast fill.");

  // Damping emptied, blanking 2.5 ft, temperature 0X1F, echo lock ticked.
  form.update({true, true, true, true, false}, {"", "2.5", "0X1F", "", ""});
  form.store(config);
  EXPECT_TRUE(config.advanced[0].set);
  EXPECT_EQ(config.advanced[0].value, -1.0);
  EXPECT_EQ(config.advanced[1].value, 1770.0);  // 2.5 x 708 + 0.5, truncated
  EXPECT_EQ(config.advanced[2].value, 31.0);
  EXPECT_TRUE(config.advanced[3].set);
  EXPECT_EQ(config.advanced[3].value, -1.0);
  EXPECT_FALSE(config.advanced[4].set);

  CustomerPage::Bytes image{};
  CustomerPage::Bytes page{};
  ASSERT_EQ(CustomerPage::encode(config, db, VolumeTable{}, StrappingRows{}, image, page),
            CustomerPage::kEncoded);
  const auto word = [&page](int w) { return page[2 * w] | (page[2 * w + 1] << 8); };
  EXPECT_EQ(word(30), 0b01111);  // damping, blanking, temperature, echo lock ticked
  EXPECT_EQ(word(31), 0xFFFF);   // the emptied damping writes no value
  EXPECT_EQ(word(32), 1770);
  EXPECT_EQ(word(33), 31);
  EXPECT_EQ(word(34), 0xFFFF);

  // A length left empty stays without a value too.
  form.update({true, true, true, false, false}, {"5", "", "", "", ""});
  form.store(config);
  EXPECT_EQ(config.advanced[1].value, -1.0);
}

// Update without an edit gives back what was read: 1000 counts in metres
// (2322.835 counts each) shows "0.4", which read back would be 929 counts.
// A value beyond what a word holds (0xFFFF is "no value") is refused with
// the range message in the units the box shows, the dialog's and a write's.
TEST(AdvancedFormModel, UneditedValuesStayAsReadAndTooLargeOnesAreRefused) {
  const auto records = test::shippedModel("KM30_Ultrasonic.txt");
  const ModelDatabase& db = records->Database;
  UnitConfiguration config;
  config.heightUnits = 3;  // metres
  config.advanced[0] = {true, 30};
  config.advanced[1] = {true, 1000};
  config.advanced[4] = {false, 12};  // unticked, a value behind it

  AdvancedFormModel form(db, config);
  ASSERT_EQ(form.rows()[1].valueText, "0.4");
  form.update({true, true, false, false, false}, {"30.0", "0.4", "", "", ""});
  EXPECT_FALSE(form.check().has_value());
  UnitConfiguration stored = config;
  form.store(stored);
  EXPECT_EQ(stored.advanced[1].value, 1000.0);
  EXPECT_EQ(stored.advanced[4].value, 12.0);
  EXPECT_FALSE(stored.advanced[4].set);
  // Retyped, the length is the typed one.
  form.update({true, true, false, false, false}, {"30.0", "0.40", "", "", ""});
  form.store(stored);
  EXPECT_EQ(stored.advanced[1].value, 929.0);

  struct Case {
    const char* damping;
    const char* blanking;
    const char* name;  // nullptr: passes
    double largest;
  };
  const Case cases[] = {
      {"70000", "0.4", "Damping", 65534.0},  // would wrap to 4464
      {"65535", "0.4", "Damping", 65534.0},  // would read back as no value
      {"0XFFFF", "0.4", "Damping", 65534.0},
      {"65534", "28.2", nullptr, 0},           // 65504 counts
      {"1", "28.3", "Blanking Distance", 65534.0 / 2322.835},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damping + std::string(" ") + c.blanking);
    form.update({true, true, false, false, false}, {c.damping, c.blanking, "", "", ""});
    const auto refused = form.check();
    if (c.name == nullptr) {
      EXPECT_FALSE(refused.has_value());
      continue;
    }
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->outcome, CheckOutcome::Error);
    EXPECT_EQ(refused->headingKey, "ERROR_MESSAGE46");
    EXPECT_EQ(refused->notice->key, "ERROR_MESSAGE47");
    EXPECT_EQ(refused->notice->args.at(0).asText(), c.name);
    EXPECT_NEAR(refused->notice->args.at(1).asDouble(), c.largest, 1e-9);
  }

  // What a configuration file brings is checked as stored, ticked only.
  UnitConfiguration fromFile = config;
  fromFile.advanced[2] = {true, 70000};
  const auto refused = AdvancedFormModel::checkStored(db, fromFile);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->notice->args.at(0).asText(), "Fixed Temperature");
  fromFile.advanced[2].set = false;
  EXPECT_FALSE(AdvancedFormModel::checkStored(db, fromFile).has_value());
  // Opened on it, the dialog refuses it too until it is changed.
  fromFile.advanced[2].set = true;
  AdvancedFormModel opened(db, fromFile);
  opened.update({true, true, true, false, false}, {"30.0", "0.4", "70000.0", "", ""});
  EXPECT_TRUE(opened.check().has_value());
}

TEST(AdvancedFormModel, TheNoticeIsTheFilesLinesOrNothing) {
  test::TempDir dir;
  EXPECT_FALSE(AdvancedFormModel::noticeText(dir / "advancednotice.txt").has_value());
  test::writeBytes(dir / "advancednotice.txt", "Trained staff only.\r\nContinue?");
  EXPECT_EQ(AdvancedFormModel::noticeText(dir / "advancednotice.txt"),
            "Trained staff only.\nContinue?\n");
}

}  // namespace
}  // namespace ostrel
