#pragma once
// The part of a tank a guided-wave radar probe measures, and the loop
// current it gives there. The probe ends above the tank's floor (its nut
// and the dead band at its tip), so the lowest level it sees, and the
// volume and current at that level, follow from the sensor height and the
// probe length. The configuration page's loop-current panel and the tank
// form's "Min Current/Volume" both use these rules.

namespace ostrel {

class ModelLink;

class GuidedWaveSpan {
 public:
  // The loop span item's choice that turns the loop round (20 mA at empty).
  static constexpr int kInvertedLoopChoice = 2;
  static bool invertedLoop(int loopSpanChoice) { return loopSpanChoice == kInvertedLoopChoice; }

  // The lowest level the probe measures, in `unit`: sensor height - (probe
  // length + the model's nut offset) + the model's lower probe dead band.
  static double lowestLevel(double sensorHeight, double probeLength, int unit,
                            const ModelLink& link);

  // The loop current at `volume` of a tank whose full volume is `full`
  // (which must be positive): 4..20 mA, or 20..4 mA on an inverted loop.
  static double currentAt(double volume, double full, bool inverted);
  // The current at the full volume.
  static double fullCurrent(bool inverted) { return inverted ? 4.0 : 20.0; }
};

}  // namespace ostrel
