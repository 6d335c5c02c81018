#include "core/config/config_file_writer.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/structure_file.h"
#include "core/volume/volume_table.h"
#include "core/volume/shape_class.h"

namespace ostrel {
namespace {

std::string key(FieldId id) { return std::string(ConfigFields::key(id)); }

using shape::hasCurve;

template <typename List>
std::string listText(const List& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.Items.size())) return {};
  return list[static_cast<std::size_t>(index)];
}

std::string choiceCaption(const ConfigItem& item, int choice) {
  if (choice < 0 || choice >= ConfigItem::kChoices) return {};
  return item.Texts[static_cast<std::size_t>(choice)];
}

// Field i of a comma-separated caption list; a caption with a "-" keeps
// only what follows the "-" and the blank after it.
std::string dimensionCaption(std::string_view captions, int i) {
  std::size_t start = 0;
  for (int k = 0; k < i; ++k) {
    const std::size_t comma = captions.find(',', start);
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
  std::string_view piece = captions.substr(start);
  piece = piece.substr(0, piece.find(','));
  const std::size_t dash = piece.find('-');
  if (dash != std::string_view::npos) piece = piece.substr(std::min(piece.size(), dash + 2));
  return std::string(piece);
}

class Writer {
 public:
  explicit Writer(const ConfigFileContent& c)
      : c_(c), r_(*c.config), m_(*c.model), link_(c.model, nullptr) {}

  std::string run(const ModelConfiguration& matched) {
    header();
    items(matched);
    advanced();
    line("\n'Unit Setting -\n");
    line(formatText("  %s = %d\t\t' %s\n",
                    {key(FieldId::Units), r_.heightUnits, listText(m_.UnitNames, r_.heightUnits)}));
    line("\n'Levels -\n");
    heights();
    levels(matched);
    nonLinear();
    line("\n'End of File\n");
    return out_;
  }

 private:
  bool guidedWave() const { return m_.GuidedWaveRadar != 0; }
  bool pulseRadar() const { return m_.PulseRadar != 0; }
  bool relayUnitsAreLength() const { return r_.outputUnits < link_.unitNameCount(); }

  // Decimals of lengths in the height units.
  int heightDecimals() const {
    if (pulseRadar()) return r_.heightUnits == 0 ? 2 : 3;
    return NumberRules::unitDecimals(r_.heightUnits, guidedWave() || m_.Ugus != 0);
  }
  int levelDecimals() const {
    if (relayUnitsAreLength()) return heightDecimals();
    return NumberRules::unitDecimals(r_.outputUnits, guidedWave() || m_.Ugus != 0);
  }

  void line(const std::string& text) { out_ += text; }
  void value(FieldId id, double v, int decimals) {
    line(formatText("  %s = %s\n", {key(id), NumberRules::formatTrimmed(v, decimals)}));
  }

  void header() {
    line("'Configuration File for:\n");
    line(formatText("  %s = %s\n", {key(FieldId::Model), r_.model}));
    line(formatText("  %s = %d\n", {key(FieldId::Serial), r_.serial}));
    line(formatText("  %s = %s\n", {key(FieldId::Firmware), r_.firmware}));
    line(formatText("  %s = %d\n", {key(FieldId::SoftwareRevision), r_.softwareRevision}));
    line(formatText("  %s = %s\n", {key(FieldId::UnitDescription), r_.unitDescription}));
    line(formatText("  %s = %s\n", {key(FieldId::TankDescription), r_.tankDescription}));
    line(formatText("  %s = %s\n", {key(FieldId::ModelFileName), r_.modelFileName}));
  }

  void items(const ModelConfiguration& matched) {
    line("\n'Configuration Settings -\n");
    for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      const ConfigItem& item = m_.ConfigItems[static_cast<std::size_t>(i)];
      if (!item.Present) continue;
      const int choice = r_.itemChoices[static_cast<std::size_t>(i)];
      line(formatText("  %s[%d] = %d\t\t' %s = %s\n", {key(FieldId::ConfigItem), i, choice,
                                                         item.Label, choiceCaption(item, choice)}));
    }
    line(formatText("  'Configuration Number = %d\n", {matched.Number}));
  }

  void advanced() {
    line("\n'Advanced Entries -\n");
    if (pulseRadar()) {
      if (c_.radar != nullptr) radarLines(*c_.radar);
      return;
    }
    const int inputs = std::min<int>(UnitConfiguration::kAdvanced,
                                     std::max(m_.AdvancedInputs.Count, m_.AdvancedInputs.Last + 1));
    for (int i = 0; i < inputs; ++i) {
      const AdvancedEntry& e = r_.advanced[static_cast<std::size_t>(i)];
      if (!e.set) continue;
      line(formatText("  %s[%d] = %3.1f\n", {key(FieldId::Advanced), i, e.value}));
    }
  }

  void radarLines(const RadarAdvanced& a) {
    auto yesNo = [](int v) { return std::string(v != 0 ? "Yes" : "No"); };
    line(formatText("  %s = %d\t' %s\n", {key(FieldId::TypeOfMedium), a.typeOfMedium,
                                          listText(m_.Media, a.typeOfMedium - 1)}));
    line(formatText("  %s = %d\t\t' %s\n",
                    {key(FieldId::FirstEcho), a.firstEcho, listText(m_.FirstEchoes, a.firstEcho)}));
    line(formatText("  %s = %d\t' %s\n",
                    {key(FieldId::AdditionalAdjustment), a.additionalAdjustment,
                     std::string(a.additionalAdjustment != 0 ? "None" : "Fast Level Change")}));
    line(formatText("  %s = %d\t\t' %s\n", {key(FieldId::Agitation), a.agitation, yesNo(a.agitation)}));
    line(formatText("  %s = %d\t\t' %s\n", {key(FieldId::Foam), a.foam, yesNo(a.foam)}));
    line(formatText("  %s = %d\t' %s\n", {key(FieldId::PowderDust), a.powderDust, yesNo(a.powderDust)}));
    line(formatText("  %s = %d\t' %s\n", {key(FieldId::LargeResponseAngle), a.largeResponseAngle,
                                          yesNo(a.largeResponseAngle)}));
    line(formatText("  %s = %d\t' %s\n",
                    {key(FieldId::LowDielectric), a.lowDielectric, yesNo(a.lowDielectric)}));
    line(formatText("  %s =  %d\t' Millimeters\n", {key(FieldId::PipeDiameter), a.pipeDiameter}));
    line(formatText("  %s =  %d\t' Seconds\n", {key(FieldId::DampingTime), a.dampingTime}));
  }

  void heights() {
    const int n = heightDecimals();
    value(FieldId::SensorHeight, c_.boxes.sensorHeight, n);
    value(FieldId::FillHeight, c_.boxes.fillHeight, n);
    if (guidedWave()) {
      value(FieldId::MinFillHeight, c_.boxes.minFillHeight, n);
      value(FieldId::ProbeLength, c_.boxes.probeLength, n);
    }
    if (pulseRadar()) {
      value(FieldId::DeadBand, c_.boxes.deadBand, n);
      value(FieldId::MaxRange, c_.boxes.maxRange, n);
    }
  }

  void levels(const ModelConfiguration& matched) {
    const int n = levelDecimals();
    const std::string level = key(FieldId::Level);
    if (c_.independentRelays) {
      for (int k = 0; k < UnitConfiguration::kIndependentLevels; ++k) {
        const float v = r_.independentLevels[static_cast<std::size_t>(k)];
        if (!(v > 0.0f)) continue;
        const bool on = k < 4;
        line(formatText("  %s[%d] = %s\t' Relay %d %s\n",
                        {level, k, NumberRules::formatTrimmed(static_cast<double>(v), n),
                         on ? k + 1 : k - 3, std::string(on ? "ON" : "OFF")}));
      }
      return;
    }
    for (int i = UnitConfiguration::kLevels - 1; i >= 0; --i) {
      const auto s = static_cast<std::size_t>(i);
      if (matched.LevelWords[s] <= 0) continue;
      line(formatText("  %s[%d] = %s\t' %s\n",
                      {level, i, NumberRules::formatTrimmed(c_.boxes.levels[s], n),
                       matched.LevelCaptions[s]}));
    }
  }

  void nonLinear() {
    const std::uint16_t shape = r_.shapeCode;
    if (!hasCurve(shape)) return;
    line("\n'Nonlinear settings -\n");
    line(formatText("  %s = %d\t\t' %s\n", {key(FieldId::ShapeCode), shape, c_.structure.title}));
    if (c_.structure.outputName) {
      line(formatText("  %s = %d\t\t' %s\n",
                      {key(FieldId::Output), r_.outputUnits, *c_.structure.outputName}));
    }
    if (c_.volume != nullptr) dimensions(shape, *c_.volume);
    if (ostrel::shape::isStrapping(shape) && c_.rows != nullptr) {
      line("\n'Strapping Table \n");
      const int rows = std::clamp(c_.rows->RowCount, 0, StrappingRows::kCapacity);
      for (int r = 0; r < rows; ++r) {
        const auto s = static_cast<std::size_t>(r);
        // The blank after the volume keeps its three decimals as they are.
        line(formatText("  %s[%d] = %2.3f,%2.3f \n",
                        {key(FieldId::Row), r, c_.rows->Levels[s], c_.rows->Volumes[s]}));
      }
    }
  }

  void dimensions(std::uint16_t shape, const VolumeTable& volume) {
    const bool tank = ostrel::shape::isTank(shape);
    const int lastLine = relayUnitsAreLength() ? (tank ? 2 : 1) : 10;
    for (int i = 0; i <= lastLine; ++i) {
      const std::string caption = dimensionCaption(c_.structure.dimensionCaptions, i);
      if (caption.empty() && !volume.adjusting()) break;
      const int n = (tank || i < 2) ? heightDecimals() : 6;
      const double d = static_cast<double>(volume.Dimensions[static_cast<std::size_t>(i)]);
      line(formatText("  %s[%d] = %s\t\t' %s\n", {key(FieldId::Dimension), i,
                                                   NumberRules::formatTrimmed(d, n), caption}));
    }
  }

  const ConfigFileContent& c_;
  const UnitConfiguration& r_;
  const ModelDatabase& m_;
  ModelLink link_;
  std::string out_;
};

const ModelConfiguration* matchedConfiguration(const ConfigFileContent& c) {
  const int index = c.config->configurationIndex;
  if (index < 0 || index >= ModelDatabase::kConfigurations) return nullptr;
  const ModelConfiguration& m = c.model->Configurations[static_cast<std::size_t>(index)];
  return m.Present ? &m : nullptr;
}

ConfigWriteResult refused(std::string key, std::vector<FormatArg> args) {
  ConfigWriteResult r;
  r.notice = Notice::message(std::move(key), std::move(args), kStyleError);
  return r;
}

}  // namespace

ConfigWriteResult ConfigFileWriter::text(const ConfigFileContent& content) {
  if (content.config == nullptr || content.model == nullptr) return refused("ERROR_MESSAGE55", {});
  const ModelConfiguration* matched = matchedConfiguration(content);
  if (matched == nullptr) return refused("ERROR_MESSAGE55", {});
  ConfigWriteResult r;
  r.ok = true;
  r.text = Writer(content).run(*matched);
  return r;
}

ConfigWriteResult ConfigFileWriter::write(CStdioFileEx& file, const ConfigFileContent& content) {
  ConfigWriteResult r = text(content);
  if (r.ok) file.WriteString(r.text);
  return r;
}

ConfigWriteResult ConfigFileWriter::save(const std::filesystem::path& path,
                                         const ConfigFileContent& content) {
  ConfigWriteResult r = text(content);
  if (!r.ok) return r;
  CStdioFileEx file;
  if (!file.Open(path, CStdioFileEx::modeWrite | CStdioFileEx::modeCreate |
                           CStdioFileEx::modeWriteUnicode | CStdioFileEx::modeAtomic)) {
    return refused("ERROR_MESSAGE57", {1});
  }
  file.WriteString(r.text);
  if (!file.Close()) return refused("ERROR_MESSAGE57", {1});
  return r;
}

ConfigStructureCaptions ConfigFileWriter::structureCaptions(const ModelDatabase& model,
                                                            const StructureData& structures,
                                                            const UnitConfiguration& config) {
  ConfigStructureCaptions out;
  const int k = StructureFile::structureIndex(structures, config.shapeCode);
  if (k >= 0) {
    const auto at = static_cast<std::size_t>(k);
    out.title = structures.TitleCaptions[at];
    out.dimensionCaptions = model.GuidedWaveRadar != 0 ? structures.RadarDimensionCaptions[at]
                                                       : structures.DimensionCaptions[at];
  }
  const int p = ModelLink(&model, &structures).position(config.outputUnits);
  if (p >= 0) out.outputName = structures.Units[static_cast<std::size_t>(p)].Name;
  return out;
}

}  // namespace ostrel
