#include "core/config/unit_configuration.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(UnitConfiguration, SoftwareRevisionAbove99IsShownInTenths) {
  EXPECT_EQ(UnitConfiguration::softwareRevisionText(99), "99");
  EXPECT_EQ(UnitConfiguration::softwareRevisionText(100), "10.0");
  EXPECT_EQ(UnitConfiguration::softwareRevisionText(412), "41.2");
}

}  // namespace
}  // namespace ostrel
