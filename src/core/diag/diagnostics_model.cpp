#include "core/diag/diagnostics_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "core/config/unit_configuration.h"
#include "core/diag/live_display_model.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_records.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"

namespace ostrel {

namespace {

constexpr std::uint8_t kEraseScanCommand = 0x16;
constexpr int kAxisLeft = 50;
constexpr int kAxisBelow = 50;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string number(double value) { return LiveDisplayModel::displayNumber(value); }

}  // namespace

DiagnosticsModel::DiagnosticsModel(const ModelRecords& records, const UnitConfiguration& config,
                                   UnitMemory* memory, UnitLink* link, Presenter* presenter)
    : records_(records), config_(config), memory_(memory), link_(link), presenter_(presenter) {}

std::string DiagnosticsModel::text(const char* key) const {
  return records_.Language.Text(key, records_.Values.LanguageNumber, key);
}

void DiagnosticsModel::notify(DiagnosticsPart part) {
  if (view_ != nullptr) view_->changed(part);
}

double DiagnosticsModel::levelFactor() const {
  const ModelLink link(&records_.Database, &records_.Structures);
  const double k = link.levelCountsPerUnit(config_.heightUnits);
  return std::isfinite(k) && k > 0.0 ? k : link.defaultFactor();
}

bool DiagnosticsModel::metricAxis() const {
  return config_.heightUnits == 1 || config_.heightUnits == 3;
}

const char* DiagnosticsModel::distanceAxisKey() const {
  return metricAxis() ? "IDC_DISTANCE_ECHOCURVE_MM" : "IDC_DISTANCE_ECHOCURVE_FT";
}

std::vector<int> DiagnosticsModel::samples() const {
  return std::vector<int>(words_.begin(), words_.begin() + kSamples);
}

std::string DiagnosticsModel::samplesCsv() const {
  if (!hasRecord_) return {};
  std::string csv = "word,amplitude\n";
  for (int i = 0; i < kSamples; ++i) {
    csv += std::to_string(i) + ',' + std::to_string(words_[static_cast<std::size_t>(i)]) + '\n';
  }
  return csv;
}

void DiagnosticsModel::activate(bool sampleMode) {
  sample_ = sampleMode;
  levelText_ = "00000.0";
  distanceText_ = "00000.0";
  currentText_ = "000000";
  entries_.clear();
  entries_.push_back(records_.Values.SelectText);
  const auto& echoes = records_.Database.DiagnosticEchoes;
  for (int i = 0; i <= echoes.Last && i < static_cast<int>(echoes.Items.size()); ++i) {
    entries_.push_back(echoes[static_cast<std::size_t>(i)]);
  }
  selected_ = 0;
  status_ = sampleMode ? formatText(text("STATUS_MESSAGE28"), {records_.Identity.ProgramId})
                       : std::string();
  unitsText_ = pageUnitsText(records_, config_);
  hasRecord_ = false;
  notify(DiagnosticsPart::Entries);
  notify(DiagnosticsPart::Displays);
  notify(DiagnosticsPart::Status);
  notify(DiagnosticsPart::Plot);
  notify(DiagnosticsPart::Units);
}

bool DiagnosticsModel::readsRecord(int entry) const {
  return !sample_ && (entry == kScanEntry || entry == kEchoEntry);
}

int DiagnosticsModel::readRecord(int entry, std::uint8_t* record) {
  if (memory_ == nullptr) return -1;
  return entry == kScanEntry
             ? memory_->ReadBlocks(UnitMemory::kScanSelector, UnitMemory::kScanFirstBlock, record)
             : memory_->ReadBlocks(UnitMemory::kEchoSelector, 0, record);
}

void DiagnosticsModel::readFailed(int entry) {
  // The page's only two literal messages.
  const char* message =
      entry == kScanEntry ? "Error reading empty signal scan" : "Error reading echo curve";
  if (presenter_ != nullptr) presenter_->platformMessageBox(message, kStyleError);
}

bool DiagnosticsModel::choose(int entry) {
  if (sample_) return true;
  selected_ = entry;
  if (!readsRecord(entry)) {
    levelText_ = number(0.0);
    distanceText_ = number(0.0);
    currentText_ = "0";
    notify(DiagnosticsPart::Displays);
    return true;
  }
  std::array<std::uint8_t, UnitMemory::kRecordSize> record{};
  if (readRecord(entry, record.data()) != 0) {
    readFailed(entry);
    return false;
  }
  showRecord(record.data());
  return true;
}

void DiagnosticsModel::showRecord(const std::uint8_t* bytes) {
  for (int i = 0; i < kWords; ++i) {
    words_[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  hasRecord_ = true;
  const double k = levelFactor();
  levelText_ = number(words_[kLevelWord] / k);
  distanceText_ = number(words_[kDistanceWord] / k);
  currentText_ = std::to_string(words_[kCurrentWord]);
  notify(DiagnosticsPart::Displays);
  notify(DiagnosticsPart::Plot);
}

int DiagnosticsModel::eraseScan() {
  if (link_ == nullptr) return -1;
  return link_->Command(kEraseScanCommand, {});
}

EchoPlot DiagnosticsModel::plot(int width, int height) const {
  EchoPlot p;
  p.width = width;
  p.height = height;
  p.area = PlotRect{kAxisLeft, 0, width, height - kAxisBelow};
  const bool shortRange = equalsIgnoringCase(records_.Database.UnitRange, "3.0 Meters");
  p.extent = shortRange ? 500 : 917;
  p.divisions = shortRange ? 6 : 11;
  p.labelStep = 500;
  if (!metricAxis()) {
    p.labelStep = 1;
    p.divisions = shortRange ? 10 : 18;
  }
  p.halfResolution = width - 70 < p.extent;
  p.plotSamples = p.halfResolution ? p.extent / 2 + 1 : p.extent;
  p.pixelsPerDivision = p.plotSamples / p.divisions;

  const int bottom = height - kAxisBelow;
  // The trace takes one pixel per plotted sample from the left axis on, a
  // few pixels past the last whole division: the amplitude lines reach to
  // its end, so that no sample is drawn beyond the grid.
  const int right = kAxisLeft + std::max(p.divisions * p.pixelsPerDivision, p.plotSamples - 1);
  const int step = (height - 70) / 10;
  double accumulator = -2048.0;
  p.topLine = bottom;
  for (int y = bottom; y >= 20; y -= step) {
    p.amplitudeLines.push_back({{kAxisLeft, y}, {right, y}});
    const int label = static_cast<int>(std::floor(accumulator + 0.5));
    p.amplitudeLabels.push_back({{5, y}, std::to_string(label)});
    accumulator += 409.6;
    p.topLine = y;
    if (step <= 0) break;  // a plot too low for a grid still gets its base line
  }
  int n = 0;
  for (int x = kAxisLeft; x <= p.plotSamples + kAxisLeft; x += p.pixelsPerDivision) {
    p.distanceLines.push_back({{x, p.topLine}, {x, bottom}});
    p.distanceLabels.push_back({{x, height - 35}, std::to_string(n * p.labelStep)});
    ++n;
    if (p.pixelsPerDivision <= 0) break;
  }

  if (hasRecord_) {
    const int span = height - p.topLine - kAxisBelow;
    if (span > 0) {
      const int y0 = span / 2 + p.topLine;
      const double s = 4096.0 / span;
      p.trace.push_back({kAxisLeft, y0});
      for (int j = kFirstPlotted; j < p.plotSamples + kFirstPlotted; ++j) {
        const int word = p.halfResolution ? kFirstPlotted + 2 * (j - kFirstPlotted) : j;
        if (word >= kSamples) break;
        const double v = words_[static_cast<std::size_t>(word)];
        const double y = v < 0 ? y0 + std::fabs(v) / s : y0 - v / s;
        p.trace.push_back({j - 20, static_cast<int>(std::trunc(y))});
      }
    }
  }
  return p;
}

}  // namespace ostrel
