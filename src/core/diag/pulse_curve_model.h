#pragma once
// The pulse radar's echo-curve page without its widgets: the three curve
// slots decoded from the radar's curve blocks, scaled, the echo curve
// aligned on the radar's echo position, and the plot (frame, distance grid
// in metres or feet, amplitude grid, markers, coloured traces) as data.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/diag/diagnostics_model.h"
#include "core/volume/form_failure.h"

namespace ostrel {

class PulseProtocol;
class ProgressSink;
class UnitLink;

struct CurveSample {
  int x = 0;  // sample index along the distance axis
  int amplitude = 0;
};

// What one curve block carries.
struct DecodedCurve {
  std::uint16_t expectedEchoIndex = 0;
  float echoDistance = 0.0f;   // metres
  float levelDistance = 0.0f;  // metres
  std::vector<CurveSample> samples;
};

struct CurveTrace {
  int slot = 0;
  Rgb colour;
  std::vector<PlotPoint> points;
};

struct PulsePlot {
  PlotRect frame;
  std::string axisCaption;  // "Meters" or "Feet"
  std::vector<PlotLine> distanceLines;
  std::vector<PlotLabel> distanceLabels;
  std::vector<PlotLine> amplitudeLines;
  std::vector<PlotLabel> amplitudeLabels;
  bool markers = false;
  PlotPoint echoMarker;   // a triangle's tip at the echo distance
  PlotPoint levelMarker;  // a thick mark at the level distance
  std::string echoText;
  std::string levelText;
  std::vector<CurveTrace> traces;
};

class PulseCurveModel {
 public:
  static constexpr int kEcho = 0;
  static constexpr int kFalseEcho = 1;
  static constexpr int kEnvelope = 2;
  static constexpr int kSlotCapacity = 2000;
  // Radar commands of the three curves, by slot.
  static constexpr std::array<std::uint16_t, 3> kCommands{2449, 2450, 2451};
  static constexpr double kIndexScale = 1000000.0 / 29299.8128;

  static constexpr const char* kReadingMessage = "Reading Echo Data...";

  struct Slot {
    std::vector<CurveSample> samples;
    int maximum = 0;
  };

  // One curve block as the radar sent it, with the radar values its
  // decoding needs.
  struct CurveRead {
    int slot = 0;
    std::vector<std::uint8_t> block;
    double maxRange = 0.0;
    int sensorType = 0;
  };
  using CurveSink = std::function<void(const CurveRead&)>;

  // The device part of "Load": the radar's "Sensor Type" and "Max Range",
  // then each checked curve in the order echo curve, envelope, false echo,
  // handed to got as it arrives. The busy window (may be null) moves 25, 50,
  // 75, 100 as the Load steps do. A failure is the radar's error report;
  // curves handed over before it stay.
  static std::optional<FormFailure> readCurves(UnitLink& link, PulseProtocol& pulse,
                                               const std::array<bool, 3>& checked,
                                               ProgressSink* busy, const CurveSink& got);
  // A block read by readCurves taken into its slot.
  void take(const CurveRead& read);

  static DecodedCurve decode(const std::uint8_t* bytes, int count);
  static Rgb colour(int slot);

  // maxRange: "Max Range" in metres; sensorType: the radar's "Sensor Type";
  // unitsChoice: 1 metres, anything else feet.
  void setRadar(double maxRange, int sensorType);
  void setUnitsChoice(int units) { units_ = units; }
  void setChecked(int slot, bool on) { checked_[static_cast<std::size_t>(slot)] = on; }
  bool checked(int slot) const { return checked_[static_cast<std::size_t>(slot)]; }
  const std::array<bool, 3>& checkedSlots() const { return checked_; }
  // The slots "Load" reads, in its order: echo curve, envelope, false echo.
  std::vector<int> slotsToRead() const;

  // A curve block read into a slot: decoded, scaled and (echo curve)
  // aligned. The header values become the last decoded ones.
  void load(int slot, const std::uint8_t* bytes, int count);

  const Slot& slot(int i) const { return slots_[static_cast<std::size_t>(i)]; }
  std::uint16_t expectedEchoIndex() const { return expected_; }
  float echoDistance() const { return echoDistance_; }
  float levelDistance() const { return levelDistance_; }
  // Index of a distance in metres, and the x range's end in indexes.
  double indexOf(double metres) const;
  int indexRange() const;
  // A distance in metres as the page labels it ("%2.3f" for markers).
  std::string distanceText(double metres, const char* metreFormat) const;

  PulsePlot plot(const PlotRect& client) const;

  // The checked curves' samples for a spreadsheet: a header line, then
  // "curve,index,amplitude" lines, the aligned indexes as plotted.
  std::string samplesCsv() const;

 private:
  void align(Slot& s) const;
  double sensorFactor() const { return sensorType_ >= 4 ? 1.1 : 1.0; }
  double inDisplayUnits(double metres) const;

  std::array<Slot, 3> slots_{};
  std::array<bool, 3> checked_{true, false, false};
  double maxRange_ = 0.0;
  int sensorType_ = 0;
  int units_ = 1;
  std::uint16_t expected_ = 0;
  float echoDistance_ = 0.0f;
  float levelDistance_ = 0.0f;
};

}  // namespace ostrel
