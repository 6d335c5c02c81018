#pragma once
// The live level page without its widgets: the level and distance displays,
// the four relay lamps and the activity lamp, the units text and the status
// line, and how each stream frame changes them. The page, ostrelctl live and
// the tests drive the same object; the stream itself runs in a
// StreamController, which hands the frames over.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct ModelRecords;
struct UnitConfiguration;
class VolumeTable;
struct StrappingRows;

// The parts of the page a change touches; the view redraws them.
enum class LivePart {
  Displays,  // level and distance texts, whether the distance shows
  Relays,    // the four relay lamps
  Activity,  // flash the activity lamp for activityFlashMs()
  Status,    // the status line
  Units,     // the units text
};

class LiveDisplayView {
 public:
  virtual ~LiveDisplayView() = default;
  virtual void changed(LivePart part) = 0;
};

class LiveDisplayModel {
 public:
  using Frame = std::array<std::uint8_t, 6>;
  enum class State { Measurement, Lost, Full, Empty };

  static constexpr int kGoodFrame = 6;
  static constexpr int kActivityFlashMs = 100;

  // Everything is lent for the model's life and read at activation, as the
  // page reads it when it becomes active.
  LiveDisplayModel(const ModelRecords& records, const UnitConfiguration& config,
                   const VolumeTable& volume, const StrappingRows& rows);

  void setView(LiveDisplayView* view) { view_ = view; }

  // --- State the view shows.
  const std::string& levelText() const { return levelText_; }
  const std::string& distanceText() const { return distanceText_; }
  bool distanceShown() const { return distanceShown_; }
  const std::array<bool, 4>& relays() const { return relays_; }
  // The relay numbers (1..4) of the lit lamps.
  std::vector<int> litRelays() const;
  const std::string& statusLine() const { return status_; }
  bool statusIsError() const { return statusError_; }
  const std::string& unitsText() const { return unitsText_; }
  State state() const { return state_; }
  bool running() const { return running_; }
  int activityFlashes() const { return flashes_; }
  static int activityFlashMs() { return kActivityFlashMs; }
  static const char* stateName(State s);

  // --- Actions.
  // The page becomes active: displays back to "00000.0", lamps off, units
  // text, the level factor and sensor height taken now. In sample mode the
  // status line shows the sample notice and nothing more is to start;
  // returns whether the stream is to start.
  bool activate(bool sampleMode);
  // The stream controller's start finished: openResult is the link's Open
  // result (a failure is shown; frames that still come are shown). From now
  // on frames count.
  void streamStarted(int openResult);
  // The worker has ended: frames still queued are ignored.
  void streamStopped();
  // One frame, with kGoodFrame when its sum was good. Returns whether it
  // changed the displays.
  bool frame(int code, const Frame& bytes);

  void setMakerMode(bool on) { makerMode_ = on; }

  // The value a display shows, written as the page writes every number.
  static std::string displayNumber(double value);

 private:
  std::string text(const char* key) const;
  void notify(LivePart part);
  double levelFactor() const;
  bool distanceOutput() const;
  bool tankShape() const;
  double fullValue() const;
  double flowAtFull() const;

  const ModelRecords& records_;
  const UnitConfiguration& config_;
  const VolumeTable& volume_;
  const StrappingRows& rows_;
  LiveDisplayView* view_ = nullptr;

  double k_ = 1.0;    // level counts per height unit
  double shc_ = 0.0;  // sensor height in level counts
  bool makerMode_ = false;
  bool running_ = false;
  int flashes_ = 0;
  State state_ = State::Lost;
  std::string levelText_;
  std::string distanceText_;
  bool distanceShown_ = true;
  std::array<bool, 4> relays_{};
  std::string status_;
  bool statusError_ = false;
  std::string unitsText_;
};

// The units text of the live and diagnostics pages: the model's name of
// UNITS, or with a structure unit list the name of OUTPUT in it.
std::string pageUnitsText(const ModelRecords& records, const UnitConfiguration& config);

}  // namespace ostrel
