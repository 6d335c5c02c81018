#pragma once
// The echo-curve diagnostics page of memory-page units without its widgets:
// the curve list, the echo record read from the unit (samples and the three
// values it ends with), the displays' texts, and the plot's grid and trace
// as lines, labels and points the view draws into its off-screen image.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/volume/curve_plot.h"

namespace ostrel {

struct ModelRecords;
struct UnitConfiguration;
class Presenter;
class UnitLink;
class UnitMemory;

enum class DiagnosticsPart {
  Entries,   // the curve list
  Displays,  // level, distance and current texts
  Plot,      // grid and trace
  Status,
  Units,
};

class DiagnosticsView {
 public:
  virtual ~DiagnosticsView() = default;
  virtual void changed(DiagnosticsPart part) = 0;
};

// A text centred on a point.
struct PlotLabel {
  PlotPoint at;
  std::string text;
};

struct PlotRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// The diagnostics plot for a bitmap of width × height pixels.
struct EchoPlot {
  int width = 0;
  int height = 0;
  Rgb background{211, 211, 211};
  PlotRect area;  // the pale field behind the grid
  Rgb areaColour{255, 255, 224};
  int extent = 0;  // samples the distance axis spans
  int divisions = 0;
  int labelStep = 0;
  int plotSamples = 0;
  bool halfResolution = false;
  int pixelsPerDivision = 0;
  int topLine = 0;  // y of the top amplitude line
  std::vector<PlotLine> amplitudeLines;
  std::vector<PlotLabel> amplitudeLabels;
  std::vector<PlotLine> distanceLines;
  std::vector<PlotLabel> distanceLabels;
  Rgb traceColour{255, 0, 0};
  std::vector<PlotPoint> trace;  // empty until a record is shown
};

class DiagnosticsModel {
 public:
  static constexpr int kWords = 1024;
  static constexpr int kSamples = 1021;   // words 0..1020
  static constexpr int kFirstPlotted = 70;
  static constexpr int kDistanceWord = 1021;
  static constexpr int kLevelWord = 1022;
  static constexpr int kCurrentWord = 1023;
  static constexpr int kScanEntry = 1;
  static constexpr int kEchoEntry = 2;

  DiagnosticsModel(const ModelRecords& records, const UnitConfiguration& config,
                   UnitMemory* memory, UnitLink* link, Presenter* presenter);

  void setView(DiagnosticsView* view) { view_ = view; }

  // --- State.
  const std::vector<std::string>& entries() const { return entries_; }
  int selectedEntry() const { return selected_; }
  const std::string& levelText() const { return levelText_; }
  const std::string& distanceText() const { return distanceText_; }
  const std::string& currentText() const { return currentText_; }
  const std::string& statusLine() const { return status_; }
  const std::string& unitsText() const { return unitsText_; }
  // The distance axis label's key.
  const char* distanceAxisKey() const;
  bool hasRecord() const { return hasRecord_; }
  const std::array<std::int16_t, kWords>& words() const { return words_; }
  std::vector<int> samples() const;
  // The shown record's samples for a spreadsheet: "word,amplitude" lines
  // for words 0..1020 under a header line; empty without a record.
  std::string samplesCsv() const;

  // The plot for a bitmap of this size (the bitmap keeps the size of the
  // first plot), with the trace when a record is shown.
  EchoPlot plot(int width, int height) const;

  // --- Actions.
  void activate(bool sampleMode);
  // A curve chosen in the list; false when the read failed (the message is
  // shown and the displays keep their texts).
  bool choose(int entry);
  // choose() in its two halves, for a view that runs the device part as
  // device work: whether the entry reads a record, the read itself (no
  // view is told anything), then the record shown or the failure reported.
  bool readsRecord(int entry) const;
  int readRecord(int entry, std::uint8_t* record);
  void readFailed(int entry);
  // Takes a record as if read (2048 bytes, little-endian words).
  void showRecord(const std::uint8_t* bytes);
  // "Erase Disturbance Scan": the unit's result (not shown on the page).
  int eraseScan();

 private:
  std::string text(const char* key) const;
  void notify(DiagnosticsPart part);
  double levelFactor() const;
  bool metricAxis() const;

  const ModelRecords& records_;
  const UnitConfiguration& config_;
  UnitMemory* memory_;
  UnitLink* link_;
  Presenter* presenter_;
  DiagnosticsView* view_ = nullptr;
  bool sample_ = false;
  std::vector<std::string> entries_;
  int selected_ = 0;
  std::array<std::int16_t, kWords> words_{};
  bool hasRecord_ = false;
  std::string levelText_ = "00000.0";
  std::string distanceText_ = "00000.0";
  std::string currentText_ = "000000";
  std::string status_;
  std::string unitsText_;
};

}  // namespace ostrel
