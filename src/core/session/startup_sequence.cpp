#include "core/session/startup_sequence.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/link/connect_failure.h"
#include "core/model/model_discovery.h"
#include "core/session/app_context.h"
#include "core/session/page_unit_identity.h"
#include "core/support/presenter.h"

namespace ostrel {
namespace {

// The number a text starts with, as the C library reads it (leading blanks,
// a sign, digits); 0 when there is none. Saturates instead of overflowing.
std::int32_t leadingNumber(const std::string& text) {
  errno = 0;
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

// The startup window's progress bar as a progress sink of the link's
// procedures.
class ViewProgress final : public ProgressSink {
 public:
  explicit ViewProgress(StartupView& view) : view_(view) {}
  void setMessage(const std::string&) override {}
  void setProgress(int percent) override {
    percent_ = percent;
    view_.progress(percent);
  }
  int progress() const override { return percent_; }

 private:
  StartupView& view_;
  int percent_ = 20;
};

// The page reader's steps shown on the startup window.
class ViewSteps final : public IdentifySteps {
 public:
  ViewSteps(StartupView& view, const AppContext& ctx) : view_(view), ctx_(ctx) {}
  void caption(std::string_view key) override { view_.captionLine(ctx_.text(key)); }
  void progress(int percent) override { view_.progress(percent); }

 private:
  StartupView& view_;
  const AppContext& ctx_;
};

}  // namespace

std::string StartupSequence::modelPrefix(std::string_view model) {
  return std::string(model.substr(0, model.find('-')));
}

StartupSequence::Outcome StartupSequence::ConnectSequence(StartupView& view) {
  view.progress(10);
  view.statusText({});
  view.troubleshootLink(false);
  view.startButtons(false);
  // Whatever this attempt finds, it is not the unit that was there before.
  ctx_.State.Kind = UnitKind::None;

  std::vector<std::string> cables;
  const int n = ctx_.Link->EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId);
  if (n == UnitLink::kDriverNotServing) {
    view.troubleshootLink(true);
    ShowStartupError(view, ctx_.format("IDC_START_STATUS6", {ctx_.Identity.ProgramId}));
    return Outcome::Stopped;
  }
  if (n < 0) {
    // Nothing the user can try: the buttons stay disabled.
    view.statusText(ctx_.text("IDC_START_STATUS1"));
    view.captionLine({});
    view.progress(0);
    return Outcome::Stopped;
  }
  if (n == 0) {
    ShowStartupError(view, ctx_.format("IDC_START_STATUS2", {ctx_.Identity.ProgramId}));
    return Outcome::Stopped;
  }
  // With several cables the last one listed is used.
  ctx_.Link->SetTargetProduct(cables.back());

  view.captionLine(ctx_.text("IDC_START_STATUS7"));
  const int r = ctx_.Link->Connect();
  if (r != 0) {
    ShowStartupError(view, ConnectFailureText(r));
    return Outcome::Stopped;
  }

  bool found = true;
  if (IdentifyUnit(false, found, view)) return Outcome::Identified;
  if (!found) {
    ShowModelNotFound(view);
    if (LoadModelByHardware()) return Outcome::IdentifiedByHardware;
  }
  return Outcome::NotIdentified;
}

StartupSequence::Outcome StartupSequence::SampleProgram(StartupView& view) {
  bool found = true;
  if (IdentifyUnit(true, found, view)) return Outcome::Identified;
  if (!found) ShowModelNotFound(view);
  return Outcome::NotIdentified;
}

bool StartupSequence::IdentifyUnit(bool sample, bool& found, StartupView& view) {
  // Nothing of the previous unit's kind may carry over to this one.
  ctx_.State.Kind = UnitKind::None;

  view.statusText({});
  view.captionLine(ctx_.text("BUSY_MESSAGE1"));
  view.progress(20);

  if (sample) {
    identifySample(view);
  } else {
    view.captionLine(ctx_.text("BUSY_MESSAGE2"));
    if (ctx_.Pulse.DetectPulse(*ctx_.Link)) {
      if (!identifyPulseRadar(view)) return false;
      return LoadUnitModel(found);
    }
    if (!identifyPageUnit(view)) return false;
  }

  view.progress(65);
  view.captionLine(ctx_.text("BUSY_MESSAGE7"));
  view.progress(70);
  view.captionLine(ctx_.text("BUSY_MESSAGE8"));
  ctx_.HelpTopics.build(ctx_.State.Kind == UnitKind::GuidedWave, false);
  view.progress(80);
  view.captionLine(ctx_.text("BUSY_MESSAGE16"));
  view.progress(90);
  return LoadUnitModel(found);
}

bool StartupSequence::identifyPulseRadar(StartupView& view) {
  PulseProtocol& pulse = ctx_.Pulse;
  ViewProgress bar(view);
  int r = pulse.ReadUniqueIdentifier(*ctx_.Link);
  if (r == 0) r = pulse.ReadIdentitySet(*ctx_.Link, &bar);
  if (r != 0) {
    return fail(view, ctx_.format("ERROR_MESSAGE132",
                                  {PulseProtocol::ErrorName(r),
                                   PulseProtocol::CommandName(pulse.LastFailingParameter())}));
  }
  ctx_.State.Kind = UnitKind::PulseRadar;
  ctx_.HelpTopics.build(false, true);
  // The item selections start from nothing for a radar.
  std::fill_n(ctx_.Unit.itemChoices.begin(), 8, 0);
  const PulseParameters& p = pulse.Parameters();
  ctx_.Unit.firmware = "NXRadar";
  ctx_.Unit.model = p.ModelNumber;
  ctx_.Unit.softwareRevision = leadingNumber(p.FirmwareVersion);
  ctx_.Unit.serial = leadingNumber(p.SerialNumber);
  ctx_.State.ModelCopy = ctx_.Unit.model;
  return true;
}

bool StartupSequence::identifyPageUnit(StartupView& view) {
  ViewSteps steps(view, ctx_);
  const PageUnitIdentity id = ostrel::identifyPageUnit(*ctx_.Memory, &steps);
  if (!id.ok()) return fail(view, ctx_.format(id.errorKey, {id.result}));
  switch (id.kind) {
    case PageUnitIdentity::Kind::GuidedWave: ctx_.State.Kind = UnitKind::GuidedWave; break;
    case PageUnitIdentity::Kind::UType: ctx_.State.Kind = UnitKind::UType; break;
    case PageUnitIdentity::Kind::Ultrasonic: ctx_.State.Kind = UnitKind::Ultrasonic; break;
  }

  UnitConfiguration& unit = ctx_.Unit;
  unit.firmware = id.firmware;
  unit.softwareRevision = id.swRev;
  unit.fileSerial = id.fileSerial;
  unit.serial = id.serial;
  unit.model = id.model;
  ctx_.State.ModelCopy = unit.model;
  return true;
}

void StartupSequence::identifySample(StartupView& view) {
  view.captionLine(ctx_.text("BUSY_MESSAGE6"));
  ctx_.State.Kind = UnitKind::Sample;
  UnitConfiguration& unit = ctx_.Unit;
  const AppSettings& values = ctx_.Values;
  unit.fileSerial = leadingNumber(values.DemoSerial);
  unit.serial = unit.fileSerial;
  // The per-user settings hold no DEMOFW (only a settings file can name
  // one); the demonstration model then stands for its own firmware text, so
  // that the model search, which wants both, can find the sample model.
  unit.firmware = values.DemoFirmware.empty() ? values.DemoModel : values.DemoFirmware;
  unit.model = values.DemoModel;
  unit.softwareRevision = leadingNumber(values.DemoSoftwareRevision);
  for (int page = 0; page < 4; ++page) ctx_.Memory->Pages[static_cast<std::size_t>(page)].fill(0);

  // Every model of the family, once, for the sample "Model Number" list.
  ctx_.SampleModelNames.clear();
  ctx_.SampleModelFiles.clear();
  std::vector<std::string> files;
  std::vector<std::string> plain;
  ModelDiscovery::ListModelFiles(ctx_.Folders.Models, ctx_.Identity.ModelId + "*.fmf", files);
  ModelDiscovery::ListModelFiles(ctx_.Folders.Models, ctx_.Identity.ModelId + "*.txt", plain);
  files.insert(files.end(), plain.begin(), plain.end());
  for (const std::string& file : files) {
    ResetModelDatabase(ctx_.Database, ctx_.Images, &ctx_.Flags);
    if (!loadModel(ctx_.Folders.Models / file, 0)) continue;
    const ModelDatabase& db = ctx_.Database;
    if (db.UnitTypeCount <= 0 || db.UnitTypes[0].empty()) continue;
    // A family ships each model plain and enciphered; it is offered once.
    const std::string& name = db.UnitTypes[0];
    if (std::find(ctx_.SampleModelNames.begin(), ctx_.SampleModelNames.end(), name) !=
        ctx_.SampleModelNames.end()) {
      continue;
    }
    ctx_.SampleModelNames.push_back(name);
    ctx_.SampleModelFiles.push_back(file);
  }
}

bool StartupSequence::fail(StartupView& view, const std::string& text) {
  ShowStartupError(view, text);
  return false;
}

bool StartupSequence::findAndLoad(bool withFirmware) {
  UnitConfiguration& unit = ctx_.Unit;
  const std::string prefix = modelPrefix(unit.model);
  std::vector<std::string> wanted{prefix};
  if (withFirmware) wanted.push_back(unit.firmware);

  ModelDiscovery discovery(ctx_.Folders.Models, &ctx_.Language, ctx_.Values.LanguageNumber,
                           &ctx_.presenter().busy());
  std::string name;
  const bool found = discovery.FindModelFile(ctx_.Identity.ModelId, "UNITTYPE", wanted, 90, name);
  ctx_.show(discovery.takeNotices());
  // The database is emptied either way: after a failed search nothing of an
  // earlier unit's model (or of the sample listing) may stay behind.
  ResetModelDatabase(ctx_.Database, ctx_.Images, &ctx_.Flags);
  if (!found) {
    // No file serves the unit: load nothing, and keep no earlier unit's name.
    unit.modelFileName.clear();
    return false;
  }
  unit.modelFileName = name;
  // The form that matched is the one loaded: an enciphered file of the same
  // name may describe other units.
  if (!loadModel(ctx_.Folders.Models / name, 90)) {
    ResetModelDatabase(ctx_.Database, ctx_.Images, &ctx_.Flags);
    return false;
  }
  return true;
}

bool StartupSequence::loadModel(const std::filesystem::path& path, int progress) {
  ctx_.UnitType.Firmware = ctx_.Unit.firmware;
  ctx_.UnitType.Description = ctx_.Unit.unitDescription;
  const bool loaded = ctx_.Parser.LoadModelFile(path, progress);
  ctx_.show(ctx_.Parser.takeNotices());
  ctx_.Unit.unitDescription = ctx_.UnitType.Description;
  return loaded;
}

bool StartupSequence::LoadUnitModel(bool& found) {
  if (findAndLoad(true)) return true;
  found = false;
  notFoundModel_ = modelPrefix(ctx_.Unit.model);
  notFoundFirmware_ = ctx_.Unit.firmware;
  return false;
}

bool StartupSequence::LoadModelByHardware() { return findAndLoad(false); }

bool StartupSequence::LoadSampleModel(const std::string& modelNumber) {
  const std::string prefix = modelPrefix(modelNumber);
  const auto& names = ctx_.SampleModelNames;
  const auto at = std::find(names.begin(), names.end(), prefix);
  if (at == names.end()) return false;
  const std::string file = ctx_.SampleModelFiles[static_cast<std::size_t>(at - names.begin())];
  // The help topics are built for the model's kind before its file is
  // read, since the file's own topics overwrite entries: the kind is learnt
  // from a first reading.
  for (int pass = 0; pass < 2; ++pass) {
    ResetModelDatabase(ctx_.Database, ctx_.Images, &ctx_.Flags);
    if (!loadModel(ctx_.Folders.Models / file, 0)) {
      ResetModelDatabase(ctx_.Database, ctx_.Images, &ctx_.Flags);
      return false;
    }
    if (pass == 0) {
      ctx_.HelpTopics.build(ctx_.Database.GuidedWaveRadar != 0, ctx_.Database.PulseRadar != 0);
    }
  }
  ctx_.Unit.modelFileName = file;
  return true;
}

void StartupSequence::ShowModelNotFound(StartupView& view) {
  view.statusText(ctx_.text("ERROR_MESSAGE117") +
                  ctx_.format("ERROR_MESSAGE119", {notFoundModel_, notFoundFirmware_}));
}

std::string StartupSequence::ConnectFailureText(int result) const {
  // What was found, in words, with the code.
  const ConnectFailure f = explainConnectFailure(result, ctx_.Link->Driver().lastOpenFailure());
  using P = ConnectFailure::Problem;
  switch (f.problem) {
    case P::NoSuchDevice: return ctx_.format("IDC_START_STATUS8", {result, f.device});
    case P::NotSerial: return ctx_.format("IDC_START_STATUS9", {result, f.device});
    case P::PermissionDenied: return ctx_.format("IDC_START_STATUS10", {result, f.device});
    case P::Busy: return ctx_.format("IDC_START_STATUS11", {result, f.device});
    case P::OpenFailed: return ctx_.format("IDC_START_STATUS12", {result, f.device, f.detail});
    case P::NoAnswer: return ctx_.format("IDC_START_STATUS13", {result});
    case P::RadarAsleep: return ctx_.format("IDC_START_STATUS5", {result});
    case P::BaudChangeRefused:
    case P::Other: break;
  }
  return ctx_.format("IDC_START_STATUS3", {result});
}

void StartupSequence::ShowStartupError(StartupView& view, const std::string& text) {
  view.captionLine({});
  view.progress(0);
  view.startButtons(true);
  view.statusText(text);
}

}  // namespace ostrel
