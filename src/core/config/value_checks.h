#pragma once
// The checks "Write to Unit" runs on the configuration page before anything
// goes to the unit: heights against the model's limits, and each level set
// point against its neighbours. One function over the page's state: it
// stores each value it checked into the record, reshows it (quantised) in its
// box, and returns the first finding (or every finding, with `all`). It
// neither shows nor asks anything.
//
// Typical use by the page:
//
//   ValueCheckInput in{&model, &config, &boxes, &table, &rows, independentMode, radarActive, all};
//   ValueCheckResult r = runValueChecks(in);
//   // copy boxes back into the edit boxes, then:
//   if (r.outcome == CheckOutcome::Error) { r.show(presenter, &language, column); stop; }
//   if (r.outcome == CheckOutcome::Warning) { r.show(...); then ask ERROR_MESSAGE27; }

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/unit_configuration.h"
#include "core/support/notice.h"

namespace ostrel {

class LanguageTable;
class Presenter;
class VolumeTable;
struct ModelDatabase;
struct StrappingRows;

// The texts of the page's edit boxes the checks read, and write back
// quantised and formatted.
struct CheckedBoxes {
  std::string sensorHeight;
  std::string fillHeight;
  std::string probeLength;  // guided-wave radar
  std::string deadBand;     // pulse radar
  std::string maxRange;     // pulse radar
  // levels[i] is the box of LEVEL[i]; levels[5] is the top row of the page.
  std::array<std::string, UnitConfiguration::kLevels> levels;
};

enum class CheckOutcome { None, Error, Warning };

struct ValueCheckResult {
  CheckOutcome outcome = CheckOutcome::None;
  // The finding: ERROR_MESSAGE47/48 (errors, error style) or ERROR_MESSAGE50/51
  // (warnings, information style), with the value's name and the limit.
  std::optional<Notice> notice;
  // The heading shown before the finding in the same box: ERROR_MESSAGE46 for
  // errors, ERROR_MESSAGE49 for warnings.
  std::string headingKey;
  // Set instead of a heading: the name of the box the finding is about,
  // shown before the finding as "name: ".
  std::string boxName;

  // The one message the user reads: the heading's text and the finding's
  // text joined, filled with the finding's arguments. Empty without finding.
  std::string text(const LanguageTable* language, int column) const;
  // Shows the message in the tool's message box with the finding's style;
  // the box's result (kResultOk without a finding, nothing shown).
  int show(Presenter& presenter, const LanguageTable* language, int column) const;
};

struct ValueCheckInput {
  const ModelDatabase* model = nullptr;  // required
  UnitConfiguration* config = nullptr;   // required; SENSORHEIGHT, FILLHEIGHT, LEVEL[] are stored
  CheckedBoxes* boxes = nullptr;         // required; reshown in place
  // The page's table (prepared for this write) and strapping rows. The table
  // must fit the unit's table page; it and the rows bound the levels of
  // volume or flow relay units. Either may be null: not checked.
  const VolumeTable* table = nullptr;
  const StrappingRows* rows = nullptr;
  bool independentMode = false;  // item 0 selects independent relays
  bool pulseRadar = false;       // the radar-active flag: the pulse-radar checks
  // Given: every finding is added here and the run goes on past each; the
  // result is then the first error, else the first warning. For a report of
  // all that is wrong; what such a run stores is no basis for a write.
  std::vector<ValueCheckResult>* all = nullptr;
  // The names of the eight relay set points in the order of INDYLEVEL
  // (relay 1 ON .. relay 4 ON, relay 1 OFF .. relay 4 OFF), as the Relay
  // Set Points dialog shows them; an empty name is "Relay k ON"/"OFF".
  std::array<std::string, UnitConfiguration::kIndependentLevels> relayNames{};
};

// Runs the checks in order and stops at the first finding.
//
// Page-based models (ultrasonic, guided-wave radar): the sensor height, fill
// height and probe length boxes are quantised to what the unit keeps (a float
// on models with a Tanks button, else the 16-bit count of UNITCONV[UNITS]),
// checked, and reshown with the display rule of UNITS once they passed (a
// refused box keeps the user's text); SENSORHEIGHT and FILLHEIGHT are
// stored. Every box is also checked against the largest value the unit can
// hold, under its own name, before the next box is looked at, so that a huge
// number is not blamed on another box (the guided-wave sensor height has no
// maximum of its own). With a matched configuration and without independent
// relays, LEVEL[5] down to LEVEL[0] are quantised, reshown in the relay units,
// checked against their neighbours by caption ("Hi"/"Lo" alarm, "On"/"Off"
// relay, case-sensitive; neither: not checked) and stored (an empty box stores
// 0 and stays empty); on models with a curve a level keeps the double typed,
// as its table count is worked out from it. In independent mode the eight
// INDYLEVEL points are checked against the outer bounds. A value is stored
// only once it passed. Before the levels, a table whose Offset or Scale the
// table page cannot hold is refused (ERROR_MESSAGE140); after them, an
// advanced value beyond what its word holds (ERROR_MESSAGE47).
//
// Pulse radar: the four height boxes are checked as they read; nothing is
// stored or reshown.
ValueCheckResult runValueChecks(const ValueCheckInput& input);

// How a level caption is checked.
enum class LevelKind { Alarm, Relay, Unchecked };
LevelKind levelKind(std::string_view caption);

}  // namespace ostrel
