#include "core/config/write_procedure.h"

#include <string_view>
#include <thread>

#include "core/config/advanced_form_model.h"
#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/unit_configuration.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/model/model_database.h"
#include "core/support/language_table.h"
#include "core/support/log_file.h"
#include "core/support/notice.h"
#include "core/support/presenter.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

// Revisions from 500 up belong to the second firmware generation, whose
// pages the first generation's configurations do not fit.
constexpr std::int32_t kSecondGeneration = 500;
constexpr std::uint16_t kModelNumber = 0x50;
constexpr int kRadarRefused = -4;
// The configuration holds a value the unit cannot (the step result of a
// refused write; CustomerPage::encode's own results are 0 and 1).
constexpr int kValueNotHeld = 2;

// Gives the process's write flag back however the run ends.
class WriteClaim {
 public:
  explicit WriteClaim(std::atomic<bool>& flag) : flag_(flag) {
    bool idle = false;
    claimed_ = flag_.compare_exchange_strong(idle, true);
  }
  ~WriteClaim() {
    if (claimed_) flag_.store(false);
  }
  WriteClaim(const WriteClaim&) = delete;
  WriteClaim& operator=(const WriteClaim&) = delete;
  bool claimed() const { return claimed_; }

 private:
  std::atomic<bool>& flag_;
  bool claimed_ = false;
};

IdentityCheck identityResult(IdentityCheck id, int result) {
  id.result = result;
  return id;
}

}  // namespace

IdentityCheck WriteProcedure::checkIdentity(UnitMemory& memory, const UnitConfiguration& config,
                                            const ModelDatabase& model, bool radarActive) {
  IdentityCheck id;
  if (radarActive) return identityResult(id, IdentityCheck::kPulseRadar);

  // Read beside the store: a failed read leaves part of a page behind.
  UnitMemory::Page factory{};
  if (memory.ReadPage(UnitMemory::kFactory, factory.data()) != 0) {
    return identityResult(id, IdentityCheck::kNoFactoryPage);
  }
  const bool modelPageVariant = model.GuidedWaveRadar != 0 || model.Ugus != 0;
  std::int32_t factorySerial = 0;
  std::string text;
  std::int32_t revision = 0;
  if (UnitMemory::ParseFactoryIdentity(factory.data(), factorySerial, text, revision,
                                       modelPageVariant) != 0) {
    return identityResult(id, IdentityCheck::kNoFactoryPage);
  }
  memory.Pages[UnitMemory::kFactory] = factory;
  if (modelPageVariant && memory.ReadModelPage(text, revision) != 0) {
    return identityResult(id, IdentityCheck::kNoFactoryPage);
  }
  id.generation = revision;
  if ((config.softwareRevision < kSecondGeneration) != (revision < kSecondGeneration)) {
    return identityResult(id, IdentityCheck::kOtherGeneration);
  }

  std::array<std::uint8_t, UnitMemory::kInfoSize> info{};
  if (memory.ReadInfoMemory(info.data()) != 0) return identityResult(id, IdentityCheck::kNoInfoMemory);
  memory.Info = info;
  std::string hardwareModel;
  if (UnitMemory::ParseHardwareIdentity(info.data(), id.hardwareSerial, hardwareModel) != 0) {
    return identityResult(id, IdentityCheck::kNoHardwareIdentity);
  }
  if (hardwareModel != config.model) return identityResult(id, IdentityCheck::kOtherModel);
  return identityResult(id, id.hardwareSerial == config.serial ? IdentityCheck::kSameUnit
                                                               : IdentityCheck::kOtherSerial);
}

WriteOutcome WriteProcedure::run() {
  out_ = WriteOutcome{};
  WriteClaim claim(r_.writeInProgress);
  if (!claim.claimed()) {
    out_.status = WriteOutcome::Status::Busy;
    return out_;
  }
  details_.clear();

  bool firstUnit = true;
  for (;;) {
    busy("STATUS_MESSAGE10", 20);
    IdentityCheck id = checkIdentity(r_.memory, r_.config, r_.model, r_.radarActive);
    showMemoryNotices();

    switch (id.result) {
      case IdentityCheck::kSameUnit:
        if (firstUnit) break;
        // The unit just written is still on the cable; after the warning
        // whatever is attached then is written.
        r_.presenter.errorDetail(text("ERROR_MESSAGE28"), text("ERROR_MESSAGE29"));
        id = checkIdentity(r_.memory, r_.config, r_.model, r_.radarActive);
        showMemoryNotices();
        if (id.result != IdentityCheck::kSameUnit && id.result != IdentityCheck::kOtherSerial) {
          return failed("ERROR_MESSAGE30", id.result);
        }
        // A unit exchanged during the warning is logged under its own serial,
        // not the one written before it.
        if (id.result == IdentityCheck::kOtherSerial) adoptSerial(id.hardwareSerial);
        break;
      case IdentityCheck::kOtherSerial:
        if (firstUnit && ask("STATUS_MESSAGE11", kStyleYesNo | kStyleQuestion) != kResultYes) {
          return failed("ERROR_MESSAGE30", id.result);
        }
        adoptSerial(id.hardwareSerial);
        break;
      case IdentityCheck::kOtherModel:
        details_ = text("ERROR_MESSAGE31");
        return failed("ERROR_MESSAGE32", id.result);
      case IdentityCheck::kOtherGeneration:
        stopWith("ERROR_MESSAGE128",
                 formatText(text("ERROR_MESSAGE128"),
                            {r_.config.softwareRevision / 10.0, id.generation / 10.0}),
                 kStyleError);
        return stopped(id.result);
      case IdentityCheck::kPulseRadar: {
        const int r = pulseWrite(firstUnit);
        if (r != 0) return stopped(r);
        out_.buttonEnabled = true;
        break;
      }
      default:
        return failed("ERROR_MESSAGE33", id.result);
    }

    if (id.result != IdentityCheck::kPulseRadar && !writePages(firstUnit)) {
      return failed(failKey_, failResult_);
    }
    ++out_.unitsWritten;
    if (r_.unitDone) r_.unitDone(true, {});

    firstUnit = false;
    if (ask("STATUS_MESSAGE23", kStyleYesNo | kStyleQuestion) != kResultYes) break;
    // The cable goes to the next unit: the next exchange connects anew.
    r_.link.Close();
    if (ask("STATUS_MESSAGE24", kStyleOkCancel | kStyleInformation) != kResultOk) break;
  }
  out_.status = WriteOutcome::Status::Written;
  return out_;
}

bool WriteProcedure::writePages(bool firstUnit) {
  UnitMemory& m = r_.memory;
  const auto fail = [this](const char* key, int result) {
    failKey_ = key;
    failResult_ = result;
    return false;
  };

  busy("STATUS_MESSAGE12", 30);
  // A later unit's pages are its own: the bytes the configuration does not
  // own keep that unit's values, not those of the unit written before it.
  if (!firstUnit) {
    for (const int index : {UnitMemory::kCustomer, UnitMemory::kHistory}) {
      const int read = m.ReadPage(index, m.Pages[static_cast<std::size_t>(index)].data());
      showMemoryNotices();
      if (read != 0) return fail("ERROR_MESSAGE34", read);
    }
  }
  // The page's checks refuse both before a run; should either reach here
  // all the same, nothing goes out wrapped or zeroed, not even the
  // customer page that comes first.
  if (const auto refused = AdvancedFormModel::checkStored(r_.model, r_.config)) {
    details_ = refused->text(&r_.language, r_.languageColumn);
    return fail("ERROR_MESSAGE34", kValueNotHeld);
  }
  if (!TablePage::fits(r_.volume)) {
    const ModelLink link(&r_.model, nullptr);
    details_ = formatText(text("ERROR_MESSAGE140"),
                          {NumberRules::display(TablePage::tooLargeValue(r_.volume),
                                                r_.config.outputUnits,
                                                link.guidedWave() || link.ugus())});
    return fail("ERROR_MESSAGE38", kValueNotHeld);
  }
  int r = CustomerPage::encode(r_.config, r_.model, r_.volume, r_.rows,
                               m.Pages[UnitMemory::kCustomer], m.WriteBuffer);
  if (r != CustomerPage::kEncoded) return fail("ERROR_MESSAGE34", r);

  busy("STATUS_MESSAGE13", 40);
  r = m.WritePage(UnitMemory::kCustomer + 1);
  showMemoryNotices();
  if (r != 0) return fail("ERROR_MESSAGE35", r);
  progress(60);
  r = m.VerifyPage(UnitMemory::kCustomer);
  showMemoryNotices();
  if (r != 1) return fail("ERROR_MESSAGE36", r);

  progress(70);
  if (firstUnit && r_.decodeVerified) {
    r = r_.decodeVerified(m.Pages[UnitMemory::kCustomer]);
    if (r != 0) return fail("ERROR_MESSAGE37", r);
  }

  progress(80);
  // Built over the unit's own table page, so that a full-scale value the
  // table does not set (length outputs) keeps what the unit holds rather
  // than four bytes of the customer page.
  TablePage::Bytes table = m.Pages[UnitMemory::kHistory];
  TablePage::encode(r_.volume,
                    TablePage::fullScaleValue(r_.volume, r_.config.shapeCode, r_.config.heightUnits,
                                              r_.config.outputUnits, r_.rows),
                    table);
  m.WriteBuffer = table;
  busy("STATUS_MESSAGE14", 85);
  r = m.WritePage(UnitMemory::kHistory + 1);
  showMemoryNotices();
  if (r != 0) return fail("ERROR_MESSAGE41", r);
  progress(95);
  r = m.VerifyPage(UnitMemory::kHistory);
  showMemoryNotices();
  if (r != 1) return fail("ERROR_MESSAGE42", r);
  TablePage::decode(m.Pages[UnitMemory::kHistory], r_.volume);

  logSuccess(firstUnit);
  busy("STATUS_MESSAGE22", 100);
  return true;
}

int WriteProcedure::pulseWrite(bool firstUnit) {
  PulseProtocol& pulse = r_.pulse;
  // Between units the link was closed for the cable to move; a radar that
  // was just switched on sleeps until Connect wakes it, and answers only at
  // its own long address.
  if (!r_.link.IsOpen()) {
    if (r_.link.Connect() != 0 || !pulse.DetectPulse(r_.link)) {
      stopWith("ERROR_MESSAGE33", text("ERROR_MESSAGE33"), kStyleError);
      return kRadarRefused;
    }
    const int r = pulse.ReadUniqueIdentifier(r_.link);
    if (r != 0) {
      radarReport(r);
      return kRadarRefused;
    }
  }

  // A file's advanced settings go where they differ from the radar's own,
  // which are read first when nothing has read them yet.
  if (firstUnit && r_.radar.anyFromFile() && !r_.radar.readThisActivation) {
    const int r = pulse.ReadAdvancedSet(r_.link, nullptr);
    if (r != 0) {
      radarReport(r);
      return kRadarRefused;
    }
    r_.radar.readThisActivation = true;
  }
  const PulseCfgSet set =
      RadarCommandList::build(r_.config, r_.model, pulse.Parameters(), r_.radar, !firstUnit);
  if (!set.empty()) {
    r_.presenter.busy().setMessage(text("STATUS_MESSAGE10"));
    const int r = pulse.ExchangeSet(r_.link, {{kModelNumber, PulseCfgItem::read()}}, nullptr,
                                    nullptr);
    if (r != 0) {
      radarReport(r);
      return kRadarRefused;
    }
    if (pulse.Parameters().ModelNumber != r_.config.model) {
      stopWith("ERROR_MESSAGE31", text("ERROR_MESSAGE31"), kStyleInformation);
      return kRadarRefused;
    }
    progress(20);
    r_.presenter.busy().setMessage(text("STATUS_MESSAGE13"));
    const int sent = pulse.ExchangeSet(r_.link, set, &r_.presenter.busy(), nullptr);
    if (sent != 0) {
      radarReport(sent);
      return sent;
    }
    // The protocol keeps only some written values; the radar holds them all.
    for (const auto& [number, item] : set) {
      pulse.Parameters().store(number, item.Value.data(), item.Count);
    }
  }

  r_.radar.changed.fill(false);
  r_.radar.fromFile.fill(false);
  r_.radar.values = pulse.Parameters();
  busy("BUSY_MESSAGE11", 100);
  std::this_thread::sleep_for(r_.radarSettle);
  return 0;
}

void WriteProcedure::logSuccess(bool firstUnit) {
  if (!firstUnit) {
    r_.log.LogEvent(kLogKey, "Successful Write to Serial #%d (see detail above)",
                    {r_.config.serial});
    return;
  }
  r_.log.LogEvent(kLogKey, "Successful Write:");
  ConfigFileContent content = r_.logContent;
  content.config = &r_.config;
  const ConfigWriteResult written = ConfigFileWriter::text(content);
  if (!written.ok) return;
  // A log entry holds at most 511 characters and the configuration takes
  // many more: one entry per line keeps all of it.
  std::string_view rest = written.text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    r_.log.LogEvent(kLogKey, rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }
}

WriteOutcome WriteProcedure::failed(const std::string& key, int stepResult) {
  const std::string message = r_.language.Text(key, r_.languageColumn, key);
  r_.presenter.busy().setMessage(text("ERROR_MESSAGE44"));
  if (details_.empty()) details_ = text("ERROR_MESSAGE45");
  r_.presenter.errorDetail(message, details_);
  r_.log.LogEvent(kLogKey, message);
  out_.status = WriteOutcome::Status::Failed;
  out_.messageKey = key;
  out_.message = message;
  out_.details = details_;
  out_.stepResult = stepResult;
  if (r_.unitDone) r_.unitDone(false, message);
  return out_;
}

WriteOutcome WriteProcedure::stopped(int stepResult) {
  out_.status = WriteOutcome::Status::Stopped;
  out_.stepResult = stepResult;
  if (r_.unitDone) r_.unitDone(false, out_.message.empty() ? out_.messageKey : out_.message);
  return out_;
}

void WriteProcedure::stopWith(const std::string& key, const std::string& message, unsigned style) {
  r_.presenter.messageBox(message, style);
  out_.messageKey = key;
  out_.message = message;
}

void WriteProcedure::radarReport(int result) {
  stopWith("ERROR_MESSAGE132",
           formatText(text("ERROR_MESSAGE132"),
                      {PulseProtocol::ErrorName(result),
                       PulseProtocol::CommandName(r_.pulse.LastFailingParameter())}),
           kStyleError);
}

void WriteProcedure::adoptSerial(std::int32_t serial) {
  if (serial == r_.config.serial) return;
  r_.config.serial = serial;
  out_.serialChanged = true;
}

int WriteProcedure::ask(const char* key, unsigned style) {
  return r_.presenter.messageBox(text(key), style);
}

std::string WriteProcedure::text(const char* key) const {
  return r_.language.Text(key, r_.languageColumn, key);
}

void WriteProcedure::busy(const char* key, int percent) {
  r_.presenter.busy().setMessage(text(key));
  progress(percent);
}

void WriteProcedure::progress(int percent) { r_.presenter.busy().setProgress(percent); }

void WriteProcedure::showMemoryNotices() {
  showNotices(r_.presenter, r_.memory.takeNotices(), &r_.language, r_.languageColumn);
}

}  // namespace ostrel
