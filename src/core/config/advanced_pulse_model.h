#pragma once
// The pulse radar's advanced settings as its fixed dialog edits them: type
// of medium and first echo lists, fast level change and five options, pipe
// diameter and damping time. The dialog opens on the page's copy of the
// radar's parameter block; on OK every parameter that now differs gets its
// changed-flag, so the next write sends it.
//
// Also the read of the radar's advanced parameters that comes first when
// the page has not read them since it became active.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/config_fields.h"
#include "core/config/radar_command_list.h"
#include "core/volume/form_failure.h"

namespace ostrel {

struct ModelDatabase;
class ProgressSink;
class PulseProtocol;
class UnitLink;

class AdvancedPulseModel {
 public:
  static constexpr const char* kReadingMessage = "Reading Advanced Settings...";
  static constexpr const char* kHelpFile = "AdvancedPulse.chm";
  static constexpr const char* kHelpTopic = "ADVANCED_INPUTS_PULSE.htm";
  static constexpr int kDefaultDampingTime = 6;

  // The controls. -1: a list shows no selection.
  struct Controls {
    int medium = -1;
    int firstEcho = -1;
    bool fastLevelChange = false;
    bool agitation = false;
    bool foam = false;
    bool powderDust = false;
    bool largeAngle = false;
    bool lowDielectric = false;
    std::string pipeDiameter;
    std::string dampingTime;
    // Which of the medium-bound options take input.
    bool agitationEnabled = false;
    bool foamEnabled = false;
    bool powderDustEnabled = false;
    bool largeAngleEnabled = false;
  };

  AdvancedPulseModel(const ModelDatabase& model, const PulseParameters& block);

  const std::vector<std::string>& mediumNames() const { return media_; }
  const std::vector<std::string>& firstEchoNames() const { return firstEchoes_; }
  Controls& controls() { return controls_; }
  const Controls& controls() const { return controls_; }

  // A type of medium chosen: the first enables agitated surface and foam,
  // the second powder / dust and large angle; the others change nothing.
  void selectMedium(int selection);
  // "Defaults": into the controls only.
  void defaults();
  // The number boxes take digits only.
  static bool digitsOnly(std::string_view text);

  // OK: the controls as settings. A list without a selection and an option
  // the dialog cannot show (a value other than 0 and 1) keep the block's
  // value, so that opening and closing changes nothing.
  RadarAdvanced result() const;
  // OK on the page: every parameter that differs from the page's copy is
  // flagged (flags already set stay set), and the copy takes the settings.
  // Returns how many parameters were newly flagged.
  static int apply(RadarAdvancedState& state, const RadarAdvanced& settings);

  // Reads the radar's advanced parameters into the protocol's block
  // (reconnecting first when the link was closed). The radar error report
  // (ERROR_MESSAGE132 with the error and parameter names) on failure.
  static std::optional<FormFailure> readRadar(UnitLink& link, PulseProtocol& pulse,
                                              ProgressSink* busy);

 private:
  std::vector<std::string> media_;
  std::vector<std::string> firstEchoes_;
  RadarAdvanced original_;
  Controls controls_;
};

}  // namespace ostrel
