#include "core/diag/live_display_model.h"

#include <cmath>
#include <cstdio>

#include "core/config/unit_configuration.h"
#include "core/model/model_records.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

namespace {

constexpr const char* kStartText = "00000.0";
constexpr int kStrappingClass = 7;
constexpr int kFirstWeirClass = 32;

}  // namespace

std::string pageUnitsText(const ModelRecords& records, const UnitConfiguration& config) {
  const StructureData& structure = records.Structures;
  if (structure.Units[0].Name.empty()) {
    const auto& names = records.Database.UnitNames;
    const int u = config.heightUnits;
    return u >= 0 && u < static_cast<int>(names.Items.size()) ? names[static_cast<std::size_t>(u)]
                                                               : std::string();
  }
  const ModelLink link(&records.Database, &structure);
  const int p = link.position(config.outputUnits);
  return p >= 0 ? structure.Units[static_cast<std::size_t>(p)].Name : std::string();
}

LiveDisplayModel::LiveDisplayModel(const ModelRecords& records, const UnitConfiguration& config,
                                   const VolumeTable& volume, const StrappingRows& rows)
    : records_(records),
      config_(config),
      volume_(volume),
      rows_(rows),
      levelText_(kStartText),
      distanceText_(kStartText) {}

std::string LiveDisplayModel::displayNumber(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%#07.1f", value);
  return buffer;
}

const char* LiveDisplayModel::stateName(State s) {
  switch (s) {
    case State::Lost:
      return "LOST";
    case State::Full:
      return "FULL";
    case State::Empty:
      return "EMPTY";
    case State::Measurement:
      break;
  }
  return "measurement";
}

std::vector<int> LiveDisplayModel::litRelays() const {
  std::vector<int> lit;
  for (int i = 0; i < 4; ++i) {
    if (relays_[static_cast<std::size_t>(i)]) lit.push_back(i + 1);
  }
  return lit;
}

std::string LiveDisplayModel::text(const char* key) const {
  return records_.Language.Text(key, records_.Values.LanguageNumber, key);
}

void LiveDisplayModel::notify(LivePart part) {
  if (view_ != nullptr) view_->changed(part);
}

double LiveDisplayModel::levelFactor() const {
  const ModelLink link(&records_.Database, &records_.Structures);
  const double k = link.levelCountsPerUnit(config_.heightUnits);
  // A model file with a zero or broken factor must not turn every reading
  // into an infinity; the default factor keeps the displays finite.
  return std::isfinite(k) && k > 0.0 ? k : link.defaultFactor();
}

bool LiveDisplayModel::distanceOutput() const {
  return config_.outputUnits == config_.heightUnits;
}

bool LiveDisplayModel::tankShape() const { return (config_.shapeCode >> 8) < kFirstWeirClass; }

double LiveDisplayModel::fullValue() const {
  if ((config_.shapeCode >> 8) == kStrappingClass) return rows_.lastVolume();
  return volume_.CapacityOrUserValue(config_.shapeCode, config_.heightUnits, config_.outputUnits);
}

double LiveDisplayModel::flowAtFull() const {
  return volume_.FlowAt(config_.shapeCode, volume_.Dimensions[1]);
}

bool LiveDisplayModel::activate(bool sampleMode) {
  levelText_ = kStartText;
  distanceText_ = kStartText;
  relays_ = {};
  running_ = false;
  state_ = State::Lost;

  unitsText_ = pageUnitsText(records_, config_);

  k_ = levelFactor();
  shc_ = config_.sensorHeight * k_;
  status_.clear();
  statusError_ = false;
  // A volume or flow output has no distance to show.
  distanceShown_ = distanceOutput();
  if (sampleMode) status_ = formatText(text("STATUS_MESSAGE28"), {records_.Identity.ProgramId});

  notify(LivePart::Units);
  notify(LivePart::Displays);
  notify(LivePart::Relays);
  notify(LivePart::Status);
  return !sampleMode;
}

void LiveDisplayModel::streamStarted(int openResult) {
  running_ = true;
  if (openResult != 0) {
    status_ = text("ERROR_MESSAGE63");
    statusError_ = true;
    notify(LivePart::Status);
  }
}

void LiveDisplayModel::streamStopped() { running_ = false; }

bool LiveDisplayModel::frame(int code, const Frame& b) {
  if (!running_) return false;
  ++flashes_;
  notify(LivePart::Activity);

  const bool good = code == kGoodFrame;
  if (makerMode_) {
    if (!good) {
      status_ = text("ERROR_MESSAGE115");
      statusError_ = false;
      notify(LivePart::Status);
      return false;
    }
    std::string line;
    for (int i = 0; i < 6; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X ", b[static_cast<std::size_t>(i)]);
      line += hex;
    }
    status_ = line;
    statusError_ = false;
    notify(LivePart::Status);
  }
  // A frame whose sum is wrong carries a level nobody can trust: it shows
  // that the unit is talking, and nothing else.
  if (!good) return false;

  const unsigned raw = b[2] + 256u * b[3];
  const bool invert = records_.Database.InvertDemo != 0;
  const unsigned s =
      invert ? ((b[4] & 0x10) != 0 ? 1u : 0u) + ((b[4] & 0x20) != 0 ? 2u : 0u) : raw;
  const bool distanceOut = distanceOutput();
  const bool tank = tankShape();

  double distance = 0.0;
  switch (s) {
    case 0:
      state_ = State::Lost;
      levelText_ = "LOST";
      distance = 0.0;
      break;
    case 1:
      state_ = State::Full;
      levelText_ = "FULL";
      distance = distanceOut ? config_.sensorHeight - config_.fillHeight : 0.0;
      break;
    case 2:
      state_ = State::Empty;
      levelText_ = "EMPTY";
      distance = distanceOut ? config_.sensorHeight : tank ? fullValue() : flowAtFull();
      break;
    default: {
      state_ = State::Measurement;
      double value = 0.0;
      if (invert) {
        // The unit sends table counts: the value is the table's, the
        // distance its complement to the top of the range.
        value = raw * static_cast<double>(volume_.Scale);
        distance = distanceOut ? shc_ / k_ - value
                   : tank      ? fullValue() - value
                               : flowAtFull() - value;
      } else {
        value = (shc_ - raw) / k_;
        distance = raw / k_;
      }
      levelText_ = displayNumber(value);
      break;
    }
  }
  distanceText_ = displayNumber(distance);
  for (int i = 0; i < 4; ++i) relays_[static_cast<std::size_t>(i)] = (b[4] >> i & 1) != 0;
  notify(LivePart::Displays);
  notify(LivePart::Relays);
  return true;
}

}  // namespace ostrel
