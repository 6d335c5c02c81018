#include "core/config/customer_page.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/model/model_database.h"
#include "core/support/plain_text.h"
#include "core/support/text_codec.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

using Bytes = CustomerPage::Bytes;

constexpr int kWords = static_cast<int>(CustomerPage::kSize / 2);
constexpr std::uint16_t kNoValue = 0xFFFF;
constexpr std::uint16_t kFirstCurve = 0x0100;
constexpr std::uint16_t kLastCurve = 0x5FFF;
constexpr std::uint16_t kFirstWeir = 0x2000;
constexpr int kStrappingClass = 7;

bool onPage(int word) { return word >= 0 && word < kWords; }

// Entries a bookkept list holds (appended lines can leave Count behind Last + 1).
int used(std::int32_t count, std::int32_t last, int capacity) {
  return std::clamp(std::max(count, last + 1), 0, capacity);
}

int choiceCount(const ConfigItem& item) {
  return used(item.ChoiceCount, item.ChoiceLast, ConfigItem::kChoices);
}

std::uint16_t getU16(const Bytes& p, std::size_t at) {
  return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8));
}

void putU16(Bytes& p, std::size_t at, std::uint16_t v) {
  p[at] = static_cast<std::uint8_t>(v & 0xFF);
  p[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

float getFloat(const Bytes& p, std::size_t at) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[at + i]) << (8 * i);
  float f = 0;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

void putFloat(Bytes& p, std::size_t at, float f) {
  std::uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  for (std::size_t i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::size_t wordAt(int word) { return static_cast<std::size_t>(word) * 2; }

// The unit's 16-bit form of a number: truncated toward zero, low 16 bits
// kept (a negative count wraps as the unit's firmware would take it).
// Nothing finite can step outside the arithmetic this way.
std::uint16_t low16(double v) {
  if (!std::isfinite(v)) return 0;
  double m = std::fmod(std::trunc(v), 65536.0);
  if (m < 0) m += 65536.0;
  return static_cast<std::uint16_t>(m);
}

std::uint16_t rawCount(double v, double factor) { return low16(v * factor + 0.5); }

bool hasCurve(std::uint16_t shape) { return shape >= kFirstCurve && shape <= kLastCurve; }
bool isTank(std::uint16_t shape) { return shape >= kFirstCurve && shape < kFirstWeir; }
bool isStrapping(std::uint16_t shape) { return (shape >> 8) == kStrappingClass; }

bool nonLinearCapable(const ModelDatabase& m) { return !m.NonLinearButtonCaption.empty(); }

using plaintext::lowered;
using plaintext::trimmed;

const ModelConfiguration* configurationAt(const ModelDatabase& m, int index) {
  if (index < 0 || index >= used(m.Configurations.Count, m.Configurations.Last,
                                 ModelDatabase::kConfigurations)) {
    return nullptr;
  }
  const ModelConfiguration& c = m.Configurations[static_cast<std::size_t>(index)];
  return c.Present ? &c : nullptr;
}

// A value as its box shows it and gives it back.
double shown(double v, int unitCode, bool fine, std::string& box) {
  box = NumberRules::display(v, unitCode, fine);
  return NumberRules::read(box);
}

// LEVELSVALID: the heights and every level the configuration uses are set.
bool levelsValid(const UnitConfiguration& c, const ModelConfiguration* config) {
  if (!(c.sensorHeight >= 0) || !(c.fillHeight >= 0)) return false;
  if (config == nullptr) return true;
  for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
    if (config->LevelWords[i] > 0 && !(c.levels[i] >= 0)) return false;
  }
  return true;
}

}  // namespace

int CustomerPage::levelFloatWord(int levelWord) {
  switch (levelWord) {
    case 26: return 76;
    case 27: return 78;
    case 28: return 80;
    case 29: return 82;
    case 10: return 84;
    case 9: return 86;
    case 8: return 88;
    case 7: return 90;
    default: return -1;
  }
}

int CustomerPage::matchedConfiguration(
    const ModelDatabase& model,
    const std::array<std::int32_t, UnitConfiguration::kConfigItems>& choices) {
  int found = -1;
  int matches = 0;
  const int count =
      used(model.Configurations.Count, model.Configurations.Last, ModelDatabase::kConfigurations);
  for (int c = 0; c < count; ++c) {
    const ModelConfiguration& config = model.Configurations[static_cast<std::size_t>(c)];
    if (!config.Present) continue;
    bool match = true;
    for (std::size_t j = 0; j < choices.size() && match; ++j) {
      match = choices[j] == 0 || config.ChoiceCodes[j] == -1 || config.ChoiceCodes[j] == choices[j];
    }
    if (match) {
      found = c;
      ++matches;
    }
  }
  if (matches != 1) return -1;
  for (std::size_t j = 0; j < choices.size(); ++j) {
    if (model.ConfigItems[j].Present && choices[j] == 0) return -1;
  }
  return found;
}

bool CustomerPage::independentMode(const ModelDatabase& model, std::int32_t firstItemChoice) {
  const ConfigItem& item = model.ConfigItems[0];
  if (!item.Present || firstItemChoice < 1 || firstItemChoice >= choiceCount(item)) return false;
  const std::string caption = lowered(item.Texts[static_cast<std::size_t>(firstItemChoice)]);
  return caption.find("independent") != std::string::npos ||
         caption.find("\xE7\x8B\xAC\xE7\xAB\x8B") != std::string::npos;  // U+72EC U+7ACB
}

CustomerPageDecoding CustomerPage::decode(const Bytes& page, const ModelDatabase& model,
                                          const UnitConfiguration& current) {
  CustomerPageDecoding out;
  UnitConfiguration& c = out.configuration;
  c = current;
  const ModelLink link(&model, nullptr);
  const bool fine = link.guidedWave() || link.ugus();
  const bool curveModel = nonLinearCapable(model);

  // Selections cleared: present items to the placeholder (items the model
  // lacks are -1 from set-up on), no advanced entry.
  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    c.itemChoices[i] = model.ConfigItems[i].Present ? 0 : -1;
  }
  c.advanced.fill(AdvancedEntry{});
  c.configFileName.clear();

  // Notes: up to the first zero of the 64 bytes.
  const auto notes = reinterpret_cast<const char*>(page.data() + kNotesAt);
  c.tankDescription = cp1252ToUtf8(std::string_view(notes, strnlen(notes, kNotesSize)));
  out.boxes.notes = c.tankDescription;

  const std::uint16_t shape = getU16(page, kShapeAt);
  c.shapeCode = hasCurve(shape) ? shape : UnitConfiguration::kNoCurve;
  const int units = static_cast<std::int16_t>(getU16(page, kUnitsAt));
  c.heightUnits = units >= 0 && units < link.unitNameCount() ? units : 0;
  for (std::size_t d = 0; d < out.dimensions.size(); ++d) {
    out.dimensions[d] = getFloat(page, kDimensionsAt + 4 * d);
  }
  c.outputUnits = getU16(page, kOutputAt);
  const double factor = link.levelCountsPerUnit(c.heightUnits);

  if (isStrapping(c.shapeCode)) {
    StrappingRows rows;
    for (int r = 0; r < StrappingRows::kCapacity; ++r) {
      const auto at = kRowsAt + 8 * static_cast<std::size_t>(r);
      const float level = getFloat(page, at);
      if (r >= 2 && level == 0.0f) break;
      rows.Levels[static_cast<std::size_t>(r)] = level;
      rows.Volumes[static_cast<std::size_t>(r)] = getFloat(page, at + 4);
      rows.RowCount = r + 1;
    }
    out.rows = rows;
  }

  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& item = model.ConfigItems[i];
    if (!item.Present || !onPage(item.LabelCode)) continue;
    const int code = static_cast<std::int16_t>(getU16(page, wordAt(item.LabelCode)));
    const int n = choiceCount(item);
    for (int k = 1; k < n; ++k) {
      if (item.Codes[static_cast<std::size_t>(k)] == code) {
        c.itemChoices[i] = k;
        break;
      }
    }
  }
  c.configurationIndex = matchedConfiguration(model, c.itemChoices);
  c.configurationValid = c.configurationIndex >= 0;
  const ModelConfiguration* config = configurationAt(model, c.configurationIndex);
  out.independentMode = independentMode(model, c.itemChoices[0]);

  const double sensor = curveModel ? static_cast<double>(out.dimensions[0])
                                   : getU16(page, kSensorHeightAt) / factor;
  c.sensorHeight = shown(sensor, c.heightUnits, fine, out.boxes.sensorHeight);
  double fill = static_cast<double>(out.dimensions[1]);
  if (!curveModel) {
    // Bytes 6-7 hold the probe length on guided-wave radar models.
    fill = getU16(page, link.guidedWave() ? kGuidedFillHeightAt : kFillHeightAt) / factor;
  }
  c.fillHeight = shown(fill, c.heightUnits, fine, out.boxes.fillHeight);
  if (link.guidedWave()) {
    c.minFillHeight = shown(out.dimensions[2], c.heightUnits, fine, out.boxes.minFillHeight);
    c.probeLength = shown(out.dimensions[3], c.heightUnits, fine, out.boxes.probeLength);
  }

  if (config == nullptr) {
    // No configuration: no level rows, every level unset.
    c.levels.fill(-1.0);
    c.levelsValid = false;
    return out;
  }

  if (out.independentMode) {
    for (std::size_t k = 0; k < UnitConfiguration::kIndependentLevels; ++k) {
      c.independentLevels[k] = getFloat(page, kLevelFloatsAt + 4 * k);
    }
  } else {
    for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
      const int w = config->LevelWords[i];
      if (w <= 0 || !onPage(w)) continue;
      if (curveModel) {
        const int copy = levelFloatWord(w);
        // A table count cannot be read back without the table: no value.
        const double v = copy < 0 ? -1.0 : static_cast<double>(getFloat(page, wordAt(copy)));
        c.levels[i] = shown(v, c.outputUnits, fine, out.boxes.levels[i]);
      } else {
        c.levels[i] =
            shown(getU16(page, wordAt(w)) / factor, c.heightUnits, fine, out.boxes.levels[i]);
      }
    }
  }

  const int advancedCount =
      used(model.AdvancedInputs.Count, model.AdvancedInputs.Last, AdvancedInputList::kCapacity);
  for (int i = 0; i < advancedCount; ++i) {
    const AdvancedInput& in = model.AdvancedInputs[static_cast<std::size_t>(i)];
    AdvancedEntry& e = c.advanced[static_cast<std::size_t>(i)];
    if (onPage(in.FlagWord)) {
      const int bit = std::clamp(in.FlagBit, 1, 16) - 1;
      e.set = ((getU16(page, wordAt(in.FlagWord)) >> bit) & 1u) != 0;
    }
    const std::uint16_t value = onPage(in.ValueWord) ? getU16(page, wordAt(in.ValueWord)) : kNoValue;
    if (value != kNoValue) {
      e.value = value;
      e.set = true;
    } else {
      e.value = -1.0;
    }
  }

  c.levelsValid = levelsValid(c, config);
  out.result = c.levelsValid ? 0 : -1;
  return out;
}

int CustomerPage::encode(const UnitConfiguration& c, const ModelDatabase& model,
                         const VolumeTable& table, const StrappingRows& rows, const Bytes& image,
                         Bytes& buffer) {
  if (!c.configurationValid) return kNoValidConfiguration;
  if (model.PulseRadar != 0) return kEncoded;
  const ModelLink link(&model, nullptr);
  const bool curveModel = nonLinearCapable(model);
  const int units =
      c.heightUnits >= 0 && c.heightUnits < link.unitNameCount() ? c.heightUnits : 0;
  const double factor = link.levelCountsPerUnit(units);
  Bytes p = image;

  const int fixedWords = std::clamp(model.FixedWordCount, 0, ModelDatabase::kFixedWords);
  for (int f = 0; f < fixedWords; ++f) {
    const FixedWord& fw = model.FixedWords[static_cast<std::size_t>(f)];
    if (onPage(fw.Word)) putU16(p, wordAt(fw.Word), static_cast<std::uint16_t>(fw.Value));
  }

  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& item = model.ConfigItems[i];
    const int k = c.itemChoices[i];
    // A choice outside the list leaves the unit's word as it was.
    if (!item.Present || !onPage(item.LabelCode) || k < 1 || k >= choiceCount(item)) continue;
    putU16(p, wordAt(item.LabelCode),
           static_cast<std::uint16_t>(item.Codes[static_cast<std::size_t>(k)]));
  }

  const int advancedCount =
      used(model.AdvancedInputs.Count, model.AdvancedInputs.Last, AdvancedInputList::kCapacity);
  for (int i = 0; i < advancedCount; ++i) {
    const AdvancedInput& in = model.AdvancedInputs[static_cast<std::size_t>(i)];
    const AdvancedEntry& e = c.advanced[static_cast<std::size_t>(i)];
    if (onPage(in.FlagWord)) {
      const auto mask = static_cast<std::uint16_t>(1u << (std::clamp(in.FlagBit, 1, 16) - 1));
      const std::uint16_t flags = getU16(p, wordAt(in.FlagWord));
      putU16(p, wordAt(in.FlagWord),
             static_cast<std::uint16_t>(e.set ? flags | mask : flags & ~mask));
    }
    if (onPage(in.ValueWord)) {
      putU16(p, wordAt(in.ValueWord), e.set && e.value >= 0 ? low16(e.value) : kNoValue);
    }
  }

  putU16(p, kShapeAt, c.shapeCode);
  putU16(p, kUnitsAt, static_cast<std::uint16_t>(c.heightUnits));
  for (std::size_t d = 0; d < CustomerPageDecoding::kStoredDimensions; ++d) {
    putFloat(p, kDimensionsAt + 4 * d, table.Dimensions[d]);
  }
  putU16(p, kOutputAt, static_cast<std::uint16_t>(c.outputUnits));

  if (isStrapping(c.shapeCode)) {
    const int n = std::clamp(rows.RowCount, 0, StrappingRows::kCapacity);
    for (int r = 0; r < StrappingRows::kCapacity; ++r) {
      const auto ri = static_cast<std::size_t>(r);
      const auto at = kRowsAt + 8 * ri;
      putFloat(p, at, r < n ? rows.Levels[ri] : 0.0f);
      putFloat(p, at + 4, r < n ? rows.Volumes[ri] : 0.0f);
    }
  }

  putU16(p, kSensorHeightAt, rawCount(c.sensorHeight, factor));
  putU16(p, kFillHeightAt, rawCount(c.fillHeight, factor));
  if (isTank(c.shapeCode)) putU16(p, kTankMinFillAt, rawCount(table.Dimensions[2], factor));

  const ModelConfiguration* config = configurationAt(model, c.configurationIndex);
  if (independentMode(model, c.itemChoices[0])) {
    for (std::size_t k = 0; k < UnitConfiguration::kIndependentLevels; ++k) {
      putFloat(p, kLevelFloatsAt + 4 * k, c.independentLevels[k]);
    }
  } else if (config != nullptr) {
    for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
      const int w = config->LevelWords[i];
      if (w <= 0 || !onPage(w)) continue;
      // A row the configuration does not show keeps no level.
      const double v = trimmed(config->LevelCaptions[i]).empty() ? 0.0 : c.levels[i];
      const int copy = levelFloatWord(w);
      if (copy >= 0) putFloat(p, wordAt(copy), static_cast<float>(v));
      putU16(p, wordAt(w), curveModel ? table.PointForValue(v) : rawCount(v, factor));
    }
  }

  const std::string notes = utf8ToCp1252(c.tankDescription);
  const std::size_t n = std::min(notes.size(), kNotesSize);
  std::memcpy(p.data() + kNotesAt, notes.data(), n);
  if (n < kNotesSize) p[kNotesAt + n] = 0;

  if (link.guidedWave()) {
    putU16(p, kMinFillHeightAt, rawCount(c.minFillHeight, factor));
    putU16(p, kFillHeightAt, rawCount(c.probeLength, factor));
    putU16(p, kGuidedFillHeightAt, rawCount(c.fillHeight, factor));
  }
  buffer = p;
  return kEncoded;
}

int CustomerPage::prepareVolumeTable(UnitConfiguration& c, const ModelDatabase& model,
                                     VolumeTable& table, const StrappingRows& rows) {
  if (!nonLinearCapable(model)) return VolumeTable::kBuilt;
  if (!hasCurve(c.shapeCode)) c.shapeCode = 0x0100;
  table.Dimensions[0] = static_cast<float>(c.sensorHeight);
  table.Dimensions[1] = static_cast<float>(c.fillHeight);
  // On weirs and flumes D[2] onwards are the formula's coefficients.
  if (model.GuidedWaveRadar != 0 && isTank(c.shapeCode)) {
    table.Dimensions[2] = static_cast<float>(c.minFillHeight);
    table.Dimensions[3] = static_cast<float>(c.probeLength);
  }
  // The structure of the shape's category stays as the caller linked it.
  table.Link = ModelLink(&model, table.Link.structure());
  table.SelectDimensionUnit(c.heightUnits);
  const ModelLink& link = table.Link;
  if (c.outputUnits >= 0 && c.outputUnits < link.unitNameCount()) {
    table.BuildLinearTable(NumberRules::modelValue(model.MinRange, c.heightUnits, link));
    return VolumeTable::kBuilt;
  }
  if (isStrapping(c.shapeCode)) return table.BuildStrappingTable(rows);
  if (isTank(c.shapeCode)) return table.BuildTankTable(c.shapeCode, c.heightUnits, c.outputUnits);
  return table.BuildFlowTable(c.shapeCode);
}

}  // namespace ostrel
