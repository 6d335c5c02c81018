#include "core/config/advanced_pulse_model.h"

#include <algorithm>
#include <limits>

#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/model/model_database.h"

namespace ostrel {
namespace {

template <typename List>
std::vector<std::string> names(const List& list) {
  const int n = list.used();
  return std::vector<std::string>(list.Items.begin(), list.Items.begin() + n);
}

std::string number(unsigned value) { return std::to_string(value); }

// A box of digits as a 16-bit value; more than it holds stays at the top.
std::uint16_t boxValue(const std::string& text) {
  unsigned long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    v = std::min<unsigned long>(v * 10 + static_cast<unsigned long>(c - '0'), 0xFFFF);
  }
  return static_cast<std::uint16_t>(v);
}

// An option the block holds as 0/1; any other value shows ticked and is kept
// while the box stays ticked.
std::uint8_t option(bool ticked, std::uint8_t was) {
  if (!ticked) return 0;
  return was != 0 ? was : 1;
}

}  // namespace

AdvancedPulseModel::AdvancedPulseModel(const ModelDatabase& model, const PulseParameters& block)
    : media_(names(model.Media)),
      firstEchoes_(names(model.FirstEchoes)),
      original_(RadarAdvanced::from(block)) {
  const RadarAdvanced& a = original_;
  Controls& c = controls_;
  const int medium = a.typeOfMedium - 1;
  c.medium = medium >= 0 && medium < static_cast<int>(media_.size()) ? medium : -1;
  c.firstEcho = a.firstEcho < firstEchoes_.size() ? a.firstEcho : -1;
  c.fastLevelChange = a.additionalAdjustment == 0;
  c.agitation = a.agitation != 0;
  c.foam = a.foam != 0;
  c.powderDust = a.powderDust != 0;
  c.largeAngle = a.largeResponseAngle != 0;
  c.lowDielectric = a.lowDielectric != 0;
  c.pipeDiameter = number(a.pipeDiameter);
  c.dampingTime = number(a.dampingTime);
  selectMedium(c.medium);
}

void AdvancedPulseModel::selectMedium(int selection) {
  Controls& c = controls_;
  c.medium = selection;
  if (selection != 0 && selection != 1) return;
  const bool liquid = selection == 0;
  c.agitationEnabled = liquid;
  c.foamEnabled = liquid;
  c.powderDustEnabled = !liquid;
  c.largeAngleEnabled = !liquid;
}

void AdvancedPulseModel::defaults() {
  Controls& c = controls_;
  c.firstEcho = firstEchoes_.empty() ? -1 : 0;
  c.fastLevelChange = true;
  c.agitation = c.foam = c.powderDust = c.largeAngle = c.lowDielectric = false;
  c.pipeDiameter = "0";
  c.dampingTime = number(kDefaultDampingTime);
  selectMedium(media_.empty() ? -1 : 0);
}

bool AdvancedPulseModel::digitsOnly(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

RadarAdvanced AdvancedPulseModel::result() const {
  const Controls& c = controls_;
  RadarAdvanced a = original_;
  a.pipeDiameter = boxValue(c.pipeDiameter);
  a.dampingTime = boxValue(c.dampingTime);
  if (c.fastLevelChange) {
    a.additionalAdjustment = 0;
  } else if (original_.additionalAdjustment == 0) {
    a.additionalAdjustment = 1;
  }
  a.agitation = option(c.agitation, original_.agitation);
  a.foam = option(c.foam, original_.foam);
  a.powderDust = option(c.powderDust, original_.powderDust);
  a.largeResponseAngle = option(c.largeAngle, original_.largeResponseAngle);
  a.lowDielectric = option(c.lowDielectric, original_.lowDielectric);
  if (c.firstEcho >= 0) a.firstEcho = static_cast<std::uint8_t>(c.firstEcho);
  if (c.medium >= 0) a.typeOfMedium = static_cast<std::uint8_t>(c.medium + 1);
  return a;
}

int AdvancedPulseModel::apply(RadarAdvancedState& state, const RadarAdvanced& settings) {
  using S = RadarAdvancedState;
  const RadarAdvanced was = RadarAdvanced::from(state.values);
  const std::pair<S::Parameter, bool> differs[] = {
      {S::kTypeOfMedium, settings.typeOfMedium != was.typeOfMedium},
      {S::kFirstEcho, settings.firstEcho != was.firstEcho},
      {S::kFastLevelChange, settings.additionalAdjustment != was.additionalAdjustment},
      {S::kAgitation, settings.agitation != was.agitation},
      {S::kFoam, settings.foam != was.foam},
      {S::kPowderDust, settings.powderDust != was.powderDust},
      {S::kLargeResponseAngle, settings.largeResponseAngle != was.largeResponseAngle},
      {S::kLowDielectric, settings.lowDielectric != was.lowDielectric},
      {S::kPipeDiameter, settings.pipeDiameter != was.pipeDiameter},
      {S::kDampingTime, settings.dampingTime != was.dampingTime},
  };
  int flagged = 0;
  for (const auto& [parameter, changed] : differs) {
    bool& flag = state.changed[static_cast<std::size_t>(parameter)];
    if (changed && !flag) {
      flag = true;
      ++flagged;
    }
  }
  settings.applyTo(state.values);
  return flagged;
}

std::optional<FormFailure> AdvancedPulseModel::readRadar(UnitLink& link, PulseProtocol& pulse,
                                                         ProgressSink* busy) {
  const auto report = [&pulse](int r) {
    return FormFailure::error("ERROR_MESSAGE132",
                              {PulseProtocol::ErrorName(r),
                               PulseProtocol::CommandName(pulse.LastFailingParameter())});
  };
  // A failed exchange closed the link; the radar then answers only once it
  // has been woken and addressed at its long address again.
  if (!link.IsOpen()) {
    if (link.Connect() != 0 || !pulse.DetectPulse(link)) return FormFailure::error("ERROR_MESSAGE33");
    if (const int r = pulse.ReadUniqueIdentifier(link); r != 0) return report(r);
  }
  if (const int r = pulse.ReadAdvancedSet(link, busy); r != 0) return report(r);
  return std::nullopt;
}

}  // namespace ostrel
