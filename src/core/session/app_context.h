#pragma once
// The long-lived components of one run, built once in a fixed order and
// lent by reference to every page and dialog. The startup window owns one
// AppContext; nothing in it is freed before the startup window ends.
//
// The startup steps that are not drawing live here, so they can be driven
// and tested without a display.

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/cable_driver.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/platform/work_folders.h"
#include "core/session/unit_kind.h"
#include "core/config/unit_configuration.h"
#include "core/support/log_file.h"
#include "core/support/notice.h"
#include "core/support/settings_store.h"
#include "core/support/text_format.h"

namespace ostrel {

class Presenter;

// Version numbers taken from a "%d.%d.%d.%d" text; missing parts are 0.
struct VersionNumbers {
  std::array<int, 4> Parts{};
  static VersionNumbers parse(std::string_view text);
};

// What the session knows about the unit besides its configuration record.
struct SessionState {
  // The unit identified last; None before and while an identification runs.
  UnitKind Kind = UnitKind::None;
  // MODEL as identified, for the configuration page.
  std::string ModelCopy;
  // Set after an accepted update offer or a successful update; not kept
  // between runs.
  bool UpdateOfferMark = false;
  int StartPage = 0;  // main form page to open on
};

// The model records (identity, model, pictures, structures, help topics,
// language, settings values) come from ModelRecords; the unit's
// configuration and the components around them are added here.
class AppContext : public ModelRecords {
 public:
  static constexpr std::string_view kCorporateModelFile = "Corporate_Model";

  // The driver is the cable library the link talks through (a serial port
  // or a simulated unit); timing is the link's.
  AppContext(WorkFolders folders, std::filesystem::path configRoot, Presenter& presenter,
             std::unique_ptr<CableDriver> driver, UnitLink::Timing timing = {});
  // Stops the link's service thread (aborting a listening under way) before
  // the link and its driver go.
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Startup steps, in the order the startup window runs them.
  bool prepareFolders(std::string& error);
  bool openLog() { return Log.Open(); }
  bool loadCorporateModel();
  int loadLanguage();
  // Creates the per-user settings key when it does not exist yet, as an
  // installer would have (a settings file named by the model is never made).
  bool installSettingsKey();
  bool loadSettings(int& code) { return Settings.Load(code); }
  void logStart();
  // "%s %d.%d.%d" with the program id and the first three version numbers.
  std::string applicationTitle() const;

  // The text of a language key in the current language column, or the
  // fallback (the key itself when none is given) when the file lacks it.
  std::string text(std::string_view key, std::string_view fallback = {}) const;
  std::string format(std::string_view key, std::initializer_list<FormatArg> args) const;
  // Lookup into an existing text, which a missing key leaves unchanged.
  bool lookup(std::string_view key, std::string& dest) const;

  Presenter& presenter() { return presenter_; }
  // Shows what a component below the procedures reported.
  void show(const Notices& notices);

  // Owned components besides the model records (construction order).
  WorkFolders Folders;
  SettingsStore Settings;
  LogFile Log;
  ModelFileParser Parser;
  // Model numbers offered by the configuration page in sample mode, and the
  // model file each one comes from.
  std::vector<std::string> SampleModelNames;
  std::vector<std::string> SampleModelFiles;
  SessionState State;
  UnitConfiguration Unit;

  // The device side, declared so that it goes first at the end.
  std::unique_ptr<CableDriver> Driver;
  std::unique_ptr<UnitLink> Link;
  std::unique_ptr<UnitMemory> Memory;
  PulseProtocol Pulse;

 private:
  Presenter& presenter_;
};

}  // namespace ostrel
