#include "core/config/config_page_writer.h"

#include <algorithm>

#include "core/config/production_record.h"
#include "core/link/pulse_protocol.h"
#include "core/model/model_records.h"
#include "core/support/log_file.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"
#include "core/volume/shape_class.h"
#include "core/volume/structure_file.h"
#include "core/volume/volume_table.h"

namespace ostrel {

std::string ConfigPageWriter::text(const char* key) const {
  const ModelRecords& r = *services_.records;
  return r.Language.Text(key, r.Values.LanguageNumber, key);
}

ValueCheckResult ConfigPageWriter::check(CheckedBoxes& boxes, bool independent,
                                         std::vector<ValueCheckResult>* all) {
  ModelRecords& r = *services_.records;
  const ModelDatabase& model = r.Database;
  UnitConfiguration& config = *records_.config;
  VolumeTable& volume = *records_.volume;
  volume.Link = ModelLink(&model, &r.Structures);
  CustomerPage::prepareVolumeTable(config, model, volume, *records_.strapping);
  // A length output becomes the first tank shape: its captions go with it.
  if (shape::hasCurve(config.shapeCode) &&
      StructureFile::structureIndex(r.Structures, config.shapeCode) < 0) {
    StructureFile::load(model, services_.modelsFolder, config.shapeCode, r.Structures);
  }
  ValueCheckInput in{&model, &config, &boxes, &volume, records_.strapping, independent,
                     model.PulseRadar != 0, all};
  // A relay set point is named as the Relay Set Points dialog shows it.
  const std::size_t relays = in.relayNames.size() / 2;
  for (std::size_t k = 0; k < in.relayNames.size(); ++k) {
    const std::string relay = "IDC_INDRELAY" + std::to_string(k % relays + 1);
    in.relayNames[k] = text(relay.c_str()) + " " + text(k < relays ? "IDC_IND1_ON" : "IDC_IND1_OFF");
  }
  return runValueChecks(in);
}

void ConfigPageWriter::encode(const CustomerPage::Bytes& customerImage,
                              const TablePage::Bytes& tableImage, Encoded& out) const {
  const ModelDatabase& model = services_.records->Database;
  const UnitConfiguration& config = *records_.config;
  VolumeTable& volume = *records_.volume;
  out.customerResult =
      CustomerPage::encode(config, model, volume, *records_.strapping, customerImage, out.customer);
  // Over the unit's own table page, as the write does.
  out.table = tableImage;
  TablePage::encode(volume,
                    TablePage::fullScaleValue(volume, config.shapeCode, config.heightUnits,
                                              config.outputUnits, *records_.strapping),
                    out.table);
}

bool ConfigPageWriter::unitThere() const {
  return services_.presenter != nullptr && services_.memory != nullptr &&
         services_.link != nullptr && services_.pulse != nullptr;
}

void ConfigPageWriter::started() const {
  ProgressSink& busy = services_.presenter->busy();
  busy.setMessage("");
  busy.setMessage(text("BUSY_MESSAGE13"));
  busy.setProgress(10);
}

bool ConfigPageWriter::accepted(const ValueCheckResult& found) const {
  if (found.outcome == CheckOutcome::None) return true;
  Presenter& presenter = *services_.presenter;
  const ModelRecords& r = *services_.records;
  found.show(presenter, &r.Language, r.Values.LanguageNumber);
  return found.outcome != CheckOutcome::Error &&
         presenter.messageBox(text("ERROR_MESSAGE27"), kStyleYesNo) == kResultYes;
}

ConfigPageWriter::Run ConfigPageWriter::run(
    const ConfigFileContent& logContent, bool radarActive,
    const std::function<void(const std::function<void()>&)>& runDevice,
    const std::string& configFile) {
  const ModelRecords& r = *services_.records;
  const ModelDatabase& model = r.Database;
  UnitConfiguration& config = *records_.config;
  Run out;
  LogFile noLog;
  WriteRequest request{*services_.memory,
                       *services_.link,
                       *services_.pulse,
                       *services_.presenter,
                       r.Language,
                       r.Values.LanguageNumber,
                       services_.log != nullptr ? *services_.log : noLog,
                       config,
                       model,
                       *records_.volume,
                       *records_.strapping,
                       *records_.radar,
                       logContent,
                       // Decoded on the device's thread, shown once the run is over.
                       [&](const UnitMemory::Page& page) {
                         CustomerPage::Bytes bytes{};
                         std::copy(page.begin(), page.end(), bytes.begin());
                         out.verified = CustomerPage::decode(bytes, model, config);
                         return out.verified->result;
                       },
                       writing_,
                       radarActive};
  if (!services_.productionRecord.empty()) {
    request.unitDone = [&](bool verified, const std::string& reason) {
      std::string error;
      if (!recordWrittenUnit(services_.productionRecord, config, configFile, verified, reason,
                             error)) {
        // The unit holds its configuration all the same; the record's loss is said.
        const std::string message =
            formatText(text("SVC_MESSAGE9"), {services_.productionRecord.string(), error});
        if (services_.log != nullptr) services_.log->LogEvent(WriteProcedure::kLogKey, message);
        services_.presenter->messageBox(message, kStyleError);
      }
    };
  }
  auto work = [&] { out.outcome = WriteProcedure(request).run(); };
  if (runDevice) {
    runDevice(work);
  } else {
    work();
  }
  return out;
}

void ConfigPageWriter::radarBlockRead() {
  RadarAdvancedState& radar = *records_.radar;
  radar.readThisActivation = true;
  if (services_.pulse == nullptr) return;
  PulseParameters renewed = services_.pulse->Parameters();
  for (int p = 0; p < RadarAdvancedState::kCount; ++p) {
    const auto at = static_cast<std::size_t>(p);
    if (radar.fromFile[at] || radar.changed[at]) {
      RadarAdvancedState::copyValue(static_cast<RadarAdvancedState::Parameter>(p), radar.values,
                                    renewed);
    }
  }
  radar.values = renewed;
}

}  // namespace ostrel
