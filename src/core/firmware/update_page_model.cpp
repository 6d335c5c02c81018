#include "core/firmware/update_page_model.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/firmware/program_names.h"
#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"

namespace ostrel {

namespace pn = program_names;

UpdatePageModel::UpdatePageModel(Presenter& presenter, const LanguageTable& language, int column)
    : presenter_(presenter), language_(language), column_(column) {}

std::string UpdatePageModel::text(const char* key) const {
  return language_.Text(key, column_, key);
}

void UpdatePageModel::notify(UpdatePart part) {
  if (view_ != nullptr) view_->changed(part);
}

void UpdatePageModel::setButtons(bool enabled) {
  buttons_ = enabled;
  notify(UpdatePart::Buttons);
}

void UpdatePageModel::refuse(const std::string& message) {
  setButtons(true);
  error_ = message;
  presenter_.messageBox(message, kStyleError);
}

// --- rules --------------------------------------------------------------------------

std::vector<std::string> UpdatePageModel::ListProgramFiles() const {
  if (unit_.modelFile.empty()) return {};
  const std::optional<std::vector<std::string>> names = modelProgramNames(unit_.modelFile);
  if (!names) return {};
  return ostrel::ListProgramFiles(unit_.programsFolder, *names);
}

ProgramChoice UpdatePageModel::choiceFor(std::vector<std::string> names) const {
  ProgramChoice c;
  c.currentRange = unit_.unitRange;
  char version[32];
  std::snprintf(version, sizeof version, "%2.1f", unit_.softwareRevision / 10.0);
  c.currentVersion = version;
  // Largest version text first, compared as plain text; equal texts keep
  // their order.
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return pn::versionText(a) > pn::versionText(b);
  });
  const std::string label = text("IDVERSION");
  for (const std::string& name : names) {
    c.entries.push_back(pn::rangeText(name) + " " + label + " " + pn::shownVersion(name));
  }
  c.names = std::move(names);
  return c;
}

std::string UpdatePageModel::ChooseProgramFile(const std::vector<std::string>& names,
                                               const Chooser& chooser) {
  const ProgramChoice choice = choiceFor(names);
  const int index = chooser ? chooser(choice) : -1;
  if (index < 0 || index >= static_cast<int>(choice.names.size())) return {};
  const std::string& name = choice.names[static_cast<std::size_t>(index)];
  if (name.empty()) return {};
  return (unit_.programsFolder / name).string();
}

bool UpdatePageModel::OfferUpdate(const Chooser& chooser) {
  const std::vector<std::string> files = ListProgramFiles();
  const OfferDecision d = decideOffer(unit_.softwareRevision, files);
  if (d.noFiles) {
    presenter_.platformMessageBox(kNoFilesText, kStylePlain);
    return false;
  }
  if (!d.offer) return false;
  if (presenter_.messageBox(text(d.messageKey.c_str()), kStyleYesNo) != kResultYes) return false;
  const std::string path = ChooseProgramFile(files, chooser);
  if (path.empty()) return false;
  programPath_ = path;
  return true;
}

// --- actions ------------------------------------------------------------------------

bool UpdatePageModel::activate(bool offerMark) {
  field_ = programPath_.string();
  notify(UpdatePart::Path);
  progress_ = 0;
  notify(UpdatePart::Progress);
  // After an accepted offer the run starts by itself, once: coming back to
  // the page after that run failed does not erase the unit again unasked.
  const bool startNow = offerMark && !unit_.stubbed && !offerRunStarted_ && !running_;
  if (startNow) offerRunStarted_ = true;
  setButtons(!running_ && !startNow && !unit_.stubbed);
  if (!running_) {
    status_.clear();
    notify(UpdatePart::Status);
    completed_ = true;
  }
  return startNow;
}

void UpdatePageModel::selectProgram(const Chooser& chooser) {
  const std::string path = ChooseProgramFile(ListProgramFiles(), chooser);
  if (path.empty()) return;
  field_ = path;
  notify(UpdatePart::Path);
}

std::optional<UpdatePageModel::Run> UpdatePageModel::updateSensor() {
  setButtons(false);
  const std::string path = field_;
  std::optional<ProgramKind> kind;
  if (path.empty()) {
    refuse(text("ERROR_MESSAGE75"));
    return std::nullopt;
  }
  if (path.size() <= 5) {
    refuse(text("ERROR_MESSAGE102"));
    return std::nullopt;
  }
  kind = program_file::kindOfName(path);
  if (!kind) {
    refuse(text("ERROR_MESSAGE103"));
    return std::nullopt;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    refuse(text("ERROR_MESSAGE70"));
    return std::nullopt;
  }

  programPath_ = path;
  progress_ = 0;
  notify(UpdatePart::Progress);
  status_ = "0%";
  notify(UpdatePart::Status);
  if (running_) {
    refuse(text("ERROR_MESSAGE104"));
    return std::nullopt;
  }

  Run run;
  run.path = path;
  run.kind = *kind;
  if (!unit_.modelFile.empty()) {
    run.programNames = modelProgramNames(unit_.modelFile).value_or(std::vector<std::string>{});
  }
  if (*kind == ProgramKind::Fp2 && !run.programNames.empty()) {
    // A file of another program is only sent when the user says so twice:
    // once with Update Sensor, once here.
    bool tooLarge = false;
    const std::optional<std::string> bytes =
        program_file::readFile(path, program_file::kMaxCombinedBytes, tooLarge);
    const std::optional<std::string> pid =
        bytes ? program_file::readCombined(*bytes).pid : std::nullopt;
    const std::string name = pid ? program_file::programName(*pid) : std::string();
    if (pid && !programNameFits(name, run.programNames)) {
      const std::string question = formatText(text(kUnfitQuestionKey), {name});
      if (presenter_.messageBox(question, kStyleYesNo | kStyleWarning) != kResultYes) {
        setButtons(true);
        status_.clear();
        notify(UpdatePart::Status);
        return std::nullopt;
      }
      run.forceUnfit = true;
    }
  }
  running_ = true;
  completed_ = false;
  return run;
}

void UpdatePageModel::progressValue(int value) {
  progress_ = std::clamp(value, 0, 1000);
  notify(UpdatePart::Progress);
  status_ = std::to_string(progress_ / 10) + "%";
  notify(UpdatePart::Status);
}

UpdatePageModel::Completion UpdatePageModel::complete(int result) {
  Completion c;
  setButtons(true);
  if (!running_) return c;
  running_ = false;
  if (result == 0) {
    status_ = text("BUSY_MESSAGE11");
    notify(UpdatePart::Status);
    completed_ = true;
    c.reconnect = true;
  } else if (result == 1) {
    status_ = text("BUSY_MESSAGE14");
    notify(UpdatePart::Status);
  } else if (result < 0 && result != -10) {
    error_ = formatText(text("ERROR_MESSAGE104"), {result});
    presenter_.messageBox(error_, kStyleError);
  }
  progress_ = 0;
  notify(UpdatePart::Progress);
  return c;
}

bool UpdatePageModel::leave() {
  if (running_) return false;
  if (!completed_) presenter_.messageBox(text("STATUS_MESSAGE44"), kStyleInformation);
  return true;
}

}  // namespace ostrel
