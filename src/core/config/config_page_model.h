#pragma once
// The configuration page without its widgets: the item lists with their
// offered choices, the level rows, the boxes' texts, the units, which
// buttons are enabled, the status and capacity lines, the modified flag;
// and the user's actions on them (select an item, widen a list, edit a box,
// change units, press a button, type a service command).
//
// The GUI page, the command-line tool and the tests drive the same object.
// A view is told which part of the state changed and reads it back; the
// questions and messages go through the presenter. Boxes hold text: reading
// a value from a box and showing a value in one are this model's own rules.

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/config_fields.h"
#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/main_form_pages.h"
#include "core/config/radar_command_list.h"
#include "core/config/service_commands.h"
#include "core/config/tanks_sequence.h"
#include "core/config/unit_configuration.h"
#include "core/config/value_checks.h"
#include "core/config/write_procedure.h"
#include "core/link/unit_memory.h"
#include "core/model/model_database.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

namespace ostrel {

class LogFile;
class Presenter;
class SettingsStore;
class UnitMemory;
class UnitLink;
class ProgressSink;
class PulseProtocol;
struct ModelRecords;

// The parts of the page a change touches; the view redraws them.
enum class PagePart {
  Identity,  // unit, software, hardware and description lines
  Items,     // item captions, offered choices, selections
  Status,    // the configuration status line
  Levels,    // level rows: shown, enabled, caption, text
  Boxes,     // heights, dead band, max range, notes, file name, file date
  Units,     // units list / box, relay units box
  Buttons,   // save, write, wiring diagram enabled; relay set points shown
  Capacity,  // the capacity line, the loop-current panel and the button frames
  Service,   // the service tools and their counter
};

class ConfigPageView {
 public:
  virtual ~ConfigPageView() = default;
  virtual void changed(PagePart part) = 0;
};

// What the page shows of one configuration item.
struct ItemList {
  bool present = false;
  std::string caption;
  // Choice indexes the list offers now (0, the placeholder, always first).
  std::vector<int> offered;
  // The choice the list shows; -1 when its text matches no choice.
  int shown = 0;
};

struct LevelRow {
  bool shown = false;  // the row and its box
  std::string caption;
  std::string text;  // the box
};

struct PageBoxes {
  std::string sensorHeight;
  std::string fillHeight;
  std::string minFillHeight;  // guided-wave radar
  std::string probeLength;    // guided-wave radar
  std::string deadBand;       // pulse radar
  std::string maxRange;       // pulse radar
  std::string notes;
  std::string fileName;
  std::string fileDate;
};

// Guided-wave radar with volume relay units: the volumes at the lowest and
// highest level the probe measures, and the loop currents they give.
struct LoopCurrentPanel {
  bool shown = false;
  std::string minVolume;
  std::string maxVolume;
  std::string minCurrent;  // empty when the full volume is not positive
  std::string maxCurrent;
};

// Where the page finds what it works with. The records and components are
// lent for the page's life.
struct ConfigPageServices {
  ModelRecords* records = nullptr;  // model, language, settings values, structures
  Presenter* presenter = nullptr;
  LogFile* log = nullptr;             // may be null
  SettingsStore* settings = nullptr;  // PREF_UNITS; may be null
  UnitMemory* memory = nullptr;       // page images; null in sample mode
  UnitLink* link = nullptr;           // the link the memory talks over
  // The unit's page images when there is no memory (pages read earlier or
  // from files); the memory's own when null.
  const std::array<UnitMemory::Page, 4>* pages = nullptr;
  PulseProtocol* pulse = nullptr;     // pulse radar: its parameter block
  // The startup window's status line and bar while the page is activated.
  ProgressSink* activation = nullptr;
  std::filesystem::path configsFolder;
  std::filesystem::path drawingsFolder;
  std::filesystem::path modelsFolder;  // structure files
  // Opens a document (a wiring diagram) in its viewer; false when it fails.
  std::function<bool(const std::filesystem::path&)> openDocument;
  // Sample mode: loads the model file of a model number; true when loaded.
  std::function<bool(const std::string& modelNumber)> loadModel;
  // The clock for the support code (local time); the system's when unset.
  std::function<std::tm()> now;
  // The tool's own version (major, minor, build, revision).
  std::array<int, 4> toolVersion{};
};

class ConfigPageModel {
 public:
  // What a finished action asks of the caller (see ServiceRequest).
  using Request = ServiceRequest;

  ConfigPageModel(UnitConfiguration& config, ConfigPageServices services);

  void setView(ConfigPageView* view) { view_ = view; }
  void setSampleMode(bool sample) { sample_ = sample; }
  void setActivationProgress(ProgressSink* sink) { services_.activation = sink; }
  bool sampleMode() const { return sample_; }

  // --- State the view shows.
  const UnitConfiguration& config() const { return config_; }
  const std::array<ItemList, UnitConfiguration::kConfigItems>& items() const { return items_; }
  const std::array<LevelRow, UnitConfiguration::kLevels>& levelRows() const { return rows_; }
  const PageBoxes& boxes() const { return boxes_; }
  const std::string& statusLine() const { return status_; }
  const std::string& capacityLine() const { return capacity_; }
  std::string unitLine() const;
  std::string softwareLine() const;
  std::string hardwareLine() const;
  std::string choiceText(int item, int choice) const;
  // The units list's entries (the model's UNITS names) and the selection.
  std::vector<std::string> unitNames() const;
  int unitsSelection() const { return unitsSelection_; }
  // Whether the relay units are a length (the units list shows), and the
  // two units boxes' texts.
  bool relayUnitsAreLength() const;
  std::string heightUnitsText() const;
  std::string relayUnitsText() const;
  bool relayUnitsShown() const { return relayUnitsShown_; }
  bool saveEnabled() const { return saveEnabled_; }
  bool writeEnabled() const { return writeEnabled_; }
  bool wiringEnabled() const { return wiringEnabled_; }
  bool independentMode() const { return independent_; }
  bool modified() const { return modified_; }
  bool serviceToolsShown() const { return serviceTools_; }
  // The next configuration number "Test Configs" sets.
  int testCounter() const { return testCounter_; }
  // The counter field: the last test configuration's or View Tanks' count.
  int serviceCounter() const { return serviceCounter_; }
  const LoopCurrentPanel& loopCurrent() const { return loopCurrent_; }
  // The coloured frames: Advanced while an advanced entry is set (never on
  // pulse radar), Tanks while the relay units are a volume.
  bool advancedFramed() const;
  bool tanksFramed() const;
  // The picture beside the levels and its caption: the model's, or the
  // structure's for a shape with a curve. `keep`: the shape is not in the
  // loaded structure list, so the picture and caption stay as they are.
  struct LevelPicture {
    std::string file;  // in the Bitmaps folder; empty for none
    std::string caption;
    bool keep = false;
  };
  LevelPicture levelPicture() const;
  // The height boxes take typing only while the relay units are the height
  // units (a volume or flow output takes its heights from the Tanks forms).
  bool heightsEditable() const;
  // The fill height's caption: the model's MAXHEAD on weirs and flumes, the
  // highest fill level on guided-wave radar, else "Fill Height".
  std::string fillCaption() const;
  // Which of the main form's pages the model's kind wants, given those
  // there now (a page the rule does not mention stays as it is).
  MainFormPages pagesByKind(MainFormPages present) const;
  VolumeTable& volume() { return volume_; }
  const VolumeTable& volume() const { return volume_; }
  StrappingRows& strapping() { return strapping_; }
  RadarAdvancedState& radar() { return radar_; }

  // --- Actions.
  // The page becomes active: from the unit's page images, or in sample
  // mode from the model's factory file. False when a decode failed (the
  // error is shown and the main form closes).
  bool activate();
  // The page is left: with unsaved changes the user is asked first (false:
  // the page stays). Other pages then see what the unit holds: shape, units
  // and sensor height, and the volume table, from the unit's pages.
  bool leave();
  // The radar's advanced parameters were read (the Advanced dialog, or a
  // command that read them): files then carry them.
  void markRadarAdvancedRead();
  // Algorithms of the item lists: a selection, a list dropped down.
  void selectItem(int item, int choice);
  void widenList(int item);
  // The list was closed: without a pick (Escape, a click outside) the
  // choice it shows is taken back, since widening cleared it.
  void listClosed(int item);
  // Text typed into list `item`: the list is widened, then the first
  // offered entry after the shown one that begins with the text is chosen.
  void typeInList(int item, const std::string& text);
  void editLevel(int level, const std::string& text);
  void editSensorHeight(const std::string& text);
  void editFillHeight(const std::string& text);
  void editProbeLength(const std::string& text);
  void editBox(std::string PageBoxes::*box, const std::string& text);
  void selectUnits(int units);
  // Buttons.
  void clearScreen();
  bool factoryConfig();
  // "Open Config File" with the name in the file-name box (the caller's
  // file dialog fills it first); service commands are checked first.
  Request openConfigFile();
  // The service command typed into the file-name box, run; none when the
  // text is no command (it is then a file name).
  std::optional<Request> serviceCommandInBox();
  // Opens a file by name (in the Configs folder unless the path is
  // absolute), as "Open Config File" does once the name is chosen. False
  // when it could not be read (the error was shown).
  bool openFile(const std::string& name);
  // "Save Config File": asks confirmName with the proposed name (false:
  // cancelled; it may revise the name). True when saved.
  bool saveConfigFile(const std::function<bool(std::string& name)>& confirmName);
  void testConfigs();
  // "View Tanks": the overlays to draw over the model's picture (bit k:
  // overlay k); the counter field shows it, and the next press draws the
  // next combination (after 255 comes 0).
  int viewTanks();
  // Before a write: the boxes' heights into the record, the volume table
  // prepared for the relay units, then the value checks, which store and
  // reshow what they check. Nothing is shown or asked. With `all` every
  // finding is collected (see ValueCheckInput::all).
  ValueCheckResult prepareWrite(std::vector<ValueCheckResult>* all = nullptr);
  // What "Write to Unit" would send, without a unit: prepareWrite(), then
  // the customer page over customerImage and the table page over the
  // unit's table image. Nothing is encoded after a check error.
  struct EncodedWrite {
    ValueCheckResult checks;
    int customerResult = CustomerPage::kNoValidConfiguration;
    CustomerPage::Bytes customer{};
    TablePage::Bytes table{};
  };
  EncodedWrite encodeForWrite(const CustomerPage::Bytes& customerImage,
                              const TablePage::Bytes& tableImage);
  // "Write to Unit": the checks here, then the write procedure's device
  // steps through runDevice (the GUI's worker; called directly when not
  // given). The outcome when the device steps ran.
  std::optional<WriteOutcome> writeToUnit(
      const std::function<void(const std::function<void()>&)>& runDevice = {});
  bool wiringDiagram();
  // The Advanced or Relay Set Points dialog changed the record (its OK):
  // the frames, the level check and the buttons follow; the page now holds
  // changes that leaving it would lose, so leaving asks first.
  void settingsEdited();
  // Sample mode: another model number chosen.
  bool chooseModel(const std::string& modelNumber);
  // "Tanks": the structure picker (when it shows) and the form of the
  // chosen shape's class, in turn. beginTanks() says whether the picker
  // shows, on which of its pages and with which shape; with the picker
  // skipped the structure list of the current shape is loaded. The table's
  // dimensions 0..3 then hold the boxes' heights for the form.
  using TanksStart = TanksSequence::Start;
  using TanksForm = TanksSequence::Form;
  TanksStart beginTanks();
  // The picker's choice: its class's structure list is loaded.
  void pickerChose(std::uint16_t shape);
  static TanksForm formFor(std::uint16_t shape);
  // The picker or form was left without OK; `backToShapes` (a form's
  // "Tanks" button) brings the picker back: tanksAgain() then answers true.
  void tanksCancelled(bool backToShapes);
  bool tanksAgain() const;
  // After each pass, whatever its outcome: the capacity line and the units.
  // A sequence that ends without OK leaves the table, the strapping rows and
  // the structure list as they were before it.
  void endTanks();
  // The Tanks dialog's OK: the chosen shape code, output and dimension
  // units, with the table's dimensions already set.
  void applyStructure(std::uint16_t shape, int outputUnits, int dimensionUnits);

  // Values as the page reads and shows them.
  static double readBox(const std::string& text);
  std::string showHeight(double value) const;
  std::string showLevel(double value) const;

  // The content the file writer and the log get from the page now.
  ConfigFileContent fileContent() const;
  ConfigBoxValues boxValues() const;

  // The error of a failed activation, for the startup window.
  const std::string& lastError() const { return lastError_; }

  // Today's support code, "TS" and six digits.
  static std::string supportCode(const std::tm& day);

 private:
  const ModelDatabase& model() const;
  bool guidedWave() const;
  bool pulseRadar() const;
  bool ugus() const;
  bool nonLinearCapable() const;
  int presentItems() const;

  void setupItems();
  // Reads list i back from its shown text into CONFIG[i]; false when the
  // text matches no choice.
  bool readBack(int item);
  void match(bool refreshLevels);
  std::array<bool, UnitConfiguration::kConfigItems> presentFlags() const;
  // After a choice was read back: re-match, auto-select, levels, buttons.
  void afterChoice(int item);
  void refillLists();
  void autoSelect(int except, bool refreshLevels);
  void layoutLevels();
  void applyButtonsRule();
  void checkLevels();
  void deriveIndependentMode();
  void showAllBoxes();
  void refreshCapacity();
  void refreshLoopCurrent();
  void refreshLoopCurrentShown();
  void activationStep(const char* messageKey, int percent);
  void refreshUnits();
  // The page refreshed from a file just read into the records.
  void applyRead(const ConfigReadResult& result);
  int readConfigFile(const std::filesystem::path& path, bool showMessages);
  void refreshAfterLoad();
  void clearItems();
  // Runs the service command the text names; none when it names none.
  std::optional<Request> serviceCommand(const std::string& typed);
  const std::array<UnitMemory::Page, 4>* images() const;
  // The table page into the volume table, and the customer page decoded.
  CustomerPageDecoding decodeImages();
  void decodeUnitPages();
  void loadStructureList(std::uint16_t shape);
  void minimumFillRule();
  void applyDecoding(const CustomerPageDecoding& d);
  std::string fileDateText(const std::filesystem::path& path) const;
  std::string text(const char* key) const;
  void notify(PagePart part);
  void log(const char* key, const std::string& message);

  UnitConfiguration& config_;
  ConfigPageServices services_;
  ConfigPageView* view_ = nullptr;
  VolumeTable volume_;
  StrappingRows strapping_;
  RadarAdvancedState radar_;
  mutable RadarAdvanced radarAdvanced_;  // what fileContent() points to

  std::array<ItemList, UnitConfiguration::kConfigItems> items_{};
  std::array<LevelRow, UnitConfiguration::kLevels> rows_{};
  PageBoxes boxes_;
  std::string status_;
  std::string capacity_;
  int unitsSelection_ = 0;
  bool relayUnitsShown_ = false;
  bool saveEnabled_ = false;
  bool writeEnabled_ = false;
  bool wiringEnabled_ = false;
  bool independent_ = false;
  bool modified_ = false;
  bool sample_ = false;
  bool serviceTools_ = false;
  int testCounter_ = 1;
  int viewTanksCounter_ = 0;
  int serviceCounter_ = 0;
  LoopCurrentPanel loopCurrent_;
  TanksSequence tanks_;
  // Set while a write runs, so a second one (a timer, a re-entered slot)
  // cannot start.
  std::atomic<bool> writing_{false};
  int decodeResult_ = 0;
  std::string lastError_;
};

}  // namespace ostrel
