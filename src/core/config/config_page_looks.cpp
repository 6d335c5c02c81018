#include "core/config/config_page_looks.h"

#include <algorithm>

#include "core/config/unit_configuration.h"
#include "core/link/pulse_protocol.h"
#include "core/model/model_images.h"
#include "core/model/model_records.h"
#include "core/support/text_format.h"
#include "core/volume/model_link.h"
#include "core/volume/shape_class.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/structure_file.h"
#include "core/volume/volume_table.h"

namespace ostrel {

using shape::hasCurve;

const ModelDatabase& ConfigPageLooks::model() const { return records_.Database; }
bool ConfigPageLooks::guidedWave() const { return model().GuidedWaveRadar != 0; }
bool ConfigPageLooks::pulseRadar() const { return model().PulseRadar != 0; }
bool ConfigPageLooks::ugus() const { return model().Ugus != 0; }
bool ConfigPageLooks::nonLinearCapable() const { return !model().NonLinearButtonCaption.empty(); }

std::string ConfigPageLooks::text(const char* key) const {
  return records_.Language.Text(key, records_.Values.LanguageNumber, key);
}

std::string ConfigPageLooks::unitLine() const {
  return formatText(text("IDC_PNSN"), {config_.model, config_.serial});
}

std::string ConfigPageLooks::softwareLine() const {
  const std::string caption = text("IDC_SW_REVISION");
  if (pulseRadar() && pulse_ != nullptr && !sample_) {
    return formatText("%s:  %s", {caption, pulse_->Parameters().FirmwareVersion});
  }
  if (config_.softwareRevision <= 99) {
    return formatText("%s:  %d", {caption, config_.softwareRevision});
  }
  return formatText("%s:  %2.1f", {caption, config_.softwareRevision / 10.0});
}

std::string ConfigPageLooks::hardwareLine() const {
  return formatText(text("IDC_HW_MODEL"), {config_.firmware});
}

std::vector<std::string> ConfigPageLooks::unitNames() const {
  const auto& names = model().UnitNames;
  return std::vector<std::string>(names.Items.begin(), names.Items.begin() + names.used());
}

bool ConfigPageLooks::relayUnitsAreLength() const {
  return config_.outputUnits >= 0 && config_.outputUnits < model().UnitNames.used();
}

std::string ConfigPageLooks::heightUnitsText() const {
  const std::vector<std::string> names = unitNames();
  const int u = config_.heightUnits;
  return u >= 0 && u < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(u)] : "";
}

std::string ConfigPageLooks::relayUnitsText() const {
  if (relayUnitsAreLength()) {
    return unitNames()[static_cast<std::size_t>(config_.outputUnits)];
  }
  const ModelLink link(&model(), &records_.Structures);
  const int p = link.position(config_.outputUnits);
  if (p < 0) return {};
  return records_.Structures.Units[static_cast<std::size_t>(p)].Name;
}

bool ConfigPageLooks::advancedFramed() const {
  if (pulseRadar()) return false;
  return std::any_of(config_.advanced.begin(), config_.advanced.end(),
                     [](const AdvancedEntry& a) { return a.set; });
}

bool ConfigPageLooks::tanksFramed() const {
  return output::isVolume(config_.outputUnits);
}

ConfigPageLooks::LevelPicture ConfigPageLooks::levelPicture() const {
  const ModelRecords& r = records_;
  LevelPicture picture{r.Images.Image, r.Images.ImageCaption, false};
  if (!nonLinearCapable() || !hasCurve(config_.shapeCode)) return picture;
  const StructureData& s = r.Structures;
  const int k = StructureFile::structureIndex(s, config_.shapeCode);
  if (k < 0) {
    picture.keep = true;
    return picture;
  }
  const auto at = static_cast<std::size_t>(k);
  if (guidedWave()) {
    picture.file =
        relayUnitsAreLength() ? s.RadarFrontImagesDistance[at] : s.RadarFrontImagesVolume[at];
  } else {
    picture.file = s.FrontImages[at];
  }
  picture.caption = s.TitleCaptions[at];
  return picture;
}

bool ConfigPageLooks::heightsEditable() const {
  return config_.outputUnits == config_.heightUnits;
}

std::string ConfigPageLooks::fillCaption() const {
  if (shape::isFlow(config_.shapeCode)) return model().MaxHead;
  return guidedWave() ? text("IDC_GWRMAXFILLHEIGHT_LABEL") : text("IDC_FHLABEL");
}

std::vector<OverlayPoint> ConfigPageLooks::overlays(int bits) const {
  std::vector<OverlayPoint> out;
  const ModelImages& images = records_.Images;
  for (int k = 0; k < ModelImages::kOverlays; ++k) {
    if ((bits & (1 << k)) == 0) continue;
    const OverlayPoint& point = images.Overlays[static_cast<std::size_t>(k)];
    if (!point.Caption.empty()) out.push_back(point);
  }
  return out;
}

MainFormPages ConfigPageLooks::pagesByKind(MainFormPages present) const {
  // Page-based units show the live display or, on guided-wave radar, the
  // echo diagnostics; the pulse radar has its own echo curves and no
  // firmware update through the cable. UGUS units do not stream.
  MainFormPages wanted = present;
  if (guidedWave()) {
    wanted.liveDisplay = false;
    wanted.diagnostics = true;
  } else if (!ugus()) {
    wanted.liveDisplay = true;
    wanted.diagnostics = false;
  } else {
    wanted.liveDisplay = false;
  }
  if (pulseRadar()) {
    wanted.liveDisplay = false;
    wanted.echoCurve = true;
    wanted.update = false;
  } else {
    wanted.echoCurve = false;
    wanted.update = true;
  }
  return wanted;
}

std::string ConfigPageLooks::capacityLine(const VolumeTable& volume,
                                          const StrappingRows& rows) const {
  const std::uint16_t shape = config_.shapeCode;
  const int output = config_.outputUnits;
  auto number = [&](double v) { return NumberRules::display(v, output, false); };
  if (shape::isStrapping(shape)) {
    return formatText(text("STATUS_MESSAGE53"), {number(rows.lastVolume())});
  }
  if (hasCurve(shape) && output::isVolume(output)) {
    return formatText(text("STATUS_MESSAGE53"),
                      {number(volume.CapacityOrUserValue(shape, config_.heightUnits, output))});
  }
  if (hasCurve(shape) && output::isFlow(output)) {
    return formatText(text("STATUS_MESSAGE54"), {number(volume.FlowAt(shape, volume.Dimensions[1]))});
  }
  return {};
}

}  // namespace ostrel
