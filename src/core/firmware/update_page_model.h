#pragma once
// The update page without its widgets: the program file field, the two
// buttons, the progress bar and the line under it, the checks before a run,
// what a finished run means for the page, leaving the page, and the update
// offer made before the main form opens. The page's view renders this state
// and runs the programming worker on its own thread; everything the user is
// told goes through the presenter.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/firmware/program_file.h"

namespace ostrel {

class LanguageTable;
class Presenter;

// The parts of the page a change touches; the view re-reads them.
enum class UpdatePart {
  Path,      // the program file field
  Buttons,   // Select Program and Update Sensor enabled or not
  Progress,  // the progress bar, 0..1000
  Status,    // the line under the bar
};

class UpdatePageView {
 public:
  virtual ~UpdatePageView() = default;
  virtual void changed(UpdatePart part) = 0;
};

// What the select dialog shows: the unit's range and version, and one entry
// per fitting file, newest version text first.
struct ProgramChoice {
  std::string currentRange;
  std::string currentVersion;  // SW REV / 10 as "41.2"
  std::vector<std::string> names;
  std::vector<std::string> entries;  // "12.5M Version 41.2", in the order of names
};

// The unit and folders the page works for; read at each use.
struct UpdatePageUnit {
  std::filesystem::path programsFolder;
  std::filesystem::path modelFile;  // the unit's model file; empty when none
  std::string unitRange;            // the model's range text
  int softwareRevision = 0;         // SW REV
  bool stubbed = false;             // sample program: no unit behind the page
};

class UpdatePageModel {
 public:
  // The index of the chosen entry of the choice, or -1 when none was chosen.
  using Chooser = std::function<int(const ProgramChoice&)>;

  // What the view hands the programming worker for a run.
  struct Run {
    std::filesystem::path path;
    ProgramKind kind = ProgramKind::Fp2;
    std::vector<std::string> programNames;  // the model's PROGRAMNAME lines
    bool forceUnfit = false;                // the user confirmed a file of another program
  };

  // What a finished run asks of the page's surroundings.
  struct Completion {
    bool reconnect = false;  // close the main form with result 1 and set the offer mark
  };

  static constexpr const char* kNoFilesText = "No firmware files found!";
  static constexpr const char* kUnfitQuestionKey = "STATUS_MESSAGE81";

  UpdatePageModel(Presenter& presenter, const LanguageTable& language, int column);

  void setView(UpdatePageView* view) { view_ = view; }
  void setUnit(UpdatePageUnit unit) { unit_ = std::move(unit); }
  const UpdatePageUnit& unit() const { return unit_; }

  // --- State the view shows.
  const std::string& fieldPath() const { return field_; }
  const std::filesystem::path& programPath() const { return programPath_; }
  bool buttonsEnabled() const { return buttons_; }
  int progress() const { return progress_; }
  const std::string& statusText() const { return status_; }
  bool running() const { return running_; }
  bool completed() const { return completed_; }
  const std::string& errorText() const { return error_; }

  // --- Rules.
  // The program files in the Programs folder that fit the unit's model.
  std::vector<std::string> ListProgramFiles() const;
  // The choice the select dialog offers for these files.
  ProgramChoice choiceFor(std::vector<std::string> names) const;
  // Runs the chooser over the files; the full path of the chosen one, or
  // empty when none was chosen.
  std::string ChooseProgramFile(const std::vector<std::string>& names, const Chooser& chooser);
  // Before the main form opens: whether a newer file (or any, below
  // revision 10) is to be offered, the user's answer and choice. True when
  // the user chose a file; it is then the program file path.
  bool OfferUpdate(const Chooser& chooser);

  // --- Actions.
  // The page becomes current. True when the run is to start at once: the
  // first activation after an accepted offer (offerMark set).
  bool activate(bool offerMark);
  // Select Program: the chosen file goes into the field.
  void selectProgram(const Chooser& chooser);
  // Update Sensor: checks the field and asks what it must; the run to start,
  // or nothing (the user was told why, or declined).
  std::optional<Run> updateSensor();
  // The worker's progress, 0..1000.
  void progressValue(int value);
  // The worker ended with result r.
  Completion complete(int result);
  // The sheet wants to leave the page: false while a run is under way.
  bool leave();

 private:
  std::string text(const char* key) const;
  void notify(UpdatePart part);
  void setButtons(bool enabled);
  void refuse(const std::string& text);

  Presenter& presenter_;
  const LanguageTable& language_;
  int column_;
  UpdatePageView* view_ = nullptr;
  UpdatePageUnit unit_;

  std::string field_;
  std::filesystem::path programPath_;
  bool buttons_ = true;
  int progress_ = 0;
  std::string status_;
  bool running_ = false;
  bool completed_ = true;
  std::string error_;
  bool offerRunStarted_ = false;
};

}  // namespace ostrel
