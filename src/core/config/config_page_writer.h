#pragma once
// The configuration page's write road: the table prepared for the relay
// units and the value checks before a write, the pages a write would send,
// and the write procedure's run over the unit. It owns the flag that keeps
// a second write (a timer, a re-entered slot) from starting while one runs.

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "core/config/config_file_writer.h"
#include "core/config/config_page_services.h"
#include "core/config/customer_page.h"
#include "core/config/radar_command_list.h"
#include "core/config/value_checks.h"
#include "core/config/write_procedure.h"
#include "core/volume/table_page.h"

namespace ostrel {

class VolumeTable;
struct StrappingRows;
struct UnitConfiguration;

class ConfigPageWriter {
 public:
  // What a write would send: the checks, then the customer page over the
  // unit's image and the table page over the unit's table image. Nothing
  // is encoded after a check error.
  struct Encoded {
    ValueCheckResult checks;
    int customerResult = CustomerPage::kNoValidConfiguration;
    CustomerPage::Bytes customer{};
    TablePage::Bytes table{};
  };
  // A run's outcome, and the customer page read back from the first unit,
  // decoded (none when the run never got that far).
  struct Run {
    WriteOutcome outcome;
    std::optional<CustomerPageDecoding> verified;
  };

  ConfigPageWriter(const ConfigPageServices& services, PageRecords records)
      : services_(services), records_(records) {}

  // The record's heights (taken from the boxes) make the table's dimensions
  // and points for the relay units; then the value checks over the boxes'
  // texts, which they store and re-show in place.
  ValueCheckResult check(CheckedBoxes& boxes, bool independent,
                         std::vector<ValueCheckResult>* all);
  // The pages of a write over the unit's images, after checks already run.
  void encode(const CustomerPage::Bytes& customerImage, const TablePage::Bytes& tableImage,
              Encoded& out) const;
  // A unit to write to: the presenter, the memory, the link and the radar
  // protocol are all there.
  bool unitThere() const;
  // The busy window shows the write starting.
  void started() const;
  // A check finding shown; true when the write goes on (a warning the user
  // accepts).
  bool accepted(const ValueCheckResult& found) const;
  // The write procedure's device steps through runDevice (the GUI's worker;
  // called directly when not given). Each unit written, and the unit a
  // failed run ended on, gets its line in the production record (when one
  // is kept) under configFile.
  Run run(const ConfigFileContent& logContent, bool radarActive,
          const std::function<void(const std::function<void()>&)>& runDevice,
          const std::string& configFile = {});
  bool writing() const { return writing_; }
  // The radar's advanced parameters were read: the page's copy becomes the
  // radar's block, except the settings a file or the dialog set, which keep
  // the values that are to go to the radar.
  void radarBlockRead();

 private:
  std::string text(const char* key) const;

  const ConfigPageServices& services_;
  PageRecords records_;
  std::atomic<bool> writing_{false};
};

}  // namespace ostrel
