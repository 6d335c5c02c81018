#include "drawing_catalogue.h"

namespace drawings {
namespace {

using R = RelayRole;

constexpr const char* kKm30 = "KM30 Ultrasonic Level Transmitter, 3 relays";
constexpr const char* kKm35 = "KM35 Short Range Ultrasonic Transmitter, 2 relays";
constexpr const char* kKm40 = "KM40 Compact Ultrasonic Transmitter, 2 relays";
constexpr const char* kKm50 = "KM50 Guided Wave Radar Transmitter, 3 relays";
constexpr const char* kKm70 = "KM70 Pulse Radar Transmitter, 4-20 mA HART";

constexpr const char* kLoopSpanRows =
    "Loop Span = Set 4 mA and 20 mA Levels adds the rows 4 mA Level and 20 mA Level.";
constexpr const char* kGuidedWaveLoop =
    "Loop Current sets 4 mA or 20 mA at empty; Failsafe Current holds the last value or"
    " drives 3.6 mA or 22 mA: set the input's range and alarms to match.";
constexpr const char* kIndependentDirection =
    "A relay whose ON point is above its OFF point works on a rising level (pump down,"
    " high alarm); ON below OFF works on a falling level (pump up, low alarm).";
constexpr const char* kIndependentRows =
    "No level rows: each relay gets its own ON and OFF point under Relay Set Points.";

}  // namespace

const std::vector<DrawingEntry>& catalogue() {
  static const std::vector<DrawingEntry> entries = {
      // KM30: relay function x loop span, any failsafe and display.
      {"KM30_Independent.pdf",
       "KM30",
       kKm30,
       "Independent Relays",
       "1",
       Wiring::FourWire,
       {R::Independent, R::Independent, R::Independent},
       {},
       {kIndependentRows, kIndependentDirection, "A relay left at 0 / 0 stays off."}},
      {"KM30_LoopOnly.pdf",
       "KM30",
       kKm30,
       "Relays Off (loop only)",
       "2, 3",
       Wiring::FourWire,
       {R::NotUsed, R::NotUsed, R::NotUsed},
       {"20 mA Level  (No. 3 only)", "4 mA Level  (No. 3 only)"},
       {"All relays stay de-energised; leave terminals 6 to 14 unconnected or use them"
        " for nothing that must switch.",
        "Configuration 3 (Loop Span = Set 4 mA and 20 mA Levels) shows the rows"
        " 20 mA Level and 4 mA Level."}},
      {"KM30_AlarmsPump.pdf",
       "KM30",
       kKm30,
       "Alarms and Pump Down",
       "4, 5",
       Wiring::FourWire,
       {R::HighAlarm, R::LowAlarm, R::SinglePumpDown},
       {"Alarm High  (relay 1)", "Relay 3 On", "Relay 3 Off", "Alarm Low  (relay 2)"},
       {"Relay 3 starts the pump when the level rises to Relay 3 On and stops it at"
        " Relay 3 Off.",
        kLoopSpanRows}},
      {"KM30_PumpDown.pdf",
       "KM30",
       kKm30,
       "Pump Down (lead / lag)",
       "6, 7",
       Wiring::FourWire,
       {R::LeadPumpDown, R::LagPumpDown, R::NotUsed},
       {"Relay 2 On  (lag)", "Relay 1 On  (lead)", "Relay 2 Off", "Relay 1 Off"},
       {"Emptying: each pump starts when the level rises to its ON point and stops when"
        " it falls to its OFF point. Relay 3 is not used.",
        kLoopSpanRows}},
      {"KM30_PumpUp.pdf",
       "KM30",
       kKm30,
       "Pump Up (lead / lag)",
       "8, 9",
       Wiring::FourWire,
       {R::LeadPumpUp, R::LagPumpUp, R::NotUsed},
       {"Relay 1 Off", "Relay 2 Off", "Relay 1 On  (lead)", "Relay 2 On  (lag)"},
       {"Filling: each pump starts when the level falls to its ON point and stops when"
        " it rises to its OFF point. Relay 3 is not used.",
        kLoopSpanRows}},
      {"KM30_Alarms.pdf",
       "KM30",
       kKm30,
       "High and Low Alarms",
       "10, 11",
       Wiring::FourWire,
       {R::HighAlarm, R::LowAlarm, R::HighHighAlarm},
       {"Alarm High High  (relay 3)", "Alarm High  (relay 1)", "Alarm Low  (relay 2)"},
       {kLoopSpanRows}},

      // KM35: two relays, no loop span item.
      {"KM35_PumpDown.pdf",
       "KM35",
       kKm35,
       "Pump Down",
       "1",
       Wiring::FourWire,
       {R::SinglePumpDown, R::HighAlarm},
       {"Alarm High  (relay 2)", "Relay 1 On", "Relay 1 Off"},
       {"Failsafe is always Go Empty in this configuration: on loss of echo the pump"
        " stops.",
        "The loop spans the fill height (4 mA empty, 20 mA full)."}},
      {"KM35_Alarms.pdf",
       "KM35",
       kKm35,
       "High and Low Alarms",
       "2",
       Wiring::FourWire,
       {R::HighAlarm, R::LowAlarm},
       {"Alarm High  (relay 1)", "Alarm Low  (relay 2)"},
       {"The loop spans the fill height (4 mA empty, 20 mA full)."}},

      // KM40: two-wire, two relays.
      {"KM40_Independent.pdf",
       "KM40",
       kKm40,
       "Independent Relays",
       "1",
       Wiring::TwoWire,
       {R::Independent, R::Independent},
       {},
       {kIndependentRows, kIndependentDirection,
        "Relay Set Points offers four relays; this model has two, so leave relays 3 and 4"
        " empty."}},
      {"KM40_Alarms.pdf",
       "KM40",
       kKm40,
       "High and Low Alarms",
       "2, 3",
       Wiring::TwoWire,
       {R::HighAlarm, R::LowAlarm},
       {"Alarm High  (relay 1)", "Alarm Low  (relay 2)"},
       {kLoopSpanRows}},
      {"KM40_PumpDown.pdf",
       "KM40",
       kKm40,
       "Pump Down",
       "4, 5",
       Wiring::TwoWire,
       {R::SinglePumpDown, R::HighAlarm},
       {"Alarm High  (relay 2)", "Relay 1 On", "Relay 1 Off"},
       {kLoopSpanRows}},
      {"KM40_PumpUp.pdf",
       "KM40",
       kKm40,
       "Pump Up",
       "6, 7",
       Wiring::TwoWire,
       {R::SinglePumpUp, R::LowAlarm},
       {"Relay 1 Off", "Relay 1 On", "Alarm Low  (relay 2)"},
       {kLoopSpanRows}},

      // KM50: guided-wave radar, three relays, loop direction item.
      {"KM50_Independent.pdf",
       "KM50",
       kKm50,
       "Independent Relays",
       "1",
       Wiring::FourWire,
       {R::Independent, R::Independent, R::Independent},
       {},
       {kIndependentRows, kIndependentDirection,
        "Relay Set Points offers four relays; this model has three, so leave relay 4"
        " empty.",
        kGuidedWaveLoop}},
      {"KM50_AlarmsPump.pdf",
       "KM50",
       kKm50,
       "Alarms and Pump Down",
       "2",
       Wiring::FourWire,
       {R::HighAlarm, R::LowAlarm, R::SinglePumpDown},
       {"Alarm High  (relay 1)", "Relay 3 On", "Relay 3 Off", "Alarm Low  (relay 2)"},
       {"Relay 3 starts the pump when the level rises to Relay 3 On and stops it at"
        " Relay 3 Off.",
        kGuidedWaveLoop}},
      {"KM50_PumpDown.pdf",
       "KM50",
       kKm50,
       "Pump Down (lead / lag)",
       "3",
       Wiring::FourWire,
       {R::LeadPumpDown, R::LagPumpDown, R::NotUsed},
       {"Relay 2 On  (lag)", "Relay 1 On  (lead)", "Relay 2 Off", "Relay 1 Off"},
       {"Emptying: each pump starts when the level rises to its ON point and stops when"
        " it falls to its OFF point. Relay 3 is not used.",
        kGuidedWaveLoop}},
      {"KM50_PumpUp.pdf",
       "KM50",
       kKm50,
       "Pump Up (lead / lag)",
       "4",
       Wiring::FourWire,
       {R::LeadPumpUp, R::LagPumpUp, R::NotUsed},
       {"Relay 1 Off", "Relay 2 Off", "Relay 1 On  (lead)", "Relay 2 On  (lag)"},
       {"Filling: each pump starts when the level falls to its ON point and stops when"
        " it rises to its OFF point. Relay 3 is not used.",
        kGuidedWaveLoop}},
      {"KM50_Alarms.pdf",
       "KM50",
       kKm50,
       "High and Low Alarms",
       "5",
       Wiring::FourWire,
       {R::HighAlarm, R::LowAlarm, R::HighHighAlarm},
       {"Alarm High High  (relay 3)", "Alarm High  (relay 1)", "Alarm Low  (relay 2)"},
       {kGuidedWaveLoop}},

      // KM70: no relays; the two drawings differ in the failsafe current.
      {"KM70_Loop_FailLow.pdf",
       "KM70",
       kKm70,
       "Loop Fail-Safe Low (3.6 mA)",
       "1",
       Wiring::TwoWireHart,
       {},
       {},
       {"On loss of echo or a fault the loop goes to 3.6 mA: set the input's low alarm"
        " below 3.8 mA.",
        "Any Display choice (Level, Distance, Percent, Current) uses this drawing."}},
      {"KM70_Loop_FailHigh.pdf",
       "KM70",
       kKm70,
       "Loop Fail-Safe High (22 mA)",
       "2",
       Wiring::TwoWireHart,
       {},
       {},
       {"On loss of echo or a fault the loop goes to 22 mA: set the input's high alarm"
        " above 20.5 mA.",
        "Any Display choice (Level, Distance, Percent, Current) uses this drawing."}},
  };
  return entries;
}

}  // namespace drawings
