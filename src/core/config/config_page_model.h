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
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/box_mapper.h"
#include "core/config/config_page_files.h"
#include "core/config/config_page_looks.h"
#include "core/config/config_page_services.h"
#include "core/config/config_page_view.h"
#include "core/config/config_page_writer.h"
#include "core/config/item_lists.h"
#include "core/config/item_selection.h"
#include "core/config/loop_current.h"
#include "core/config/page_start.h"
#include "core/config/service_commands.h"
#include "core/config/tanks_sequence.h"
#include "core/config/units_change.h"
#include "core/model/model_database.h"
#include "core/model/model_records.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

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
  const ItemSelection::Lists& items() const { return items_.lists(); }
  const std::array<LevelRow, UnitConfiguration::kLevels>& levelRows() const { return rows_; }
  const PageBoxes& boxes() const { return boxes_; }
  const std::string& statusLine() const { return status_; }
  const std::string& capacityLine() const { return capacity_; }
  std::string choiceText(int item, int choice) const { return ItemLists(model()).choiceText(item, choice); }
  // What follows from the record and the model alone: the identity lines,
  // the units list's entries and the units boxes, the frames, the picture,
  // the fill caption, which boxes take typing, the pages by kind.
  ConfigPageLooks looks() const { return {*services_.records, config_, services_.pulse, sample_}; }
  // The units list's selection.
  int unitsSelection() const { return unitsSelection_; }
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
  void markRadarAdvancedRead() { writer_.radarBlockRead(); }
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
  // A box was left: a text that is no number is refused at once, naming the
  // box (the user's text stays for correction). False when refused; the
  // message has been shown.
  bool leaveBox(std::string PageBoxes::*box);
  bool leaveLevel(int level);
  // The first box whose text is no number, as the refusal the user reads
  // ("Sensor Height: abc is not a valid number."); none when all read.
  std::optional<ValueCheckResult> refusedBox() const;
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
  // The name openFile() takes for a file the user chose.
  std::string fileNameFor(const std::filesystem::path& chosen) const { return files_.nameOf(chosen); }
  // "Save Config File": asks confirmName with the proposed name (false:
  // cancelled; it may revise the name). True when saved.
  bool saveConfigFile(const std::function<bool(std::string& name)>& confirmName);
  void testConfigs();
  // "View Tanks": the overlays to draw over the model's picture, the
  // combination the counter field shows (bit k: overlay k); the next press
  // draws the next combination (after 255 comes 0).
  std::vector<OverlayPoint> viewTanks();
  // Before a write: the boxes' heights into the record, the volume table
  // prepared for the relay units, then the value checks, which store and
  // reshow what they check. Nothing is shown or asked. With `all` every
  // finding is collected (see ValueCheckInput::all).
  ValueCheckResult prepareWrite(std::vector<ValueCheckResult>* all = nullptr);
  // What "Write to Unit" would send, without a unit: prepareWrite(), then
  // the customer page over customerImage and the table page over the
  // unit's table image. Nothing is encoded after a check error.
  using EncodedWrite = ConfigPageWriter::Encoded;
  EncodedWrite encodeForWrite(const CustomerPage::Bytes& customerImage,
                              const TablePage::Bytes& tableImage);
  // "Write to Unit": the checks here, then the write procedure's device
  // steps through runDevice (the GUI's worker; called directly when not
  // given). The outcome when the device steps ran.
  std::optional<WriteOutcome> writeToUnit(
      const std::function<void(const std::function<void()>&)>& runDevice = {});
  bool wiringDiagram() { return files_.openDrawing(); }
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
  void pickerChose(std::uint16_t shape) { tanks_.pickerChose(shape); }
  static TanksForm formFor(std::uint16_t shape) { return TanksSequence::formFor(shape); }
  // The picker or form was left without OK; `backToShapes` (a form's
  // "Tanks" button) brings the picker back: tanksAgain() then answers true.
  void tanksCancelled(bool backToShapes) { tanks_.cancelled(backToShapes); }
  bool tanksAgain() const { return tanks_.again(); }
  // After each pass, whatever its outcome: the capacity line and the units.
  // A sequence that ends without OK leaves the table, the strapping rows and
  // the structure list as they were before it.
  void endTanks();
  // The Tanks dialog's OK: the chosen shape code, output and dimension
  // units, with the table's dimensions already set.
  void applyStructure(std::uint16_t shape, int outputUnits, int dimensionUnits);

  // Values as the page reads and shows them.
  static double readBox(const std::string& text) { return BoxMapper::read(text); }
  std::string showHeight(double value) const;
  std::string showLevel(double value) const;

  // The unit's pages changed behind the page (a direct entry wrote a word):
  // the customer page image is decoded again and the page shows it. A page
  // that cannot be decoded is reported; false then.
  bool unitPagesChanged();

  // The content the file writer and the log get from the page now.
  ConfigFileContent fileContent() const;
  ConfigBoxValues boxValues() const;

  // The error of a failed activation, for the startup window.
  const std::string& lastError() const { return lastError_; }

  // Today's support code, "TS" and six digits.
  static std::string supportCode(const std::tm& day) { return ServiceCommands::supportCode(day); }

 private:
  const ModelDatabase& model() const { return services_.records->Database; }
  bool guidedWave() const { return model().GuidedWaveRadar != 0; }
  bool pulseRadar() const { return model().PulseRadar != 0; }
  bool ugus() const { return model().Ugus != 0; }
  bool nonLinearCapable() const { return !model().NonLinearButtonCaption.empty(); }
  BoxMapper::Kind kind() const { return {guidedWave(), pulseRadar()}; }

  ItemSelection::Hooks itemHooks();
  // A match of the item lists: the status line, and with refreshLevels the
  // levels and buttons of the configuration matched.
  void matched(const ItemMatcher::Match& m, bool refreshLevels);
  void layoutLevels();
  void applyButtonsRule();
  void checkLevels();
  void deriveIndependentMode();
  void showAllBoxes();
  void refreshCapacity();
  void refreshLoopCurrent();
  void refreshLoopCurrentShown();
  void activationStep(const char* messageKey, int percent);
  // The unit's state could not be decoded: logged, shown, kept for the
  // startup window.
  void decodeFailed(int code);
  // The page shows what the unit's state just decoded selected.
  void showUnitState();
  void refreshUnits();
  // The page refreshed from a file just read into the records.
  void applyRead(const ConfigReadResult& result);
  int readConfigFile(const std::filesystem::path& path, bool showMessages);
  void refreshAfterLoad();
  void clearItems();
  // Runs the service command the text names; none when it names none.
  std::optional<Request> serviceCommand(const std::string& typed);
  void loadStructureList(std::uint16_t shape);
  void minimumFillRule();
  std::string text(const char* key) const;
  void notify(PagePart part);
  // The name the user knows a box by.
  std::string boxName(std::string PageBoxes::*box) const;
  bool showRefusal(const std::optional<ValueCheckResult>& refused) const;
  void log(const char* key, const std::string& message);

  UnitConfiguration& config_;
  ConfigPageServices services_;
  ConfigPageView* view_ = nullptr;
  VolumeTable volume_;
  StrappingRows strapping_;
  RadarAdvancedState radar_;
  ConfigPageFiles files_;
  ConfigPageWriter writer_;

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
  ExactBoxes exact_;  // the boxes' values at full precision after a units change
  TanksSequence tanks_;
  PageStart start_;
  ItemSelection items_;
  std::string lastError_;
};

}  // namespace ostrel
