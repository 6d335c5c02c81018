#pragma once
// What each wiring diagram shows: one entry per drawing file that a shipped
// model's configurations name. The roles and set points follow the level rows
// and comments of the model files in data/Models; a change there must be
// mirrored here and the drawings made again.

#include <vector>

namespace drawings {

// How the transmitter is powered and where its current loop goes.
enum class Wiring {
  FourWire,     // separate 24 VDC supply, active 4-20 mA output
  TwoWire,      // loop powered, the loop supply in series with the input
  TwoWireHart,  // loop powered with HART on the loop
};

// What one relay drives in a configuration.
enum class RelayRole {
  NotUsed,
  HighAlarm,
  HighHighAlarm,
  LowAlarm,
  LeadPumpDown,  // emptying: starts first, on a rising level
  LagPumpDown,
  SinglePumpDown,
  LeadPumpUp,  // filling: starts first, on a falling level
  LagPumpUp,
  SinglePumpUp,
  Independent,  // own ON and OFF points, any load
};

struct DrawingEntry {
  const char* File;           // as the model file names it
  const char* Model;          // model number prefix, e.g. "KM30"
  const char* ModelTitle;     // the transmitter as the title block names it
  const char* Configuration;  // the relay function the drawing shows
  const char* Numbers;        // configuration numbers the page shows for it
  Wiring Power;
  std::vector<RelayRole> Relays;       // one per relay fitted
  std::vector<const char*> SetPoints;  // level rows, top to bottom
  std::vector<const char*> Notes;      // configuration notes, before the general ones
};

const std::vector<DrawingEntry>& catalogue();

}  // namespace drawings
