#include "core/config/advanced_form_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/model/model_database.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"

namespace ostrel {
namespace {

// Entries the model's list holds (appended lines can leave Count behind Last + 1).
int inputCount(const AdvancedInputList& list) {
  return std::clamp(std::max(list.Count, list.Last + 1), 0, AdvancedInputList::kCapacity);
}

constexpr int kLengthType = 2;
constexpr int kOwnUnitsType = 1;

// The explanation as the dialog shows it: a format with the argument 0, and
// the two characters backslash-n as line breaks.
std::vector<std::string> explanationLines(const std::string& text) {
  const std::string formatted = formatText(text, {0});
  std::vector<std::string> lines;
  if (formatted.empty()) return lines;
  std::string line;
  for (std::size_t i = 0; i < formatted.size(); ++i) {
    if (formatted[i] == '\\' && i + 1 < formatted.size() && formatted[i + 1] == 'n') {
      lines.push_back(line);
      line.clear();
      ++i;
    } else {
      line += formatted[i];
    }
  }
  lines.push_back(line);
  return lines;
}

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

bool leadingHex(std::string_view upperText) { return upperText.substr(0, 2) == "0X"; }

// A count the input's word cannot hold, refused with the range message in
// the units the dialog shows (a length in the height units).
std::optional<ValueCheckResult> countFinding(double counts, const std::string& caption,
                                             bool length, double countsPerUnit) {
  if (!(std::trunc(counts) > AdvancedFormModel::kLargestCount)) return std::nullopt;
  const double largest = length && countsPerUnit > 0
                             ? AdvancedFormModel::kLargestCount / countsPerUnit
                             : AdvancedFormModel::kLargestCount;
  ValueCheckResult r;
  r.outcome = CheckOutcome::Error;
  r.headingKey = "ERROR_MESSAGE46";
  r.notice = Notice::message("ERROR_MESSAGE47", {caption, largest}, kStyleError);
  return r;
}

double toCounts(double value, double countsPerUnit) {
  return std::trunc(value * countsPerUnit + 0.5);
}

}  // namespace

AdvancedFormModel::AdvancedFormModel(const ModelDatabase& model, const UnitConfiguration& config) {
  const ModelLink link(&model, nullptr);
  countsPerUnit_ = link.levelCountsPerUnit(config.heightUnits);
  const bool unitKnown = config.heightUnits >= 0 && config.heightUnits < link.unitNameCount();
  const std::string unitsName =
      unitKnown ? model.UnitNames[static_cast<std::size_t>(config.heightUnits)] : std::string();
  const int count = std::min(inputCount(model.AdvancedInputs), UnitConfiguration::kAdvanced);
  for (int i = 0; i < count; ++i) {
    const AdvancedInput& in = model.AdvancedInputs[static_cast<std::size_t>(i)];
    const AdvancedEntry& stored = config.advanced[static_cast<std::size_t>(i)];
    AdvancedEntry entry = stored;
    // A missing value stays missing; only a real length is converted.
    if (in.UnitsMode == kLengthType && stored.value >= 0) entry.value = stored.value / countsPerUnit_;
    AdvancedRow row;
    row.caption = in.Caption;
    row.explanation = explanationLines(in.ExplanatoryText);
    row.hasValue = in.ValueWord >= 0;
    row.unitsText = in.UnitsMode == kOwnUnitsType ? in.UnitsText : unitsName;
    row.set = entry.set;
    if (row.hasValue && entry.set && entry.value >= 0) {
      row.valueText = formatText("%3.1f", {entry.value});
    }
    rows_.push_back(std::move(row));
    valueTypes_.push_back(in.UnitsMode);
    entries_.push_back(entry);
    read_.push_back(stored);
    edited_.push_back(false);
  }
}

AdvancedFormModel::Opening AdvancedFormModel::opening(
    const ModelDatabase& model, const UnitConfiguration& config,
    const std::filesystem::path& installedData,
    const std::function<std::string(const char* key)>& text) {
  if (AdvancedFormModel(model, config).empty()) return {true, text("ERROR_MESSAGE62")};
  const std::optional<std::string> notice = noticeText(installedData / kNoticeFile);
  return {false, notice ? *notice : text("STATUS_MESSAGE26")};
}

bool AdvancedFormModel::accepts(std::string_view text) {
  if (text.empty()) return true;
  const std::string u = upper(text);
  if (std::string_view("0123456789.XABCDEF").find(u.back()) == std::string_view::npos) return false;
  const auto xs = std::count(u.begin(), u.end(), 'X');
  const auto points = std::count(u.begin(), u.end(), '.');
  const bool hex = leadingHex(u);
  if (xs > 1 || points > 1 || (xs > 0 && points > 0)) return false;
  if (xs == 1 && !hex) return false;
  if (!hex && u.find_first_of("ABCDEF") != std::string::npos) return false;
  // A character typed before the last one is not checked by the rules
  // above; anything other than digits, the point, X and A..F is refused.
  return std::all_of(u.begin(), u.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'X' || (c >= 'A' && c <= 'F');
  });
}

AdvancedFormModel::Filtered AdvancedFormModel::filter(std::string text, int caret) {
  Filtered f;
  caret = std::clamp(caret, 0, static_cast<int>(text.size()));
  while (!accepts(text)) {
    f.refused = true;
    // Nothing before the caret: the last character goes instead.
    const int at = caret > 0 ? caret - 1 : static_cast<int>(text.size()) - 1;
    text.erase(static_cast<std::size_t>(at), 1);
    caret = at;
  }
  f.text = std::move(text);
  f.caret = caret;
  return f;
}

double AdvancedFormModel::readValue(std::string_view text) {
  if (text.empty()) return -1.0;
  const std::string u = upper(text);
  if (leadingHex(u)) return static_cast<double>(std::strtoll(u.c_str() + 2, nullptr, 16));
  // Digits and one point only reach here (the filter); strtod would take a
  // locale's comma, so the number is put together by hand.
  double value = 0.0;
  double scale = 0.0;
  for (char c : u) {
    if (c == '.') {
      if (scale != 0.0) break;
      scale = 1.0;
    } else if (c >= '0' && c <= '9') {
      if (scale == 0.0) {
        value = value * 10.0 + (c - '0');
      } else {
        scale /= 10.0;
        value += (c - '0') * scale;
      }
    } else {
      break;
    }
  }
  return value;
}

void AdvancedFormModel::update(const std::vector<bool>& ticked,
                               const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    AdvancedEntry& e = entries_[i];
    e.set = i < ticked.size() && ticked[i];
    const std::string text = i < texts.size() ? texts[i] : std::string();
    edited_[i] = rows_[i].hasValue && text != rows_[i].valueText;
    e.value = rows_[i].hasValue ? readValue(text) : -1.0;
  }
}

std::optional<ValueCheckResult> AdvancedFormModel::check() const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const AdvancedEntry& e = entries_[i];
    if (!rows_[i].hasValue || !e.set) continue;
    const bool length = valueTypes_[i] == kLengthType;
    // An unedited value is checked as it will be stored: as read.
    const double value = edited_[i] ? e.value : read_[i].value;
    if (value < 0) continue;
    const double counts = edited_[i] && length ? toCounts(value, countsPerUnit_) : value;
    if (auto f = countFinding(counts, rows_[i].caption, length, countsPerUnit_)) return f;
  }
  return std::nullopt;
}

void AdvancedFormModel::store(UnitConfiguration& config) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    AdvancedEntry e = entries_[i];
    if (!edited_[i]) {
      e.value = read_[i].value;
    } else if (valueTypes_[i] == kLengthType && e.value >= 0) {
      e.value = toCounts(e.value, countsPerUnit_);
    }
    config.advanced[i] = e;
  }
}

std::optional<ValueCheckResult> AdvancedFormModel::checkStored(const ModelDatabase& model,
                                                               const UnitConfiguration& config) {
  const ModelLink link(&model, nullptr);
  const double countsPerUnit = link.levelCountsPerUnit(config.heightUnits);
  const int count = std::min(inputCount(model.AdvancedInputs), UnitConfiguration::kAdvanced);
  for (int i = 0; i < count; ++i) {
    const AdvancedInput& in = model.AdvancedInputs[static_cast<std::size_t>(i)];
    const AdvancedEntry& e = config.advanced[static_cast<std::size_t>(i)];
    // Only a value that goes into a word is written.
    if (in.ValueWord < 0 || !e.set || e.value < 0) continue;
    if (auto f = countFinding(e.value, in.Caption, in.UnitsMode == kLengthType, countsPerUnit)) {
      return f;
    }
  }
  return std::nullopt;
}

std::optional<std::string> AdvancedFormModel::noticeText(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  CStdioFileEx in;
  if (!in.Open(file, CStdioFileEx::modeRead | CStdioFileEx::typeText)) return std::nullopt;
  std::string text;
  std::string line;
  while (in.ReadString(line)) text += line + "\n";
  if (in.ReadFailed()) return std::nullopt;
  return text;
}

}  // namespace ostrel
