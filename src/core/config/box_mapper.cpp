#include "core/config/box_mapper.h"

#include "core/support/notice.h"
#include "core/support/presenter.h"
#include "core/volume/number_rules.h"

namespace ostrel {
namespace {

using F = BoxMapper::Field;
using Fam = BoxMapper::Family;
using C = UnitConfiguration;
using P = PageBoxes;
using V = ConfigBoxValues;
using K = CheckedBoxes;
using Cu = CustomerPageBoxes;
using Pu = PulseConfigurationDecoding;

// The height boxes. The minimum fill height is not checked (its rule sets
// it from the probe), and the customer page does not hold the radar's two.
const std::array<F, 6> kFields{{
    {FieldId::SensorHeight, Fam::All, 0, &P::sensorHeight, &C::sensorHeight, &V::sensorHeight,
     &K::sensorHeight, &Cu::sensorHeight, &Pu::sensorHeight},
    {FieldId::FillHeight, Fam::All, 1, &P::fillHeight, &C::fillHeight, &V::fillHeight,
     &K::fillHeight, &Cu::fillHeight, &Pu::fillHeight},
    {FieldId::MinFillHeight, Fam::GuidedWave, 2, &P::minFillHeight, &C::minFillHeight,
     &V::minFillHeight, nullptr, &Cu::minFillHeight, nullptr},
    {FieldId::ProbeLength, Fam::GuidedWave, 3, &P::probeLength, &C::probeLength, &V::probeLength,
     &K::probeLength, &Cu::probeLength, nullptr},
    {FieldId::DeadBand, Fam::PulseRadar, 2, &P::deadBand, &C::deadBand, &V::deadBand,
     &K::deadBand, nullptr, &Pu::deadBand},
    {FieldId::MaxRange, Fam::PulseRadar, 3, &P::maxRange, &C::maxRange, &V::maxRange,
     &K::maxRange, nullptr, &Pu::maxRange},
}};

}  // namespace

std::span<const BoxMapper::Field> BoxMapper::fields() { return kFields; }

bool BoxMapper::carries(const Field& f, Kind kind) {
  switch (f.family) {
    case Family::All: return true;
    case Family::GuidedWave: return kind.guidedWave;
    case Family::PulseRadar: return kind.pulseRadar;
  }
  return false;
}

double BoxMapper::read(const std::string& text) { return NumberRules::read(text); }

CheckedBoxes BoxMapper::checked(const PageBoxes& boxes, const LevelRows& rows) {
  CheckedBoxes out;
  for (const Field& f : kFields) {
    if (f.checked != nullptr) out.*f.checked = boxes.*f.page;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) out.levels[i] = rows[i].text;
  return out;
}

void BoxMapper::fromChecked(const CheckedBoxes& checked, PageBoxes& boxes, LevelRows& rows) {
  for (const Field& f : kFields) {
    if (f.checked != nullptr) boxes.*f.page = checked.*f.checked;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].text = checked.levels[i];
}

ConfigBoxValues BoxMapper::values(const PageBoxes& boxes, const LevelRows& rows) {
  ConfigBoxValues out;
  for (const Field& f : kFields) out.*f.value = read(boxes.*f.page);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out.levels[i] = rows[i].shown ? read(rows[i].text) : 0.0;
  }
  return out;
}

void BoxMapper::fromCustomer(const CustomerPageBoxes& decoded, PageBoxes& boxes, LevelRows& rows) {
  for (const Field& f : kFields) {
    if (f.customer != nullptr) boxes.*f.page = decoded.*f.customer;
  }
  boxes.notes = decoded.notes;
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].text = decoded.levels[i];
}

void BoxMapper::fromPulse(const PulseConfigurationDecoding& decoded, PageBoxes& boxes) {
  for (const Field& f : kFields) {
    if (f.pulse != nullptr) boxes.*f.page = decoded.*f.pulse;
  }
}

void BoxMapper::show(const UnitConfiguration& config, PageBoxes& boxes,
                     const std::function<std::string(double)>& showHeight) {
  for (const Field& f : kFields) boxes.*f.page = showHeight(config.*f.record);
}

void BoxMapper::read(const PageBoxes& boxes, UnitConfiguration& config, Kind kind) {
  for (const Field& f : kFields) {
    if (carries(f, kind)) config.*f.record = read(boxes.*f.page);
  }
}

std::array<std::string PageBoxes::*, 4> BoxMapper::dimensionBoxes(Kind kind) {
  std::array<std::string PageBoxes::*, 4> out{};
  for (const Field& f : kFields) {
    if (f.dimension >= 0 && carries(f, kind)) out[static_cast<std::size_t>(f.dimension)] = f.page;
  }
  return out;
}

std::optional<ValueCheckResult> BoxMapper::refusal(const std::string& name,
                                                   const std::string& typed) {
  if (NumberRules::isNumber(typed)) return std::nullopt;
  ValueCheckResult r;
  r.outcome = CheckOutcome::Error;
  r.boxName = name;
  r.notice = Notice::message("ERROR_MESSAGE121", {typed}, kStyleError);
  return r;
}

std::optional<ValueCheckResult> BoxMapper::refused(
    const PageBoxes& boxes, const LevelRows& rows, Kind kind,
    const std::function<std::string(std::string PageBoxes::*box)>& nameOf) {
  for (const Field& f : fields()) {
    if (!carries(f, kind) || f.id == FieldId::MinFillHeight) continue;
    if (auto r = refusal(nameOf(f.page), boxes.*f.page)) return r;
  }
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i].shown) continue;
    if (auto r = refusal(rows[i].caption, rows[i].text)) return r;
  }
  return std::nullopt;
}

}  // namespace ostrel
