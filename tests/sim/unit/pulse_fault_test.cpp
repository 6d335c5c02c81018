// The pulse radar's fault text form, how ostrel-unitsim's options sort the
// two fault forms by kind, and the factory of every unit kind.

#include <gtest/gtest.h>

#include "sim/page_unit.h"
#include "sim/pulse_fault.h"
#include "sim/pulse_radar_unit.h"
#include "sim/unit_factory.h"
#include "sim/unitsim_options.h"

namespace ostrel::sim {
namespace {

PulseFault parsed(std::string_view text) {
  std::string error;
  const auto f = PulseFault::parse(text, &error);
  EXPECT_TRUE(f) << text << ": " << error;
  return f.value_or(PulseFault{});
}

TEST(PulseFaultText, ParsesEveryKind) {
  EXPECT_EQ(parsed("0x111:1:hart-xor"), (PulseFault{0x111, 1, PulseFaultKind::HartXor, 0}));
  EXPECT_EQ(parsed("273:2:no-reply"), (PulseFault{0x111, 2, PulseFaultKind::NoReply, 0}));
  EXPECT_EQ(parsed("0:*:no-reply"),
            (PulseFault{0, PulseFault::kEvery, PulseFaultKind::NoReply, 0}));
  EXPECT_EQ(parsed("0x991:3:message-sum"), (PulseFault{0x991, 3, PulseFaultKind::MessageSum, 0}));
  EXPECT_EQ(parsed("0x50:*:message-length"),
            (PulseFault{0x50, PulseFault::kEvery, PulseFaultKind::MessageLength, 0}));
  EXPECT_EQ(parsed("6:1:header-fe"), (PulseFault{6, 1, PulseFaultKind::HeaderFe, 0}));
  EXPECT_EQ(parsed("6:1:header-address"), (PulseFault{6, 1, PulseFaultKind::HeaderAddress, 0}));
  EXPECT_EQ(parsed("6:1:header-marker"), (PulseFault{6, 1, PulseFaultKind::HeaderMarker, 0}));
  EXPECT_EQ(parsed("0:1:unknown-type"), (PulseFault{0, 1, PulseFaultKind::UnknownType, 0}));
  EXPECT_EQ(parsed("0xFFFF:1:late=7000"), (PulseFault{0xFFFF, 1, PulseFaultKind::Late, 7000}));
}

TEST(PulseFaultText, RefusesMalformedForms) {
  for (const char* bad :
       {"", "0x111", "0x111:1", "0x10000:1:hart-xor", "-1:1:hart-xor", "0x111:0:hart-xor",
        "0x111:x:hart-xor", "0x111:1:explode", "0x111:1:hart-xor=2", "0x111:1:late",
        "0x111:1:late=-1", "0x111:1:late=700000", "zz:1:no-reply", "0:1:message-sum",
        "0:1:message-length", "0:*:header-fe", "0:1:header-address", "0:1:header-marker",
        "0x111:1:silence"}) {
    std::string error;
    EXPECT_FALSE(PulseFault::parse(bad, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(PulseFaultText, WritesWhatItReads) {
  for (const char* text : {"0x111:1:hart-xor", "0x0:*:no-reply", "0x991:3:message-sum",
                           "0x800:2:message-length", "0x6:1:header-fe", "0x50:*:header-address",
                           "0x510:4:header-marker", "0x993:1:unknown-type", "0x5:1:late=7000"}) {
    EXPECT_EQ(parsed(text).toString(), text);
  }
}

// ---------------------------------------------------------------------------

std::optional<UnitsimOptions> options(const std::vector<std::string>& args,
                                      std::string* error = nullptr) {
  return UnitsimOptions::parse(args, error);
}

TEST(UnitsimPulseOptions, SortsFaultsByTheirKind) {
  // The kind may follow the faults.
  const auto o = options({"--fault", "0x111:1:hart-xor", "--fault=0x40:*:silence", "--fault",
                          "0:2:late=50", "--kind", "pulse-radar"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->kind, UnitKind::PulseRadar);
  ASSERT_EQ(o->pulseFaults.size(), 2u);
  EXPECT_EQ(o->pulseFaults[0], (PulseFault{0x111, 1, PulseFaultKind::HartXor, 0}));
  EXPECT_EQ(o->pulseFaults[1], (PulseFault{0, 2, PulseFaultKind::Late, 50}));
  ASSERT_EQ(o->faults.size(), 1u);
  EXPECT_EQ(o->faults[0], (Fault{0x40, Fault::kEvery, FaultKind::Silence, 0}));
}

TEST(UnitsimPulseOptions, PageUnitsKeepTheirOwnForm) {
  const auto o = options({"--kind", "guided-wave", "--fault", "0x31:3:wrong-data-check"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->kind, UnitKind::GuidedWave);
  EXPECT_EQ(o->faults.size(), 1u);
  EXPECT_TRUE(o->pulseFaults.empty());

  std::string error;
  EXPECT_FALSE(options({"--fault", "0x31:1:hart-xor"}, &error)) << "a page unit has no HART";
  EXPECT_NE(error.find("hart-xor"), std::string::npos) << error;
}

TEST(UnitsimPulseOptions, RefusesImagesAndBadFaultsForTheRadar) {
  std::string error;
  EXPECT_FALSE(options({"--kind", "pulse-radar", "--image", "/tmp"}, &error));
  EXPECT_NE(error.find("--image"), std::string::npos) << error;
  EXPECT_FALSE(options({"--kind", "pulse-radar", "--dump", "/tmp"}, &error));
  EXPECT_FALSE(options({"--kind", "pulse-radar", "--fault", "0:1:message-sum"}, &error));
  EXPECT_FALSE(options({"--kind", "pulse-radar", "--fault", "0x111:1:melt"}, &error));
  const auto o = options({"--kind", "pulse-radar", "--only-1200", "--pace"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->only1200);
  EXPECT_NE(UnitsimOptions::usage().find("pulse-radar"), std::string::npos);
}

// ---------------------------------------------------------------------------

TEST(UnitFactory, MakesEveryKindByName) {
  for (const auto kind :
       {UnitKind::Ultrasonic, UnitKind::GuidedWave, UnitKind::UType, UnitKind::PulseRadar}) {
    const auto name = unitKindName(kind);
    EXPECT_EQ(unitKindFromName(name), kind) << name;
    const auto unit = makeUnit(name);
    ASSERT_NE(unit, nullptr) << name;
    const auto page = std::dynamic_pointer_cast<PageUnit>(unit);
    const auto radar = std::dynamic_pointer_cast<PulseRadarUnit>(unit);
    EXPECT_EQ(radar != nullptr, kind == UnitKind::PulseRadar) << name;
    if (page) {
      EXPECT_EQ(std::optional(page->kind()), pageKindOf(kind)) << name;
    }
  }
  EXPECT_EQ(unitKindName(UnitKind::PulseRadar), "pulse-radar");
  EXPECT_EQ(makeUnit("radar"), nullptr);
  EXPECT_FALSE(unitKindFromName(""));
}

}  // namespace
}  // namespace ostrel::sim
