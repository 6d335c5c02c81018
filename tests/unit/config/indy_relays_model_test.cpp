// The independent relays dialog without widgets: which boxes open filled,
// the two checks of OK in their order, and what OK stores.

#include "core/config/indy_relays_model.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using Values = IndyRelaysModel::Values;
constexpr int kFeet = 2;  // shown with two decimals at most

TEST(IndyRelaysModel, ARelayWithEitherPointOpensWithBothAndKeepsThem) {
  // Relay 1 on 12.5 off 3; relay 2 only an OFF point; relay 3 none.
  const Values levels{12.5f, 0, 0, 0, 3, 4.25f, 0, 0};
  IndyRelaysModel dialog(levels, kFeet, false, "Feet");
  EXPECT_EQ(dialog.box(0), "12.5");
  EXPECT_EQ(dialog.box(4), "3.0");
  EXPECT_EQ(dialog.box(1), "0.0");
  EXPECT_EQ(dialog.box(5), "4.25");
  EXPECT_EQ(dialog.box(2), "");
  EXPECT_EQ(dialog.box(6), "");
  // OK without an edit stores what was there, the lone OFF point included.
  EXPECT_FALSE(dialog.accept().has_value());
  EXPECT_EQ(dialog.values(), levels);
}

TEST(IndyRelaysModel, OkRefusesAMissingOffPointAndAnythingButOneNumber) {
  const Values levels{1, 2, 0, 0, 0.5f, 1.5f, 0, 0};
  IndyRelaysModel dialog(levels, kFeet, false, "Feet");

  // Relay 3 switched on without an OFF point: the first check, before any
  // text is looked at.
  dialog.setBox(IndyRelaysModel::onBox(2), "7");
  dialog.setBox(IndyRelaysModel::offBox(3), "-1");
  auto failure = dialog.accept();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->key, "ERROR_MESSAGE129");

  // Then the texts in the order relay 1 ON, relay 1 OFF, relay 2 ON ...
  dialog.setBox(IndyRelaysModel::offBox(2), "1.2.3");
  failure = dialog.accept();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->key, "ERROR_MESSAGE121");
  ASSERT_EQ(failure->args.size(), 1u);
  EXPECT_EQ(failure->args[0].asText(), "1.2.3");

  dialog.setBox(IndyRelaysModel::offBox(2), "1.2");
  failure = dialog.accept();
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->args[0].asText(), "-1");  // a negative point cannot be entered
  for (const char* text : {".", "1 ", "1e3", "+2"}) {
    dialog.setBox(IndyRelaysModel::offBox(3), text);
    failure = dialog.accept();
    ASSERT_TRUE(failure.has_value()) << text;
    EXPECT_EQ(failure->args[0].asText(), text);
  }
  EXPECT_EQ(dialog.values(), levels);  // nothing stored while a check fails

  dialog.setBox(IndyRelaysModel::offBox(3), "");
  dialog.setBox(IndyRelaysModel::onBox(0), "10.123456");
  ASSERT_FALSE(dialog.accept().has_value());
  EXPECT_EQ(dialog.values(), (Values{10.123456f, 2, 7, 0, 0.5f, 1.5f, 1.2f, 0}));
  EXPECT_EQ(dialog.box(0), "10.12");  // shown again in the relay units
}

}  // namespace
}  // namespace ostrel
