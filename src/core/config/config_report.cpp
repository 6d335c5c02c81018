#include "core/config/config_report.h"

#include <algorithm>
#include <filesystem>

#include "core/config/config_page_model.h"
#include "core/model/model_records.h"
#include "core/support/text_format.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "core/volume/shape_class.h"

namespace ostrel {
namespace {

using shape::hasCurve;
using shape::isFlow;
using shape::isStrapping;
using shape::isTank;

// Field i of a comma-separated caption list, cut after a "-" the way the
// configuration file cuts it, and trimmed.
std::string dimensionCaption(const std::string& captions, int i) {
  std::size_t start = 0;
  for (int k = 0; k < i; ++k) {
    const std::size_t comma = captions.find(',', start);
    if (comma == std::string::npos) return {};
    start = comma + 1;
  }
  std::string piece = captions.substr(start, captions.find(',', start) - start);
  const std::size_t dash = piece.find('-');
  if (dash != std::string::npos) piece = piece.substr(std::min(piece.size(), dash + 2));
  const std::size_t first = piece.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return piece.substr(first, piece.find_last_not_of(' ') - first + 1);
}

class Builder {
 public:
  Builder(const ConfigPageModel& page, const ModelRecords& records)
      : page_(page), records_(records), config_(page.config()), model_(records.Database) {}

  ConfigReport run(const std::string& date) {
    ConfigReport r;
    const ProgramIdentity& id = records_.Identity;
    r.logoLine = id.ProgramName.empty() ? id.ProgramId : id.ProgramName;
    if (!id.CorporateId.empty()) r.logoLine += (r.logoLine.empty() ? "" : " \xE2\x80\x94 ") + id.CorporateId;
    r.logoImage = id.LogoImage;
    r.title = text("IDD_CONFIGREPORT", "Configuration Report");
    r.model = config_.model;
    r.serial = config_.serial;
    r.description = config_.unitDescription;
    r.unit = unit();
    r.configuration = configuration();
    r.heights = heights();
    r.levels = levels();
    if (hasCurve(config_.shapeCode)) {
      r.structure = structure();
      if (isStrapping(config_.shapeCode)) strapping(r);
    }
    r.notesCaption = text("IDC_DSLABEL", "Notes");
    r.notes = page_.boxes().notes;
    r.dateCaption = text("IDC_REPORT_DATE", "Date");
    r.date = date;
    r.pageFormat = text("IDC_REPORT_PAGE", "Page %d of %d");
    return r;
  }

 private:
  std::string text(const char* key, const char* fallback) const {
    return records_.Language.Text(key, records_.Values.LanguageNumber, fallback);
  }
  bool guided() const { return model_.GuidedWaveRadar != 0; }
  bool pulse() const { return model_.PulseRadar != 0; }

  ConfigReport::Section unit() const {
    ConfigReport::Section s;
    s.heading = text("IDC_REPORT_UNIT", "Unit");
    s.lines.push_back({text("IDC_REPORT_MODEL", "Model"), config_.model, {}});
    s.lines.push_back({text("IDC_REPORT_SERIAL", "Serial No."), std::to_string(config_.serial), {}});
    s.lines.push_back({text("IDC_REPORT_HARDWARE", "Hardware"), config_.firmware, {}});
    // The page's own line without its caption, so a pulse radar shows its
    // radar firmware text and a revision above 99 its tenths.
    const std::string software = page_.looks().softwareLine();
    const std::size_t value = software.find_first_not_of(' ', software.find(':') + 1);
    s.lines.push_back({text("IDC_SW_REVISION", "Software Revision"),
                       value == std::string::npos ? std::string() : software.substr(value), {}});
    s.lines.push_back({text("IDC_REPORT_MODELFILE", "Model File"), config_.modelFileName, {}});
    // The file the page was loaded from or saved to; a factory file is
    // kept with its whole path, of which the name is what matters here.
    std::string file = page_.boxes().fileName;
    if (file.empty() && !config_.configFileName.empty()) {
      file = std::filesystem::path(config_.configFileName).filename().string();
    }
    if (!file.empty()) s.lines.push_back({text("IDC_CFLABEL", "Config File Name"), file, {}});
    return s;
  }

  ConfigReport::Section configuration() const {
    ConfigReport::Section s;
    s.heading = text("IDC_CONFIGWINDOW", "Configuration");
    s.subtitle = page_.statusLine();
    for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      const ItemList& item = page_.items()[static_cast<std::size_t>(i)];
      if (!item.present) continue;
      s.lines.push_back(
          {item.caption, page_.choiceText(i, config_.itemChoices[static_cast<std::size_t>(i)]), {}});
    }
    return s;
  }

  std::string fillCaption() const {
    if (isFlow(config_.shapeCode) && !model_.MaxHead.empty()) return model_.MaxHead;
    if (guided()) return text("IDC_GWRMAXFILLHEIGHT_LABEL", "Max Fill Height");
    return text("IDC_FHLABEL", "Fill Height");
  }

  ConfigReport::Section heights() const {
    ConfigReport::Section s;
    s.heading = text("IDC_REPORT_HEIGHTS", "Heights");
    const std::string units = page_.looks().heightUnitsText();
    const PageBoxes& b = page_.boxes();
    s.lines.push_back({text("IDC_UNITLABEL", "Height Units"), units, {}});
    s.lines.push_back({text("IDC_SHLABEL", "Sensor Height"), b.sensorHeight, units});
    s.lines.push_back({fillCaption(), b.fillHeight, units});
    if (guided()) {
      s.lines.push_back({text("IDC_PROBELENGTH_LABEL", "Probe Length"), b.probeLength, units});
      s.lines.push_back({text("IDC_GWRMINFILLHEIGHT_LABEL", "Min Fill Height"), b.minFillHeight, units});
    }
    if (pulse()) {
      s.lines.push_back({text("IDC_DEADBAND_LABEL", "Dead Band"), b.deadBand, units});
      s.lines.push_back({text("IDC_MAXRANGE_LABEL", "Max Range"), b.maxRange, units});
    }
    return s;
  }

  ConfigReport::Section levels() const {
    ConfigReport::Section s;
    s.heading = text("IDC_TANKWINDOW", "Levels");
    const std::string units = page_.looks().relayUnitsText();
    if (page_.independentMode()) {
      // Relay k's ON point is INDYLEVEL[k], its OFF point INDYLEVEL[k + 4];
      // an unset point (0) is left out as the file leaves it out.
      static const char* const kRelays[] = {"IDC_INDRELAY1", "IDC_INDRELAY2", "IDC_INDRELAY3",
                                            "IDC_INDRELAY4"};
      for (int k = 0; k < UnitConfiguration::kIndependentLevels; ++k) {
        const double v = config_.independentLevels[static_cast<std::size_t>(k)];
        if (!(v > 0.0)) continue;
        const bool on = k < 4;
        const std::string relay = records_.Language.Text(kRelays[on ? k : k - 4],
                                                         records_.Values.LanguageNumber,
                                                         formatText("Relay %d", {on ? k + 1 : k - 3}));
        const std::string state = on ? text("IDC_IND1_ON", "ON") : text("IDC_IND1_OFF", "OFF");
        s.lines.push_back({relay + " " + state, page_.showLevel(v), units});
      }
      s.subtitle = text("IDC_INDEPENDENTBTN", "Relay Set Points");
    } else {
      // Top row first, as on the page.
      for (int i = UnitConfiguration::kLevels - 1; i >= 0; --i) {
        const LevelRow& row = page_.levelRows()[static_cast<std::size_t>(i)];
        if (!row.shown) continue;
        s.lines.push_back({row.caption, row.text, units});
      }
    }
    if (!s.lines.empty()) {
      s.lines.insert(s.lines.begin(), {text("IDC_RELAYUNITSLABEL", "Relay Units"), units, {}});
    }
    return s;
  }

  ConfigReport::Section structure() const {
    ConfigReport::Section s;
    const ConfigFileContent content = page_.fileContent();
    s.heading = model_.NonLinearButtonCaption.empty() ? text("IDD_ALTERNATEPAGE", "Tanks, Flumes and Weirs")
                                                      : model_.NonLinearButtonCaption;
    s.subtitle = content.structure.title;
    const std::uint16_t shape = config_.shapeCode;
    const bool tank = isTank(shape);
    const std::string units = page_.looks().heightUnitsText();
    if (content.structure.outputName) {
      s.lines.push_back({text("IDC_RELAYUNITSLABEL", "Relay Units"), *content.structure.outputName, {}});
    }
    // D0 and D1 are the sensor and fill heights, and guided-wave and pulse
    // radar models keep two more of the page's heights in D2 and D3: the
    // heights section shows them already.
    const int first = (guided() || pulse()) ? 4 : 2;
    // With length relay units only the heights matter, as in the file.
    const int last = page_.looks().relayUnitsAreLength() ? (tank ? 2 : 1) : 10;
    for (int i = first; i <= last; ++i) {
      const std::string caption = dimensionCaption(content.structure.dimensionCaptions, i);
      if (caption.empty()) break;
      const double d = static_cast<double>(page_.volume().Dimensions[static_cast<std::size_t>(i)]);
      if (tank) {
        s.lines.push_back({caption, page_.showHeight(d), units});
      } else {
        s.lines.push_back({caption, NumberRules::formatTrimmed(d, 6), {}});
      }
    }
    s.footnote = page_.capacityLine();
    return s;
  }

  void strapping(ConfigReport& r) const {
    const ConfigFileContent content = page_.fileContent();
    if (content.rows == nullptr) return;
    const StrappingRows& rows = *content.rows;
    r.strappingHeading = text("IDC_REPORT_STRAPPING", "Strapping Table");
    r.strappingLevelCaption = text("IDC_REPORT_LEVEL", "Level") + " (" + page_.looks().heightUnitsText() + ")";
    r.strappingVolumeCaption = text("IDC_REPORT_VOLUME", "Volume") + " (" + page_.looks().relayUnitsText() + ")";
    const int count = std::clamp(rows.RowCount, 0, StrappingRows::kCapacity);
    for (int i = 0; i < count; ++i) {
      const auto at = static_cast<std::size_t>(i);
      r.strapping.push_back({page_.showHeight(rows.Levels[at]), page_.showLevel(rows.Volumes[at])});
    }
  }

  const ConfigPageModel& page_;
  const ModelRecords& records_;
  const UnitConfiguration& config_;
  const ModelDatabase& model_;
};

}  // namespace

ConfigReportResult ConfigReport::build(const ConfigPageModel& page, const ModelRecords& records,
                                         const std::string& date) {
  ConfigReportResult result;
  if (!page.config().configurationValid || page.config().configurationIndex < 0) {
    result.refusal = Notice::message("ERROR_MESSAGE133", {}, kStyleError);
    return result;
  }
  result.report = Builder(page, records).run(date);
  return result;
}

}  // namespace ostrel
